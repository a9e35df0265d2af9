// The Earth–Moon model: launch states, the Jacobi integral, the equations of
// motion, checked against values worked out by hand
// and against the physics they must obey.
#include "model/earth_moon.h"

#include "integrator/dop853.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orrimar {
namespace {

constexpr double mu = static_cast<double>(Mu);
constexpr double earthRadius = static_cast<double>(EarthRadius);
constexpr double frameRate = static_cast<double>(FrameRate);

Vector State(double x, double vx, double y, double vy) { return Vector{0.0, x, vx, y, vy}; }

TEST(LaunchState, DefaultLaunchToTwelveDigits)
{
    const Vector y = LaunchState(100.17, 10.98, 226.5);
    ASSERT_EQ(y.Length(), 5);
    EXPECT_NEAR(y[1], -0.0237513903982, 5e-13);
    EXPECT_NEAR(y[2], 7.77204673431, 5e-11);
    EXPECT_NEAR(y[3], -0.0122247659768, 5e-13);
    EXPECT_NEAR(y[4], -7.36317194391, 5e-11);
    EXPECT_NEAR(JacobiConstant(y), 2.6467132189, 5e-11);
    EXPECT_EQ(y[0], 0.0);
}

TEST(LaunchState, CraftAtRestOnTheSurfaceMovesInTheRotatingFrame)
{
    const Vector y = LaunchState(0.0, 0.0, 0.0);
    EXPECT_NEAR(y[1], 0.00444193512542, 5e-15);
    EXPECT_EQ(y[2], 0.0);
    EXPECT_EQ(y[3], 0.0);
    EXPECT_NEAR(y[4], -0.00446916947413, 5e-15);
    EXPECT_NEAR(y[4], -frameRate * (earthRadius - mu), 1e-17);
}

TEST(LaunchState, AngleAndVelocitySignTurnTheLaunch)
{
    // At 90° the craft starts above the Earth and moves towards -x; a negative
    // velocity reverses the non-rotating velocity only.
    const Vector up = LaunchState(500.0, 11.0, 90.0);
    const Vector upBack = LaunchState(500.0, -11.0, 90.0);
    const double r0 = 500.0 / 384400.0 + earthRadius;
    const double v0 = 11.0 / static_cast<double>(VelocityUnitKms);
    EXPECT_NEAR(up[1], -mu, 1e-15);
    EXPECT_NEAR(up[3], r0, 1e-15);
    EXPECT_NEAR(up[2], -v0 + frameRate * r0, 1e-14);
    EXPECT_NEAR(upBack[2], v0 + frameRate * r0, 1e-14);
    EXPECT_NEAR(upBack[4], up[4], 1e-14);
}

TEST(EarthMoonRhs, LagrangePointL4IsAnEquilibrium)
{
    // The triangular point: equidistant (1) from both bodies, at rest in the frame.
    const Vector y = State(0.5 - mu, 0.0, std::sqrt(3.0) / 2.0, 0.0);
    Vector f(5);
    EarthMoonRhs(4, 0.0, y, f);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NEAR(f[i], 0.0, 1e-15) << "component " << i;
}

TEST(EarthMoonRhs, IgnoresTimeAndCountAndLeavesIndexZero)
{
    const Vector y = State(0.3, -0.2, 0.4, 0.7);
    Vector a(5);
    Vector b(5);
    a[0] = 42.0;
    EarthMoonRhs(4, 0.0, y, a);
    EarthMoonRhs(0, 123.5, y, b);
    for (int i = 1; i <= 4; ++i)
        EXPECT_EQ(a[i], b[i]);
    EXPECT_EQ(a[0], 42.0);
    EXPECT_EQ(a[1], -0.2);
    EXPECT_EQ(a[3], 0.7);
}

TEST(EarthMoonRhs, ShortVectorsAreRangeErrors)
{
    Vector f(5);
    EXPECT_THROW(EarthMoonRhs(4, 0.0, Vector(4), f), std::out_of_range);
    Vector shortF(4);
    EXPECT_THROW(EarthMoonRhs(4, 0.0, State(0.3, 0, 0.4, 0), shortF), std::out_of_range);
    EXPECT_THROW(JacobiConstant(Vector(3)), std::out_of_range);
}

// The Jacobi integral is constant along the flow: its derivative along the
// right-hand side vanishes at any state (checked by central differences).
TEST(JacobiConstant, ConstantAlongTheEquationsOfMotion)
{
    const Vector states[] = {
        State(0.3, -0.2, 0.4, 0.7),
        State(-0.5, 1.1, -0.3, 0.2),
        State(0.9, 0.05, 0.02, -0.4),
        LaunchState(100.17, 10.98, 226.5),
    };
    for (const Vector& y : states) {
        Vector f(5);
        EarthMoonRhs(4, 0.0, y, f);
        const double eps = 1e-6;
        Vector ahead(5);
        Vector behind(5);
        for (int i = 1; i <= 4; ++i) {
            ahead[i] = y[i] + eps * f[i];
            behind[i] = y[i] - eps * f[i];
        }
        const double rate = (JacobiConstant(ahead) - JacobiConstant(behind)) / (2 * eps);
        double speed = 0.0;
        for (int i = 1; i <= 4; ++i)
            speed += f[i] * f[i];
        EXPECT_NEAR(rate / std::sqrt(speed), 0.0, 1e-6) << "state x=" << y[1];
    }
}

TEST(JacobiConstant, KnownValueAtRestOnTheXAxis)
{
    // At rest at the barycentre's x = 0.5: C = x² + 2((1-μ)/r1 + μ/r2) + μ(1-μ).
    const double x = 0.5;
    const double expected = x * x + 2.0 * ((1.0 - mu) / (x + mu) + mu / (1.0 - mu - x)) +
                            static_cast<double>(MuOneMinusMu);
    EXPECT_NEAR(JacobiConstant(State(x, 0.0, 0.0, 0.0)), expected, 1e-14);
}

// The default flight integrated as the window does it (tolerance 1e-8, first step
// π/100000): the Jacobi integral is held to round-off away from the Earth and
// drifts only at the close passes of the Earth.
TEST(DefaultFlight, JacobiDriftOverTenTimeUnits)
{
    Vector y = LaunchState(100.17, 10.98, 226.5);
    const double c0 = JacobiConstant(y);
    double worstOutbound = 0.0;  // past the Moon, before the return to the Earth
    double worst = 0.0;
    auto out = [&](int, double, double t, const Vector& state, int, bool&) {
        const double drift = std::abs(JacobiConstant(state) - c0);
        worst = std::max(worst, drift);
        if (t < 1.5)
            worstOutbound = std::max(worstOutbound, drift);
    };
    double t = 0.0;
    double h = 3.1415926535897935e-05;
    double hMax = 0.0;
    const int code = Dop853(4, EarthMoonRhs, t, y, 10.0, h, hMax, 1e-8, 1e-8, out, 2);
    EXPECT_EQ(code, Dop853Reached);
    EXPECT_LT(worstOutbound, 1e-9);
    EXPECT_LT(worst, 1e-6);
}

}  // namespace
}  // namespace orrimar
