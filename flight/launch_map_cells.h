// The launch map's cells without a window: a region of launch angle × launch velocity cut
// into cells flown at their centres, what a map keeps of each cell's flight, the colour
// class and brightness of a cell's flight, the texts of a cell (tooltip, the fields'
// texts, a CSV row), and zooming into cells.
#pragma once

#include "flight/launch_map.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <unordered_map>
#include <vector>

namespace orrimar {

// One axis of a map: Count cells of equal width between From and To.
struct MapAxis {
    double From = 0.0;
    double To = 0.0;
    int Count = 1;

    double Step() const { return (To - From) / Count; }
    double Centre(int i) const { return From + (i + 0.5) * Step(); }
    bool operator==(const MapAxis&) const = default;
};

// A launch map's region: angles (degrees) × velocities (km/s) at one altitude (km),
// every flight stopped after MaxDays days; ExactEvents: collisions and escapes located
// between output points (the tool's --exact-events), not only at them.
struct MapRegion {
    double Altitude = 0.0;
    MapAxis Angle;
    MapAxis Velocity;
    double MaxDays = 30.0;
    bool ExactEvents = false;

    std::size_t CellCount() const { return static_cast<std::size_t>(Angle.Count) * Velocity.Count; }
    bool operator==(const MapRegion&) const = default;
};

// The region around a centre: ±angleHalf degrees, ±velocityHalf km/s.
MapRegion RegionAround(double altitude, double angle, double velocity, double angleHalf = 2.0,
                       double velocityHalf = 0.02, int angleCells = 160, int velocityCells = 100,
                       double maxDays = 30.0);

// The cells' centres as a grid: cell i has angle i / Velocity.Count and velocity
// i mod Velocity.Count.
LaunchGrid MapGrid(const MapRegion& region);

// The region covered by the cells angle a0…a1 × velocity v0…v1 (inclusive, either order),
// cut into as many cells as the whole region, with the same altitude and day limit.
MapRegion ZoomRegion(const MapRegion& region, int a0, int a1, int v0, int v1);

// Threads for a map: all cores, one fewer while a flight runs in the window, at least one.
int MapThreads(int cores, bool flightRunning);

enum class CellClass { MoonCollision, EarthCollision, TimeLimit, Escape, Integrator };

// How a cell is coloured: its class, and a brightness 0…1 from the closest approach to the
// Moon's surface on a log scale (1 at ShadeNearKm or closer, 0 at ShadeFarKm or farther),
// whatever the class: flights that end alike still differ in how near the Moon they pass.
struct CellShade {
    CellClass Class = CellClass::Integrator;
    double Brightness = 1.0;
};
inline constexpr double ShadeNearKm = 10.0;
inline constexpr double ShadeFarKm = 500000.0;
CellShade MapCellShade(const FlightSummary& summary);
CellShade MapCellShade(FlightOutcome outcome, double moonMinKm);

// The smallest cell each axis may be cut into: what its field can express (0.001°,
// 0.0001 km/s), so that every cell's launch can be taken into the fields.
inline constexpr double AngleResolution = 0.001;
inline constexpr double VelocityResolution = 0.0001;
// ZoomRegion, each axis kept at least Count cells of its resolution wide around the cells
// chosen; Limited tells whether that widened either axis.
struct ZoomResult {
    MapRegion Region;
    bool Limited = false;
};
ZoomResult ZoomRegionWithin(const MapRegion& region, int a0, int a1, int v0, int v1);

// What a map keeps of one cell's flight: the summary's numbers, and the status texts that
// are not made again from them; about a hundred bytes instead of a summary's several
// hundred. Summary() gives back the very summary it was made from.
class MapCell {
public:
    MapCell() = default;
    explicit MapCell(const FlightSummary& summary);
    FlightSummary Summary() const;
    FlightOutcome Outcome() const { return static_cast<FlightOutcome>(outcome_); }
    double MoonMinKm() const { return moonMinKm_; }
    // False when a text was too long to keep here (the map keeps that summary whole).
    bool Complete() const { return complete_; }

private:
    double t_ = 0.0;
    double moonMinKm_ = 0.0;
    double moonMinT_ = 0.0;
    double earthMinKm_ = 0.0;
    std::int32_t index_ = 0;
    std::int32_t step_ = 0;
    std::int32_t points_ = 0;
    std::int32_t integratorCode_ = 0;
    std::int32_t bar_ = 0;
    std::uint8_t outcome_ = 0;
    bool complete_ = true;
    std::array<char, 16> errorJacobiText_{};
    std::array<char, 16> jacobi0Text_{};
    std::array<char, 16> velocityText_{};
};

// A map's cells and what is known of them so far. Cells are kept in blocks made when the
// first of their cells is flown: an empty map of any size costs almost nothing.
class LaunchMapCells {
public:
    explicit LaunchMapCells(const MapRegion& region);

    MapRegion Region;
    LaunchGrid Grid;
    std::size_t FlownCount = 0;

    void Set(std::size_t index, const FlightSummary& summary);
    bool Flown(std::size_t index) const;
    // A flown cell's summary, its shade and closest approach.
    FlightSummary Summary(std::size_t index) const;
    CellShade Shade(std::size_t index) const;
    // Bytes the kept cells take, for the history's bound.
    std::size_t KeptBytes() const;

    static constexpr std::size_t BlockCells = 4096;

private:
    struct Block {
        std::array<MapCell, BlockCells> Cells;
        std::array<bool, BlockCells> Flown{};
    };
    std::vector<std::unique_ptr<Block>> blocks_;
    std::unordered_map<std::size_t, FlightSummary> whole_;  // the rare incomplete cells
};

// The launch as the angle and velocity fields would hold it, and whether that rounding
// moves the launch off the cell's centre (by more than a centre's own rounding error,
// OffCentreTolerance in the field's unit).
struct FieldTexts {
    std::string Velocity;  // "+00.0000;-00.0000"
    std::string Angle;     // "+000.000;-000.000"
    double VelocityOffset = 0.0;  // field value − centre, km/s
    double AngleOffset = 0.0;     // field value − centre, degrees
    bool OffCentre() const;
};
inline constexpr double OffCentreTolerance = 1e-9;
FieldTexts CellFieldTexts(const LaunchValues& launch);

// Several lines: the launch, the outcome, the closest approach to the Moon and when, the
// flight time; and a line on the fields' rounding when it moves the launch.
// exactEvents: the rule the verdict was made by, said in the text.
std::string CellDescription(const LaunchValues& launch, const FlightSummary& summary,
                            bool exactEvents = false);

// A CSV of a map: the scan line's fields as columns, one row per cell.
std::string MapCsvHeader();
std::string MapCsvRow(const LaunchValues& launch, const FlightSummary& summary);
// A cell not flown: its launch and outcome "not-flown", the rest empty.
std::string MapCsvRowNotFlown(const LaunchValues& launch);

}  // namespace orrimar
