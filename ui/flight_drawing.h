// Draws the window's flight: at the start the full view cleared, the three views framed,
// the insets' bodies and labels and the Earth; then, point by point, the trajectory in
// the full view and the insets, the Moon disc moved over it, the status bar's texts, the
// speed bar and the sounds.
#pragma once

#include "ui/canvas.h"

#include <memory>

namespace orrimar {

class PaintBox;
class RepaintPacer;
class StatusBar;
struct FlightPoint;
struct FlightStep;

class FlightDrawing {
public:
    FlightDrawing(PaintBox& fullView, PaintBox& lunocentricInset, PaintBox& geocentricInset,
                  StatusBar& statusBar, RepaintPacer& repaintPacer);
    ~FlightDrawing();
    FlightDrawing(const FlightDrawing&) = delete;
    FlightDrawing& operator=(const FlightDrawing&) = delete;

    // Clears the full view (the lunocentric inset is shown or hidden before).
    void clear();
    // Sets the views' frames on this thread (fullViewChecked: the "Full view" box) and
    // draws the insets and the Earth.
    void begin(bool fullViewChecked);
    void drawStep(const FlightStep& step);
    void drawPoint(const FlightPoint& point);
    // Drops what the moving disc covered.
    void end();

    // Index of the last point drawn (-1 before the first flight).
    int lastPointIndex() const { return lastPointIndex_; }

private:
    void setUpViews();
    void setUpInset(PaintBox& box, const QString& label, const QColor& disc, double radius);

    PaintBox& fullView_;
    PaintBox& lunocentricInset_;
    PaintBox& geocentricInset_;
    StatusBar& statusBar_;
    RepaintPacer& repaintPacer_;
    std::unique_ptr<Bitmap> moonBackground_;
    int moonRadiusPx_ = 0;
    PixelRect moonBufferRect_;
    PixelRect moonScreenRect_;
    int lastPointIndex_ = -1;
    int burnsDrawn_ = 0;  // burns marked in the full view
};

}  // namespace orrimar
