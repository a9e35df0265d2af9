#include "ui/paint_box.h"

#include <QEvent>
#include <QFont>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>

namespace orrimar {

PaintBox::PaintBox(QWidget* parent)
    : QWidget(parent), canvas_(width(), height(), QColor(255, 255, 255))
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

void PaintBox::paintEvent(QPaintEvent* event)
{
    syncSize();
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_.image(), event->rect());
}

void PaintBox::resizeEvent(QResizeEvent* event)
{
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
