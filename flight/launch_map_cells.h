// The launch map's cells without a window: a region of launch angle × launch velocity cut
// into cells flown at their centres, the colour class and brightness of a cell's flight,
// the texts of a cell (tooltip, the fields' texts, a CSV row), and zooming into cells.
#pragma once

#include "flight/launch_map.h"

#include <string>

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
// every flight stopped after MaxDays days.
struct MapRegion {
    double Altitude = 0.0;
    MapAxis Angle;
    MapAxis Velocity;
    double MaxDays = 30.0;

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

// How a cell is coloured: its class and, for an escape, a brightness 0…1 from the
// closest approach to the Moon's surface on a log scale (1 at ShadeNearKm or closer,
// 0 at ShadeFarKm or farther); other classes have brightness 1.
struct CellShade {
    CellClass Class = CellClass::Integrator;
    double Brightness = 1.0;
};
inline constexpr double ShadeNearKm = 10.0;
inline constexpr double ShadeFarKm = 500000.0;
CellShade MapCellShade(const FlightSummary& summary);

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
std::string CellDescription(const LaunchValues& launch, const FlightSummary& summary);

// A CSV of a map: the scan line's fields as columns, one row per cell.
std::string MapCsvHeader();
std::string MapCsvRow(const LaunchValues& launch, const FlightSummary& summary);
// A cell not flown: its launch and outcome "not-flown", the rest empty.
std::string MapCsvRowNotFlown(const LaunchValues& launch);

}  // namespace orrimar
