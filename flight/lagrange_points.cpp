#include "flight/lagrange_points.h"

#include "model/earth_moon.h"

#include <cmath>

namespace orrimar {

namespace {

// On the x axis, the x component of the effective force, x − (1−μ)(x+μ)/|x+μ|³ −
// μ(x−1+μ)/|x−1+μ|³ (zero at the collinear points), and its slope; extended precision.
long double AxisForce(long double x)
{
    const long double a = x + Mu;
    const long double b = x - OneMinusMu;
    return x - OneMinusMu * a / (std::fabs(a) * a * a) - Mu * b / (std::fabs(b) * b * b);
}

long double AxisForceSlope(long double x)
{
    const long double a = std::fabs(x + Mu);
    const long double b = std::fabs(x - OneMinusMu);
    return 1.0L + 2.0L * OneMinusMu / (a * a * a) + 2.0L * Mu / (b * b * b);
}

double CollinearPoint(long double guess)
{
    long double x = guess;
    for (int i = 0; i < 60; ++i) {
        const long double step = AxisForce(x) / AxisForceSlope(x);
        x -= step;
        if (std::fabs(step) <= 1e-19L * std::fabs(x))
            break;
    }
    return static_cast<double>(x);
}

LagrangePoint AtRest(std::string_view name, double x, double y)
{
    return LagrangePoint{name, x, y, ZeroVelocityJacobi(x, y)};
}

}  // namespace

std::array<LagrangePoint, 5> LagrangePoints()
{
    // Hill-sphere radius and the classic first-order guesses.
    const long double hill = std::cbrt(Mu / 3.0L);
    const double l1 = CollinearPoint(OneMinusMu - hill);
    const double l2 = CollinearPoint(OneMinusMu + hill);
    const double l3 = CollinearPoint(-1.0L - 5.0L * Mu / 12.0L);
    // L4 and L5 form equilateral triangles with the Earth and the Moon.
    const double x45 = static_cast<double>(0.5L - Mu);
    const double y45 = static_cast<double>(std::sqrt(3.0L) / 2.0L);
    return {AtRest("L1", l1, 0.0), AtRest("L2", l2, 0.0), AtRest("L3", l3, 0.0),
            AtRest("L4", x45, y45), AtRest("L5", x45, -y45)};
}

double ZeroVelocityJacobi(double x, double y)
{
    const std::array<double, StateSize + 1> atRest{0.0, x, 0.0, y, 0.0};
    return JacobiConstant(atRest);
}

}  // namespace orrimar
