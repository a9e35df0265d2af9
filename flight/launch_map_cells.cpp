#include "flight/launch_map_cells.h"

#include "formats/decimal_text.h"
#include "formats/number_format.h"

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

constexpr std::string_view VelocityPattern = "+00.0000;-00.0000";
constexpr std::string_view AnglePattern = "+000.000;-000.000";

std::vector<double> Centres(const MapAxis& axis)
{
    std::vector<double> values(static_cast<std::size_t>(axis.Count));
    for (int i = 0; i < axis.Count; ++i)
        values[static_cast<std::size_t>(i)] = axis.Centre(i);
    return values;
}

// Cells lo…hi of axis (either order, clamped) as an axis of as many cells as the whole.
MapAxis ZoomAxis(const MapAxis& axis, int lo, int hi)
{
    if (lo > hi)
        std::swap(lo, hi);
    lo = std::clamp(lo, 0, axis.Count - 1);
    hi = std::clamp(hi, 0, axis.Count - 1);
    return MapAxis{axis.From + lo * axis.Step(), axis.From + (hi + 1) * axis.Step(), axis.Count};
}

// A CSV field: quoted, inner quotes doubled (the status texts hold blanks).
std::string Quoted(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"')
            out += '"';
        out += c;
    }
    return out + "\"";
}

std::string LaunchFields(const LaunchValues& launch)
{
    return ShortestText(launch.Altitude) + "," + ShortestText(launch.Velocity) + "," +
           ShortestText(launch.Angle);
}

}  // namespace

MapRegion RegionAround(double altitude, double angle, double velocity, double angleHalf,
                       double velocityHalf, int angleCells, int velocityCells, double maxDays)
{
    return MapRegion{altitude, MapAxis{angle - angleHalf, angle + angleHalf, angleCells},
                     MapAxis{velocity - velocityHalf, velocity + velocityHalf, velocityCells},
                     maxDays};
}

LaunchGrid MapGrid(const MapRegion& region)
{
    LaunchGrid grid;
    grid.Base = LaunchValues{region.Altitude, 0.0, 0.0};
    grid.Angles = Centres(region.Angle);
    grid.Velocities = Centres(region.Velocity);
    return grid;
}

MapRegion ZoomRegion(const MapRegion& region, int a0, int a1, int v0, int v1)
{
    MapRegion zoomed = region;
    zoomed.Angle = ZoomAxis(region.Angle, a0, a1);
    zoomed.Velocity = ZoomAxis(region.Velocity, v0, v1);
    return zoomed;
}

int MapThreads(int cores, bool flightRunning) { return std::max(1, cores - (flightRunning ? 1 : 0)); }

CellShade MapCellShade(const FlightSummary& summary)
{
    switch (summary.Outcome) {
    case FlightOutcome::CollisionMoon:
        return {CellClass::MoonCollision, 1.0};
    case FlightOutcome::CollisionEarth:
        return {CellClass::EarthCollision, 1.0};
    case FlightOutcome::TimeLimit:
        return {CellClass::TimeLimit, 1.0};
    case FlightOutcome::Integrator:
        return {CellClass::Integrator, 1.0};
    case FlightOutcome::Escape:
        break;
    }
    // Decades between the near and far ends: 10 km and 500,000 km span 4.7 decades.
    const double km = std::max(summary.MoonMinKm, ShadeNearKm);
    const double shade = 1.0 - std::log10(km / ShadeNearKm) / std::log10(ShadeFarKm / ShadeNearKm);
    return {CellClass::Escape, std::isfinite(shade) ? std::clamp(shade, 0.0, 1.0) : 0.0};
}

bool FieldTexts::OffCentre() const
{
    return std::abs(VelocityOffset) > OffCentreTolerance || std::abs(AngleOffset) > OffCentreTolerance;
}

FieldTexts CellFieldTexts(const LaunchValues& launch)
{
    FieldTexts texts;
    texts.Velocity = FormatFloat(VelocityPattern, launch.Velocity);
    texts.Angle = FormatFloat(AnglePattern, launch.Angle);
    double velocity = launch.Velocity;
    double angle = launch.Angle;
    TryStrToFloat(texts.Velocity, velocity);
    TryStrToFloat(texts.Angle, angle);
    texts.VelocityOffset = velocity - launch.Velocity;
    texts.AngleOffset = angle - launch.Angle;
    return texts;
}

std::string CellDescription(const LaunchValues& launch, const FlightSummary& summary)
{
    std::string text = "Launch: altitude " + FixedText(launch.Altitude, 2) + " km, angle " +
                       ShortestText(launch.Angle) + "°, velocity " +
                       ShortestText(launch.Velocity) + " km/s\n";
    text += "Outcome: " + OutcomeText(summary) + "\n";
    text += "Closest to the Moon: " + FixedText(summary.MoonMinKm, 1) + " km above the surface at " +
            summary.MoonMinTime + "\n";
    text += "Flight time: " + summary.TimeText + " (days - hours)";
    const FieldTexts fields = CellFieldTexts(launch);
    if (fields.OffCentre())
        text += "\nThe fields (" + fields.Angle + "°, " + fields.Velocity +
                " km/s) round the launch off the cell's centre by " +
                ShortestText(fields.AngleOffset) + "° and " + ShortestText(fields.VelocityOffset) +
                " km/s";
    return text;
}

std::string MapCsvHeader()
{
    return "altitude_km,velocity_kms,angle_deg,outcome,index,t,step,time,error_jacobi,jacobi0,"
           "velocity,bar,moon_min_km,moon_min_time,earth_min_km,points";
}

std::string MapCsvRow(const LaunchValues& launch, const FlightSummary& s)
{
    // The same texts as the scan line's.
    return LaunchFields(launch) + "," + OutcomeText(s) + "," + std::to_string(s.Index) + "," +
           FixedText(s.T, 9) + "," + std::to_string(s.Step) + "," + Quoted(s.TimeText) + "," +
           Quoted(s.ErrorJacobiText) + "," + Quoted(s.Jacobi0Text) + "," +
           Quoted(s.VelocityText) + "," + std::to_string(s.Bar) + "," +
           FixedText(s.MoonMinKm, 3) + "," + Quoted(s.MoonMinTime) + "," +
           FixedText(s.EarthMinKm, 3) + "," + std::to_string(s.Points);
}

std::string MapCsvRowNotFlown(const LaunchValues& launch)
{
    return LaunchFields(launch) + ",not-flown,,,,,,,,,,,,";
}

}  // namespace orrimar
