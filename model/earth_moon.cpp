#include "model/earth_moon.h"

#include <cmath>
#include <stdexcept>
#include <string>

namespace orrimar {

namespace {

void CheckStateSize(std::size_t size, const char* what)
{
    if (size <= static_cast<std::size_t>(StateSize))
        throw std::out_of_range(std::string(what) + ": state vectors need " +
                                std::to_string(StateSize + 1) + " elements, got " +
                                std::to_string(size));
}

}  // namespace

void EarthMoonRhs(int /*n*/, double /*x*/, std::span<const double> Y, std::span<double> F)
{
    // Checked once here instead of at each of the eight accesses: this runs 15 times
    // per step.
    CheckStateSize(Y.size(), "EarthMoonRhs");
    CheckStateSize(F.size(), "EarthMoonRhs");
    const double* y = Y.data();
    double* f = F.data();

    const long double x1 = y[1];
    const long double x3 = y[3];
    const long double a = x1 + Mu;  // x-distance from the Earth
    const long double r1sq = x3 * x3 + a * a;
    const long double r1cube = r1sq * std::sqrt(r1sq);
    const long double b = a - 1.0L;  // x-distance from the Moon
    const long double r2sq = x3 * x3 + b * b;
    const long double r2cube = r2sq * std::sqrt(r2sq);

    f[1] = y[2];
    f[3] = y[4];
    f[2] = static_cast<double>(2.0L * y[4] + x1 - OneMinusMu * a / r1cube - Mu * b / r2cube);
    f[4] = static_cast<double>(-2.0L * y[2] + x3 - (OneMinusMu / r1cube + Mu / r2cube) * x3);
}

double JacobiConstant(std::span<const double> y)
{
    CheckStateSize(y.size(), "JacobiConstant");
    const long double x1 = y[1];
    const long double x3 = y[3];
    const double r0 = static_cast<double>(std::hypot(x1, x3));
    const double r1 = static_cast<double>(std::hypot(x1 + Mu, x3));
    const double r2 = static_cast<double>(std::hypot(x1 + Mu - 1.0L, x3));
    const long double v2 = y[2];
    const long double v4 = y[4];
    const long double r0l = r0;
    return static_cast<double>(r0l * r0l + 2.0L * (OneMinusMu / r1 + Mu / r2) + MuOneMinusMu -
                               v2 * v2 - v4 * v4);
}

EarthMoonState LaunchState(double altitudeKm, double velocityKms, double angleDeg)
{
    const double r0 = static_cast<double>(altitudeKm / DistanceUnitKm + EarthRadius);
    const double v0 = static_cast<double>(velocityKms / VelocityUnitKms);
    const double theta = static_cast<double>(angleDeg * DegreeFactor);
    const long double s = std::sin(static_cast<long double>(theta));
    const long double c = std::cos(static_cast<long double>(theta));

    EarthMoonState y{};
    // Non-rotating, Earth-centred.
    y[1] = static_cast<double>(c * r0);
    y[2] = static_cast<double>(-s * v0);
    y[3] = static_cast<double>(s * r0);
    y[4] = static_cast<double>(c * v0);
    // Shift to the barycentre, then take out the frame's motion (y[1] already shifted).
    y[1] = static_cast<double>(y[1] - Mu);
    y[2] = static_cast<double>(y[2] + FrameRate * y[3]);
    y[4] = static_cast<double>(y[4] - FrameRate * y[1]);
    return y;
}

}  // namespace orrimar
