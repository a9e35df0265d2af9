#include "ui/flight_charts.h"

#include <QChart>
#include <QChartView>
#include <QCheckBox>
#include <QGridLayout>
#include <QLineSeries>
#include <QLogValueAxis>
#include <QValueAxis>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

constexpr std::size_t ChartColumns = 500;
constexpr double FirstColumnDays = 0.01;
// Distances on a log axis start at 1 km: a collision's 0 km is drawn there.
constexpr double LogDistanceFloorKm = 1.0;
constexpr int MaxLogLabels = 6;

bool IsDistance(int series) { return series == FlightCharts::MoonKm || series == FlightCharts::EarthKm; }

}  // namespace

LogAxisRange logAxisRange(double min, double max)
{
    if (!(min > 0.0) || !std::isfinite(min) || !std::isfinite(max) || max < min)
        return {};
    double low = std::floor(std::log10(min));
    double high = std::max(std::ceil(std::log10(max)), low + 1.0);
    const double group = std::ceil((high - low) / MaxLogLabels);
    low = std::floor(low / group) * group;
    high = std::ceil(high / group) * group;
    return {std::pow(10.0, low), std::pow(10.0, high), std::pow(10.0, group)};
}

FlightCharts::FlightCharts(QWidget* parent)
    : QWidget(parent),
      ranges_{ColumnRange(FirstColumnDays, ChartColumns), ColumnRange(FirstColumnDays, ChartColumns),
              ColumnRange(FirstColumnDays, ChartColumns), ColumnRange(FirstColumnDays, ChartColumns)}
{
    const char* const titles[SeriesCount] = {"Distance from the Moon's surface",
                                             "Altitude above the Earth", "Speed",
                                             "|Error Jacobi| = |C − C0|"};
    const char* const names[SeriesCount] = {"moonChart", "earthChart", "speedChart",
                                            "jacobiChart"};
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    logCheck_ = new QCheckBox(tr("Distances on a l&og scale"), this);
    logCheck_->setObjectName("logDistancesCheck");
    logCheck_->setChecked(true);
    layout->addWidget(logCheck_);
    auto* grid = new QGridLayout;
    layout->addLayout(grid, 1);
    for (int s = 0; s < SeriesCount; ++s) {
        Plot& plot = plots_[static_cast<std::size_t>(s)];
        auto* chart = new QChart;
        chart->setTitle(QString::fromUtf8(titles[s]));
        chart->legend()->hide();
        chart->setMargins(QMargins(2, 2, 2, 2));
        plot.Line = new QLineSeries(chart);
        chart->addSeries(plot.Line);
        auto* x = new QValueAxis(chart);
        x->setTitleText(tr("days since launch"));
        x->setLabelFormat("%.4g");
        plot.XAxis = x;
        chart->addAxis(plot.XAxis, Qt::AlignBottom);
        plot.Line->attachAxis(plot.XAxis);
        plot.View = new QChartView(chart, this);
        plot.View->setObjectName(QLatin1String(names[s]));
        plot.View->setRenderHint(QPainter::Antialiasing, false);
        plot.View->setMinimumSize(160, 120);
        makeYAxis(s, s == JacobiDrift || IsDistance(s));
        grid->addWidget(plot.View, s / 2, s % 2);
    }
    connect(logCheck_, &QCheckBox::toggled, this, [this](bool log) {
        makeYAxis(MoonKm, log);
        makeYAxis(EarthKm, log);
        changed_ = true;
        refresh();
    });
    clear();
}

void FlightCharts::makeYAxis(int s, bool log)
{
    Plot& plot = plots_[static_cast<std::size_t>(s)];
    QChart* chart = plot.View->chart();
    if (plot.YAxis) {
        chart->removeAxis(plot.YAxis);
        delete plot.YAxis;
    }
    static const char* const units[SeriesCount] = {"km", "km", "km/s", "nondimensional"};
    if (log) {
        auto* y = new QLogValueAxis(chart);
        y->setLabelFormat("%.0e");
        y->setBase(10.0);
        y->setMinorTickCount(0);
        plot.YAxis = y;
    } else {
        auto* y = new QValueAxis(chart);
        y->setLabelFormat("%.6g");
        plot.YAxis = y;
    }
    plot.YAxis->setTitleText(tr(units[s]));
    chart->addAxis(plot.YAxis, Qt::AlignLeft);
    plot.Line->attachAxis(plot.YAxis);
}

bool FlightCharts::logDistances() const { return logCheck_->isChecked(); }
void FlightCharts::setLogDistances(bool log) { logCheck_->setChecked(log); }

void FlightCharts::clear()
{
    for (ColumnRange& range : ranges_)
        range.Clear();
    changed_ = true;
    refresh();
}

void FlightCharts::show(const FlightRecord& record)
{
    for (int s = 0; s < SeriesCount; ++s)
        ranges_[static_cast<std::size_t>(s)] = record.Over(static_cast<FlightRecord::Series>(s));
    changed_ = true;
    refresh();
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
        ColumnRange::Column all = range.Overall();
        const bool log = s == JacobiDrift || (IsDistance(s) && logDistances());
        double floor = 0.0;
        if (log) {
            const double least = all.Empty ? 1e-12 : all.Min;
            const double greatest = all.Empty ? 1e-11 : all.Max;
            const double lowest = IsDistance(s) ? std::max(least, LogDistanceFloorKm) : least;
            const LogAxisRange axis = logAxisRange(lowest, std::max(greatest, lowest));
            auto* y = static_cast<QLogValueAxis*>(plot.YAxis);
            y->setBase(axis.Base);
            y->setRange(axis.Low, axis.High);
            floor = axis.Low;
        } else {
            if (all.Empty)
                all = {0.0, 1.0, false};
            const double margin = std::max((all.Max - all.Min) * 0.05, 1e-6);
            // Distances and speeds are never negative: neither is their axis.
            auto* y = static_cast<QValueAxis*>(plot.YAxis);
            y->setRange(std::max(0.0, all.Min - margin), all.Max + margin);
            y->applyNiceNumbers();
            y->setRange(std::max(0.0, y->min()), y->max());
        }
        QList<QPointF> points;
        for (const PlanePoint& p : range.Outline())
            points.append(QPointF(p.X, log ? std::max(p.Y, floor) : p.Y));
        plot.Line->replace(points);
        auto* x = static_cast<QValueAxis*>(plot.XAxis);
        x->setRange(0.0, points.isEmpty() ? 1.0 : std::max(points.back().x(), 0.01));
        x->applyNiceNumbers();
        x->setRange(0.0, x->max());
    }
}

int FlightCharts::plottedPoints(Series series) const
{
    return static_cast<int>(plots_[series].Line->count());
}

std::pair<double, double> FlightCharts::yRange(Series series) const
{
    const QAbstractAxis* axis = plots_[series].YAxis;
    if (const auto* log = qobject_cast<const QLogValueAxis*>(axis))
        return {log->min(), log->max()};
    const auto* linear = static_cast<const QValueAxis*>(axis);
    return {linear->min(), linear->max()};
}

}  // namespace orrimar
