// The launch map's cells: centres and zooming (down to the fields' resolution), the shade
// of a flight, the fields' texts, the CSV rows, each cell flown exactly as a single flight
// of its launch, and what a map keeps per cell: the same summary back, in bounded memory.
#include "flight/launch_map_cells.h"

#include "model/earth_moon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <cmath>
#include <mutex>
#include <stdexcept>
#include <string>
#include <vector>
#include <set>

namespace orrimar {
namespace {

int Columns(const std::string& row)
{
    int columns = 1;
    bool quoted = false;
    for (const char c : row) {
        if (c == '"')
            quoted = !quoted;
        else if (c == ',' && !quoted)
            ++columns;
    }
    return columns;
}

TEST(LaunchMapCells, CellsAreFlownAtTheirCentresInAngleThenVelocityOrder)
{
    const MapRegion region = RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 160, 100);
    EXPECT_EQ(region.CellCount(), 16000u);
    const LaunchGrid grid = MapGrid(region);
    ASSERT_EQ(grid.CellCount(), 16000u);
    // 4°/160 = 0.025° and 0.04 km/s / 100 = 0.0004 km/s per cell.
    EXPECT_DOUBLE_EQ(grid.Angles.front(), 224.5 + 0.0125);
    EXPECT_DOUBLE_EQ(grid.Angles.back(), 228.5 - 0.0125);
    EXPECT_DOUBLE_EQ(grid.Velocities.front(), 10.96 + 0.0002);
    const LaunchValues cell = grid.Cell(3 * 100 + 7);
    EXPECT_DOUBLE_EQ(cell.Altitude, 100.17);
    EXPECT_DOUBLE_EQ(cell.Angle, region.Angle.From + 3.5 * region.Angle.Step());
    EXPECT_DOUBLE_EQ(cell.Velocity, region.Velocity.From + 7.5 * region.Velocity.Step());

    // Cells 10…19 × 50…40 (reversed) cover exactly those cells' edges, at full resolution.
    const MapRegion zoomed = ZoomRegion(region, 19, 10, 50, 40);
    EXPECT_DOUBLE_EQ(zoomed.Angle.From, 224.5 + 10 * 0.025);
    EXPECT_DOUBLE_EQ(zoomed.Angle.To, 224.5 + 20 * 0.025);
    EXPECT_DOUBLE_EQ(zoomed.Velocity.From, 10.96 + 40 * 0.0004);
    EXPECT_DOUBLE_EQ(zoomed.Velocity.To, 10.96 + 51 * 0.0004);
    EXPECT_EQ(zoomed.Angle.Count, 160);
    EXPECT_EQ(zoomed.Velocity.Count, 100);
    EXPECT_EQ(zoomed.MaxDays, region.MaxDays);
    // Indices beyond the map are clamped to it.
    EXPECT_DOUBLE_EQ(ZoomRegion(region, -5, 500, 0, 0).Angle.To, 228.5);

    EXPECT_EQ(MapThreads(2, false), 2);
    EXPECT_EQ(MapThreads(2, true), 1);
    EXPECT_EQ(MapThreads(1, true), 1);
}

TEST(LaunchMapCells, ShadeClassesAndLogBrightnessOfEscapes)
{
    FlightSummary s;
    s.Outcome = FlightOutcome::CollisionMoon;
    EXPECT_EQ(MapCellShade(s).Class, CellClass::MoonCollision);
    s.Outcome = FlightOutcome::CollisionEarth;
    EXPECT_EQ(MapCellShade(s).Class, CellClass::EarthCollision);
    s.Outcome = FlightOutcome::TimeLimit;
    EXPECT_EQ(MapCellShade(s).Class, CellClass::TimeLimit);
    s.Outcome = FlightOutcome::Integrator;
    EXPECT_EQ(MapCellShade(s).Class, CellClass::Integrator);

    s.Outcome = FlightOutcome::Escape;
    const auto brightness = [&](double km) {
        s.MoonMinKm = km;
        const CellShade shade = MapCellShade(s);
        EXPECT_EQ(shade.Class, CellClass::Escape);
        return shade.Brightness;
    };
    EXPECT_DOUBLE_EQ(brightness(0.0), 1.0);
    EXPECT_DOUBLE_EQ(brightness(ShadeNearKm), 1.0);
    EXPECT_DOUBLE_EQ(brightness(ShadeFarKm), 0.0);
    EXPECT_DOUBLE_EQ(brightness(1e9), 0.0);
    // Log scale: the geometric mean of the ends is half way.
    EXPECT_NEAR(brightness(std::sqrt(ShadeNearKm * ShadeFarKm)), 0.5, 1e-12);
    EXPECT_GT(brightness(100.0), brightness(1000.0));
    EXPECT_NEAR(brightness(100.0) - brightness(1000.0), brightness(1000.0) - brightness(10000.0),
                1e-12);
    // Every outcome is shaded alike by its closest approach, keeping its class.
    for (const FlightOutcome outcome : {FlightOutcome::CollisionMoon, FlightOutcome::CollisionEarth,
                                        FlightOutcome::TimeLimit, FlightOutcome::Integrator}) {
        s.Outcome = outcome;
        s.MoonMinKm = 1000.0;
        const CellShade shade = MapCellShade(s);
        EXPECT_NE(shade.Class, CellClass::Escape);
        EXPECT_DOUBLE_EQ(shade.Brightness, MapCellShade(FlightOutcome::Escape, 1000.0).Brightness);
        s.MoonMinKm = 0.0;
        EXPECT_DOUBLE_EQ(MapCellShade(s).Brightness, 1.0);
    }
}

// Zooms of any depth end at cells the fields can still express, and say so.
TEST(LaunchMapCells, ZoomStopsAtTheFieldsResolution)
{
    MapRegion region = RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 20, 10);
    int limitedAt = -1;
    for (int depth = 0; depth < 12; ++depth) {
        const ZoomResult zoomed = ZoomRegionWithin(region, 4, 7, 2, 4);
        EXPECT_GE(zoomed.Region.Angle.Step(), AngleResolution * (1 - 1e-9)) << depth;
        EXPECT_GE(zoomed.Region.Velocity.Step(), VelocityResolution * (1 - 1e-9)) << depth;
        EXPECT_GT(zoomed.Region.Angle.To, zoomed.Region.Angle.From);
        if (zoomed.Limited && limitedAt < 0)
            limitedAt = depth;
        if (limitedAt < 0) {
            EXPECT_EQ(zoomed.Region, ZoomRegion(region, 4, 7, 2, 4)) << depth;
        }
        // Always within the map zoomed from.
        EXPECT_GE(zoomed.Region.Angle.From, region.Angle.From);
        EXPECT_LE(zoomed.Region.Angle.To, region.Angle.To);
        region = zoomed.Region;
    }
    EXPECT_GT(limitedAt, 0);
    // At the resolution, a further zoom is the same map.
    EXPECT_EQ(ZoomRegionWithin(region, 4, 7, 2, 4).Region, region);
}

TEST(LaunchMapCells, FieldTextsSayWhenTheirRoundingMovesTheLaunch)
{
    const FieldTexts exact = CellFieldTexts(LaunchValues{100.17, 10.9602, 224.5});
    EXPECT_EQ(exact.Velocity, "+10.9602");
    EXPECT_EQ(exact.Angle, "+224.500");
    EXPECT_FALSE(exact.OffCentre());

    // 224.5125° holds four decimals; the angle field only three.
    const LaunchValues launch{100.17, 10.9602, 224.5125};
    const FieldTexts rounded = CellFieldTexts(launch);
    EXPECT_TRUE(rounded.Angle == "+224.512" || rounded.Angle == "+224.513") << rounded.Angle;
    EXPECT_TRUE(rounded.OffCentre());
    EXPECT_NEAR(std::abs(rounded.AngleOffset), 0.0005, 1e-9);
    EXPECT_EQ(rounded.VelocityOffset, 0.0);
    FlightSummary s;
    s.Outcome = FlightOutcome::Escape;
    EXPECT_NE(CellDescription(launch, s).find("off the cell's centre"), std::string::npos);
    EXPECT_EQ(CellDescription(LaunchValues{100.17, 10.9602, 224.5}, s).find("off the cell"),
              std::string::npos);
}

TEST(LaunchMapCells, CsvRowsHoldTheScanLineFields)
{
    const std::string header = MapCsvHeader();
    EXPECT_EQ(Columns(header), 16);
    EXPECT_EQ(header.rfind("altitude_km,velocity_kms,angle_deg,outcome,index,t,step,time,", 0), 0u);
    FlightSummary s;
    s.Outcome = FlightOutcome::Escape;
    s.TimeText = "58 - 03";
    s.ErrorJacobiText = "   1.235E-005";
    s.MoonMinKm = 1234.5678;
    s.Points = 42;
    const LaunchValues launch{100.17, 10.98, 226.5};
    const std::string row = MapCsvRow(launch, s);
    EXPECT_EQ(Columns(row), 16);
    EXPECT_EQ(row.rfind("100.17,10.98,226.5,escape,", 0), 0u) << row;
    EXPECT_NE(row.find(",\"58 - 03\",\"   1.235E-005\","), std::string::npos) << row;
    EXPECT_NE(row.find(",1234.568,"), std::string::npos) << row;
    EXPECT_EQ(row.substr(row.size() - 3), ",42");
    const std::string notFlown = MapCsvRowNotFlown(launch);
    EXPECT_EQ(Columns(notFlown), 16);
    EXPECT_EQ(notFlown.rfind("100.17,10.98,226.5,not-flown,", 0), 0u);
}

// A few cells of a small map around "Escape 58" flown on two threads, each the same as the
// single flight of its launch with the same view and day limit.
TEST(LaunchMapCells, EachCellIsTheSingleFlightOfItsLaunch)
{
    const MapRegion region = RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 3, 2, 30.0);
    const LaunchGrid grid = MapGrid(region);
    std::vector<LaunchValues> launches;
    for (std::size_t i = 0; i < grid.CellCount(); ++i)
        launches.push_back(grid.Cell(i));
    FlightSetup setup;
    setup.ViewWidth = 500;
    setup.ViewHeight = 600;
    setup.FullView = false;
    setup.Limit.MaxDays = region.MaxDays;
    std::vector<std::string> lines(launches.size());
    std::mutex mutex;
    FlyLaunches(launches, setup, 2, [&](std::size_t i, const FlightSummary& summary) {
        const std::lock_guard lock(mutex);
        lines[i] = SummaryLine(summary);
    });
    const HeadlessViews views(500, 600, false);
    for (const std::size_t i : {std::size_t{0}, std::size_t{3}, std::size_t{5}}) {
        const LaunchValues& l = launches[i];
        const FlightSummary single =
            FlySummary(LaunchState(l.Altitude, l.Velocity, l.Angle), views, FlightLimit{30.0});
        EXPECT_EQ(lines[i], SummaryLine(single)) << "cell " << i;
    }
}

// Rows reach the caller one at a time, in index order, each the single flight of its
// launch, whether the threads run ahead of a slow cell or the caller stops early; a failing
// flight's exception comes back after the rows before it.
TEST(LaunchMapCells, InOrderHandsOnAPrefixOfTheRowsOneAtATime)
{
    struct Case {
        const char* name;
        int threads;
        std::size_t count;
        std::size_t stopAfter;  // rows taken before the caller says stop
        std::size_t failAt;     // the launch that throws (count: none)
    };
    const Case cases[] = {{"one thread", 1, 9, 9, 9},
                          {"two threads, more cells than run ahead", 2, 150, 150, 150},
                          {"stopped after four", 2, 40, 4, 40},
                          {"fifth launch fails", 2, 40, 40, 5}};
    FlightSetup setup;
    setup.Limit.MaxDays = 1.0;
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        // Crashes at once mixed with flights to the day limit, so that later cells often end
        // first.
        const auto launch = [&](std::size_t i) {
            if (i == c.failAt)
                throw std::runtime_error("no such launch");
            return LaunchValues{200.0, i % 7 == 0 ? 7.9 : 5.0, static_cast<double>(i)};
        };
        std::vector<std::size_t> handed;
        std::vector<std::string> lines;
        std::atomic<int> inside{0};
        bool overlapped = false;
        bool threw = false;
        try {
            FlyLaunchesInOrder(c.count, launch, setup, c.threads, [&](std::size_t i, const ScanRow& row) {
                overlapped = overlapped || inside++ != 0;
                // The index given and the cell's own, from its launch.
                handed.push_back(i == static_cast<std::size_t>(row.Launch.Angle) ? i : c.count);
                lines.push_back(SummaryLine(row.Summary));
                --inside;
                return handed.size() < c.stopAfter;
            });
        } catch (const std::runtime_error&) {
            threw = true;
        }
        EXPECT_EQ(threw, c.failAt < c.count);
        EXPECT_FALSE(overlapped);
        if (threw) {
            EXPECT_LE(handed.size(), c.failAt);
        } else {
            EXPECT_EQ(handed.size(), std::min(c.count, c.stopAfter));
        }
        for (std::size_t i = 0; i < handed.size(); ++i) {
            ASSERT_EQ(handed[i], i);
            ASSERT_EQ(lines[i], SummaryLine(FlyLaunch(launch(i), views, setup))) << i;
        }
    }
}

// What a map keeps of a cell gives back the summary it was flown to, text for text, and a
// map of the spin boxes' largest size costs next to nothing until its cells are flown.
TEST(LaunchMapCells, CellsKeepTheirSummaryInBoundedMemory)
{
    const HeadlessViews views(528, 628, true);
    const MapRegion region = RegionAround(100.17, 226.5, 10.98, 3.0, 0.04, 4, 3, 20.0);
    LaunchMapCells map(region);
    std::vector<FlightSummary> flown;
    for (std::size_t i = 0; i < map.Grid.CellCount(); ++i) {
        const LaunchValues l = map.Grid.Cell(i);
        flown.push_back(FlySummary(LaunchState(l.Altitude, l.Velocity, l.Angle), views, FlightLimit{20.0}));
        EXPECT_FALSE(map.Flown(i));
        map.Set(i, flown.back());
    }
    std::set<FlightOutcome> outcomes;
    for (std::size_t i = 0; i < map.Grid.CellCount(); ++i) {
        ASSERT_TRUE(map.Flown(i));
        EXPECT_EQ(SummaryLine(map.Summary(i)), SummaryLine(flown[i])) << i;
        EXPECT_EQ(MapCsvRow(map.Grid.Cell(i), map.Summary(i)), MapCsvRow(map.Grid.Cell(i), flown[i]));
        EXPECT_EQ(map.Shade(i).Brightness, MapCellShade(flown[i]).Brightness);
        outcomes.insert(flown[i].Outcome);
    }
    EXPECT_GE(outcomes.size(), 2u);
    EXPECT_EQ(map.FlownCount, map.Grid.CellCount());

    EXPECT_LE(sizeof(MapCell), 112u);
    LaunchMapCells largest(RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 2000, 2000));
    EXPECT_LT(largest.KeptBytes(), std::size_t{1} << 20);
    largest.Set(1234567, flown[0]);
    EXPECT_LT(largest.KeptBytes(), (std::size_t{1} << 20) + LaunchMapCells::BlockCells * 112);
    EXPECT_TRUE(largest.Flown(1234567));
    EXPECT_FALSE(largest.Flown(1234566));
    EXPECT_EQ(largest.FlownCount, 1u);
}

}  // namespace
}  // namespace orrimar
