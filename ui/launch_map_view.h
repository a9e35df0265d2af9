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

// The colour of a flown cell; NotFlownColour for the others.
QRgb cellColour(const CellShade& shade);
inline constexpr QRgb NotFlownColour = 0xfff0f0f0;

class LaunchMapView : public QWidget {
    Q_OBJECT

public:
    explicit LaunchMapView(QWidget* parent = nullptr);

    // Shows map (which must outlive the view or be replaced), all cells redrawn.
    void setMap(const LaunchMapCells* map);
    // The launch the fields hold (angle °, velocity km/s), marked by a cross where it lies
    // on the map; none when NaN.
    void setLaunchMark(double angleDeg, double velocityKms);
    // The cell last clicked, outlined; -1 for none.
    void setChosenCell(int index);
    // A map that no longer matches the settings is dimmed, with note saying so.
    void setStale(const QString& note);
    bool stale() const { return !staleNote_.isEmpty(); }
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
    double markAngle_;
    double markVelocity_;
    int chosenCell_ = -1;
    QString staleNote_;
    bool pressed_ = false;
    bool dragging_ = false;
    QPoint pressPoint_;
    QPoint dragPoint_;
};

// The colours' key: a hue per outcome, each from dark (far from the Moon) to bright
// (close to it), and the scale of closest approach.
class LaunchMapLegend : public QWidget {
    Q_OBJECT

public:
    explicit LaunchMapLegend(QWidget* parent = nullptr);
    QSize sizeHint() const override;

protected:
    void paintEvent(QPaintEvent* event) override;
};

}  // namespace orrimar
