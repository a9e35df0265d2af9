// The preview against the flight itself: the same end, closest approaches and burns,
// a bounded trajectory that keeps the launch, every burn and the end; and a newer request
// replacing one under way on another thread.
#include "flight/flight_preview.h"
#include "flight/launch_presets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <string>
#include <string_view>
#include <vector>

namespace orrimar {
namespace {

EarthMoonState Launch(std::string_view label)
{
    for (const LaunchPreset& p : LaunchPresets)
        if (p.Label == label)
            return LaunchFromTexts(p.Altitude, p.Velocity, p.Angle);
    ADD_FAILURE() << label;
    return {};
}

TEST(FlightPreview, EndsWhereTheFlightEnds)
{
    struct Case {
        const char* launch;
        std::vector<FlightBurn> burns;
    };
    const std::vector<Case> cases = {
        {"Swing by", {}},                                        // escape
        {"Collision", {}},                                       // hits the Moon
        {"Swing by", {{FlightBurn::AtPerilune, 0.0, -0.5, 0.0}}},  // stays: the horizon
        {"Escape 58", {{FlightBurn::AtTime, 2.0, 0.05, 0.02}, {FlightBurn::AtPerigee, 0.0, -0.3, 0.0}}},
    };
    FlightPreview preview;
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.launch) + " with " + std::to_string(c.burns.size()) + " burns");
        const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
        const FlightSummary flight =
            FlySummary(Launch(c.launch), views, {30.0, false}, {}, c.burns);
        PreviewRequest request;
        request.Launch = Launch(c.launch);
        request.Burns = c.burns;
        request.MaxPoints = 500;
        const PreviewResult p = preview.Compute(request);
        ASSERT_FALSE(p.Cancelled);
        EXPECT_EQ(p.Outcome, flight.Outcome);
        EXPECT_EQ(p.End.Index, flight.Index);
        EXPECT_EQ(p.End.T, flight.T);
        EXPECT_EQ(p.Points, flight.Points);
        EXPECT_EQ(p.Moon.Km, flight.MoonMinKm);
        EXPECT_EQ(p.Moon.At.T, flight.MoonMinT);
        EXPECT_EQ(p.Earth.Km, flight.EarthMinKm);
        ASSERT_EQ(p.Burns.size(), flight.BurnsDone.size());
        ASSERT_EQ(p.Burns.size(), c.burns.size());
        for (std::size_t i = 0; i < p.Burns.size(); ++i)
            EXPECT_EQ(p.Burns[i].T, flight.BurnsDone[i].T);

        // Bounded, in order, from the launch to the end, every burn's first point kept.
        ASSERT_GE(p.Path.size(), 2u);
        EXPECT_LE(p.Path.size(), request.MaxPoints + 1);
        EXPECT_EQ(p.Path.front().Index, 0);
        EXPECT_EQ(p.Path.back().Index, p.End.Index);
        EXPECT_EQ(p.Path.back().X, p.End.X);
        int burns = 0;
        for (std::size_t i = 1; i < p.Path.size(); ++i) {
            const PreviewPoint& a = p.Path[i - 1];
            const PreviewPoint& b = p.Path[i];
            ASSERT_LT(a.Index, b.Index);
            if (b.Burns != a.Burns) {
                ASSERT_EQ(b.Burns, a.Burns + 1);
                ASSERT_GT(b.T, p.Burns[static_cast<std::size_t>(a.Burns)].T);
                ASSERT_LE(b.T - p.Burns[static_cast<std::size_t>(a.Burns)].T, FlightOutputInterval);
            }
            burns = b.Burns;
        }
        EXPECT_EQ(burns, static_cast<int>(c.burns.size()));
        // The Moon's closest point: its distance from the Moon's centre is the minimum.
        const double moonCentreKm =
            std::hypot(p.Moon.At.X - static_cast<double>(OneMinusMu), p.Moon.At.Y) *
            static_cast<double>(DistanceUnitKm);
        EXPECT_NEAR(moonCentreKm - 1738.0, p.Moon.Km, p.Moon.Km > 0.0 ? 1e-3 : 1738.0);
    }
}

TEST(FlightPreview, NewerRequestReplacesTheOneUnderWay)
{
    FlightPreview preview;
    // A lunar orbit for 100,000 days would take many minutes.
    PreviewRequest endless;
    endless.Launch = Launch("Swing by");
    endless.Burns = {{FlightBurn::AtPerilune, 0.0, -0.5, 0.0}};
    endless.MaxDays = 1e5;
    std::future<PreviewResult> old =
        std::async(std::launch::async, [&] { return preview.Compute(endless); });
    PreviewRequest quick;
    quick.Launch = Launch("Collision");
    PreviewResult newer = preview.Compute(quick);
    // Until the old one has surely started: each Cancel replaces it again.
    while (old.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        preview.Cancel();
    EXPECT_TRUE(old.get().Cancelled);
    if (newer.Cancelled)  // the old one started after it: ask again
        newer = preview.Compute(quick);
    EXPECT_FALSE(newer.Cancelled);
    EXPECT_EQ(newer.Outcome, FlightOutcome::CollisionMoon);
}

}  // namespace
}  // namespace orrimar
