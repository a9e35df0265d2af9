// The flight over time, in days: distance from the Moon's surface, altitude above the
// Earth (km, on a log or linear axis), speed (km/s) and the Jacobi integral's drift
// |C − C0| on a log axis. The series come from a flight's record, which keeps each one's
// least and greatest value per column of a bounded number, so that a flight of any
// length costs the same to keep and to draw.
#pragma once

#include "flight/flight_record.h"

#include <QWidget>

#include <array>

class QAbstractAxis;
class QChartView;
class QCheckBox;
class QLineSeries;

namespace orrimar {

class FlightCharts : public QWidget {
    Q_OBJECT

public:
    enum Series {
        MoonKm = FlightRecord::MoonKm,
        EarthKm = FlightRecord::EarthKm,
        SpeedKms = FlightRecord::SpeedKms,
        JacobiDrift = FlightRecord::JacobiDrift,
        SeriesCount = FlightRecord::SeriesCount
    };

    explicit FlightCharts(QWidget* parent = nullptr);

    void clear();
    // The series of record, shown when the charts are visible.
    void show(const FlightRecord& record);
    // Hands the kept columns to the charts when they are visible (call at most a few
    // times per second).
    void refresh();

    const ColumnRange& range(Series series) const { return ranges_[series]; }
    // Points the chart of a series holds now, and its y axis's range.
    int plottedPoints(Series series) const;
    std::pair<double, double> yRange(Series series) const;
    // Whether the two distances are on log axes (the default).
    bool logDistances() const;
    void setLogDistances(bool log);

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Plot {
        QChartView* View = nullptr;
        QLineSeries* Line = nullptr;
        QAbstractAxis* XAxis = nullptr;
        QAbstractAxis* YAxis = nullptr;
    };
    void makeYAxis(int series, bool log);

    std::array<ColumnRange, SeriesCount> ranges_;
    std::array<Plot, SeriesCount> plots_;
    QCheckBox* logCheck_ = nullptr;
    bool changed_ = false;
};

// A log axis's ends and label step for values min … max (> 0): whole powers of ten around
// them, decades grouped so that at most about six labels show. Returns {low, high, base}.
struct LogAxisRange {
    double Low = 1.0;
    double High = 10.0;
    double Base = 10.0;
};
LogAxisRange logAxisRange(double min, double max);

}  // namespace orrimar
