// The command-line flight tool: summaries against the flight code itself, the day
// limit, CSV rows, scans on one and on two threads, targeting, bad arguments, and the
// program end to end.
#include "cli/flight_tool.h"

#include "model/earth_moon.h"
#include "flight/launch_presets.h"

#include <gtest/gtest.h>

#include <sys/wait.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <locale>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

namespace orrimar {
namespace {

// What a window would have shown, recorded independently of the summary.
struct Recorder : FlightDisplay {
    void ShowStep(const FlightStep& step) override { lastStep = step; }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override { points.push_back(point); }
    bool CancelRequested() const override { return false; }
    FlightStep lastStep;
    std::vector<FlightPoint> points;
};

std::string ExpectedOutcome(const FlightPoint& last, bool endedByPoint, int code)
{
    if (!endedByPoint)
        return "integrator-" + std::to_string(code);
    return last.CollidesMoon ? "collision-moon" : last.CollidesEarth ? "collision-earth" : "escape";
}

std::vector<std::string> SplitLines(const std::string& text)
{
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

std::vector<std::string> SplitFields(const std::string& row)
{
    std::vector<std::string> fields;
    std::istringstream in(row);
    for (std::string field; std::getline(in, field, ',');)
        fields.push_back(field);
    return fields;
}

// The value of " key=VALUE" in a summary line (unquoted, up to the next blank).
std::string Field(const std::string& line, const std::string& key)
{
    const std::size_t at = line.find(" " + key + "=");
    if (at == std::string::npos)
        return {};
    const std::size_t start = at + key.size() + 2;
    return line.substr(start, line.find_first_of(" \n", start) - start);
}

const LaunchPreset& Preset(std::string_view label)
{
    for (const LaunchPreset& p : LaunchPresets)
        if (p.Label == label)
            return p;
    throw std::invalid_argument("no preset");
}

EarthMoonState PresetLaunch(std::string_view label)
{
    const LaunchPreset& p = Preset(label);
    return LaunchFromTexts(p.Altitude, p.Velocity, p.Angle);
}

struct ToolRun {
    int code;
    std::string out;
    std::string err;
};

ToolRun RunInProcess(const std::vector<std::string>& args)
{
    std::ostringstream out;
    std::ostringstream err;
    const int code = RunFlightTool(args, out, err);
    return {code, out.str(), err.str()};
}

TEST(FlightToolSummary, EveryPresetSummaryIsWhatTheFlightCodeReaches)
{
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    for (const LaunchPreset& preset : LaunchPresets) {
        SCOPED_TRACE(std::string(preset.Label));
        const EarthMoonState launch = PresetLaunch(preset.Label);
        Recorder recorder;
        FlightRun run(launch, views.Get(), recorder);
        const int code = run.Fly().Code;
        ASSERT_FALSE(recorder.points.empty());
        const FlightPoint& last = recorder.points.back();

        const FlightSummary s = FlySummary(launch, views);
        EXPECT_EQ(OutcomeText(s), ExpectedOutcome(last, run.EndedByPoint(), code));
        EXPECT_EQ(s.Index, last.Index);
        EXPECT_EQ(s.T, last.T);
        EXPECT_EQ(s.Points, static_cast<int>(recorder.points.size()));
        EXPECT_EQ(s.Points, last.Index + 1);

        double moonMin = INFINITY;
        std::string moonMinTime;
        double earthMin = INFINITY;
        for (const FlightPoint& p : recorder.points) {
            if (p.MoonDistance < moonMin) {
                moonMin = p.MoonDistance;
                moonMinTime = p.TimeText;
            }
            if (p.Index > 0)
                earthMin = std::min(earthMin, p.EarthDistance);
        }
        const auto km = [](double units, long double radius) {
            return std::max(0.0, static_cast<double>((units - radius) * DistanceUnitKm));
        };
        EXPECT_EQ(s.MoonMinTime, moonMinTime);
        EXPECT_NEAR(s.MoonMinKm, km(moonMin, MoonRadius), 1e-9);
        EXPECT_NEAR(s.EarthMinKm, km(earthMin, EarthRadius), 1e-9);

        // The line, field by field, as the status bar would show it.
        const std::string expected =
            "outcome=" + ExpectedOutcome(last, run.EndedByPoint(), code) +
            " index=" + std::to_string(last.Index) + " t=" + FixedText(last.T, 9) +
            " step=" + recorder.lastStep.StepText + " time=\"" + last.TimeText +
            "\" error_jacobi=\"" + recorder.lastStep.ErrorJacobiText + "\" jacobi0=\"" +
            run.Jacobi0Text() + "\" velocity=\"" + last.VelocityText +
            "\" bar=" + std::to_string(last.Bar) + " moon_min_km=";
        EXPECT_EQ(SummaryLine(s).substr(0, expected.size()), expected);
        if (OutcomeText(s) == "collision-moon")
            EXPECT_EQ(s.MoonMinKm, 0.0);  // a collision reports 0, never a depth
        else
            EXPECT_GT(s.MoonMinKm, 0.0);
        EXPECT_NE(SummaryLine(s).find(" points=" + std::to_string(s.Points)), std::string::npos);
    }
}

TEST(FlightToolSummary, DayLimitStopsAtTheFirstStepPastIt)
{
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    const EarthMoonState launch = PresetLaunch("Escape 58");
    const FlightSummary free = FlySummary(launch, views);
    ASSERT_EQ(OutcomeText(free), "escape");

    const FlightSummary limited = FlySummary(launch, views, FlightLimit{10.0});
    EXPECT_EQ(OutcomeText(limited), "time-limit");
    const double lastDays = static_cast<double>(limited.T * DaysPerTimeUnit);
    EXPECT_GE(lastDays, 10.0);
    EXPECT_LT(lastDays, 11.0);  // only the step under way finishes its points
    EXPECT_EQ(limited.TimeText.substr(0, 5), "10 - ");
    EXPECT_LT(limited.Index, free.Index);

    // A limit the flight never reaches changes nothing.
    const FlightSummary late = FlySummary(launch, views, FlightLimit{100.0});
    EXPECT_EQ(SummaryLine(late), SummaryLine(free));
}

TEST(FlightToolSummary, LineAndJsonKeepBlanksAndStayLocaleFree)
{
    FlightSummary s;
    s.Outcome = FlightOutcome::Integrator;
    s.IntegratorCode = -2;
    s.Index = 12;
    s.T = 0.0075398223686155;
    s.Step = 345;
    s.TimeText = "0 - 01";
    s.ErrorJacobiText = "  -1.235E-005";
    s.Jacobi0Text = "2.64671";
    s.VelocityText = " 10.9540";
    s.Bar = 110;
    s.MoonMinKm = 1234.5678;
    s.MoonMinTime = "0 - 00";
    s.MoonMinT = 0.0012566370614359172;
    s.EarthMinKm = 99.5;
    s.Points = 13;
    const std::string line =
        "outcome=integrator--2 index=12 t=0.007539822 step=345 time=\"0 - 01\" "
        "error_jacobi=\"  -1.235E-005\" jacobi0=\"2.64671\" velocity=\" 10.9540\" bar=110 "
        "moon_min_km=1234.568 moon_min_time=\"0 - 00\" earth_min_km=99.500 points=13";
    const std::string json =
        "{\"angle\":1.5,\"outcome\":\"integrator--2\",\"index\":12,\"t\":0.007539822,"
        "\"step\":345,\"time\":0.032786,\"time_text\":\"0 - 01\","
        "\"error_jacobi\":-1.235E-005,\"error_jacobi_text\":\"  -1.235E-005\","
        "\"jacobi0\":2.64671,\"jacobi0_text\":\"2.64671\","
        "\"velocity\":10.9540,\"velocity_text\":\" 10.9540\",\"bar\":110,"
        "\"moon_min_km\":1234.568,\"moon_min_time\":0.005464,\"moon_min_time_text\":\"0 - 00\","
        "\"earth_min_km\":99.500,\"points\":13}";
    EXPECT_EQ(SummaryLine(s), line);
    EXPECT_EQ(SummaryJson(s, "\"angle\":1.5"), json);
    EXPECT_EQ(JsonString("a\"b\\c\n"), "\"a\\\"b\\\\c\\u000a\"");
    EXPECT_EQ(JsonNumber(INFINITY, 3), "null");
    // Panel texts that are no JSON number as shown still give one, or null.
    for (const auto& [text, number] : std::vector<std::pair<std::string, std::string>>{
             {"   8.659E-009", "8.659E-009"}, {".5", "0.5"}, {"+1.25", "1.25"}, {"  007", "7"},
             {"INF", "null"}, {"NAN", "null"}, {"", "null"}, {" -0.0000", "-0.0000"}})
        EXPECT_EQ(JsonNumberOfText(text), number) << text;

    // A decimal comma in the global locale must not leak into any output.
    struct Comma : std::numpunct<char> {
        char do_decimal_point() const override { return ','; }
        std::string do_grouping() const override { return "\3"; }
    };
    const std::locale previous = std::locale::global(std::locale(std::locale::classic(), new Comma));
    const std::string underComma = SummaryLine(s);
    const ToolRun run = RunInProcess({"--preset", "Collision", "--json"});
    std::locale::global(previous);
    EXPECT_EQ(underComma, line);
    EXPECT_EQ(run.code, 0);
    EXPECT_NE(run.out.find("\"t\":0.729477814,"), std::string::npos) << run.out;
    EXPECT_NE(run.out.find("\"moon_min_km\":0.000,"), std::string::npos) << run.out;
}

TEST(FlightToolCsv, OneRowPerOutputPointFromTheLaunchPoint)
{
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    std::vector<std::string> rows;
    const FlightSummary s =
        FlySummary(PresetLaunch("Collision"), views, {}, [&rows](const FlightPoint& p, double drift) {
            rows.push_back(CsvRow(p, drift));
        });
    ASSERT_EQ(static_cast<int>(rows.size()), s.Points);
    const std::vector<std::string> header = SplitFields(CsvHeader());
    ASSERT_EQ(header.size(), 10u);
    EXPECT_EQ(header[0], "index");

    // The launch point: 100 km above the Earth at 229.7°, the Moon at (384400, 0) km.
    const std::vector<std::string> first = SplitFields(rows.front());
    ASSERT_EQ(first.size(), header.size());
    EXPECT_EQ(first[0], "0");
    EXPECT_EQ(first[1], "0.000000000");
    const double r = 6378.14 + 100.0;
    const double angle = 229.7 * std::numbers::pi / 180.0;
    EXPECT_NEAR(std::stod(first[3]), r * std::cos(angle), 2e-3);
    EXPECT_NEAR(std::stod(first[4]), r * std::sin(angle), 2e-3);
    EXPECT_NEAR(std::stod(first[5]), r * std::cos(angle) - 384400.0, 2e-3);
    EXPECT_NEAR(std::stod(first[6]), r * std::sin(angle), 2e-3);
    EXPECT_EQ(std::stod(first[9]), 0.0);

    const std::vector<std::string> last = SplitFields(rows.back());
    ASSERT_EQ(last.size(), header.size());
    EXPECT_EQ(std::stoi(last[0]), s.Index);
    EXPECT_EQ(FixedText(std::stod(last[7]), 4), s.VelocityText.substr(s.VelocityText.find_first_not_of(' ')));
    EXPECT_LE(std::stod(last[8]), 1738.0);  // hit the Moon
    // The drift at the last point agrees with the last step's "Error Jacobi" in size.
    EXPECT_LT(std::fabs(std::stod(last[9])), 1e-6);
    for (std::size_t i = 0; i < rows.size(); ++i)
        ASSERT_EQ(std::stoi(SplitFields(rows[i])[0]), static_cast<int>(i));
}

// A lunar orbit from the "Swing by" launch, braked at its perilune: the summary line
// as printed, the CSV's burns column, and every point after the burn within 30,000 km
// of the Moon up to the 30-day limit (without the burn the craft escapes).
TEST(FlightToolBurns, BrakingAtPeriluneKeepsTheCraftAtTheMoon)
{
    const ToolRun orbit = RunInProcess(
        {"--preset", "Swing by", "--burn", "perilune:-0.5", "--max-days", "30", "--csv", "-"});
    ASSERT_EQ(orbit.code, 0) << orbit.err;
    EXPECT_EQ(orbit.err,
              "outcome=time-limit index=10984 t=6.901450741 step=2316 time=\"30 - 00\" "
              "error_jacobi=\"   3.949E-006\" jacobi0=\"2.0482\" velocity=\"  0.8959\" bar=9 "
              "moon_min_km=430.485 moon_min_time=\"22 - 17\" earth_min_km=347.893 "
              "points=10985 burns=1 dv_kms=0.5000\n");
    const std::vector<std::string> lines = SplitLines(orbit.out);
    ASSERT_EQ(lines.size(), 10986u);
    EXPECT_EQ(lines[0], CsvHeader() + ",burns");
    int burnsBefore = 0;
    double farthestAfter = 0.0;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        const std::vector<std::string> row = SplitFields(lines[i]);
        ASSERT_EQ(row.size(), 11u);
        const int burns = std::stoi(row[10]);
        ASSERT_TRUE(burns == burnsBefore || burns == burnsBefore + 1) << lines[i];
        burnsBefore = burns;
        if (burns == 1)
            farthestAfter = std::max(farthestAfter, std::stod(row[8]));
    }
    EXPECT_EQ(burnsBefore, 1);
    EXPECT_LT(farthestAfter, 30000.0);
    const ToolRun coast = RunInProcess({"--preset", "Swing by", "--max-days", "30"});
    EXPECT_EQ(coast.out.rfind("outcome=escape ", 0), 0u) << coast.out;
}

TEST(FlightToolBurns, BadBurnsExitWithTwoAndOneLine)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"--burn", "apolune:-0.5"}, "--burn: 'apolune:-0.5': 'apolune' is neither days nor"},
        {{"--burn", "perilune:nan"}, "--burn: 'perilune:nan': along 'nan' is not a finite"},
        {{"--burn", "2:0.1:-inf"}, "--burn: '2:0.1:-inf': left '-inf' is not a finite"},
        {{"--burn", "perilune"}, "--burn: 'perilune': not of the form WHEN:ALONG[:LEFT]"},
        {{"--burn", "-1:0.1"}, "--burn: '-1:0.1': days '-1' is before the launch"},
        {{"--burn", "31:0.1", "--max-days", "30"}, "--burn: '31:0.1' comes after the flight's limit"},
        // The flight escapes after 4.8 days.
        {{"--burn", "1:0", "--burn", "20:-1"}, "--burn: '20:-1': the flight ended (escape at 4.773 days)"},
        {{"--burn", "1:0", "--scan-angle", "1", "2", "1"}, "--burn: only for a single flight"},
        {{"--burn=1:0", "--burn=2:0", "--burn=3:0", "--burn=4:0", "--burn=5:0", "--burn=6:0",
          "--burn=7:0", "--burn=8:0", "--burn=9:0"},
         "--burn: more than 8 burns"},
    };
    for (const auto& [burns, expected] : cases) {
        std::vector<std::string> args = {"--preset", "Swing by"};
        args.insert(args.end(), burns.begin(), burns.end());
        const ToolRun run = RunInProcess(args);
        EXPECT_EQ(run.code, 2) << expected;
        EXPECT_EQ(run.out, "");
        EXPECT_EQ(run.err.rfind("orrimar-flight: " + expected, 0), 0u) << run.err;
        EXPECT_EQ(std::count(run.err.begin(), run.err.end(), '\n'), 1) << run.err;
    }
}

TEST(FlightToolScan, ValuesAreTheDecimalsTheyStandFor)
{
    const std::vector<double> tenths = ScanValues({229.0, 230.0, 0.1});
    ASSERT_EQ(tenths.size(), 11u);
    EXPECT_EQ(tenths[3], 229.3);
    EXPECT_EQ(tenths[10], 230.0);
    const std::vector<double> uneven = ScanValues({-1.0, 0.0, 0.3});
    ASSERT_EQ(uneven.size(), 4u);
    EXPECT_EQ(uneven[3], -0.1);
    EXPECT_EQ(ScanValues({10.98, 11.0, 0.0001}).size(), 201u);

    EXPECT_THROW(ScanValues({230.0, 229.0, 0.1}), std::invalid_argument);  // reversed
    EXPECT_THROW(ScanValues({229.0, 229.0, 0.1}), std::invalid_argument);  // empty
    EXPECT_THROW(ScanValues({229.0, 230.0, 0.0}), std::invalid_argument);
    EXPECT_THROW(ScanValues({229.0, 230.0, -0.1}), std::invalid_argument);
    EXPECT_THROW(ScanValues({0.0, 1.0, 1e-7}), std::invalid_argument);  // too many
}

// The decimals come from the texts as typed, never from a tolerance on their doubles.
TEST(FlightToolScan, DecimalsComeFromTheTexts)
{
    struct Case {
        const char* from;
        const char* to;
        const char* step;
        std::vector<double> values;  // empty: refused with `refusal`
        const char* refusal;
    };
    const Case cases[] = {
        {"0", "0.000000001", "0.000000001", {0.0, 1e-9}, ""},
        {"0", "0.000000002", "0.000000001", {0.0, 1e-9, 2e-9}, ""},
        {"0", "0.000000003", "1.5e-9", {0.0, 1.5e-9, 3e-9}, ""},
        {"1.50", "15e-1", "1", {}, "the range is empty"},
        {"+10.9800", "10.99", "0.005", {10.98, 10.985, 10.99}, ""},
        {"-0.2", "0", "1E-1", {-0.2, -0.1, 0.0}, ""},
        {"0", "1", "1e-9", {}, "more than 1000000 values"},
        {"0", "1", "1e-10", {}, "the step is below 1e-9"},
        {"0", "1", "1e-13", {}, "'1e-13' has more than 12 decimals"},
        {"0", "1e7", "1", {}, "values must lie within"},
        {"0", "x", "1", {}, "'x' is not a number"},
    };
    for (const Case& c : cases) {
        const std::string label = std::string(c.from) + " " + c.to + " " + c.step;
        try {
            EXPECT_EQ(ScanValues(c.from, c.to, c.step), c.values) << label;
            EXPECT_FALSE(c.values.empty()) << label << " accepted";
        } catch (const std::invalid_argument& e) {
            EXPECT_TRUE(c.values.empty()) << label << ": " << e.what();
            EXPECT_EQ(std::string(e.what()).rfind(c.refusal, 0), 0u) << label << ": " << e.what();
        }
    }
}

// Each cell's line is the line of that launch flown alone (its printed values given back),
// in order by angle, then velocity; the shards of a map interleave into exactly the whole.
TEST(FlightToolMap, CellsAreSingleFlightsAndShardsMakeTheWhole)
{
    const std::vector<std::string> map = {"--preset", "Collision", "--map-angle", "229.5", "230", "0.25",
                                          "--map-velocity", "11.0", "11.01", "0.005", "--max-days", "20", "--threads", "2"};
    const ToolRun whole = RunInProcess(map);
    ASSERT_EQ(whole.code, 0) << whole.err;
    const std::vector<std::string> lines = SplitLines(whole.out);
    ASSERT_EQ(lines.size(), 9u);
    const char* const angles[] = {"229.5", "229.75", "230"};
    const char* const velocities[] = {"11", "11.005", "11.01"};
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const std::string& line = lines[i];
        EXPECT_EQ(Field(line, "angle_deg"), angles[i / 3]);
        EXPECT_EQ(Field(line, "velocity_kms"), velocities[i % 3]);
        const ToolRun alone = RunInProcess({Field(" " + line, "altitude_km"), Field(line, "velocity_kms"),
                                            Field(line, "angle_deg"), "--max-days", "20"});
        EXPECT_EQ(line.substr(line.find("outcome=")), alone.out.substr(0, alone.out.size() - 1));
    }
    std::vector<std::string> parts[3];
    for (int k = 0; k < 3; ++k) {
        std::vector<std::string> args = map;
        args.insert(args.end(), {"--shard", std::to_string(k + 1) + "/3"});
        parts[k] = SplitLines(RunInProcess(args).out);
    }
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(parts[i % 3].at(i / 3), lines[i]) << i;
    EXPECT_EQ(parts[0].size() + parts[1].size() + parts[2].size(), lines.size());
}

TEST(FlightToolScan, SameRowsOnOneAndTwoThreadsAndAsSingleFlights)
{
    const LaunchValues base{100.0, 11.0085, 0.0};
    const std::vector<double> values = ScanValues({227.5, 228.5, 0.25});
    FlightSetup setup;
    setup.Limit.MaxDays = DefaultScanMaxDays;
    const std::vector<ScanRow> one = RunScan(base, ScanParameter::Angle, values, setup, 1);
    const std::vector<ScanRow> two = RunScan(base, ScanParameter::Angle, values, setup, 2);
    ASSERT_EQ(one.size(), values.size());
    ASSERT_EQ(two.size(), values.size());
    for (std::size_t i = 0; i < values.size(); ++i) {
        EXPECT_EQ(one[i].Launch.Angle, values[i]);
        EXPECT_EQ(two[i].Launch.Angle, values[i]);
        EXPECT_EQ(SummaryLine(one[i].Summary), SummaryLine(two[i].Summary)) << i;
    }
    // The scan flies what a single flight of the same texts flies.
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    const FlightSummary single =
        FlySummary(LaunchFromTexts("00100.00", "+11.0085", "+228.000"), views, setup.Limit);
    EXPECT_EQ(SummaryLine(one[2].Summary), SummaryLine(single));
    EXPECT_EQ(OutcomeText(one[0].Summary), "escape");
    EXPECT_EQ(OutcomeText(one[2].Summary), "collision-moon");

    // Velocity scans keep the angle.
    const std::vector<ScanRow> fast =
        RunScan({100.0, 0.0, 229.7}, ScanParameter::Velocity, {11.0085}, setup, 2);
    ASSERT_EQ(fast.size(), 1u);
    EXPECT_EQ(OutcomeText(fast[0].Summary), "collision-moon");
}

TEST(FlightToolTarget, RefinedLaunchPassesAtTheRequestedHeight)
{
    FlightSetup setup;
    setup.Limit.MaxDays = DefaultScanMaxDays;
    const LaunchValues base{100.0, 11.0085, 0.0};
    const std::vector<ScanRow> scan =
        RunScan(base, ScanParameter::Angle, ScanValues({227.5, 228.5, 0.5}), setup, 2);
    ASSERT_EQ(scan.size(), 3u);
    ASSERT_FALSE(BelowTarget(scan[0].Summary, 500.0));
    ASSERT_TRUE(BelowTarget(scan[1].Summary, 500.0));  // collision
    ASSERT_TRUE(BelowTarget(scan[2].Summary, 500.0));

    const std::vector<TargetRow> found = FindTargets(scan, ScanParameter::Angle, 500.0, setup, 2);
    ASSERT_EQ(found.size(), 1u);
    const double angle = found[0].Row.Launch.Angle;
    EXPECT_GT(angle, 227.5);
    EXPECT_LT(angle, 228.0);
    EXPECT_EQ(found[0].Row.Launch.Velocity, 11.0085);

    // Flown again on its own from its printed value.
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    const double printed = std::stod(ShortestText(angle));
    const FlightSummary again = FlySummary(LaunchState(100.0, 11.0085, printed), views, setup.Limit);
    EXPECT_NEAR(again.MoonMinKm, 500.0, 1.0);
    EXPECT_EQ(SummaryLine(again), SummaryLine(found[0].Row.Summary));
    EXPECT_NEAR(found[0].MissKm, std::fabs(again.MoonMinKm - 500.0), 1e-9);

    // At 0 km the crossing is the edge of the collision band.
    const std::vector<TargetRow> edge = FindTargets(scan, ScanParameter::Angle, 0.0, setup, 2);
    ASSERT_EQ(edge.size(), 1u);
    EXPECT_LT(edge[0].MissKm, 1.0);
    // No crossing: nothing found.
    EXPECT_TRUE(FindTargets({scan[1], scan[2]}, ScanParameter::Angle, 500.0, setup, 2).empty());
}

// The README's targeting example, golden: each bisection keeps the end of its last bracket
// nearer 500 km (499.999, where the farther ends pass at 500.001 and 500.002 km).
TEST(FlightToolTarget, KeepsTheBracketEndNearerTheTarget)
{
    FlightSetup setup;
    setup.Limit.MaxDays = DefaultScanMaxDays;
    const LaunchValues base{100.0, 11.0085, 0.0};
    const std::vector<ScanRow> scan =
        RunScan(base, ScanParameter::Angle, ScanValues({227.0, 231.0, 0.5}), setup, 2);
    const std::vector<TargetRow> found = FindTargets(scan, ScanParameter::Angle, 500.0, setup, 2);
    ASSERT_EQ(found.size(), 2u);
    const std::pair<const char*, const char*> expected[] = {
        {"227.807766914",
         "outcome=escape index=1748 t=1.098300792 step=101 time=\"4 - 19\" error_jacobi=\"   8.746E-009\" "
         "jacobi0=\"2.04817\" velocity=\"  1.2124\" bar=12 moon_min_km=499.999 moon_min_time=\"3 - 02\" "
         "earth_min_km=347.893 points=1749"},
        {"230.435080528",
         "outcome=escape index=4662 t=2.929220990 step=149 time=\"12 - 18\" error_jacobi=\"   1.864E-007\" "
         "jacobi0=\"2.03907\" velocity=\"  1.2166\" bar=12 moon_min_km=499.999 moon_min_time=\"3 - 06\" "
         "earth_min_km=347.848 points=4663"},
    };
    for (std::size_t i = 0; i < found.size(); ++i) {
        EXPECT_EQ(ShortestText(found[i].Row.Launch.Angle), expected[i].first);
        EXPECT_EQ(SummaryLine(found[i].Row.Summary), expected[i].second);
        EXPECT_LT(found[i].MissKm, 0.0015);
    }
}

TEST(FlightToolOptions, AcceptedForms)
{
    FlightToolOptions o = ParseFlightToolOptions({"00100.17", "+10.9800", "+226.500"});
    EXPECT_EQ(o.AltitudeText, "00100.17");
    EXPECT_EQ(o.Launch.Velocity, 10.98);
    EXPECT_EQ(o.Setup.ViewWidth, 528);
    EXPECT_EQ(o.Setup.ViewHeight, 628);
    EXPECT_TRUE(o.Setup.FullView);
    EXPECT_EQ(o.Setup.Limit.MaxDays, 0.0);  // a single flight has no limit
    EXPECT_FALSE(o.Scan);

    o = ParseFlightToolOptions({"100.17", "-10.98", "226.5", "--view=640x480", "--no-full-view"});
    EXPECT_EQ(o.Launch.Velocity, -10.98);  // a negative value is not an option
    EXPECT_EQ(o.Setup.ViewWidth, 640);
    EXPECT_EQ(o.Setup.ViewHeight, 480);
    EXPECT_FALSE(o.Setup.FullView);

    for (const char* name : {"Swing by", "swing by", "SWINGBY", "swing-by"}) {
        o = ParseFlightToolOptions({"--preset", name});
        EXPECT_EQ(o.PresetLabel, "Swing by") << name;
        EXPECT_EQ(o.AngleText, "+227.800") << name;
    }

    o = ParseFlightToolOptions({"--preset", "Collision", "--scan-velocity", "11", "11.01", "0.005",
                                "--threads", "3", "--target-moon-km", "0"});
    EXPECT_TRUE(o.Scan);
    EXPECT_EQ(o.ScanOf, ScanParameter::Velocity);
    EXPECT_EQ(o.ScanValues.size(), 3u);
    EXPECT_EQ(o.Threads, 3);
    EXPECT_TRUE(o.Target);
    EXPECT_EQ(o.Setup.Limit.MaxDays, DefaultScanMaxDays);
    o = ParseFlightToolOptions({"--preset", "Collision", "--scan-angle", "1", "2", "1", "--max-days", "5"});
    EXPECT_EQ(o.Setup.Limit.MaxDays, 5.0);
    EXPECT_TRUE(ParseFlightToolOptions({"x", "--help"}).Help);
}

TEST(FlightToolOptions, BadArgumentsNameTheArgument)
{
    const std::vector<std::pair<std::vector<std::string>, std::string>> cases = {
        {{"abc", "10", "20"}, "ALTITUDE: 'abc' is not a number"},
        {{"100", "1_.98", "20"}, "VELOCITY: '1_.98' is not a number"},
        {{"100", "10", "2O"}, "ANGLE: '2O' is not a number"},
        {{"100", "10"}, "ANGLE: missing"},
        {{}, "ALTITUDE: missing"},
        {{"1", "2", "3", "4"}, "'4': unexpected argument"},
        {{"--preset", "Moonshot"}, "--preset: unknown preset 'Moonshot'"},
        {{"--preset", "Collision", "1", "2", "3"}, "--preset: give either"},
        {{"--preset"}, "--preset: needs a preset name"},
        {{"--preset", "Collision", "--scan-angle", "230", "229", "0.1"}, "--scan-angle: the range is reversed"},
        {{"--preset", "Collision", "--scan-angle", "229", "229", "0.1"}, "--scan-angle: the range is empty"},
        {{"--preset", "Collision", "--scan-velocity", "11", "12", "0"}, "--scan-velocity: the step must be positive"},
        {{"--preset", "Collision", "--scan-velocity", "11", "12", "-0.1"}, "--scan-velocity: the step must be positive"},
        {{"--preset", "Collision", "--scan-angle", "1", "x", "0.1"}, "--scan-angle TO: 'x' is not a number"},
        {{"--preset", "Collision", "--scan-angle", "1", "2"}, "--scan-angle: needs three values"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "1", "--scan-velocity", "1", "2", "1"}, "--scan-velocity: one scan at a time"},
        {{"1", "2", "3", "--view", "0x628"}, "--view: '0x628' is not a size"},
        {{"1", "2", "3", "--view", "528"}, "--view: '528' is not a size"},
        {{"1", "2", "3", "--view", "528x628px"}, "--view: '528x628px' is not a size"},
        {{"1", "2", "3", "--view", "-5x10"}, "--view: '-5x10' is not a size"},
        {{"1", "2", "3", "--threads", "0"}, "--threads: '0' is not a thread count"},
        {{"1", "2", "3", "--max-days", "0"}, "--max-days: '0' is not a positive number"},
        {{"1", "2", "3", "--max-days", "soon"}, "--max-days: 'soon' is not a number"},
        {{"1", "2", "3", "--target-moon-km", "500"}, "--target-moon-km: needs --scan-angle"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "1", "--target-moon-km", "-1"}, "--target-moon-km: '-1' is below"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "5", "--target-moon-km", "1"}, "--target-moon-km: needs a scan of at least two"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "1", "--csv", "x.csv"}, "--csv: only for a single flight"},
        {{"1", "2", "3", "--csv", "--json"}, "--csv: needs a file name"},
        {{"1", "2", "3", "--json=yes"}, "--json: takes no value"},
        {{"1", "2", "3", "--frobnicate"}, "--frobnicate: unknown option"},
        {{"1", "2", "3", "-x"}, "-x: unknown option"},
        // Non-finite and exponent-only numbers are bad numbers, not unknown options.
        {{"100", "11", "-inf"}, "ANGLE: '-inf' is not a number"},
        {{"100", "-nan", "20"}, "VELOCITY: '-nan' is not a number"},
        {{"-e9", "11", "20"}, "ALTITUDE: '-e9' is not a number"},
        {{"1", "2", "3", "--max-days", "-inf"}, "--max-days: '-inf' is not a number"},
        {{"--lagrange", "--preset", "Collision"}, "--lagrange: takes no launch"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "1", "--shard", "0/3"}, "--shard: '0/3' is not a part"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "1", "--shard", "4/3"}, "--shard: '4/3' is not a part"},
        {{"--preset", "Collision", "--scan-angle", "1", "2", "1", "--shard", "x/3"}, "--shard: 'x/3' is not a part"},
        {{"--preset", "Collision", "--shard", "1/2"}, "--shard: needs a scan or a map"},
        {{"--preset", "Collision", "--map-angle", "1", "2", "1"}, "--map-angle: needs both"},
        {{"--preset", "Collision", "--map-angle", "1", "2", "1", "--map-velocity", "11", "12", "0.5", "--scan-angle", "1", "2", "1"}, "--scan-angle: not with a map"},
    };
    for (const auto& [args, expected] : cases) {
        try {
            ParseFlightToolOptions(args);
            ADD_FAILURE() << "accepted: " << expected;
        } catch (const ToolArgumentError& e) {
            EXPECT_EQ(std::string(e.what()).substr(0, expected.size()), expected) << e.what();
        }
    }
}

TEST(FlightToolRun, HelpExplainsEveryOption)
{
    const ToolRun run = RunInProcess({"--help"});
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.empty());
    for (const char* option : {"--preset", "--view", "--no-full-view", "--max-days", "--csv", "--json",
                               "--scan-angle", "--scan-velocity", "--threads", "--target-moon-km",
                               "--help", "60 days", "Examples"})
        EXPECT_NE(run.out.find(option), std::string::npos) << option;
}

TEST(FlightToolRun, TargetingPrintsBestFirstAndReportsNothingFound)
{
    const ToolRun run = RunInProcess(
        {"--preset", "Collision", "--scan-angle", "227.5", "230.5", "1.5", "--target-moon-km", "500"});
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> lines = SplitLines(run.out);
    ASSERT_EQ(lines.size(), 2u) << run.out;  // into the collision band and out of it
    const auto miss = [&](const std::string& line) {
        return std::fabs(std::stod(Field(line, "moon_min_km")) - 500.0);
    };
    EXPECT_LE(miss(lines[0]), miss(lines[1]));
    for (const std::string& line : lines) {
        EXPECT_LT(miss(line), 1.0) << line;
        EXPECT_EQ(line.rfind("altitude_km=100 velocity_kms=11.0085 angle_deg=", 0), 0u) << line;
    }

    const ToolRun none = RunInProcess(
        {"--preset", "Collision", "--scan-angle", "228", "229", "0.5", "--target-moon-km", "500"});
    EXPECT_EQ(none.code, 1);
    EXPECT_TRUE(none.out.empty());
    EXPECT_EQ(SplitLines(none.err).size(), 1u);
}

// A parking orbit that never ends runs into the step limit: the flight's line says so,
// and the integrator's message is one whole line on standard error per flight, from
// however many threads.
TEST(FlightToolRun, IntegratorFailureIsOneLineOnStandardErrorPerFlight)
{
    const std::string message = "DOP853: More than NMax= 200000 steps needed\n";
    const ToolRun single = RunInProcess({"100", "8", "0"});
    EXPECT_EQ(single.code, 0);
    EXPECT_EQ(single.err, message);
    EXPECT_EQ(single.out.rfind("outcome=integrator--2 ", 0), 0u) << single.out;
    EXPECT_EQ(Field(single.out, "step"), "200001");

    const ToolRun scan = RunInProcess({"100", "8", "0", "--scan-velocity", "8", "8.01", "0.01",
                                       "--max-days", "10000", "--threads", "2"});
    EXPECT_EQ(scan.code, 0);
    EXPECT_EQ(scan.err, message + message);
    for (const std::string& line : SplitLines(scan.out))
        EXPECT_NE(line.find(" outcome=integrator--2 "), std::string::npos) << line;
    EXPECT_EQ(SplitLines(scan.out).size(), 2u);
}

#ifdef ORRIMAR_FLIGHT_EXE

// The program itself, through the shell: exit code and both streams.
class FlightToolProgram : public ::testing::Test {
protected:
    void SetUp() override
    {
        dir_ = std::filesystem::temp_directory_path() /
               ("orrimar-flight-test-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir_);
    }
    void TearDown() override { std::filesystem::remove_all(dir_); }

    ToolRun Run(const std::string& arguments) const
    {
        const std::string command = std::string("'") + ORRIMAR_FLIGHT_EXE + "' " + arguments +
                                    " >'" + Path("out").string() + "' 2>'" + Path("err").string() + "'";
        const int status = std::system(command.c_str());
        return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, Read(Path("out")), Read(Path("err"))};
    }
    // A shell script run in the test's folder, the program as $F; the script's exit code.
    int Script(const std::string& script) const
    {
        const std::string command = "cd '" + dir_.string() + "' && F='" + ORRIMAR_FLIGHT_EXE +
                                    "' && { " + script + "\n}";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    std::filesystem::path Path(const std::string& name) const { return dir_ / name; }
    static std::string Read(const std::filesystem::path& path)
    {
        std::ifstream in(path, std::ios::binary);
        return std::string(std::istreambuf_iterator<char>(in), {});
    }

private:
    std::filesystem::path dir_;
};

TEST_F(FlightToolProgram, PresetLineAsTheLibraryFliesIt)
{
    const ToolRun run = Run("--preset 'Swing by'");
    EXPECT_EQ(run.code, 0);
    EXPECT_TRUE(run.err.empty()) << run.err;
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    EXPECT_EQ(run.out, SummaryLine(FlySummary(PresetLaunch("Swing by"), views)) + "\n");
    // The window's field texts and plain numbers fly the same flight.
    EXPECT_EQ(Run("00100.00 +11.0085 +227.800").out, run.out);
    EXPECT_EQ(Run("100 11.0085 227.8").out, run.out);
}

TEST_F(FlightToolProgram, CsvToFileAndToStandardOutput)
{
    const std::string csvPath = Path("flight.csv").string();
    const ToolRun run = Run("--preset collision --csv '" + csvPath + "'");
    ASSERT_EQ(run.code, 0) << run.err;
    const std::vector<std::string> rows = SplitLines(Read(csvPath));
    ASSERT_GE(rows.size(), 2u);
    EXPECT_EQ(rows[0], CsvHeader());
    EXPECT_EQ(rows[1].rfind("0,0.000000000,", 0), 0u);
    EXPECT_EQ(std::to_string(rows.size() - 1), Field(run.out, "points"));

    const ToolRun piped = Run("--preset collision --csv -");
    EXPECT_EQ(piped.out, Read(csvPath));
    EXPECT_EQ(piped.err, run.out);  // the summary keeps out of the CSV's way
}

TEST_F(FlightToolProgram, ScanLinesDoNotDependOnTheThreadCount)
{
    const std::string scan = "--preset Collision --scan-angle 227.5 228.5 0.25 --json";
    const ToolRun one = Run(scan + " --threads 1");
    const ToolRun two = Run(scan + " --threads 2");
    EXPECT_EQ(one.code, 0);
    EXPECT_EQ(SplitLines(one.out).size(), 5u);
    EXPECT_EQ(one.out, two.out);
    EXPECT_EQ(SplitLines(one.out)[1].rfind("{\"altitude_km\":100,\"velocity_kms\":11.0085,\"angle_deg\":227.75,", 0), 0u)
        << one.out;
}

TEST_F(FlightToolProgram, BadInputExitsWithTwoAndWritesNothing)
{
    const std::string csvPath = Path("never.csv").string();
    for (const std::string& args : std::vector<std::string>{"100 10.98 x --csv '" + csvPath + "'", "--preset nope --csv '" + csvPath + "'",
          "100 10.98 226.5 --view 0x0 --csv '" + csvPath + "'",
          "--preset Collision --scan-angle 2 1 0.1", "--preset Collision --scan-angle 1 2 0",
          "\"$(printf -- '--a\\nb')\""}) {
        const ToolRun run = Run(args);
        EXPECT_EQ(run.code, 2) << args;
        EXPECT_TRUE(run.out.empty()) << args;
        EXPECT_EQ(SplitLines(run.err).size(), 1u) << run.err;
        EXPECT_EQ(run.err.rfind("orrimar-flight: ", 0), 0u) << run.err;
    }
    EXPECT_FALSE(std::filesystem::exists(csvPath));
    EXPECT_EQ(Run("").err.rfind("Usage: orrimar-flight ALTITUDE VELOCITY ANGLE", 0), 0u);
    EXPECT_EQ(Run("\"$(printf -- '--a\\nb')\"").err, "orrimar-flight: --a\\nb: unknown option (see --help)\n");
}

// Output that cannot be written is a failure of the run (1), never a bad argument (2).
TEST_F(FlightToolProgram, OutputThatCannotBeWrittenExitsWithOne)
{
    const ToolRun missingDir = Run("100 10.98 226.5 --csv '" + Path("missing-dir/x.csv").string() + "'");
    EXPECT_EQ(missingDir.code, 1);
    EXPECT_EQ(SplitLines(missingDir.err).size(), 1u) << missingDir.err;
    EXPECT_NE(missingDir.err.find("--csv"), std::string::npos);
    if (std::filesystem::exists("/dev/full")) {
        for (const char* args : {"--help", "--version", "--preset Collision", "--lagrange"}) {
            const int status = std::system(
                (std::string("'") + ORRIMAR_FLIGHT_EXE + "' " + args + " >/dev/full 2>/dev/null").c_str());
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args;
        }
        // A map stops at its first line that cannot be written.
        for (const char* args : {"--preset Collision --map-angle 0 359 1 --map-velocity 10 11 0.5 --max-days 1",
                                 "--preset Collision --scan-angle 0 359 0.1 --max-days 1 --threads 1"}) {
            const int status = std::system(
                (std::string("'") + ORRIMAR_FLIGHT_EXE + "' " + args + " >/dev/full 2>/dev/null").c_str());
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 1) << args;
        }
    }
}

// A scan asking for more threads than the system gives (here: too little address space for
// their stacks) is flown by the threads it could start, or by one, and never aborts.
TEST_F(FlightToolProgram, ScanWithThreadsTheSystemCannotGiveStillRuns)
{
#if defined(__SANITIZE_ADDRESS__) || defined(__SANITIZE_THREAD__)
    GTEST_SKIP() << "the sanitizers need more address space than the limit leaves";
#else
    const std::string scan = "--preset 'Escape 58' --scan-velocity 10.90 11.10 0.001 --max-days 0.01";
    const int status = std::system(("ulimit -v 400000; '" + std::string(ORRIMAR_FLIGHT_EXE) + "' " +
                                    scan + " --threads 200 >'" + Path("limited").string() + "' 2>&1")
                                       .c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << Read(Path("limited"));
    EXPECT_EQ(Read(Path("limited")), Run(scan + " --threads 1").out);
#endif
}

// The CSV appears under its name only when complete; no temporary file is left behind.
TEST_F(FlightToolProgram, CsvFileAppearsWhenComplete)
{
    const std::string csvPath = Path("flight.csv").string();
    ASSERT_EQ(Run("--preset collision --csv '" + csvPath + "'").code, 0);
    EXPECT_EQ(Read(csvPath), Run("--preset collision --csv -").out);
    std::size_t files = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator(Path(".")))
        ++files;
    EXPECT_EQ(files, 3u);  // flight.csv, out, err
}

// Every kind of path --csv may name: the file it names gets the whole CSV, or the run says
// why not in one line and nothing under any name changes. "R" below is the reference CSV.
TEST_F(FlightToolProgram, CsvReachesWhatThePathNamesOrChangesNothing)
{
    const std::string reference = Run("--preset Collision --csv -").out;
    ASSERT_GT(reference.size(), 100000u);
    // Waits until the temporary file holds rows, then sends the signal (a flight in a
    // parking orbit that never ends on its own).
    const auto midWrite = [](const std::string& signal) {
        return "echo keep >real.csv && ln -s real.csv link.csv && { \"$F\" 200 7.9 0 --csv link.csv 2>err & }"
               " && i=0 && until [ -n \"$(find . -name '.real.csv.*.part' -size +8k)\" ] || [ $i -gt 1200 ];"
               " do sleep 0.05; i=$((i+1)); done; kill -" + signal + " $! && wait $!";
    };
    struct Case {
        const char* name;
        std::string script;
        int code;
        std::string err;  // the whole of standard error
        std::vector<std::pair<std::string, std::string>> files;  // every file left, with its content
    };
    const std::string run = "\"$F\" --preset Collision 2>err >/dev/null --csv ";
    const std::vector<Case> cases = {
        {"symlink", "echo keep >real.csv && ln -s real.csv link.csv && " + run + "link.csv", 0, "",
         {{"link.csv", "-> real.csv"}, {"real.csv", "R"}}},
        {"dangling symlink into a folder", "mkdir d && ln -s d/new.csv link.csv && " + run + "link.csv", 0, "",
         {{"d/new.csv", "R"}, {"link.csv", "-> d/new.csv"}}},
        {"FIFO with a reader", "mkfifo fifo && { cat fifo >got & } && " + run + "fifo; c=$?; wait; exit $c", 0, "",
         {{"fifo", "FIFO"}, {"got", "R"}}},
        {"full device", "mknod full c 1 7 2>/dev/null || ln -s /dev/full full; " + run + "full", 1,
         "orrimar-flight: --csv 'full': No space left on device\n", {{"full", "device"}}},
        {"directory", run + ".", 1, "orrimar-flight: --csv '.': Is a directory\n", {}},
        {"trailing slash", run + "sub/", 1, "orrimar-flight: --csv 'sub/': No such file or directory\n", {}},
        {"missing folder", run + "nodir/x.csv", 1,
         "orrimar-flight: --csv 'nodir/x.csv': No such file or directory\n", {}},
        {"symlink loop", "ln -s b a && ln -s a b && " + run + "a", 1,
         "orrimar-flight: --csv 'a': Too many levels of symbolic links\n", {{"a", "-> b"}, {"b", "-> a"}}},
        {"SIGINT mid-write", midWrite("INT"), 130, "", {{"link.csv", "-> real.csv"}, {"real.csv", "keep\n"}}},
        {"SIGTERM mid-write", midWrite("TERM"), 143, "", {{"link.csv", "-> real.csv"}, {"real.csv", "keep\n"}}},
        {"SIGHUP mid-write", midWrite("HUP"), 129, "", {{"link.csv", "-> real.csv"}, {"real.csv", "keep\n"}}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::filesystem::path work = Path("case");
        std::filesystem::remove_all(work);
        std::filesystem::create_directories(work);
        EXPECT_EQ(Script("cd case && " + c.script), c.code);
        EXPECT_EQ(Read(work / "err"), c.err);
        std::filesystem::remove(work / "err");
        std::vector<std::string> left;
        for (const auto& entry : std::filesystem::recursive_directory_iterator(work))
            if (entry.symlink_status().type() != std::filesystem::file_type::directory)
                left.push_back(entry.path().lexically_relative(work).string());
        std::sort(left.begin(), left.end());
        std::vector<std::string> expected;
        for (const auto& [name, content] : c.files) {
            expected.push_back(name);
            const std::filesystem::path file = work / name;
            const auto status = std::filesystem::symlink_status(file);
            std::error_code notLink;
            if (content.rfind("-> ", 0) == 0)
                EXPECT_EQ(std::filesystem::read_symlink(file, notLink).string(), content.substr(3)) << name;
            else if (content == "FIFO")
                EXPECT_EQ(status.type(), std::filesystem::file_type::fifo) << name;
            else if (content == "device")
                EXPECT_TRUE(std::filesystem::is_character_file(file)) << name;
            else
                EXPECT_TRUE(Read(file) == (content == "R" ? reference : content)) << name;
        }
        std::sort(expected.begin(), expected.end());
        EXPECT_EQ(left, expected);  // no temporary file left, nothing replaced
    }
}

// A map killed while it flies has printed whole lines, exactly the first lines of the map.
TEST_F(FlightToolProgram, KilledMapKeepsAnOrderedPrefix)
{
    const std::string map = "--preset 'Escape 58' --map-velocity 10.97 10.99 0.01 --max-days 3000 --threads 2 "
                            "--map-angle 220 ";
    ASSERT_EQ(Script(": >map && { \"$F\" " + map + "239.9 0.1 >map & } && i=0 && until [ \"$(wc -l <map)\" -ge 7 ] "
                     "|| [ $i -gt 2400 ]; do sleep 0.05; i=$((i+1)); done; kill -TERM $! && wait $!"),
              143);
    const std::string printed = Read(Path("map"));
    ASSERT_FALSE(printed.empty());
    EXPECT_EQ(printed.back(), '\n');
    const std::vector<std::string> lines = SplitLines(printed);
    ASSERT_LT(lines.size(), 600u);  // killed before its end
    // The same map up to the angle of the last printed line, flown whole.
    const std::size_t angles = (lines.size() + 2) / 3;
    const std::vector<std::string> whole =
        SplitLines(Run(map + FixedText(220.0 + 0.1 * static_cast<double>(angles - 1), 1) + " 0.1").out);
    ASSERT_GE(whole.size(), lines.size());
    for (std::size_t i = 0; i < lines.size(); ++i)
        EXPECT_EQ(lines[i], whole[i]) << i;
}

// Too little memory is named as such, with what to reduce.
TEST_F(FlightToolProgram, OutOfMemorySaysWhatToReduce)
{
#if defined(__SANITIZE_ADDRESS__)
    GTEST_SKIP() << "the address sanitizer needs more address space than the limit leaves";
#else
    EXPECT_EQ(Script("ulimit -v 300000; \"$F\" --preset Collision --scan-angle 0 99.9999 0.0001 "
                     "--target-moon-km 500 >out 2>err"),
              1);
    EXPECT_EQ(Read(Path("out")), "");
    EXPECT_EQ(Read(Path("err")), "orrimar-flight: out of memory keeping the scan for --target-moon-km: "
                                 "scan fewer values (a larger STEP or a shorter range)\n");
#endif
}

#endif

}  // namespace
}  // namespace orrimar
