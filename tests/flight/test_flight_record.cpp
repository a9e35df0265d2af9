// A followed flight's record: its CSV is exactly the rows of the points it was shown,
// the bytes orrimar-flight writes for the same launch and burns cut where the flight
// ended, whether the record kept its points or has to fly them again (burns included);
// and its memory stays bounded.
#include "flight/flight_record.h"
#include "flight/launch_presets.h"

#include <gtest/gtest.h>

#include <cctype>
#include <sstream>
#include <string>

namespace orrimar {
namespace {

// Feeds a record as the window does; Cancel pressed once `cancelAtStep` steps are done.
class RecordDisplay : public FlightDisplay {
public:
    RecordDisplay(FlightRecord& record, int cancelAtStep) : record_(record), cancelAt_(cancelAtStep) {}
    void ShowStep(const FlightStep& step) override
    {
        record_.AddStep(step);
        steps_ = step.Nr;
    }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override { record_.AddPoint(point); }
    bool CancelRequested() const override { return cancelAt_ > 0 && steps_ >= cancelAt_; }

private:
    FlightRecord& record_;
    int cancelAt_;
    int steps_ = 0;
};

struct RecordCase {
    const char* Name;
    int Preset;
    int CancelAtStep;  // 0: flown to its end
    std::size_t MaxKeptPoints;
    const char* Burns = "";  // as --burn takes them, separated by blanks
};

// The first `rows` data rows of text, the header included.
std::string Prefix(const std::string& text, int rows)
{
    std::size_t end = 0;
    for (int line = 0; line <= rows; ++line)
        end = text.find('\n', end) + 1;
    return text.substr(0, end);
}

class RecordCsv : public testing::TestWithParam<RecordCase> {};

TEST_P(RecordCsv, IsTheToolsCsvCutWhereTheFlightEnded)
{
    const RecordCase& c = GetParam();
    const LaunchPreset& p = LaunchPresets[static_cast<std::size_t>(c.Preset)];
    CsvLaunch launch;
    launch.Altitude = std::string(p.Altitude);
    launch.Velocity = std::string(p.Velocity);
    launch.Angle = std::string(p.Angle);
    std::istringstream burns(c.Burns);
    for (std::string burn; burns >> burn;)
        launch.Burns.push_back(ParseBurn(burn));
    if (!launch.Burns.empty())
        launch.Limit.MaxDays = 30.0;  // the tool's whole flight: an orbit goes on for long
    const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
    FlightRecord record(c.MaxKeptPoints);
    RecordDisplay display(record, c.CancelAtStep);
    FlightRun run(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle), views.Get(),
                  display);
    run.SetBurns(launch.Burns);
    record.Finish(run.Fly(), c.CancelAtStep > 0, launch);
    EXPECT_EQ(record.KeepsPoints(), c.MaxKeptPoints > 100000) << c.Name;
    EXPECT_EQ(record.Report().Ending() == FlightEnding::Cancelled, c.CancelAtStep > 0) << c.Name;

    std::ostringstream whole;
    const FlightSummary summary = WriteFlightCsv(launch, whole);
    std::ostringstream written;
    record.WriteCsv(written);
    const int rows = record.Report().Points();
    ASSERT_EQ(rows, record.Report().LastIndex() + 1);
    if (c.CancelAtStep == 0)
        EXPECT_EQ(rows, summary.Points) << c.Name;
    else
        EXPECT_LT(rows, summary.Points) << c.Name;
    EXPECT_EQ(written.str(), Prefix(whole.str(), rows)) << c.Name;
    // Every burn was made before the end, and the last row counts them.
    if (!launch.Burns.empty()) {
        const std::string text = written.str();
        EXPECT_EQ(text.substr(text.rfind(',') + 1), std::to_string(launch.Burns.size()) + "\n")
            << c.Name;
    }
}

INSTANTIATE_TEST_SUITE_P(
    Flights, RecordCsv,
    testing::Values(RecordCase{"collision, kept", 1, 0, FlightRecord::DefaultMaxKeptPoints},
                    RecordCase{"collision, flown again", 1, 0, 100},
                    RecordCase{"escape cancelled, kept", 4, 400, FlightRecord::DefaultMaxKeptPoints},
                    RecordCase{"escape cancelled, flown again", 4, 400, 100},
                    RecordCase{"two burns, kept", 2, 1200, FlightRecord::DefaultMaxKeptPoints,
                               "5:0.01:-0.02 perilune:-0.5"},
                    RecordCase{"two burns, flown again", 2, 1200, 100,
                               "5:0.01:-0.02 perilune:-0.5"}),
    [](const testing::TestParamInfo<RecordCase>& info) {
        std::string name;
        for (const char* s = info.param.Name; *s; ++s)
            if (std::isalnum(static_cast<unsigned char>(*s)))
                name += *s;
        return name;
    });

TEST(FlightRecord, KeepsBoundedPlotsAndNoPointsPastItsBound)
{
    FlightRecord record(1000);
    FlightPoint point;
    for (int i = 0; i < 200000; ++i) {
        point.Index = i;
        point.T = i * FlightOutputInterval;
        point.JacobiDrift = i == 0 ? 0.0 : 1e-12 * i;
        record.AddPoint(point);
    }
    EXPECT_FALSE(record.KeepsPoints());
    EXPECT_LE(record.Trajectory().Kept().size(), record.Trajectory().Capacity());
    for (int s = 0; s < FlightRecord::SeriesCount; ++s)
        EXPECT_LE(record.Over(static_cast<FlightRecord::Series>(s)).Columns().size(), 500u);
    // The launch point's exact zero drift is left out of the log series.
    EXPECT_DOUBLE_EQ(record.Over(FlightRecord::JacobiDrift).Overall().Min, 1e-12);
}

}  // namespace
}  // namespace orrimar
