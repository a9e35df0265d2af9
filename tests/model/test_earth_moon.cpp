// The Earth–Moon model: launch states, the Jacobi integral, the equations of
// motion, checked against values worked out by hand
// and against the physics they must obey.
#include "model/earth_moon.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>

namespace orrimar {
namespace {

constexpr double mu = static_cast<double>(Mu);
constexpr double earthRadius = static_cast<double>(EarthRadius);
constexpr double frameRate = static_cast<double>(FrameRate);

EarthMoonState State(double x, double vx, double y, double vy) { return {0.0, x, vx, y, vy}; }

TEST(LaunchState, DefaultLaunchToTwelveDigits)
{
    const EarthMoonState y = LaunchState(100.17, 10.98, 226.5);
    EXPECT_NEAR(y[1], -0.0237513903982, 5e-13);
    EXPECT_NEAR(y[2], 7.77204673431, 5e-11);
    EXPECT_NEAR(y[3], -0.0122247659768, 5e-13);
    EXPECT_NEAR(y[4], -7.36317194391, 5e-11);
    EXPECT_NEAR(JacobiConstant(y), 2.6467132189, 5e-11);
    EXPECT_EQ(y[0], 0.0);
}

TEST(LaunchState, CraftAtRestOnTheSurfaceMovesInTheRotatingFrame)
{
    const EarthMoonState y = LaunchState(0.0, 0.0, 0.0);
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
    const EarthMoonState up = LaunchState(500.0, 11.0, 90.0);
    const EarthMoonState upBack = LaunchState(500.0, -11.0, 90.0);
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
    const EarthMoonState y = State(0.5 - mu, 0.0, std::sqrt(3.0) / 2.0, 0.0);
    EarthMoonState f{};
    EarthMoonRhs(4, 0.0, y, f);
    for (int i = 1; i <= 4; ++i)
        EXPECT_NEAR(f[i], 0.0, 1e-15) << "component " << i;
}

TEST(EarthMoonRhs, IgnoresTimeAndCountAndLeavesIndexZero)
{
    const EarthMoonState y = State(0.3, -0.2, 0.4, 0.7);
    EarthMoonState a{};
    EarthMoonState b{};
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
    EarthMoonState f{};
    EXPECT_THROW(EarthMoonRhs(4, 0.0, std::array<double, 4>{}, f), std::out_of_range);
    std::array<double, 4> shortF{};
    EXPECT_THROW(EarthMoonRhs(4, 0.0, State(0.3, 0, 0.4, 0), shortF), std::out_of_range);
    EXPECT_THROW(JacobiConstant(std::array<double, 3>{}), std::out_of_range);
}

// The Jacobi integral is constant along the flow: its derivative along the
// right-hand side vanishes at any state (checked by central differences).
TEST(JacobiConstant, ConstantAlongTheEquationsOfMotion)
{
    const EarthMoonState states[] = {
        State(0.3, -0.2, 0.4, 0.7),
        State(-0.5, 1.1, -0.3, 0.2),
        State(0.9, 0.05, 0.02, -0.4),
        LaunchState(100.17, 10.98, 226.5),
    };
    for (const EarthMoonState& y : states) {
        EarthMoonState f{};
        EarthMoonRhs(4, 0.0, y, f);
        const double eps = 1e-6;
        EarthMoonState ahead{};
        EarthMoonState behind{};
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

}  // namespace
}  // namespace orrimar
