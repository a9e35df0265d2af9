// A widget that keeps what is drawn on it: an off-screen image with a canvas, shown on
// repaint, and a frame target for the plot frames.
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

    // A copy of everything drawn so far.
    QImage snapshot() { return canvas().snapshot(); }

    // While held, drawing collects the areas it changed instead of asking for a repaint
    // each time; flushRepaints() asks for one repaint of them. Releasing flushes too.
    void setRepaintsHeld(bool held);
    bool repaintsHeld() const { return held_; }
    void flushRepaints();

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void syncSize();
    void changed(const QRect& area);

    QColor color_{255, 255, 255};
    orrimar::Canvas canvas_;
    bool held_ = false;
    QRegion pending_;
};

}  // namespace orrimar
