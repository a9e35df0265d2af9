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
    EarthMoonRhsUnchecked(Y.data(), F.data());
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
