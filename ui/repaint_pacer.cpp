#include "ui/repaint_pacer.h"

#include "ui/paint_box.h"
#include "ui/status_bar.h"

#include <QEvent>
#include <QProgressBar>
#include <QStyle>
#include <QStyleOptionProgressBar>

#include <chrono>
#include <cstdlib>

namespace orrimar {

namespace {

std::int64_t MicrosecondsNow()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

}  // namespace

RepaintPacer::RepaintPacer(std::initializer_list<PaintBox*> boxes, StatusBar& statusBar,
                           QProgressBar& speedBar, QObject* parent)
    : QObject(parent), boxes_(boxes), statusBar_(statusBar), speedBar_(speedBar),
      speedBarPainted_(speedBar.value())
{
    speedBar_.installEventFilter(this);
}

bool RepaintPacer::eventFilter(QObject* watched, QEvent* event)
{
    // A paint shows the bar's value, whatever asked for it.
    if (watched == &speedBar_ && event->type() == QEvent::Paint)
        speedBarPainted_ = speedBar_.value();
    return QObject::eventFilter(watched, event);
}

void RepaintPacer::begin()
{
    running_ = true;
    for (PaintBox* box : boxes_)
        box->setRepaintsHeld(true);
    statusBar_.setRepaintsHeld(true);

    // What QProgressBar weighs a new value by (see followSpeedBar), taken as it does.
    QStyleOptionProgressBar option;
    option.initFrom(&speedBar_);
    if (speedBar_.orientation() == Qt::Horizontal)
        option.state |= QStyle::State_Horizontal;
    option.minimum = speedBar_.minimum();
    option.maximum = speedBar_.maximum();
    option.progress = speedBar_.value();
    option.textAlignment = speedBar_.alignment();
    option.textVisible = speedBar_.isTextVisible();
    option.text = speedBar_.text();
    option.invertedAppearance = speedBar_.invertedAppearance();
    option.bottomToTop = speedBar_.textDirection() == QProgressBar::BottomToTop;
    QStyle* style = speedBar_.style();
    speedBarChunk_ = style->pixelMetric(QStyle::PM_ProgressBarChunkWidth, &option, &speedBar_);
    const QRect groove = style->subElementRect(QStyle::SE_ProgressBarGroove, &option, &speedBar_);
    speedBarGroove_ = speedBar_.orientation() == Qt::Horizontal ? groove.width() : groove.height();
    speedBarValue_ = speedBar_.value();
    speedBarPending_ = speedBarRepaint_ = false;

    // The first point shows at once.
    lastShown_ = MicrosecondsNow() - frameInterval_;
}

void RepaintPacer::end()
{
    running_ = false;
    show();
    for (PaintBox* box : boxes_)
        box->setRepaintsHeld(false);
    statusBar_.setRepaintsHeld(false);
}

void RepaintPacer::setSpeedBarValue(int value)
{
    // QProgressBar repaints at once on a new value (and weighs it by the style first):
    // during a flight the value waits for the next frame.
    if (!running_ || speedBar_.isTextVisible()) {
        speedBar_.setValue(value);
        return;
    }
    followSpeedBar(value);
}

// QProgressBar::setValue's rule, value by value.
void RepaintPacer::followSpeedBar(int value)
{
    const int minimum = speedBar_.minimum();
    const int maximum = speedBar_.maximum();
    if (value == speedBarValue_ || ((value > maximum || value < minimum) &&
                                    (maximum != 0 || minimum != 0)))
        return;
    speedBarValue_ = value;
    speedBarPending_ = true;
    if (value == speedBarPainted_)
        return;
    const std::int64_t difference = std::abs(std::int64_t{value} - speedBarPainted_);
    const std::int64_t steps = std::int64_t{maximum} - minimum;
    if (value == minimum || value == maximum ||
        difference * speedBarGroove_ > speedBarChunk_ * steps) {
        speedBarPainted_ = value;
        speedBarRepaint_ = true;
    }
}

void RepaintPacer::point()
{
    if (frameInterval_ > 0) {
        const std::int64_t now = MicrosecondsNow();
        if (now - lastShown_ < frameInterval_)
            return;
        lastShown_ = now;
    }
    show();
}

void RepaintPacer::show()
{
    for (PaintBox* box : boxes_)
        box->flushRepaints();
    statusBar_.flushRepaints();
    if (speedBarRepaint_) {
        speedBarRepaint_ = false;
        speedBar_.setValue(speedBarPainted_);
        speedBar_.repaint();
    }
    if (speedBarPending_) {
        speedBarPending_ = false;
        // Not repainted: by the rule the picture stays at speedBarPainted_.
        speedBar_.setValue(speedBarValue_);
    }
}

}  // namespace orrimar
