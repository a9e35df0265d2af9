#include "ui/paint_box.h"

#include <QEvent>
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QShowEvent>

#include <algorithm>
#include <cmath>

namespace orrimar {

int PaintBox::canvasScale(qreal devicePixelRatio)
{
    return std::max(1, static_cast<int>(std::lround(devicePixelRatio)));
}

PaintBox::PaintBox(QWidget* parent)
    : QWidget(parent),
      canvas_(width(), height(), QColor(255, 255, 255), canvasScale(devicePixelRatioF()))
{
    // paintEvent covers every pixel from the image: no background erase needed.
    setAttribute(Qt::WA_OpaquePaintEvent);
    canvas_.setFont(font());
    canvas_.changed = [this](const QRect& area) { changed(area); };
}

void PaintBox::changed(const QRect& area)
{
    if (!held_) {
        update(area);
        return;
    }
    const QRect inside = area & rect();
    if (inside.isEmpty())
        return;
    pending_ += inside;
    // Thousands of small areas in a frame: past a few, one rectangle round them repaints
    // faster than the region costs to keep.
    constexpr int MaxRects = 16;
    if (pending_.rectCount() > MaxRects)
        pending_ = pending_.boundingRect();
}

void PaintBox::setRepaintsHeld(bool held)
{
    if (!held)
        flushRepaints();
    held_ = held;
}

void PaintBox::flushRepaints()
{
    if (pending_.isEmpty())
        return;
    update(pending_);
    pending_ = QRegion();
}

orrimar::Canvas& PaintBox::canvas()
{
    syncSize();
    return canvas_;
}

void PaintBox::setFontPixelSize(int pixels)
{
    QFont f = font();
    f.setPixelSize(pixels);
    setFont(f);
    canvas_.setFont(font());
}

// A hidden widget gets its resize event only when shown, but its size changes at once:
// the canvas follows the size whenever it is asked for.
void PaintBox::syncSize()
{
    if (canvas_.width() != width() || canvas_.height() != height())
        canvas_.resize(width(), height(), color_);
}

// Asking the ratio goes up to the window and its screen: it is looked at when the widget is
// shown, resized or repainted, or its window moves to another screen (hidden widgets too,
// which are drawn on but not repainted), not at every canvas() call, three per point.
void PaintBox::syncScale() { canvas_.setScale(canvasScale(devicePixelRatioF()), color_); }

bool PaintBox::event(QEvent* event)
{
    if (event->type() == QEvent::ScreenChangeInternal)
        syncScale();
    return QWidget::event(event);
}

void PaintBox::paintEvent(QPaintEvent* event)
{
    syncScale();
    syncSize();
    QPainter painter(this);
    const int scale = canvas_.scale();
    if (scale == 1 && devicePixelRatioF() == 1.0) {
        painter.drawImage(event->rect(), canvas_.image(), event->rect());
        return;
    }
    // Device pixel for device pixel when the ratio is the scale; smoothed when a fractional
    // ratio makes the image larger than the screen's pixels.
    painter.setRenderHint(QPainter::SmoothPixmapTransform, devicePixelRatioF() != scale);
    const QRect r = event->rect();
    painter.drawImage(QRectF(r), canvas_.image(),
                      QRectF(r.x() * scale, r.y() * scale, r.width() * scale, r.height() * scale));
}

void PaintBox::showEvent(QShowEvent* event)
{
    syncScale();
    QWidget::showEvent(event);
}

void PaintBox::resizeEvent(QResizeEvent* event)
{
    syncScale();
    syncSize();
    QWidget::resizeEvent(event);
}

void PaintBox::changeEvent(QEvent* event)
{
    if (event->type() == QEvent::FontChange)
        canvas_.setFont(font());
    QWidget::changeEvent(event);
}

}  // namespace orrimar
