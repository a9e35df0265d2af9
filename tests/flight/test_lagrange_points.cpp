// The Lagrange points and the zero-velocity boundary of the rotating Earth–Moon frame.
#include "flight/lagrange_points.h"

#include "model/earth_moon.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orrimar {
namespace {

// Positions of the collinear points as published for the Earth–Moon mass ratio μ = 0.01215,
// held to their nine decimals.
TEST(LagrangePoints, PositionsAndJacobiValues)
{
    const auto points = LagrangePoints();
    const struct {
        const char* name;
        double x, y;
    } expected[] = {
        {"L1", 0.836915445, 0.0},
        {"L2", 1.155681915, 0.0},
        {"L3", -1.005062618, 0.0},
        {"L4", 0.5 - static_cast<double>(Mu), std::sqrt(3.0) / 2.0},
        {"L5", 0.5 - static_cast<double>(Mu), -std::sqrt(3.0) / 2.0},
    };
    for (std::size_t i = 0; i < points.size(); ++i) {
        EXPECT_EQ(points[i].Name, expected[i].name);
        EXPECT_NEAR(points[i].X, expected[i].x, 1e-9) << expected[i].name;
        EXPECT_NEAR(points[i].Y, expected[i].y, 1e-15) << expected[i].name;
        EXPECT_EQ(points[i].Jacobi, ZeroVelocityJacobi(points[i].X, points[i].Y));
    }
    // The equilateral points sit at Jacobi 3; the collinear ones above, L1 highest.
    EXPECT_NEAR(points[3].Jacobi, 3.0, 4e-16);
    EXPECT_NEAR(points[4].Jacobi, 3.0, 4e-16);
    EXPECT_GT(points[0].Jacobi, points[1].Jacobi);
    EXPECT_GT(points[1].Jacobi, points[2].Jacobi);
    EXPECT_GT(points[2].Jacobi, 3.0);
}

// An equilibrium: the zero-velocity Jacobi function is stationary there (central
// differences of its gradient vanish to the differencing error), and a craft put there
// at rest stays put under the equations of motion.
TEST(LagrangePoints, AreEquilibria)
{
    for (const LagrangePoint& p : LagrangePoints()) {
        const double d = 1e-6;
        const double gx = (ZeroVelocityJacobi(p.X + d, p.Y) - ZeroVelocityJacobi(p.X - d, p.Y)) / (2 * d);
        const double gy = (ZeroVelocityJacobi(p.X, p.Y + d) - ZeroVelocityJacobi(p.X, p.Y - d)) / (2 * d);
        EXPECT_NEAR(gx, 0.0, 1e-8) << p.Name;
        EXPECT_NEAR(gy, 0.0, 1e-8) << p.Name;
        const EarthMoonState atRest{0.0, p.X, 0.0, p.Y, 0.0};
        EarthMoonState f{};
        EarthMoonRhs(4, 0.0, atRest, f);
        EXPECT_NEAR(f[2], 0.0, 1e-13) << p.Name;
        EXPECT_NEAR(f[4], 0.0, 1e-13) << p.Name;
    }
}

// On the zero-velocity curve of a flight's Jacobi integral the craft has no speed left:
// a state there with the speed the Jacobi integral allows (none) has exactly that integral,
// and on the closed side of it no speed would do.
TEST(ZeroVelocityCurve, CraftThereHasZeroSpeed)
{
    const double jacobi0 = 3.3;  // above L1: the Earth's region is closed off from the Moon's
    for (double angle : {0.3, 1.2, 2.0, 4.0}) {
        // Bisect along a ray from the Earth's centre.
        const double ex = -static_cast<double>(Mu);
        double inside = 0.05;  // near the Earth: allowed
        double outside = 1.0;  // in the closed region around the Moon's orbit
        const auto at = [&](double r) {
            return ZeroVelocityJacobi(ex + r * std::cos(angle), r * std::sin(angle));
        };
        ASSERT_GE(at(inside), jacobi0);
        ASSERT_LT(at(outside), jacobi0) << angle;
        for (int i = 0; i < 80; ++i) {
            const double mid = 0.5 * (inside + outside);
            (at(mid) >= jacobi0 ? inside : outside) = mid;
        }
        const EarthMoonState onCurve{0.0, ex + inside * std::cos(angle), 0.0,
                                     inside * std::sin(angle), 0.0};
        EXPECT_NEAR(JacobiConstant(onCurve), jacobi0, 1e-12) << angle;
    }
}

}  // namespace
}  // namespace orrimar
