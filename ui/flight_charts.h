// The flight over time, in days: distance from the Moon's surface, altitude above the
// Earth (km), speed (km/s) and the Jacobi integral's drift |C − C0| on a log axis. Each
// series keeps its least and greatest value per column of a bounded number of columns,
// so that a flight of any length costs the same to keep and to draw.
#pragma once

#include "flight/plot_reduction.h"

#include <QWidget>

#include <array>

class QChart;
class QChartView;
class QLineSeries;
class QAbstractAxis;

namespace orrimar {

class FlightCharts : public QWidget {
    Q_OBJECT

public:
    enum Series { MoonKm, EarthKm, SpeedKms, JacobiDrift, SeriesCount };

    explicit FlightCharts(QWidget* parent = nullptr);

    void clear();
    // One output point: days since launch and the four values.
    void add(double days, double moonKm, double earthKm, double speedKms, double jacobiDrift);
    // Hands the kept columns to the charts when they are visible (call at most a few
    // times per second).
    void refresh();

    const ColumnRange& range(Series series) const { return ranges_[series]; }
    // Points the chart of a series holds now.
    int plottedPoints(Series series) const;

protected:
    void showEvent(QShowEvent* event) override;

private:
    struct Plot {
        QChartView* View = nullptr;
        QLineSeries* Line = nullptr;
        QAbstractAxis* XAxis = nullptr;
        QAbstractAxis* YAxis = nullptr;
    };
    std::array<ColumnRange, SeriesCount> ranges_;
    std::array<Plot, SeriesCount> plots_;
    bool changed_ = false;
};

}  // namespace orrimar
