// Burns after launch: the Jacobi integral's jump against the hand-computed change of
// v², burns at perilune and perigee on the closest approach itself, and several burns
// made in order of time with the output schedule and the points' burn marks intact.
#include "flight/flight_summary.h"
#include "flight/launch_presets.h"

#include <gtest/gtest.h>

#include <cmath>
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

double Days(double t) { return static_cast<double>(t * DaysPerTimeUnit); }
double TimeOf(double days) { return static_cast<double>(days / DaysPerTimeUnit); }

// Every step, point and burn of a flight, up to a day limit.
struct BurnRecorder : FlightDisplay {
    explicit BurnRecorder(double maxDays) : maxDays(maxDays) {}
    void ShowStep(const FlightStep& step) override { steps.push_back(step); }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override { points.push_back(point); }
    bool CancelRequested() const override
    {
        return !points.empty() && Days(points.back().T) >= maxDays;
    }
    void ShowBurn(const FlightBurnDone& burn) override
    {
        burns.push_back(burn);
        pointsBefore.push_back(points.size());
        stepsBefore.push_back(steps.size());
    }
    FlightNeeds Needs() const override
    {
        FlightNeeds needs;
        needs.Texts = false;
        return needs;
    }

    double maxDays;
    std::vector<FlightStep> steps;
    std::vector<FlightPoint> points;
    std::vector<FlightBurnDone> burns;
    std::vector<std::size_t> pointsBefore;  // points shown before each burn
    std::vector<std::size_t> stepsBefore;
};

struct Flown {
    BurnRecorder display;
    Dop853Result result;
    double jacobi0 = 0.0;
};

void Fly(Flown& flown, const EarthMoonState& launch, std::vector<FlightBurn> burns)
{
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    FlightRun run(launch, views.Get(), flown.display);
    run.SetBurns(std::move(burns));
    flown.result = run.Fly();
    flown.jacobi0 = run.Jacobi0();
}

// Half the rate of change of the squared distance from (cx, 0), over distance × speed.
double RadialRate(const EarthMoonState& y, double cx)
{
    return ((y[1] - cx) * y[2] + y[3] * y[4]) /
           (std::hypot(y[1] - cx, y[3]) * std::hypot(y[2], y[4]));
}

// The points are on the schedule k·2π/10000 whatever the burns, and carry the number of
// burns made before them.
void ExpectScheduleAndMarks(const Flown& flown)
{
    const BurnRecorder& d = flown.display;
    for (std::size_t i = 0; i < d.points.size(); ++i) {
        const FlightPoint& p = d.points[i];
        ASSERT_EQ(p.Index, static_cast<int>(i));
        ASSERT_EQ(p.T, static_cast<double>(p.Index) * FlightOutputInterval);
        int made = 0;
        while (made < static_cast<int>(d.burns.size()) &&
               d.pointsBefore[static_cast<std::size_t>(made)] <= i)
            ++made;
        ASSERT_EQ(p.Burns, made) << "point " << i;
        if (made > 0) {
            ASSERT_GT(p.T, d.burns[static_cast<std::size_t>(made - 1)].T);
        }
        if (made < static_cast<int>(d.burns.size())) {
            ASSERT_LE(p.T, d.burns[static_cast<std::size_t>(made)].T);
        }
    }
}

TEST(FlightBurns, JacobiJumpsByTheChangeOfTheSpeedSquared)
{
    // C = 2Ω - v²: a burn changes v² into (v + along)² + left² at the same place.
    Flown flown{BurnRecorder(3.0), {}, 0.0};
    const EarthMoonState launch = Launch("Escape 58");
    Fly(flown, launch, {{FlightBurn::AtTime, 1.5, 0.1, -0.05}});
    const BurnRecorder& d = flown.display;
    ASSERT_EQ(d.burns.size(), 1u);
    const FlightBurnDone& burn = d.burns[0];
    EXPECT_EQ(burn.Nr, 0);
    EXPECT_NEAR(burn.T, TimeOf(1.5), 4e-16);
    const double v = std::hypot(burn.Before[2], burn.Before[4]);
    const double along = 0.1 / static_cast<double>(VelocityUnitKms);
    const double left = -0.05 / static_cast<double>(VelocityUnitKms);
    const double jump = -(2.0 * v * along + along * along + left * left);
    EXPECT_NEAR(burn.JacobiAfter - burn.JacobiBefore, jump, 1e-13);
    EXPECT_GT(std::fabs(jump), 0.1);  // far beyond the integration's drift
    // Positions unchanged; the left part turns the velocity clockwise here (left < 0).
    EXPECT_EQ(burn.After[1], burn.Before[1]);
    EXPECT_EQ(burn.After[3], burn.Before[3]);
    EXPECT_LT(burn.Before[2] * burn.After[4] - burn.Before[4] * burn.After[2], 0.0);
    // The launch's Jacobi 0 stays; the drift counts from the value after the burn.
    EXPECT_EQ(flown.jacobi0, JacobiConstant(launch));
    ASSERT_GT(d.steps.size(), d.stepsBefore[0]);
    EXPECT_LT(std::fabs(d.steps[d.stepsBefore[0]].ErrorJacobi), 1e-10);
    EXPECT_LT(std::fabs(d.steps.back().ErrorJacobi), 1e-7);
    EXPECT_LT(std::fabs(d.points.back().JacobiDrift), 1e-7);
    EXPECT_EQ(flown.result.Code, Dop853Stopped);
    EXPECT_GE(Days(d.points.back().T), 3.0);
    ExpectScheduleAndMarks(flown);
}

TEST(FlightBurns, EventBurnsLandOnTheClosestApproach)
{
    struct Case {
        const char* launch;
        FlightBurn::Moment when;
        double cx;  // the body's centre in the rotating frame
    };
    const double mu = static_cast<double>(Mu);
    for (const Case& c : {Case{"Swing by", FlightBurn::AtPerilune, 1.0 - mu},
                          Case{"Escape 58", FlightBurn::AtPerigee, -mu}}) {
        SCOPED_TRACE(c.launch);
        // Where the flight without the burn passes closest, over its output points.
        const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
        const FlightSummary coast = FlySummary(Launch(c.launch), views, {60.0, false});
        Flown flown{BurnRecorder(60.0), {}, 0.0};
        Fly(flown, Launch(c.launch), {{c.when, 0.0, -0.2, 0.0}});
        ASSERT_EQ(flown.display.burns.size(), 1u);
        const FlightBurnDone& burn = flown.display.burns[0];
        // The distance stops falling there, to the dense output's accuracy.
        EXPECT_LT(std::fabs(RadialRate(burn.Before, c.cx)), 1e-9);
        // No closest approach among the points before it, and it is closer than the
        // points on either side.
        const double r = std::hypot(burn.Before[1] - c.cx, burn.Before[3]);
        const BurnRecorder& d = flown.display;
        std::vector<double> distances;
        for (const FlightPoint& p : d.points)
            distances.push_back(std::hypot(p.State[1] - c.cx, p.State[3]));
        const std::size_t before = d.pointsBefore[0];
        ASSERT_GT(before, 2u);
        ASSERT_LT(before, distances.size());
        for (std::size_t i = 2; i < before; ++i)
            ASSERT_FALSE(distances[i - 2] > distances[i - 1] && distances[i - 1] < distances[i]) << i;
        EXPECT_LE(r, distances[before - 1]);
        EXPECT_LE(r, distances[before]);
        if (c.when == FlightBurn::AtPerilune) {
            EXPECT_NEAR(burn.T, coast.MoonMinT, FlightOutputInterval);
            const double surfaceKm = (r - static_cast<double>(MoonRadius)) *
                                     static_cast<double>(DistanceUnitKm);
            EXPECT_LE(surfaceKm, coast.MoonMinKm + 1e-6);
            EXPECT_GT(surfaceKm, coast.MoonMinKm - 20.0);
        } else {
            // The first perigee (the closest, 345 km, comes weeks later).
            EXPECT_NEAR(Days(burn.T), 9.0, 1.0);
        }
        ExpectScheduleAndMarks(flown);
    }
}

TEST(FlightBurns, BurnsAreMadeInOrderOfTime)
{
    // Listed out of order: the perilune (about 3.1 days) after the burn at 2 days.
    Flown flown{BurnRecorder(6.0), {}, 0.0};
    Fly(flown, Launch("Swing by"),
        {{FlightBurn::AtPerilune, 0.0, -0.5, 0.0}, {FlightBurn::AtTime, 2.0, 0.0, 0.001}});
    const BurnRecorder& d = flown.display;
    ASSERT_EQ(d.burns.size(), 2u);
    EXPECT_EQ(d.burns[0].Nr, 1);
    EXPECT_EQ(d.burns[1].Nr, 0);
    EXPECT_NEAR(d.burns[0].T, TimeOf(2.0), 4e-16);
    EXPECT_NEAR(Days(d.burns[1].T), 3.1, 0.1);
    EXPECT_LT(std::fabs(RadialRate(d.burns[1].Before, 1.0 - static_cast<double>(Mu))), 1e-9);
    // Between the burns the integral holds at the value after the first.
    EXPECT_NEAR(d.burns[1].JacobiBefore, d.burns[0].JacobiAfter, 1e-7);
    EXPECT_NE(d.burns[0].JacobiAfter, d.burns[0].JacobiBefore);
    // The steps go on counting through the burns.
    for (std::size_t i = 1; i < d.steps.size(); ++i)
        ASSERT_EQ(d.steps[i].Nr, d.steps[i - 1].Nr + 1);
    EXPECT_EQ(flown.result.Accepted, d.steps.back().Nr);
    ExpectScheduleAndMarks(flown);
}

}  // namespace
}  // namespace orrimar
