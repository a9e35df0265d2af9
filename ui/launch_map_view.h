// The launch map drawn: one rectangle per cell, launch angle to the right and launch
// velocity upwards, with the axes' ends labelled; a tooltip per cell, clicks and
// double-clicks on a cell and a dragged rectangle of cells. And its legend.
#pragma once

#include "flight/launch_map_cells.h"

#include <QImage>
#include <QPoint>
#include <QWidget>

#include <vector>

namespace orrimar {

// A map's cells and what is known of them so far.
struct LaunchMapCells {
    MapRegion Region;
    LaunchGrid Grid;
    std::vector<FlightSummary> Summaries;
    std::vector<char> Flown;
    std::size_t FlownCount = 0;

    explicit LaunchMapCells(const MapRegion& region);
    void Set(std::size_t index, const FlightSummary& summary);
};

// The colour of a flown cell; NotFlownColour for the others.
QRgb cellColour(const CellShade& shade);
inline constexpr QRgb NotFlownColour = 0xfff0f0f0;

class LaunchMapView : public QWidget {
    Q_OBJECT

public:
    explicit LaunchMapView(QWidget* parent = nullptr);

    // Shows map (which must outlive the view or be replaced), all cells redrawn.
    void setMap(const LaunchMapCells* map);
    // Redraws these cells of the map shown; the widget repaints once per call.
    void updateCells(const std::vector<std::size_t>& cells);

    // The cell under a widget point, or -1; a cell's rectangle in the widget.
    int cellAt(QPoint point) const;
    QRect cellRect(std::size_t index) const;
    QString cellToolTip(std::size_t index) const;
    // One pixel per cell, velocity upwards.
    const QImage& cellImage() const { return image_; }

    QSize sizeHint() const override { return {560, 400}; }
    QSize minimumSizeHint() const override { return {200, 150}; }

signals:
    void cellClicked(int index);
    void cellDoubleClicked(int index);
    // Cells angle a0…a1 × velocity v0…v1, inclusive, a0 ≤ a1 and v0 ≤ v1.
    void cellsSelected(int a0, int a1, int v0, int v1);

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    QRect mapArea() const;
    void paintCell(std::size_t index);

    const LaunchMapCells* map_ = nullptr;
    QImage image_;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressPoint_;
    QPoint dragPoint_;
};

// The colours' key: the three flat classes and the escapes' scale by closest approach.
class LaunchMapLegend : public QWidget {
    Q_OBJECT

public:
    explicit LaunchMapLegend(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orrimar
