// Whole flights computed without a window: the status texts, the output schedule,
// the verdicts of the presets, cancelling, and the views' geometry.
#include "flight/flight_run.h"

#include "flight/flight_summary.h"

#include "flight/launch_presets.h"
#include "flight/view_frames.h"
#include "formats/number_format.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <string>
#include <vector>

namespace orrimar {
namespace {

// Three views of the window's design size, with their frames set up as at Start.
struct Views : HeadlessViews {
    explicit Views(bool fullViewChecked) : HeadlessViews(528, 628, fullViewChecked) {}
};

// Records what a window would show, in order.
struct Recorder : FlightDisplay {
    struct Event {
        bool isStep;
        FlightStep step;
        FlightPoint point;
    };
    void ShowStep(const FlightStep& step) override { events.push_back({true, step, {}}); }
    void Pace() override { ++paces; }
    void ShowPoint(const FlightPoint& point) override
    {
        events.push_back({false, {}, point});
        ++points;
        if (cancelAtPoint >= 0 && point.Index == cancelAtPoint)
            cancel = true;
    }
    bool CancelRequested() const override { return cancel; }

    std::vector<Event> events;
    int paces = 0;
    int points = 0;
    int cancelAtPoint = -1;
    bool cancel = false;
};

struct Flown {
    int code;
    Recorder recorder;
    FlightPoint last;
    bool endedByPoint;
};

Flown Fly(const LaunchPreset& preset, bool fullViewChecked, int cancelAtPoint = -1)
{
    Views views(fullViewChecked);
    Flown flown{};
    flown.recorder.cancelAtPoint = cancelAtPoint;
    FlightRun run(LaunchFromTexts(preset.Altitude, preset.Velocity, preset.Angle), views.Get(),
                  flown.recorder);
    flown.code = run.Fly().Code;
    flown.last = run.LastPoint();
    flown.endedByPoint = run.EndedByPoint();
    return flown;
}

const LaunchPreset& Preset(std::string_view label)
{
    for (const LaunchPreset& p : LaunchPresets)
        if (p.Label == label)
            return p;
    throw std::invalid_argument("no preset");
}

TEST(FlightStatus, DefaultFlightLaunchPoint)
{
    Views views(true);
    Recorder recorder;
    recorder.cancel = true;  // stop after the first step
    FlightRun run(LaunchFromTexts("00100.17", "+10.9800", "+226.500"), views.Get(), recorder);
    EXPECT_EQ(run.Jacobi0Text(), "2.64671");
    EXPECT_EQ(run.Fly().Code, Dop853Stopped);
    ASSERT_GE(recorder.events.size(), 2u);
    const FlightStep& first = recorder.events[0].step;
    EXPECT_TRUE(recorder.events[0].isStep);
    EXPECT_EQ(first.StepText, "0");
    EXPECT_EQ(first.ErrorJacobiText, "   0.000E+000");
    const FlightPoint& launch = recorder.events[1].point;
    EXPECT_FALSE(recorder.events[1].isStep);
    EXPECT_EQ(launch.Index, 0);
    EXPECT_EQ(launch.T, 0.0);
    EXPECT_EQ(launch.VelocityText, " 10.9540");
    EXPECT_EQ(launch.Bar, 110);
    EXPECT_EQ(launch.TimeText, "0 - 00");
    EXPECT_FALSE(launch.Ends());
    EXPECT_EQ(launch.State, LaunchState(100.17, 10.98, 226.5));
    EXPECT_EQ(launch.JacobiDrift, 0.0);
}

// Output points fall on whole multiples of the interval, each step draws every
// multiple it passed, in order, and the indices run without gaps.
TEST(FlightSchedule, PointsOnWholeMultiplesInOrder)
{
    Views views(true);
    Recorder recorder;
    recorder.cancelAtPoint = 3000;
    FlightRun run(LaunchFromTexts("00100.17", "+10.9800", "+226.500"), views.Get(), recorder);
    run.Fly();
    int expectedIndex = 0;
    int stepsWithSeveralPoints = 0;
    int stepsWithoutPoints = 0;
    int pointsThisStep = 0;
    int lastNr = -1;
    for (const auto& e : recorder.events) {
        if (e.isStep) {
            if (lastNr >= 1) {
                stepsWithSeveralPoints += pointsThisStep > 1;
                stepsWithoutPoints += pointsThisStep == 0;
            }
            EXPECT_EQ(e.step.Nr, lastNr + 1);
            lastNr = e.step.Nr;
            pointsThisStep = 0;
            continue;
        }
        ++pointsThisStep;
        EXPECT_EQ(e.point.Index, expectedIndex);
        EXPECT_EQ(e.point.T, std::round(e.point.T / FlightOutputInterval) * FlightOutputInterval);
        EXPECT_NEAR(e.point.T, expectedIndex * FlightOutputInterval, 1e-12);
        ++expectedIndex;
    }
    EXPECT_EQ(recorder.paces, recorder.points);
    EXPECT_GT(stepsWithSeveralPoints, 10);
    EXPECT_GT(stepsWithoutPoints, 0);  // short steps near the Earth draw nothing
}

TEST(FlightSchedule, CancelEndsAfterTheCurrentStepsPoints)
{
    const Flown flown = Fly(Preset("Escape 58"), true, 100);
    EXPECT_EQ(flown.code, 2);
    EXPECT_FALSE(flown.endedByPoint);
    EXPECT_GE(flown.last.Index, 100);
    // No step follows the one during whose points Cancel was pressed; that step
    // drew all of its points.
    const auto& events = flown.recorder.events;
    std::size_t cancelledAt = 0;
    while (cancelledAt < events.size() &&
           (events[cancelledAt].isStep || events[cancelledAt].point.Index != 100))
        ++cancelledAt;
    ASSERT_LT(cancelledAt, events.size());
    for (std::size_t i = cancelledAt; i < events.size(); ++i)
        EXPECT_FALSE(events[i].isStep) << "event " << i;
    EXPECT_EQ(flown.last.Index, events.back().point.Index);
}

TEST(FlightPresets, CollisionHitsTheMoon)
{
    const Flown flown = Fly(Preset("Collision"), true);
    EXPECT_EQ(flown.code, 2);
    EXPECT_TRUE(flown.endedByPoint);
    EXPECT_TRUE(flown.last.CollidesMoon);
    EXPECT_LE(flown.last.MoonDistance, static_cast<double>(MoonRadius));
    EXPECT_GT(flown.last.Index, 100);
}

TEST(FlightPresets, Escape58LeavesTheFullView)
{
    const Flown flown = Fly(Preset("Escape 58"), true);
    EXPECT_EQ(flown.code, 2);
    ASSERT_TRUE(flown.endedByPoint);
    EXPECT_TRUE(flown.last.Escaping);
    EXPECT_FALSE(flown.last.Colliding());
    const bool inside = flown.last.Full.X >= 0 && flown.last.Full.X < 528 &&
                        flown.last.Full.Y >= 0 && flown.last.Full.Y < 628;
    EXPECT_FALSE(inside);
}

TEST(FlightPresets, EveryPresetEndsByItself)
{
    for (const LaunchPreset& preset : LaunchPresets) {
        const Flown flown = Fly(preset, true);
        EXPECT_TRUE(flown.endedByPoint) << preset.Label;
        EXPECT_TRUE(flown.last.Ends()) << preset.Label;
    }
}

// A narrower visible region declares the escape earlier.
TEST(FlightPresets, EscapeComesEarlierWithoutFullView)
{
    const Flown full = Fly(Preset("Escape 58"), true);
    const Flown partial = Fly(Preset("Escape 58"), false);
    ASSERT_TRUE(partial.last.Escaping);
    EXPECT_LE(partial.last.Index, full.last.Index);
}

TEST(FlightVerdicts, LowAltitudeCollidesAtLaunchWithoutEnding)
{
    Views views(true);
    Recorder recorder;
    recorder.cancelAtPoint = 5;
    FlightRun run(LaunchFromTexts("00098.00", "+10.9800", "+226.500"), views.Get(), recorder);
    run.Fly();
    ASSERT_GE(recorder.points, 5);
    const FlightPoint& launch = recorder.events[1].point;
    EXPECT_EQ(launch.Index, 0);
    EXPECT_TRUE(launch.CollidesEarth);
    EXPECT_TRUE(launch.Ends());  // the verdict is there; the flight ignores it
    EXPECT_GT(recorder.points, 1);
}

// A display that asks for nothing sees the same times, distances and verdicts at every
// point as the window does, and the texts made afterwards are the window's; every preset,
// both full-view settings (escapes decided by the full view's pixel included).
TEST(FlightNeeds, LeanPointsAgreeWithFullPoints)
{
    struct Lean : Recorder {
        FlightNeeds Needs() const override { return {false, false, false}; }
    };
    for (const LaunchPreset& preset : LaunchPresets) {
        for (const bool fullView : {true, false}) {
            const Flown full = Fly(preset, fullView);
            Views views(fullView);
            Lean lean;
            FlightRun run(LaunchFromTexts(preset.Altitude, preset.Velocity, preset.Angle),
                          views.Get(), lean);
            EXPECT_EQ(run.Fly().Code, full.code) << preset.Label;
            ASSERT_EQ(lean.events.size(), full.recorder.events.size()) << preset.Label;
            for (std::size_t i = 0; i < lean.events.size(); ++i) {
                const Recorder::Event& a = lean.events[i];
                const Recorder::Event& b = full.recorder.events[i];
                ASSERT_EQ(a.isStep, b.isStep);
                if (a.isStep) {
                    ASSERT_EQ(FormatExp13_4(a.step.ErrorJacobi), b.step.ErrorJacobiText);
                    continue;
                }
                FlightPoint p = a.point;
                ASSERT_EQ(p.T, b.point.T);
                ASSERT_EQ(p.MoonDistance, b.point.MoonDistance);
                ASSERT_EQ(p.EarthDistance, b.point.EarthDistance);
                ASSERT_EQ(p.Picture.Craft, b.point.Picture.Craft);
                ASSERT_EQ(p.Picture.Moon, b.point.Picture.Moon);
                ASSERT_EQ(p.Escaping, b.point.Escaping) << preset.Label << " point " << p.Index;
                ASSERT_EQ(p.CollidesMoon, b.point.CollidesMoon);
                ASSERT_EQ(p.CollidesEarth, b.point.CollidesEarth);
                FillPointTexts(p);
                ASSERT_EQ(p.SpeedKms, b.point.SpeedKms);
                ASSERT_EQ(p.TimeText, b.point.TimeText);
                ASSERT_EQ(p.VelocityText, b.point.VelocityText);
                ASSERT_EQ(p.Bar, b.point.Bar);
            }
        }
    }
}

// A headless summary looks at whole steps and shows only the points that may end the
// flight or set a closest approach; on launches of every outcome, in both full views, it
// must come to what the point-by-point loop comes to (an observer makes the summary take
// every point): the same verdict, last point, minima and counts, bit for bit.
TEST(FlightNeeds, SteppedOverPointsChangeNoSummary)
{
    struct Launch {
        double altitude, velocity, angle;
    };
    std::vector<Launch> launches;
    for (double angle = 200.0; angle <= 260.0; angle += 2.5)
        launches.push_back({100.0, 11.0085, angle});
    for (const double velocity : {10.9602, 10.9658, 10.9662, 10.97, 10.98, 10.99})
        for (const double angle : {224.6625, 225.0125, 226.5, 228.0})
            launches.push_back({100.17, velocity, angle});
    std::map<std::string, int> outcomes;
    int shownFewer = 0;
    for (const bool fullView : {true, false}) {
        const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, fullView);
        for (const Launch& l : launches) {
            SCOPED_TRACE(testing::Message() << l.altitude << " " << l.velocity << " " << l.angle
                                            << (fullView ? " full" : " partial"));
            const EarthMoonState launch = LaunchState(l.altitude, l.velocity, l.angle);
            const FlightSummary stepped = FlySummary(launch, views, FlightLimit{30.0});
            int everyPoint = 0;
            const FlightSummary pointwise = FlySummary(
                launch, views, FlightLimit{30.0},
                [&everyPoint](const FlightPoint&, double) { ++everyPoint; });
            EXPECT_EQ(SummaryLine(stepped), SummaryLine(pointwise));
            EXPECT_EQ(stepped.Outcome, pointwise.Outcome);
            EXPECT_EQ(stepped.Index, pointwise.Index);
            EXPECT_EQ(stepped.T, pointwise.T);
            EXPECT_EQ(stepped.MoonMinKm, pointwise.MoonMinKm);
            EXPECT_EQ(stepped.MoonMinT, pointwise.MoonMinT);
            EXPECT_EQ(stepped.EarthMinKm, pointwise.EarthMinKm);
            EXPECT_EQ(stepped.Points, everyPoint);
            ++outcomes[OutcomeText(stepped)];

            // It does look at fewer points (counted through a display of its own).
            struct Counting : FlightDisplay {
                int shown = 0;
                int skipped = 0;
                void ShowStep(const FlightStep&) override {}
                void Pace() override {}
                void ShowPoint(const FlightPoint&) override { ++shown; }
                void SkipPoints(int count, double) override { skipped += count; }
                bool CancelRequested() const override { return shown + skipped >= 3000; }
                FlightNeeds Needs() const override { return {false, false, false, false}; }
            } counting;
            FlightRun(launch, views.Get(), counting).Fly();
            if (counting.shown * 10 < counting.shown + counting.skipped)
                ++shownFewer;
        }
    }
    for (const char* outcome : {"collision-earth", "collision-moon", "escape", "time-limit"})
        EXPECT_GT(outcomes[outcome], 0) << outcome;
    EXPECT_GT(shownFewer, static_cast<int>(launches.size()));
}

// Exact events: perigees that dip below the Earth limit between two output points end
// the flight at the crossing (times from an independent high-accuracy integration, which
// our 1e-8 trajectory follows to a few 1e-6); flights that end at an output point end
// with the same verdict at most one output interval earlier, or at an earlier dip the
// samples stepped over; without the option the sampled verdicts stand.
TEST(ExactEvents, LocatedBetweenOutputPoints)
{
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    struct Dip {
        double velocity, angle, t, tolerance;
    };
    for (const Dip& dip : {Dip{10.9658, 224.6625, 4.652485, 5e-6},
                           Dip{10.9662, 225.0125, 3.139990, 2e-6}}) {
        const EarthMoonState launch = LaunchState(100.17, dip.velocity, dip.angle);
        const FlightSummary sampled = FlySummary(launch, views, FlightLimit{30.0});
        const FlightSummary exact = FlySummary(launch, views, FlightLimit{30.0, true});
        EXPECT_EQ(OutcomeText(sampled), "time-limit");
        EXPECT_GT(sampled.EarthMinKm, 99.0);
        EXPECT_EQ(OutcomeText(exact), "collision-earth");
        EXPECT_NEAR(exact.T, dip.t, dip.tolerance);
        EXPECT_EQ(FixedText(exact.EarthMinKm, 3), "99.000");
        EXPECT_EQ(exact.Points, exact.Index + 1);
        EXPECT_EQ(exact.Index, static_cast<int>(std::ceil(exact.T / FlightOutputInterval)));
    }
    for (const LaunchPreset& preset : LaunchPresets) {
        SCOPED_TRACE(preset.Label);
        const EarthMoonState launch = LaunchFromTexts(preset.Altitude, preset.Velocity, preset.Angle);
        const FlightSummary sampled = FlySummary(launch, views, FlightLimit{100.0});
        const FlightSummary exact = FlySummary(launch, views, FlightLimit{100.0, true});
        EXPECT_LE(exact.T, sampled.T);
        if (exact.T > sampled.T - FlightOutputInterval) {
            EXPECT_EQ(exact.Outcome, sampled.Outcome);
            EXPECT_EQ(exact.Index, sampled.Index);
        } else {
            // Vantor xx: a perigee at 1.5049 passes between samples 116.5 and 186.2 km up.
            EXPECT_EQ(preset.Label, "Vantor xx");
            EXPECT_EQ(OutcomeText(exact), "collision-earth");
            EXPECT_EQ(exact.Index, 2396);
            EXPECT_NEAR(exact.T, 1.50489, 1e-5);
        }
    }
}

// The crossing search: two crossings inside one step, as a dip narrower than the
// samples or spread over them, give the first; starting inside, the next entry; a
// function that stays positive none. The crossing is bisected to adjacent doubles.
TEST(ExactEvents, FirstCrossingOfTwo)
{
    struct Case {
        const char* name;
        double enter, leave;  // g(t) = (t - enter)(t - leave) on [0, 1]
        double expected;
    };
    const double none = std::numeric_limits<double>::infinity();
    for (const Case& c : {Case{"dip between samples", 0.3001, 0.3009, 0.3001},
                          Case{"spread over samples", 0.25, 0.75, 0.25},
                          Case{"starting inside", -0.5, 0.4, none},
                          Case{"inside at the end", 0.9, 1.5, 0.9},
                          Case{"touching from above", 0.6, 0.6, 0.6},
                          Case{"no crossing", 1.2, 1.3, none}}) {
        SCOPED_TRACE(c.name);
        const auto g = [&c](double t) { return (t - c.enter) * (t - c.leave); };
        const double t = FirstCrossing(g, 0.0, 1.0, true);
        if (c.expected == none) {
            EXPECT_EQ(t, none);
            continue;
        }
        EXPECT_NEAR(t, c.expected, 1e-12);
        EXPECT_LE(g(t), 0.0);
        EXPECT_GT(g(std::nextafter(t, 0.0)), 0.0);
    }
    // A boolean rule (not smooth): the first sample where it holds, bisected back.
    const double t = FirstCrossing([](double x) { return x >= 0.5 ? -1.0 : 1.0; }, 0.0, 1.0, false);
    EXPECT_EQ(t, 0.5);
}

TEST(FlightVerdicts, EscapeNeedsEnergyAndLeavingTheView)
{
    Views views(true);
    // Far outside the view but nearly at rest: no escape energy.
    const EarthMoonState slow{0.0, 3.0, 0.0, 0.0, 3.0 * 0.0};
    FlightPoint p = EvaluateFlightPoint(1, 0.0, slow, views.Get());
    EXPECT_FALSE(p.Escaping);
    // Fast enough in the middle of the view: still not escaped.
    const EarthMoonState inside{0.0, 0.3, 5.0, 0.0, 0.0};
    p = EvaluateFlightPoint(1, 0.0, inside, views.Get());
    EXPECT_FALSE(p.Escaping);
    // Fast and outside the view.
    const EarthMoonState away{0.0, 3.0, 5.0, 0.0, 0.0};
    p = EvaluateFlightPoint(1, 0.0, away, views.Get());
    EXPECT_TRUE(p.Escaping);
    EXPECT_EQ(p.Bar, 51);  // 5 units = 5.12 km/s
    const EarthMoonState faster{0.0, 3.0, 16.0, 0.0, 0.0};
    EXPECT_EQ(EvaluateFlightPoint(1, 0.0, faster, views.Get()).Bar, SpeedBarMax);
}

TEST(FlightVerdicts, MoonSurfaceCountsAsCollision)
{
    Views views(true);
    const double mu = static_cast<double>(Mu);
    const double onSurface = 1.0 - mu + static_cast<double>(MoonRadius) * 0.999;
    const FlightPoint p =
        EvaluateFlightPoint(1, 0.0, EarthMoonState{0.0, onSurface, 0.0, 0.0, 0.0}, views.Get());
    EXPECT_TRUE(p.CollidesMoon);
    EXPECT_FALSE(p.CollidesEarth);
}

TEST(Views, FullViewGeometryAtDesignSize)
{
    const Views full(true);
    SelectFrame(full.Get().Full);
    EXPECT_NEAR(PixelsPerUnit(), 528 / 2.1, 1e-12);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{264, 314}));
    EXPECT_EQ(EarthDiscRadius(PixelsPerUnit()), 4);
    EXPECT_EQ(MoonDiscRadius(PixelsPerUnit()), 4);

    const Views partial(false);
    SelectFrame(partial.Get().Full);
    EXPECT_NEAR(PixelsPerUnit(), 528 / 1.15, 1e-12);
    EXPECT_EQ(XYToPixel(0, 0), (PixelPoint{46, 521}));
    EXPECT_EQ(EarthDiscRadius(PixelsPerUnit()), 8);
    EXPECT_EQ(MoonDiscRadius(PixelsPerUnit()), 4);  // 2 raised to the minimum
}

TEST(Views, InsetDiscCorners)
{
    const Views views(true);
    SelectFrame(views.Get().Luno);
    EXPECT_EQ(XYToPixel(-ViewMoonRadius, ViewMoonRadius), (PixelPoint{72, 72}));
    EXPECT_EQ(XYToPixel(ViewMoonRadius, -ViewMoonRadius), (PixelPoint{108, 108}));
    SelectFrame(views.Get().Geo);
    EXPECT_EQ(XYToPixel(-ViewEarthRadius, ViewEarthRadius), (PixelPoint{68, 68}));
    EXPECT_EQ(XYToPixel(ViewEarthRadius, -ViewEarthRadius), (PixelPoint{112, 112}));
}

TEST(Views, TinyFullViewKeepsAVisibleMoon)
{
    const HeadlessViews tiny(20, 20, true);
    SelectFrame(tiny.Get().Full);
    EXPECT_EQ(MoonDiscRadius(PixelsPerUnit()), 4);
    EXPECT_EQ(EarthDiscRadius(PixelsPerUnit()), 0);
}

}  // namespace
}  // namespace orrimar
