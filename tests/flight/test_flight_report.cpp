// The flight report against the headless summary of the same launches, its endings in
// words, and the two plot reductions' bounds and contents.
#include "flight/flight_csv.h"
#include "flight/flight_report.h"
#include "flight/integrator_message.h"
#include "flight/launch_presets.h"
#include "flight/plot_reduction.h"
#include "support/report_line.h"

#include <gtest/gtest.h>

#include <cctype>

#include <algorithm>
#include <cmath>
#include <random>
#include <sstream>
#include <vector>

namespace orrimar {
namespace {

// Feeds a report as a window's display would, never cancelling.
class ReportDisplay : public FlightDisplay {
public:
    explicit ReportDisplay(FlightReport& report) : report_(report) {}
    void ShowStep(const FlightStep& step) override { report_.AddStep(step); }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override
    {
        report_.AddPoint(point);
        farthest = std::max(farthest, point.EarthDistance);
    }
    bool CancelRequested() const override { return false; }
    double farthest = 0.0;

private:
    FlightReport& report_;
};

struct Launch {
    std::string_view Altitude, Velocity, Angle;
    int Width, Height;
    bool FullView;
};

class ReportMatchesSummary : public testing::TestWithParam<Launch> {};

TEST_P(ReportMatchesSummary, FieldByField)
{
    const Launch& l = GetParam();
    const EarthMoonState launch = LaunchFromTexts(l.Altitude, l.Velocity, l.Angle);
    const HeadlessViews views(l.Width, l.Height, l.FullView);
    FlightReport report;
    report.AddStep({});  // leftovers of an earlier flight are forgotten by Reset
    report.Reset();
    ReportDisplay display(report);
    FlightRun run(launch, views.Get(), display);
    report.Finish(run.Fly(), false);
    const FlightSummary summary = FlySummary(launch, views);
    EXPECT_EQ(test::ReportLine(report), SummaryLine(summary));
    EXPECT_EQ(report.EndedByPoint(), run.EndedByPoint());
    EXPECT_EQ(report.Jacobi0(), run.Jacobi0());
    EXPECT_DOUBLE_EQ(report.EarthMaxKm(), display.farthest * 384400.0);
    EXPECT_EQ(report.Days(), static_cast<double>(report.LastT() * 4.34837756078599930L));
}

std::vector<Launch> Launches()
{
    std::vector<Launch> launches;
    for (const LaunchPreset& p : LaunchPresets)
        launches.push_back({p.Altitude, p.Velocity, p.Angle, 528, 628, true});
    // Another view size and the lunocentric inset shown change where escapes count.
    launches.push_back({"00100.17", "+10.9800", "+226.500", 700, 500, false});
    launches.push_back({"00100.00", "+11.0085", "+227.800", 300, 300, true});
    return launches;
}

// Rows named by launch and view, e.g. "a_230_905_v_11_0088_528x628_full".
std::string LaunchName(const testing::TestParamInfo<Launch>& info)
{
    std::string name = "a";
    name.append(info.param.Angle).append("_v").append(info.param.Velocity);
    name.append("_").append(std::to_string(info.param.Width)).append("x");
    name.append(std::to_string(info.param.Height)).append(info.param.FullView ? "_full" : "_region");
    for (char& c : name)
        if (!std::isalnum(static_cast<unsigned char>(c)))
            c = '_';
    return name;
}

INSTANTIATE_TEST_SUITE_P(Presets, ReportMatchesSummary, testing::ValuesIn(Launches()), LaunchName);

TEST(FlightReport, EndingsInWords)
{
    FlightReport report;
    EXPECT_EQ(report.EndingText(), "flying");
    EXPECT_FALSE(report.Finished());
    FlightPoint launch;
    launch.State = LaunchFromTexts("00100.17", "+10.9800", "+226.500");
    launch.EarthDistance = 0.02;
    launch.MoonDistance = 1.0;
    launch.CollidesEarth = true;  // at the launch point: does not end the flight
    report.AddPoint(launch);

    struct Case {
        int Code;
        bool Cancelled;
        std::string Text;
    };
    Dop853Result tooMany;
    tooMany.Code = -2;
    tooMany.StepLimit = 200000;
    const Case cases[] = {
        {2, true, "cancelled"},
        {2, false, "integrator stopped: stopped (code 2)"},
        {1, false, "integrator stopped: end time reached (code 1)"},
        {-2, true, "integrator stopped: " + Dop853FailureText(tooMany) + " (code -2)"},
    };
    for (const Case& c : cases) {
        Dop853Result result = tooMany;
        result.Code = c.Code;
        report.Finish(result, c.Cancelled);
        EXPECT_EQ(report.EndingText(), c.Text);
        EXPECT_FALSE(report.EndedByPoint());
    }
    // Only the launch point: the Earth's closest approach is the launch altitude.
    EXPECT_NEAR(report.EarthMinKm(), 0.02 * 384400.0 - 6378.14, 1e-6);

    FlightPoint moon = launch;
    moon.Index = 1;
    moon.CollidesEarth = false;
    moon.CollidesMoon = true;
    moon.MoonDistance = 0.001;  // inside the Moon: 0 km, never negative
    report.AddPoint(moon);
    report.Finish({}, true);  // a collision counts even when Cancel was pressed
    EXPECT_EQ(report.EndingText(), "Moon collision");
    EXPECT_EQ(report.MoonMinKm(), 0.0);
}

TEST(TrajectoryThinner, BoundedUniformSubsequence)
{
    for (const std::size_t capacity : {2u, 7u, 64u}) {
        TrajectoryThinner thinner(capacity);
        for (int i = 0; i < 1000; ++i) {
            thinner.Add(i, -i);
            const auto& kept = thinner.Kept();
            ASSERT_LT(kept.size(), capacity);
            ASSERT_EQ(thinner.Last().X, i);
            // Exactly the multiples of the stride among 0 … i.
            ASSERT_EQ(kept.size(), static_cast<std::size_t>(i) / thinner.Stride() + 1);
            for (std::size_t k = 0; k < kept.size(); ++k)
                ASSERT_EQ(kept[k].X, static_cast<double>(k * thinner.Stride()));
        }
        thinner.Clear();
        EXPECT_TRUE(thinner.Kept().empty());
        EXPECT_FALSE(thinner.HasLast());
    }
}

TEST(ColumnRange, EachColumnHoldsTheRangeOfItsValues)
{
    std::mt19937 random(58);
    std::uniform_real_distribution<double> value(-5.0, 5.0);
    for (const std::size_t maxColumns : {2u, 10u, 600u}) {
        ColumnRange range(0.01, maxColumns);
        std::vector<std::pair<double, double>> added;
        double x = 0.0;
        for (int i = 0; i < 5000; ++i) {
            x += 0.00273 * (i % 7);  // uneven steps, some repeated x
            const double y = value(random);
            range.Add(x, y);
            added.emplace_back(x, y);
        }
        ASSERT_LE(range.Columns().size(), maxColumns);
        const double w = range.Width();
        EXPECT_LT(x / w, static_cast<double>(maxColumns));
        EXPECT_GE(x / w, static_cast<double>(maxColumns) / 2 - 1);  // never wider than needed
        for (std::size_t k = 0; k < range.Columns().size(); ++k) {
            ColumnRange::Column expected;
            for (const auto& [ax, ay] : added)
                if (static_cast<std::size_t>(ax / w) == k) {
                    expected.Min = expected.Empty ? ay : std::min(expected.Min, ay);
                    expected.Max = expected.Empty ? ay : std::max(expected.Max, ay);
                    expected.Empty = false;
                }
            const ColumnRange::Column& got = range.Columns()[k];
            ASSERT_EQ(got.Empty, expected.Empty) << k;
            ASSERT_EQ(got.Min, expected.Min) << k;
            ASSERT_EQ(got.Max, expected.Max) << k;
        }
        const auto outline = range.Outline();
        EXPECT_LE(outline.size(), 2 * maxColumns);
        EXPECT_TRUE(std::is_sorted(outline.begin(), outline.end(),
                                   [](PlanePoint a, PlanePoint b) { return a.X < b.X; }));
    }
    ColumnRange odd(0.5, 4);
    odd.Add(-1.0, 1.0);
    odd.Add(NAN, 2.0);
    odd.Add(1.0, NAN);  // skipped
    odd.Add(INFINITY, 3.0);
    ASSERT_EQ(odd.Columns().size(), 1u);
    EXPECT_EQ(odd.Columns()[0].Min, 1.0);
    EXPECT_EQ(odd.Columns()[0].Max, 3.0);
    EXPECT_EQ(odd.Width(), 0.5);
}

// The CSV the tool writes, from the library: a header, then one row per point.
TEST(FlightCsv, HeaderThenOneRowPerPoint)
{
    const LaunchPreset& p = LaunchPresets[1];
    std::ostringstream csv;
    const FlightSummary summary = WriteFlightCsv({std::string(p.Altitude), std::string(p.Velocity),
                                                  std::string(p.Angle), 528, 628, true, {}, {}},
                                                 csv);
    const std::string text = csv.str();
    EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), summary.Points + 1);
    EXPECT_EQ(text.substr(0, text.find('\n')), CsvHeader());
}

}  // namespace
}  // namespace orrimar
