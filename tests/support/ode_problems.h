// Test problems with known solutions, and a counting wrapper for right-hand sides.
#pragma once

#include "integrator/dop853.h"

#include <cmath>

namespace orrimar::test {

// y' = y: y(x) = y(0)·e^x.
inline void Growth(int, double, const Vector& y, Vector& f) { f[1] = y[1]; }

// y1' = y2, y2' = -y1: y(x) = (sin x, cos x) for y(0) = (0, 1).
inline void Oscillator(int, double, const Vector& y, Vector& f)
{
    f[1] = y[2];
    f[2] = -y[1];
}

// y' = 0.
inline void Zero(int n, double, const Vector&, Vector& f)
{
    for (int i = 1; i <= n; ++i)
        f[i] = 0.0;
}

// y' = 1 for x in [2k, 2k+1), -1 for x in [2k+1, 2k+2) (x >= 0): a right-hand side
// that jumps at every integer. A step within one piece is exact and proposes the
// largest growth; a step across a jump is rejected.
inline void SquareWave(int, double x, const Vector&, Vector& f)
{
    f[1] = static_cast<long>(std::floor(x)) % 2 == 0 ? 1.0 : -1.0;
}

// The restricted three-body problem with the Arenstorf orbit's mass ratio
// (state x, y, x', y').
inline void Arenstorf(int, double, const Vector& y, Vector& f)
{
    constexpr double mu = 0.012277471;
    constexpr double mup = 1.0 - mu;
    const double d1 = std::pow((y[1] + mu) * (y[1] + mu) + y[2] * y[2], 1.5);
    const double d2 = std::pow((y[1] - mup) * (y[1] - mup) + y[2] * y[2], 1.5);
    f[1] = y[3];
    f[2] = y[4];
    f[3] = y[1] + 2.0 * y[4] - mup * (y[1] + mu) / d1 - mu * (y[1] - mup) / d2;
    f[4] = y[2] - 2.0 * y[3] - mup * y[2] / d1 - mu * y[2] / d2;
}
inline constexpr double ArenstorfPeriod = 17.0652165601579625588917206249;
inline const Vector ArenstorfStart{0.0, 0.994, 0.0, 0.0, -2.00158510637908252240537862224};

// Counts the evaluations of a right-hand side.
struct CountingRhs {
    RightHandSide inner;
    long* count;
    void operator()(int n, double x, const Vector& y, Vector& f) const
    {
        ++*count;
        inner(n, x, y, f);
    }
};

}  // namespace orrimar::test
