// The flight in the rotating frame, where the Earth and the Moon stand still: the
// trajectory, both bodies to scale, the five Lagrange points, and the region that the
// flight's Jacobi integral closes to the craft shaded, bounded by its zero-velocity curve.
// The wheel zooms about the cursor, dragging pans, a double-click restores the view.
#pragma once

#include "flight/flight_preview.h"
#include "flight/plot_reduction.h"

#include <QImage>
#include <QPointF>
#include <QWidget>

#include <memory>
#include <vector>

namespace orrimar {

class MoonFrameView : public QWidget {
    Q_OBJECT

public:
    explicit MoonFrameView(QWidget* parent = nullptr);

    // Forgets the trajectory.
    void clearFlight();
    // A craft position in the rotating frame, distance units (x = state[1], y = state[3]).
    void addPoint(double x, double y);
    // A burn made just before the point at x, y: a small mark there.
    void addBurnMark(double x, double y);
    // The whole trajectory at once, as kept by a flight's record.
    void setTrajectory(const TrajectoryThinner& trajectory);
    // The Jacobi integral whose closed region is shaded; NaN for none.
    void setJacobi0(double jacobi0);
    void resetView();
    // The planned launch's predicted trajectory, drawn apart from the flight; nullptr for
    // none.
    void setPreview(std::shared_ptr<const PreviewResult> preview);
    const PreviewResult* preview() const { return preview_.get(); }

    const TrajectoryThinner& trajectory() const { return track_; }
    // Pixels per distance unit, and the mapping between widget pixels and the frame.
    double scale() const { return scale_; }
    QPointF toPixel(double x, double y) const;
    QPointF toFrame(QPointF pixel) const;
    // The shading at the widget's size (transparent where the craft may go); rendered
    // again only when the view or the Jacobi integral changes.
    const QImage& shading();
    int shadingRenders() const { return shadingRenders_; }

signals:
    // A burn's handle dragged: its new Δv, km/s along and to the left of the motion.
    void burnDragged(int nr, double alongKms, double leftKms);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;

private:
    void viewChanged();
    void renderShading();

    TrajectoryThinner track_;
    std::shared_ptr<const PreviewResult> preview_;
    std::vector<QPointF> burnMarks_;  // rotating frame
    double jacobi0_;
    // The frame point at the widget's centre, distance units; pixels per unit.
    double centreX_ = 0.0;
    double centreY_ = 0.0;
    double scale_ = 1.0;
    bool viewSet_ = false;  // false until the user zooms or pans: follows the size
    QImage shading_;
    bool shadingValid_ = false;
    int shadingRenders_ = 0;
    bool dragging_ = false;
    int burnDragged_ = -1;  // the handle's place in the preview's burns, -1 when panning
    QPointF dragFrom_;
};

}  // namespace orrimar
