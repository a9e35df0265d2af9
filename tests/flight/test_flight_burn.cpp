// Burns after launch: the Jacobi integral's jump against the hand-computed change of v²,
// perilune and perigee burns on the closest approach itself, burns made in order of time,
// and the output schedule and the points' burn marks intact through them; a plan's text
// reads back as the same burns.
#include "flight/flight_summary.h"
#include "flight/launch_presets.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <random>
#include <stdexcept>
#include <vector>

namespace orrimar {
namespace {

double Days(double t) { return static_cast<double>(t * DaysPerTimeUnit); }

// Every step, point and burn of a flight of a preset, up to a day limit.
struct Flown : FlightDisplay {
    Flown(std::size_t preset, double maxDays, std::vector<FlightBurn> burns) : maxDays(maxDays)
    {
        const LaunchPreset& p = LaunchPresets[preset];
        launch = LaunchFromTexts(p.Altitude, p.Velocity, p.Angle);
        const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
        FlightRun run(launch, views.Get(), *this);
        run.SetBurns(std::move(burns));
        result = run.Fly();
        jacobi0 = run.Jacobi0();
    }
    void ShowStep(const FlightStep& step) override { steps.push_back(step); }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override { points.push_back(point); }
    bool CancelRequested() const override { return Days(points.back().T) >= maxDays; }
    void ShowBurn(const FlightBurnDone& burn) override
    {
        burns.push_back(burn);
        pointsBefore.push_back(points.size());
        stepsBefore.push_back(steps.size());
    }

    double maxDays;
    EarthMoonState launch{};
    Dop853Result result;
    double jacobi0 = 0.0;
    std::vector<FlightStep> steps;
    std::vector<FlightPoint> points;
    std::vector<FlightBurnDone> burns;
    std::vector<std::size_t> pointsBefore;  // points shown before each burn
    std::vector<std::size_t> stepsBefore;

    // The points are on the schedule k·2π/10000 whatever the burns, carry the number of
    // burns made before them, and the steps go on counting through the burns.
    void ExpectScheduleAndMarks() const
    {
        std::size_t made = 0;
        for (std::size_t i = 0; i < points.size(); ++i) {
            while (made < burns.size() && pointsBefore[made] <= i)
                ++made;
            const FlightPoint& p = points[i];
            ASSERT_EQ(p.Index, static_cast<int>(i));
            ASSERT_EQ(p.T, static_cast<double>(p.Index) * FlightOutputInterval);
            ASSERT_EQ(p.Burns, static_cast<int>(made)) << "point " << i;
            ASSERT_TRUE(made == 0 || p.T > burns[made - 1].T);
            ASSERT_TRUE(made == burns.size() || p.T <= burns[made].T);
        }
        for (std::size_t i = 1; i < steps.size(); ++i)
            ASSERT_EQ(steps[i].Nr, steps[i - 1].Nr + 1);
        EXPECT_EQ(result.Accepted, steps.back().Nr);
    }
};

constexpr std::size_t SwingBy = 2;
constexpr std::size_t Escape58 = 4;
const double MoonX = static_cast<double>(OneMinusMu);
const double EarthX = -static_cast<double>(Mu);

// Half the rate of change of the squared distance from (cx, 0), over distance × speed.
double RadialRate(const EarthMoonState& y, double cx)
{
    return ((y[1] - cx) * y[2] + y[3] * y[4]) /
           (std::hypot(y[1] - cx, y[3]) * std::hypot(y[2], y[4]));
}

TEST(FlightBurns, TwoBurnsInOrderOfTimeWithTheJacobiJumpOfEach)
{
    // Listed out of order: the perilune (about 3.1 days) after the burn at 1.5 days.
    const Flown f(SwingBy, 6.0,
                  {{FlightBurn::AtPerilune, 0.0, -0.5, 0.0}, {FlightBurn::AtTime, 1.5, 0.01, -0.005}});
    ASSERT_EQ(f.burns.size(), 2u);
    EXPECT_EQ(f.burns[0].Nr, 1);
    EXPECT_EQ(f.burns[1].Nr, 0);
    EXPECT_NEAR(f.burns[0].T, static_cast<double>(1.5 / DaysPerTimeUnit), 4e-16);
    EXPECT_NEAR(Days(f.burns[1].T), 3.1, 0.1);
    EXPECT_LT(std::fabs(RadialRate(f.burns[1].Before, MoonX)), 1e-9);
    // C = 2Ω - v²: in place, v² becomes (v + along)² + left².
    for (const FlightBurnDone& burn : f.burns) {
        const double v = std::hypot(burn.Before[2], burn.Before[4]);
        const double along = (burn.Nr == 1 ? 0.01 : -0.5) / static_cast<double>(VelocityUnitKms);
        const double left = (burn.Nr == 1 ? -0.005 : 0.0) / static_cast<double>(VelocityUnitKms);
        EXPECT_NEAR(burn.JacobiAfter - burn.JacobiBefore,
                    -(2.0 * v * along + along * along + left * left), 1e-13);
        EXPECT_EQ(burn.After[1], burn.Before[1]);
        EXPECT_EQ(burn.After[3], burn.Before[3]);
    }
    // A negative left turns the velocity clockwise; the jumps dwarf the drift.
    const FlightBurnDone& first = f.burns[0];
    EXPECT_LT(first.Before[2] * first.After[4] - first.Before[4] * first.After[2], 0.0);
    EXPECT_GT(std::fabs(first.JacobiAfter - first.JacobiBefore), 1e-3);
    EXPECT_NEAR(f.burns[1].JacobiBefore, first.JacobiAfter, 1e-7);
    // Jacobi 0 stays the launch's; "Error Jacobi" counts from the value after a burn.
    EXPECT_EQ(f.jacobi0, JacobiConstant(f.launch));
    EXPECT_LT(std::fabs(f.steps[f.stepsBefore[0]].ErrorJacobi), 1e-10);
    EXPECT_LT(std::fabs(f.steps.back().ErrorJacobi), 1e-6);
    EXPECT_LT(std::fabs(f.points.back().JacobiDrift), 1e-6);
    EXPECT_EQ(f.result.Code, Dop853Stopped);
    f.ExpectScheduleAndMarks();
}

TEST(FlightBurns, EventBurnsLandOnTheFirstClosestApproach)
{
    struct Case {
        std::size_t preset;
        FlightBurn::Moment when;
        double cx;  // the body's centre in the rotating frame
        double days;
    };
    // Escape 58's first perigee, 8,300 km up, comes weeks before its closest (345 km).
    for (const Case& c : {Case{SwingBy, FlightBurn::AtPerilune, MoonX, 3.1},
                          Case{Escape58, FlightBurn::AtPerigee, EarthX, 9.0}}) {
        SCOPED_TRACE(static_cast<int>(c.when));
        const Flown f(c.preset, 60.0, {{c.when, 0.0, -0.2, 0.0}});
        ASSERT_EQ(f.burns.size(), 1u);
        const FlightBurnDone& burn = f.burns[0];
        EXPECT_NEAR(Days(burn.T), c.days, 1.0);
        // The distance stops falling there, to the dense output's accuracy; it is closer
        // than the points on either side, and no point before it was a closest approach.
        EXPECT_LT(std::fabs(RadialRate(burn.Before, c.cx)), 1e-9);
        const auto distance = [&](std::size_t i) {
            return std::hypot(f.points[i].State[1] - c.cx, f.points[i].State[3]);
        };
        const std::size_t before = f.pointsBefore[0];
        ASSERT_LT(before, f.points.size());
        EXPECT_LE(std::hypot(burn.Before[1] - c.cx, burn.Before[3]),
                  std::min(distance(before - 1), distance(before)));
        for (std::size_t i = 2; i < before; ++i)
            ASSERT_FALSE(distance(i - 2) > distance(i - 1) && distance(i - 1) < distance(i)) << i;
        f.ExpectScheduleAndMarks();
    }
}

// Kept as text between runs: every double comes back bit for bit, in order.
TEST(FlightBurns, PlanTextReadsBackAsTheSameBurns)
{
    std::mt19937_64 random(21);
    const auto finite = [&] {
        double value = 0.0;
        do
            value = std::bit_cast<double>(random());
        while (!std::isfinite(value));
        return value;
    };
    const auto bits = [](double value) { return std::bit_cast<std::uint64_t>(value); };
    for (int round = 0; round < 200; ++round) {
        std::vector<FlightBurn> plan;
        for (int i = 0; i < round % (MaxFlightBurns + 1); ++i)
            plan.push_back({static_cast<FlightBurn::Moment>(i % 3), i % 3 ? 0.0 : std::fabs(finite()),
                            finite(), finite()});
        const std::vector<FlightBurn> back = ParseBurnPlan(BurnPlanText(plan));
        ASSERT_EQ(back.size(), plan.size());
        for (std::size_t i = 0; i < plan.size(); ++i) {
            EXPECT_EQ(back[i].When, plan[i].When);
            EXPECT_EQ(bits(back[i].Days), bits(plan[i].Days));
            EXPECT_EQ(bits(back[i].AlongKms), bits(plan[i].AlongKms));
            EXPECT_EQ(bits(back[i].LeftKms), bits(plan[i].LeftKms));
        }
    }
    EXPECT_THROW(ParseBurnPlan(BurnPlanText(std::vector<FlightBurn>(MaxFlightBurns + 1))),
                 std::invalid_argument);
}

}  // namespace
}  // namespace orrimar
