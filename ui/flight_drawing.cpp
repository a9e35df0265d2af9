#include "ui/flight_drawing.h"

#include "flight/flight_run.h"
#include "flight/view_frames.h"
#include "plot/plot_frame.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"
#include "ui/sounds.h"
#include "ui/status_bar.h"

#include <algorithm>
#include <cstdint>

namespace orrimar {

namespace {

const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor Aqua(0, 255, 255);
const QColor Teal(0, 128, 128);

// Whether a line from `from` to `to` drawn with a pen of the given width may touch a
// pixel of the rectangle: its bounding box, widened by the pen, meets it.
bool LineMayReach(PixelPoint from, PixelPoint to, int penWidth, const PixelRect& rect)
{
    const std::int64_t reach = std::max(penWidth, 1);
    const std::int64_t left = std::int64_t{std::min(from.X, to.X)} - reach;
    const std::int64_t right = std::int64_t{std::max(from.X, to.X)} + reach;
    const std::int64_t top = std::int64_t{std::min(from.Y, to.Y)} - reach;
    const std::int64_t bottom = std::int64_t{std::max(from.Y, to.Y)} + reach;
    return left < rect.right && right >= rect.left && top < rect.bottom && bottom >= rect.top;
}

}  // namespace

FlightDrawing::FlightDrawing(PaintBox& fullView, PaintBox& lunocentricInset,
                             PaintBox& geocentricInset, StatusBar& statusBar,
                             RepaintPacer& repaintPacer)
    : fullView_(fullView), lunocentricInset_(lunocentricInset), geocentricInset_(geocentricInset),
      statusBar_(statusBar), repaintPacer_(repaintPacer)
{
}

FlightDrawing::~FlightDrawing() = default;

void FlightDrawing::clear()
{
    Canvas& full = fullView_.canvas();
    full.brush.color = White;
    full.fillRect(full.clipRect());
}

void FlightDrawing::begin(bool fullViewChecked)
{
    SetFullViewFrame(fullView_, fullViewChecked);
    setUpViews();

    Canvas& full = fullView_.canvas();
    const double pixelsPerUnit = PixelsPerUnit();
    const int earthRadius = EarthDiscRadius(pixelsPerUnit);
    moonRadiusPx_ = MoonDiscRadius(pixelsPerUnit);
    full.brush.color = Aqua;
    SelectFrame(fullView_);
    const PixelPoint c = XYToPixel(0.0, 0.0);
    full.ellipse(c.X - earthRadius, c.Y - earthRadius, c.X + earthRadius, c.Y + earthRadius);
}

void FlightDrawing::end() { moonBackground_.reset(); }

void FlightDrawing::setUpViews()
{
    SetLunocentricFrame(lunocentricInset_);
    setUpInset(lunocentricInset_, "Lunocentric", Teal, ViewMoonRadius);
    SetGeocentricFrame(geocentricInset_);
    setUpInset(geocentricInset_, "Geocentric", Aqua, ViewEarthRadius);
    SelectFrame(fullView_);
}

void FlightDrawing::setUpInset(PaintBox& box, const QString& label, const QColor& disc,
                               double radius)
{
    Canvas& canvas = box.canvas();
    canvas.fillRect(canvas.clipRect());
    const int w = canvas.textWidth(label);
    const int h = canvas.textHeight(label);
    canvas.textOut((box.ClientWidth() - w) / 2, h / 4, label);
    canvas.pen.color = Black;
    canvas.brush.color = disc;
    const PixelPoint p1 = XYToPixel(-radius, radius);
    const PixelPoint p2 = XYToPixel(radius, -radius);
    canvas.ellipse(p1.X, p1.Y, p2.X, p2.Y);
    canvas.pen.color = Blue;
    canvas.brush.color = White;
}

void FlightDrawing::drawStep(const FlightStep& step)
{
    statusBar_.setPanelText(0, QString::fromStdString(step.StepText));
    statusBar_.setPanelText(1, QString::fromStdString(step.ErrorJacobiText));
}

void FlightDrawing::drawPoint(const FlightPoint& point)
{
    lastPointIndex_ = point.Index;
    statusBar_.setPanelText(3, QString::fromStdString(point.TimeText));
    if (point.Index == 0) {
        moonBackground_ = std::make_unique<Bitmap>(2 * moonRadiusPx_, 2 * moonRadiusPx_,
                                                   fullView_.canvas().scale());
        moonBufferRect_ = PixelRect{0, 0, 2 * moonRadiusPx_, 2 * moonRadiusPx_};
    }
    Canvas& full = fullView_.canvas();
    Canvas& luno = lunocentricInset_.canvas();
    Canvas& geo = geocentricInset_.canvas();
    full.pen.color = Blue;
    const int r = moonRadiusPx_;
    const PixelRect moonRect{point.Moon.X - r, point.Moon.Y - r, point.Moon.X + r,
                             point.Moon.Y + r};
    // A disc that has not moved a pixel, and that the new line does not reach, stays as
    // drawn over what it covers.
    const bool moonStays = point.Index != 0 && moonBackground_ && moonRect == moonScreenRect_ &&
                           !LineMayReach(full.penPos(), point.Full, full.pen.width, moonRect);
    if (point.Index == 0 || !moonBackground_) {
        full.moveTo(point.Full.X, point.Full.Y);
        luno.moveTo(point.Luno.X, point.Luno.Y);
        geo.moveTo(point.Geo.X, point.Geo.Y);
    } else {
        // Erase the previous Moon disc with what it covered, then draw on.
        if (!moonStays)
            full.copyRect(moonScreenRect_, moonBackground_->canvas(), moonBufferRect_);
        full.lineTo(point.Full.X, point.Full.Y);
        luno.lineTo(point.Luno.X, point.Luno.Y);
        geo.lineTo(point.Geo.X, point.Geo.Y);
    }
    if (point.Index == 0)
        burnsDrawn_ = 0;
    if (point.Burns > burnsDrawn_) {
        // A burn made just before this point: a small square around it, under the Moon's
        // disc as the line is.
        burnsDrawn_ = point.Burns;
        const int x = point.Full.X, y = point.Full.Y;
        full.pen.color = QColor(200, 100, 0);
        full.moveTo(x - 3, y - 3);
        full.lineTo(x + 3, y - 3);
        full.lineTo(x + 3, y + 3);
        full.lineTo(x - 3, y + 3);
        full.lineTo(x - 3, y - 3);
        full.moveTo(x, y);
    }
    full.pen.color = Black;
    full.brush.color = Teal;
    if (!moonStays) {
        moonScreenRect_ = moonRect;
        if (moonBackground_)
            moonBackground_->canvas().copyRect(moonBufferRect_, full, moonScreenRect_);
        full.ellipse(moonScreenRect_);
    }

    statusBar_.setPanelText(4, QString::fromStdString(point.VelocityText));
    repaintPacer_.setSpeedBarValue(point.Bar);
    if (point.Colliding())
        playProgramSound(u"Coll");
    if (point.Escaping)
        playProgramSound(u"ESC");
}

}  // namespace orrimar
