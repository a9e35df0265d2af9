// The preview against the flight itself: the same end, closest approaches and burns,
// a bounded trajectory that keeps the launch, every burn and the end; and a newer request
// replacing one under way on another thread.
#include "flight/flight_preview.h"
#include "flight/launch_presets.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <future>
#include <vector>

namespace orrimar {
namespace {

PreviewRequest Request(std::size_t preset, std::vector<FlightBurn> burns)
{
    const LaunchPreset& p = LaunchPresets[preset];
    PreviewRequest request;
    request.Launch = LaunchFromTexts(p.Altitude, p.Velocity, p.Angle);
    request.Burns = std::move(burns);
    request.MaxPoints = 500;
    return request;
}

TEST(FlightPreview, EndsWhereTheFlightEnds)
{
    const FlightBurn braking{FlightBurn::AtPerilune, 0.0, -0.5, 0.0};
    const std::vector<PreviewRequest> cases = {
        Request(2, {}),         // "Swing by" escapes
        Request(1, {}),         // "Collision" hits the Moon
        Request(2, {braking}),  // stays at the Moon up to the horizon
        Request(4, {{FlightBurn::AtTime, 2.0, 0.05, 0.02}, {FlightBurn::AtPerigee, 0.0, -0.3, 0.0}}),
    };
    FlightPreview preview;
    for (const PreviewRequest& request : cases) {
        SCOPED_TRACE(request.Burns.size());
        const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
        const FlightSummary flight = FlySummary(request.Launch, views, {30.0, false}, {}, request.Burns);
        const PreviewResult p = preview.Compute(request);
        ASSERT_FALSE(p.Cancelled);
        EXPECT_EQ(p.Outcome, flight.Outcome);
        EXPECT_EQ(p.End.Index, flight.Index);
        EXPECT_EQ(p.End.T, flight.T);
        EXPECT_EQ(p.Points, flight.Points);
        EXPECT_EQ(p.Moon.Km, flight.MoonMinKm);
        EXPECT_EQ(p.Moon.At.T, flight.MoonMinT);
        EXPECT_EQ(p.Earth.Km, flight.EarthMinKm);
        const double moonCentreKm = std::hypot(p.Moon.At.X - static_cast<double>(OneMinusMu),
                                               p.Moon.At.Y) * static_cast<double>(DistanceUnitKm);
        EXPECT_NEAR(std::max(moonCentreKm - 1738.0, 0.0), p.Moon.Km, 1e-3);
        ASSERT_EQ(p.Burns.size(), request.Burns.size());
        ASSERT_EQ(flight.BurnsDone.size(), request.Burns.size());
        for (std::size_t i = 0; i < p.Burns.size(); ++i)
            EXPECT_EQ(p.Burns[i].T, flight.BurnsDone[i].T);

        // Bounded, in order, from the launch to the end, each burn's next point kept.
        EXPECT_LE(p.Path.size(), request.MaxPoints + 1);
        EXPECT_EQ(p.Path.front().Index, 0);
        EXPECT_EQ(p.Path.back().Index, p.End.Index);
        for (std::size_t i = 1; i < p.Path.size(); ++i) {
            const PreviewPoint& a = p.Path[i - 1];
            const PreviewPoint& b = p.Path[i];
            ASSERT_LT(a.Index, b.Index);
            if (b.Burns != a.Burns) {
                ASSERT_EQ(b.Burns, a.Burns + 1);
                const double burnT = p.Burns[static_cast<std::size_t>(a.Burns)].T;
                ASSERT_TRUE(b.T > burnT && b.T - burnT <= FlightOutputInterval);
            }
        }
        EXPECT_EQ(p.Path.back().Burns, static_cast<int>(request.Burns.size()));
    }
}

TEST(FlightPreview, NewerRequestReplacesTheOneUnderWay)
{
    FlightPreview preview;
    // A lunar orbit for 100,000 days would take many minutes.
    PreviewRequest endless = Request(2, {{FlightBurn::AtPerilune, 0.0, -0.5, 0.0}});
    endless.MaxDays = 1e5;
    std::future<PreviewResult> old =
        std::async(std::launch::async, [&] { return preview.Compute(endless); });
    PreviewResult newer = preview.Compute(Request(1, {}));
    // Until the old one has surely started: each Cancel replaces it again.
    while (old.wait_for(std::chrono::milliseconds(5)) != std::future_status::ready)
        preview.Cancel();
    EXPECT_TRUE(old.get().Cancelled);
    if (newer.Cancelled)  // the old one started after it: ask again
        newer = preview.Compute(Request(1, {}));
    EXPECT_FALSE(newer.Cancelled);
    EXPECT_EQ(newer.Outcome, FlightOutcome::CollisionMoon);
}

}  // namespace
}  // namespace orrimar
