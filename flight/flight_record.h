// What a followed flight keeps, so that it can be shown again after its end: its report,
// its trajectory in the Moon's frame (thinned), its four series over time (per column),
// the launch it was flown from with its burns, and its output points as far as the
// per-point CSV needs them. A window showing a finished record shows what it would have
// shown following it.
#pragma once

#include "flight/flight_csv.h"
#include "flight/flight_report.h"
#include "flight/plot_reduction.h"

#include <array>
#include <cstddef>
#include <iosfwd>
#include <optional>
#include <vector>

namespace orrimar {

class FlightRecord {
public:
    enum Series { MoonKm, EarthKm, SpeedKms, JacobiDrift, SeriesCount };

    // Output points whose CSV fields are kept (64 bytes each, 64 MiB in all: about eight
    // years of flight). A longer flight keeps none and its CSV is flown again.
    static constexpr std::size_t DefaultMaxKeptPoints = std::size_t{1} << 20;

    explicit FlightRecord(std::size_t maxKeptPoints = DefaultMaxKeptPoints);

    // As FlightReport's: every step, every output point in order, and the end with the
    // launch as its fields read at Start.
    void AddStep(const FlightStep& step);
    void AddPoint(const FlightPoint& point);
    void Finish(const Dop853Result& result, bool cancelRequested, const CsvLaunch& launch);

    const FlightReport& Report() const { return report_; }
    bool Finished() const { return report_.Finished(); }
    const std::optional<CsvLaunch>& Launch() const { return launch_; }
    // Craft positions in the rotating frame, distance units.
    const TrajectoryThinner& Trajectory() const { return trajectory_; }
    // Against days since launch: km above the Moon's and the Earth's surface, km/s, and
    // |C − C0| (an exact zero left out: a log axis cannot show it).
    const ColumnRange& Over(Series series) const { return series_[series]; }
    // Whether every point's CSV fields are kept (else WriteCsv flies the launch again).
    bool KeepsPoints() const { return !dropped_; }

    // The CSV header and one row per output point recorded, the bytes orrimar-flight --csv
    // (--burn ...) writes for the same launch and burns up to where this flight ended.
    // Needs a finished record.
    void WriteCsv(std::ostream& csv) const;

private:
    // What CsvRow reads of a point.
    struct KeptPoint {
        double T;
        double CraftX;
        double CraftY;
        double MoonX;
        double MoonY;
        double SpeedKms;
        double MoonDistance;
        double JacobiDrift;
    };

    std::size_t maxKeptPoints_;
    FlightReport report_;
    TrajectoryThinner trajectory_;
    std::array<ColumnRange, SeriesCount> series_;
    std::vector<KeptPoint> points_;
    // burnsFrom_[k]: the first kept point made after k + 1 burns (burns only ever add up).
    std::vector<std::size_t> burnsFrom_;
    int firstIndex_ = 0;
    bool dropped_ = false;
    std::optional<CsvLaunch> launch_;
};

// The CSV of launch as WriteFlightCsv writes it, up to and including the output point
// numbered lastIndex: the flight flown until then, the rows after it left out.
void WriteFlightCsvUntil(const CsvLaunch& launch, int lastIndex, std::ostream& csv);

}  // namespace orrimar
