#include "flight/launch_map_cells.h"

#include "formats/decimal_text.h"
#include "formats/number_format.h"
#include "model/earth_moon.h"

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
    return MapCellShade(summary.Outcome, summary.MoonMinKm);
}

CellShade MapCellShade(FlightOutcome outcome, double moonMinKm)
{
    CellClass cellClass = CellClass::Integrator;
    switch (outcome) {
    case FlightOutcome::CollisionMoon: cellClass = CellClass::MoonCollision; break;
    case FlightOutcome::CollisionEarth: cellClass = CellClass::EarthCollision; break;
    case FlightOutcome::TimeLimit: cellClass = CellClass::TimeLimit; break;
    case FlightOutcome::Integrator: cellClass = CellClass::Integrator; break;
    case FlightOutcome::Escape: cellClass = CellClass::Escape; break;
    }
    // Decades between the near and far ends: 10 km and 500,000 km span 4.7 decades.
    const double km = std::max(moonMinKm, ShadeNearKm);
    const double shade = 1.0 - std::log10(km / ShadeNearKm) / std::log10(ShadeFarKm / ShadeNearKm);
    return {cellClass, std::isfinite(shade) ? std::clamp(shade, 0.0, 1.0) : 0.0};
}

namespace {

// text into a kept array; false when it does not fit.
bool Keep(const std::string& text, std::array<char, 16>& kept)
{
    if (text.size() >= kept.size())
        return false;
    std::copy(text.begin(), text.end(), kept.begin());
    kept[text.size()] = '\0';
    return true;
}

std::string Kept(const std::array<char, 16>& kept) { return std::string(kept.data()); }

double DaysOfT(double t) { return static_cast<double>(t * DaysPerTimeUnit); }

// The zoomed axis widened about its middle to at least count cells of resolution, within
// the axis it was zoomed from; that axis itself when it is already at the resolution.
MapAxis AtLeast(const MapAxis& zoomed, const MapAxis& from, double resolution, bool& limited)
{
    const double least = zoomed.Count * resolution;
    if (zoomed.To - zoomed.From >= least * (1.0 - 1e-9))
        return zoomed;
    limited = true;
    if (from.To - from.From <= least * (1.0 + 1e-9))
        return from;
    const double middle = (zoomed.From + zoomed.To) / 2;
    // Ends on the resolution's grid where that stays inside, so that centres are short decimals.
    double start = std::round((middle - least / 2) / resolution) * resolution;
    start = std::clamp(start, from.From, from.To - least);
    return MapAxis{start, start + least, zoomed.Count};
}

}  // namespace

ZoomResult ZoomRegionWithin(const MapRegion& region, int a0, int a1, int v0, int v1)
{
    ZoomResult result{ZoomRegion(region, a0, a1, v0, v1), false};
    result.Region.Angle = AtLeast(result.Region.Angle, region.Angle, AngleResolution, result.Limited);
    result.Region.Velocity =
        AtLeast(result.Region.Velocity, region.Velocity, VelocityResolution, result.Limited);
    return result;
}

MapCell::MapCell(const FlightSummary& s)
    : t_(s.T), moonMinKm_(s.MoonMinKm), moonMinT_(s.MoonMinT), earthMinKm_(s.EarthMinKm),
      index_(s.Index), step_(s.Step), points_(s.Points), integratorCode_(s.IntegratorCode),
      bar_(s.Bar), outcome_(static_cast<std::uint8_t>(s.Outcome))
{
    complete_ = Keep(s.ErrorJacobiText, errorJacobiText_) && Keep(s.Jacobi0Text, jacobi0Text_) &&
                Keep(s.VelocityText, velocityText_) && s.TimeText == TimeText(DaysOfT(s.T)) &&
                s.MoonMinTime == (s.Points > 0 ? TimeText(DaysOfT(s.MoonMinT)) : std::string());
}

FlightSummary MapCell::Summary() const
{
    FlightSummary s;
    s.Outcome = Outcome();
    s.IntegratorCode = integratorCode_;
    s.Integration.Code = integratorCode_;
    s.Index = index_;
    s.T = t_;
    s.Step = step_;
    s.TimeText = TimeText(DaysOfT(t_));
    s.ErrorJacobiText = Kept(errorJacobiText_);
    s.Jacobi0Text = Kept(jacobi0Text_);
    s.VelocityText = Kept(velocityText_);
    s.Bar = bar_;
    s.MoonMinKm = moonMinKm_;
    s.MoonMinT = moonMinT_;
    s.MoonMinTime = points_ > 0 ? TimeText(DaysOfT(moonMinT_)) : std::string();
    s.EarthMinKm = earthMinKm_;
    s.Points = points_;
    return s;
}

LaunchMapCells::LaunchMapCells(const MapRegion& region)
    : Region(region), Grid(MapGrid(region)),
      blocks_((region.CellCount() + BlockCells - 1) / BlockCells)
{
}

void LaunchMapCells::Set(std::size_t index, const FlightSummary& summary)
{
    std::unique_ptr<Block>& block = blocks_.at(index / BlockCells);
    if (!block)
        block = std::make_unique<Block>();
    const std::size_t i = index % BlockCells;
    block->Cells[i] = MapCell(summary);
    if (!block->Cells[i].Complete())
        whole_[index] = summary;
    if (!block->Flown[i]) {
        block->Flown[i] = true;
        ++FlownCount;
    }
}

bool LaunchMapCells::Flown(std::size_t index) const
{
    const std::unique_ptr<Block>& block = blocks_.at(index / BlockCells);
    return block && block->Flown[index % BlockCells];
}

FlightSummary LaunchMapCells::Summary(std::size_t index) const
{
    if (!Flown(index))
        return {};
    const MapCell& cell = blocks_[index / BlockCells]->Cells[index % BlockCells];
    if (!cell.Complete())
        return whole_.at(index);
    return cell.Summary();
}

CellShade LaunchMapCells::Shade(std::size_t index) const
{
    const MapCell& cell = blocks_.at(index / BlockCells)->Cells[index % BlockCells];
    return MapCellShade(cell.Outcome(), cell.MoonMinKm());
}

std::size_t LaunchMapCells::KeptBytes() const
{
    std::size_t blocks = 0;
    for (const std::unique_ptr<Block>& block : blocks_)
        blocks += block ? 1 : 0;
    return blocks * sizeof(Block) + blocks_.size() * sizeof(blocks_[0]) +
           whole_.size() * (sizeof(FlightSummary) + 64);
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

std::string CellDescription(const LaunchValues& launch, const FlightSummary& summary,
                            bool exactEvents)
{
    const FieldTexts fields = CellFieldTexts(launch);
    std::string text = "Launch: altitude " + FixedText(launch.Altitude, 2) + " km, angle " +
                       fields.Angle + "°, velocity " + fields.Velocity + " km/s\n";
    text += "Outcome: " + OutcomeText(summary) +
            (exactEvents ? " (located between output points)\n" : " (judged at the output points)\n");
    text += "Closest to the Moon: " + FixedText(summary.MoonMinKm, 1) + " km above the surface at " +
            summary.MoonMinTime + "\n";
    text += "Flight time: " + summary.TimeText + " (days - hours)";
    if (fields.OffCentre())
        text += "\nThe fields round the launch off the cell's centre (" +
                FixedText(fields.AngleOffset, 6) + "°, " + FixedText(fields.VelocityOffset, 7) +
                " km/s)";
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
