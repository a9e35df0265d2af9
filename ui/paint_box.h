// A widget that keeps what is drawn on it: an off-screen image with a canvas, shown on
// repaint, and a frame target for the plot frames. The canvas draws at the screen's device
// pixel ratio (rounded to a whole number), so that it is sharp on a HiDPI screen.
#pragma once

#include "plot/plot_frame.h"
#include "ui/canvas.h"

#include <QColor>
#include <QImage>
#include <QRegion>
#include <QWidget>

namespace orrimar {

class PaintBox : public QWidget, public FrameTarget {
    Q_OBJECT

public:
    explicit PaintBox(QWidget* parent = nullptr);

    // The canvas to draw on; its image always has the widget's current size. Drawing shows
    // at the next repaint.
    orrimar::Canvas& canvas();

    int ClientWidth() const override { return width(); }
    int ClientHeight() const override { return height(); }

    // Colour of area that a resize adds (white unless set).
    void setColor(const QColor& color) { color_ = color; }
    QColor color() const { return color_; }

    // Height of the canvas font in pixels.
    void setFontPixelSize(int pixels);

    // A copy of everything drawn so far, in device pixels (its device pixel ratio is the
    // canvas's scale).
    QImage snapshot() { return canvas().snapshot(); }

    // The canvas's scale for a device pixel ratio: the nearest whole number, at least 1.
    static int canvasScale(qreal devicePixelRatio);

    // While held, drawing collects the areas it changed instead of asking for a repaint
    // each time; flushRepaints() asks for one repaint of them. Releasing flushes too.
    void setRepaintsHeld(bool held);
    bool repaintsHeld() const { return held_; }
    void flushRepaints();

protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void syncSize();
    // Follows the device pixel ratio of the screen the widget is on: what is drawn stays,
    // enlarged or reduced until drawn again.
    void syncScale();
    void changed(const QRect& area);

    QColor color_{255, 255, 255};
    orrimar::Canvas canvas_;
    bool held_ = false;
    QRegion pending_;
};

}  // namespace orrimar
