// The planar circular restricted three-body problem of the Earth, the Moon and a
// massless craft, in nondimensional units in a frame turning with the Moon about
// the barycentre: units, constants, equations of motion, Jacobi integral, launch
// state. Intermediates are computed in long double (80-bit extended on x86-64);
// results are stored as double.
//
// State vector (5 elements, index 0 unused): 1 x, 2 x-velocity, 3 y, 4 y-velocity,
// relative to the rotating frame, origin at the barycentre.
#pragma once

#include <array>
#include <cmath>
#include <span>

namespace orrimar {

inline constexpr long double DistanceUnitKm = 384400.0L;
inline constexpr long double VelocityUnitKms = 1.0231572608128980364L;  // km/s per unit
inline constexpr long double DaysPerTimeUnit = 4.34837756078599930L;

inline constexpr long double Mu = 0.012150520649809844353L;          // Moon's mass share
inline constexpr long double OneMinusMu = 0.98784947935019015567L;   // Earth's mass share
inline constexpr long double MuOneMinusMu = 0.0120028854977483889L;  // μ(1 − μ)
inline constexpr long double EarthRadius = 0.016592455775234131114L;  // 6378.14 km
inline constexpr long double MoonRadius = 0.004521331945889698231L;   // 1738.0 km
inline constexpr double EarthImpactDistance = 0.01685;  // 6477.14 km from the Earth's centre
inline constexpr long double DegreeFactor = 0.017453292519943295769L;  // π/180
// Rate of the frame in the two frame conversions (1/√(1 − μ)); the equations of
// motion turn at rate 1.
inline constexpr long double FrameRate = 1.00613119010895646L;

inline constexpr int StateSize = 4;

// A state as the model hands it out: element 0 unused, then x, x-velocity, y,
// y-velocity.
using EarthMoonState = std::array<double, StateSize + 1>;

// Right-hand side of the equations of motion: f[1..4] = d/dt y[1..4]. n and x are
// not used (the system is autonomous); f[0] is left alone. Throws std::out_of_range
// when y or f has fewer than 5 elements.
void EarthMoonRhs(int n, double x, std::span<const double> y, std::span<double> f);
// The same on unchecked pointers to 5 elements, inline for the integrator's step loop.
inline void EarthMoonRhsUnchecked(const double* y, double* f)
{
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

// The Jacobi integral of state y, constant along an exact trajectory. Throws
// std::out_of_range when y has fewer than 5 elements.
double JacobiConstant(std::span<const double> y);

// The state of a craft launched from a circle of altitudeKm above the Earth's
// surface with velocityKms perpendicular to its radius at angleDeg (0 towards the
// Moon, counter-clockwise positive; a negative velocity launches clockwise).
EarthMoonState LaunchState(double altitudeKm, double velocityKms, double angleDeg);

}  // namespace orrimar
