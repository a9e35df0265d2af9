#include "flight/flight_record.h"

#include <algorithm>
#include <cmath>
#include <ostream>
#include <streambuf>

namespace orrimar {

namespace {

// Columns per series: about what a chart's plot area is wide, in pixels.
constexpr std::size_t SeriesColumns = 500;
// The first column's width, days: about four output points (236 s each).
constexpr double FirstColumnDays = 0.01;

ColumnRange NewSeries() { return ColumnRange(FirstColumnDays, SeriesColumns); }

// Passes the first `lines` lines through to another buffer and swallows the rest.
class LinePrefixBuffer : public std::streambuf {
public:
    LinePrefixBuffer(std::streambuf& out, long long lines) : out_(out), left_(lines) {}

protected:
    int overflow(int c) override
    {
        if (c == traits_type::eof() || left_ <= 0)
            return traits_type::not_eof(c);
        if (out_.sputc(static_cast<char>(c)) == traits_type::eof())
            return traits_type::eof();
        if (c == '\n')
            --left_;
        return c;
    }
    std::streamsize xsputn(const char* s, std::streamsize n) override
    {
        for (std::streamsize i = 0; i < n; ++i)
            if (overflow(static_cast<unsigned char>(s[i])) == traits_type::eof())
                return i;
        return n;
    }
    int sync() override { return out_.pubsync(); }

private:
    std::streambuf& out_;
    long long left_;
};

}  // namespace

FlightRecord::FlightRecord(std::size_t maxKeptPoints)
    : maxKeptPoints_(maxKeptPoints),
      series_{NewSeries(), NewSeries(), NewSeries(), NewSeries()}
{
}

void FlightRecord::AddStep(const FlightStep& step) { report_.AddStep(step); }

void FlightRecord::AddPoint(const FlightPoint& point)
{
    report_.AddPoint(point);
    trajectory_.Add(point.State[1], point.State[3]);
    const double days = report_.Days();
    const double km = static_cast<double>(DistanceUnitKm);
    series_[MoonKm].Add(days, (point.MoonDistance - static_cast<double>(MoonRadius)) * km);
    series_[EarthKm].Add(days, (point.EarthDistance - static_cast<double>(EarthRadius)) * km);
    series_[SpeedKms].Add(days, point.SpeedKms);
    if (point.JacobiDrift != 0.0)
        series_[JacobiDrift].Add(days, std::fabs(point.JacobiDrift));

    if (dropped_)
        return;
    if (points_.empty())
        firstIndex_ = point.Index;
    if (points_.size() >= maxKeptPoints_ ||
        point.Index != firstIndex_ + static_cast<int>(points_.size())) {
        dropped_ = true;
        std::vector<KeptPoint>().swap(points_);
        burnsFrom_.clear();
        return;
    }
    while (burnsFrom_.size() < static_cast<std::size_t>(std::max(point.Burns, 0)))
        burnsFrom_.push_back(points_.size());
    const GeocentricPicture& g = point.Picture;
    points_.push_back(KeptPoint{point.T, g.Craft.X, g.Craft.Y, g.Moon.X, g.Moon.Y, point.SpeedKms,
                                point.MoonDistance, point.JacobiDrift});
}

void FlightRecord::Finish(const Dop853Result& result, bool cancelRequested, const CsvLaunch& launch)
{
    report_.Finish(result, cancelRequested);
    launch_ = launch;
    points_.shrink_to_fit();
}

void FlightRecord::WriteCsv(std::ostream& csv) const
{
    if (dropped_ || firstIndex_ != 0) {
        if (launch_ && report_.HasPoints())
            WriteFlightCsvUntil(*launch_, report_.LastIndex(), csv);
        return;
    }
    const bool withBurns = launch_ && !launch_->Burns.empty();
    csv << CsvHeader() << (withBurns ? ",burns\n" : "\n");
    FlightPoint point;
    std::size_t burns = 0;
    for (std::size_t i = 0; i < points_.size(); ++i) {
        const KeptPoint& p = points_[i];
        point.Index = static_cast<int>(i);
        point.T = p.T;
        point.Picture.Craft.X = p.CraftX;
        point.Picture.Craft.Y = p.CraftY;
        point.Picture.Moon.X = p.MoonX;
        point.Picture.Moon.Y = p.MoonY;
        point.SpeedKms = p.SpeedKms;
        point.MoonDistance = p.MoonDistance;
        csv << CsvRow(point, p.JacobiDrift);
        if (withBurns) {
            while (burns < burnsFrom_.size() && burnsFrom_[burns] <= i)
                ++burns;
            csv << ',' << burns;
        }
        csv << '\n';
    }
}

void WriteFlightCsvUntil(const CsvLaunch& launch, int lastIndex, std::ostream& csv)
{
    // The day limit stops the flight at the first point at or after it; a hair past the
    // last point's time can cost one step more, never a point less. The header and the
    // rows up to lastIndex pass.
    LinePrefixBuffer prefix(*csv.rdbuf(), static_cast<long long>(lastIndex) + 2);
    std::ostream out(&prefix);
    CsvLaunch until = launch;
    const double days = static_cast<double>(lastIndex * FlightOutputInterval * DaysPerTimeUnit);
    until.Limit.MaxDays = std::max(days, 1e-9);
    if (launch.Limit.MaxDays > 0.0)
        until.Limit.MaxDays = std::min(until.Limit.MaxDays, launch.Limit.MaxDays);
    WriteFlightCsv(until, out);
    out.flush();
    if (!out)
        csv.setstate(std::ios::badbit);
}

}  // namespace orrimar
