// The geocentric picture: the rotating frame turned into the non-rotating axes in which
// the flight is drawn.
#include "flight/geocentric.h"

#include "model/earth_moon.h"

#include <gtest/gtest.h>

#include <cmath>
#include <thread>
#include <vector>

namespace orrimar {
namespace {

constexpr double earthRadius = static_cast<double>(EarthRadius);
constexpr double frameRate = static_cast<double>(FrameRate);

EarthMoonState State(double x, double vx, double y, double vy) { return {0.0, x, vx, y, vy}; }

TEST(RotatingToGeocentric, AtTimeZeroTheAxesAreUnchanged)
{
    const EarthMoonState y = LaunchState(100.17, 10.98, 226.5);
    const GeocentricPicture picture = RotatingToGeocentric(0.0, y);
    EXPECT_NEAR(picture.Moon.X, 1.0, 1e-15);
    EXPECT_EQ(picture.Moon.Y, 0.0);
    const double r0 = 100.17 / 384400.0 + earthRadius;
    const double theta = 226.5 * M_PI / 180.0;
    EXPECT_NEAR(picture.Craft.X, std::cos(theta) * r0, 1e-15);
    EXPECT_NEAR(picture.Craft.Y, std::sin(theta) * r0, 1e-15);
    EXPECT_EQ(picture.Velocity.X, y[2]);
    EXPECT_EQ(picture.Velocity.Y, y[4]);
}

TEST(RotatingToGeocentric, RotationKeepsLengthsAndTurnsAtTheFrameRate)
{
    const EarthMoonState y = State(0.6, 0.3, -0.25, 0.45);
    const GeocentricPicture start = RotatingToGeocentric(0.0, y);
    for (double t : {0.5, 1.0, M_PI, 10.0, 1000.0}) {
        const GeocentricPicture p = RotatingToGeocentric(t, y);
        EXPECT_NEAR(std::hypot(p.Velocity.X, p.Velocity.Y),
                    std::hypot(start.Velocity.X, start.Velocity.Y), 1e-14);
        EXPECT_NEAR(std::hypot(p.Craft.X, p.Craft.Y), std::hypot(start.Craft.X, start.Craft.Y),
                    1e-14);
        EXPECT_NEAR(std::hypot(p.Craft.X - p.Moon.X, p.Craft.Y - p.Moon.Y),
                    std::hypot(start.Craft.X - start.Moon.X, start.Craft.Y - start.Moon.Y), 1e-14);
        EXPECT_NEAR(std::hypot(p.Moon.X, p.Moon.Y), 1.0, 1e-14);
        EXPECT_NEAR(std::atan2(p.Moon.Y, p.Moon.X), std::remainder(frameRate * t, 2 * M_PI), 1e-12)
            << "t=" << t;
    }
}

// The shared table gives bit for bit what each flight would compute, from any thread, in
// any order, and falls back to computing for a time off the grid.
TEST(FrameTurnTable, SameBitsAsComputingEachTurn)
{
    constexpr double dt = 0.0006283185307179586;
    const FrameTurnTable table(dt);
    const EarthMoonState y = LaunchState(100.17, 10.98, 226.5);
    const auto same = [&](int k, double t) {
        FrameTurn scratch;
        const GeocentricPicture a = RotatingToGeocentric(table.At(k, t, scratch), y);
        const GeocentricPicture b = RotatingToGeocentric(t, y);
        return a.Craft == b.Craft && a.Velocity == b.Velocity && a.Moon == b.Moon;
    };
    std::vector<int> mismatches(2, 0);
    std::vector<std::thread> threads;
    for (int w = 0; w < 2; ++w)
        threads.emplace_back([&, w] {
            for (int i = 0; i < 3 * FrameTurnTable::ChunkSize; i += 7) {
                const int k = w == 0 ? i : 3 * FrameTurnTable::ChunkSize - 1 - i;
                mismatches[static_cast<std::size_t>(w)] += !same(k, k * dt);
            }
        });
    for (std::thread& t : threads)
        t.join();
    EXPECT_EQ(mismatches, std::vector<int>(2, 0));
    EXPECT_TRUE(same(5, 5.5 * dt));
    EXPECT_TRUE(same(-1, 0.25));
    EXPECT_TRUE(same(FrameTurnTable::ChunkSize * FrameTurnTable::MaxChunks, 1e4));
}

}  // namespace
}  // namespace orrimar
