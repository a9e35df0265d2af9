#include "ui/flight_charts.h"

#include <QChart>
#include <QChartView>
#include <QGridLayout>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

// Columns per series: about what a chart's plot area is wide, in pixels.
constexpr std::size_t ChartColumns = 500;
// The first column's width, days: about four output points (236 s each).
constexpr double FirstColumnDays = 0.01;
// The smallest drift a log axis shows; an exact zero is drawn there.
constexpr double DriftFloor = 1e-18;

}  // namespace

FlightCharts::FlightCharts(QWidget* parent)
    : QWidget(parent),
      ranges_{ColumnRange(FirstColumnDays, ChartColumns), ColumnRange(FirstColumnDays, ChartColumns),
              ColumnRange(FirstColumnDays, ChartColumns), ColumnRange(FirstColumnDays, ChartColumns)}
{
    const char* const titles[SeriesCount] = {"Distance from the Moon's surface [km]",
                                             "Altitude above the Earth [km]", "Speed [km/s]",
                                             "|Error Jacobi|"};
    const char* const names[SeriesCount] = {"moonChart", "earthChart", "speedChart",
                                            "jacobiChart"};
    auto* grid = new QGridLayout(this);
    grid->setContentsMargins(0, 0, 0, 0);
    for (int s = 0; s < SeriesCount; ++s) {
        Plot& plot = plots_[static_cast<std::size_t>(s)];
        auto* chart = new QChart;
        chart->setTitle(titles[s]);
        chart->legend()->hide();
        chart->setMargins(QMargins(2, 2, 2, 2));
        plot.Line = new QLineSeries(chart);
        chart->addSeries(plot.Line);
        auto* x = new QValueAxis(chart);
        x->setTitleText("days");
        x->setLabelFormat("%g");
        plot.XAxis = x;
        if (s == JacobiDrift) {
            auto* y = new QLogValueAxis(chart);
            y->setLabelFormat("%.0e");
            y->setBase(10.0);
            plot.YAxis = y;
        } else {
            auto* y = new QValueAxis(chart);
            y->setLabelFormat("%g");
            plot.YAxis = y;
        }
        chart->addAxis(plot.XAxis, Qt::AlignBottom);
        chart->addAxis(plot.YAxis, Qt::AlignLeft);
        plot.Line->attachAxis(plot.XAxis);
        plot.Line->attachAxis(plot.YAxis);
        plot.View = new QChartView(chart, this);
        plot.View->setObjectName(QLatin1String(names[s]));
        plot.View->setRenderHint(QPainter::Antialiasing, false);
        plot.View->setMinimumSize(220, 160);
        grid->addWidget(plot.View, s / 2, s % 2);
    }
    clear();
}

void FlightCharts::clear()
{
    for (ColumnRange& range : ranges_)
        range.Clear();
    changed_ = true;
    refresh();
}

void FlightCharts::add(double days, double moonKm, double earthKm, double speedKms,
                       double jacobiDrift)
{
    ranges_[MoonKm].Add(days, moonKm);
    ranges_[EarthKm].Add(days, earthKm);
    ranges_[SpeedKms].Add(days, speedKms);
    ranges_[JacobiDrift].Add(days, std::max(std::fabs(jacobiDrift), DriftFloor));
    changed_ = true;
}

void FlightCharts::showEvent(QShowEvent* event)
{
    QWidget::showEvent(event);
    refresh();
}

void FlightCharts::refresh()
{
    // Handing the columns over costs milliseconds per chart: not while hidden (behind
    // the other tab, or the Explorer closed); showing the charts catches up.
    if (!changed_ || !isVisible())
        return;
    changed_ = false;
    for (int s = 0; s < SeriesCount; ++s) {
        const ColumnRange& range = ranges_[static_cast<std::size_t>(s)];
        Plot& plot = plots_[static_cast<std::size_t>(s)];
        QList<QPointF> points;
        for (const PlanePoint& p : range.Outline())
            points.append(QPointF(p.X, p.Y));
        plot.Line->replace(points);
        const double days = points.isEmpty() ? 1.0 : std::max(points.back().x(), 0.01);
        plot.XAxis->setRange(0.0, days);
        ColumnRange::Column all = range.Overall();
        if (all.Empty)
            all = {0.0, 1.0, false};
        if (s == JacobiDrift) {
            const double low = std::pow(10.0, std::floor(std::log10(all.Min)));
            const double high = std::pow(10.0, std::ceil(std::log10(all.Max)));
            plot.YAxis->setRange(low, std::max(high, low * 10.0));
        } else {
            const double margin = std::max((all.Max - all.Min) * 0.05, 1e-6);
            plot.YAxis->setRange(all.Min - margin, all.Max + margin);
        }
    }
}

int FlightCharts::plottedPoints(Series series) const
{
    return static_cast<int>(plots_[series].Line->count());
}

}  // namespace orrimar
