#include "ui/status_panel.h"

#include <QEvent>
#include <QFontMetricsF>
#include <QPaintEvent>
#include <QPainter>
#include <QResizeEvent>
#include <QStyle>

#include <cmath>

namespace orrimar {

StatusPanel::StatusPanel(const QString& text, QWidget* parent) : QLabel(text, parent), text_(text)
{
    // Plain text always: no guessing at rich text for every new value.
    setTextFormat(Qt::PlainText);
}

void StatusPanel::setPanelText(const QString& text, bool held)
{
    if (text == text_)
        return;
    text_ = text;
    pending_ = true;
    if (!held)
        apply();
}

void StatusPanel::apply()
{
    if (!pending_)
        return;
    pending_ = false;
    setText(text_);
}

void StatusPanel::changeEvent(QEvent* event)
{
    switch (event->type()) {
    case QEvent::StyleChange:
    case QEvent::PaletteChange:
    case QEvent::FontChange:
    case QEvent::EnabledChange:
        frame_ = QPixmap();
        layoutText_.clear();
        layout_ = QStaticText();
        break;
    default:
        break;
    }
    QLabel::changeEvent(event);
}

void StatusPanel::resizeEvent(QResizeEvent* event)
{
    frame_ = QPixmap();
    QLabel::resizeEvent(event);
}

void StatusPanel::paintEvent(QPaintEvent* event)
{
    // The cheap way paints what QLabel paints for an enabled plain one-line text;
    // anything else takes QLabel's way.
    const QString shown = text();
    if (!isEnabled() || margin() != 0 || indent() >= 0 || wordWrap() ||
        shown.contains(QLatin1Char('\n')) || shown.contains(QLatin1Char('&'))) {
        QLabel::paintEvent(event);
        return;
    }
    if (frame_.isNull()) {
        const qreal ratio = devicePixelRatioF();
        frame_ = QPixmap(size() * ratio);
        frame_.setDevicePixelRatio(ratio);
        frame_.fill(Qt::transparent);
        QPainter framePainter(&frame_);
        drawFrame(&framePainter);
    }
    QPainter painter(this);
    painter.drawPixmap(0, 0, frame_);
    if (shown.isEmpty())
        return;
    if (layoutText_ != shown || layout_.text() != shown) {
        layoutText_ = shown;
        layout_.setText(shown);
        layout_.setTextFormat(Qt::PlainText);
        layout_.setPerformanceHint(QStaticText::AggressiveCaching);
        layout_.prepare(QTransform(), font());
        layoutAdvance_ = QFontMetricsF(font()).horizontalAdvance(shown);
    }
    // Placed as QPainter::drawText places one line in a rectangle.
    const QRect r = contentsRect();
    const Qt::Alignment align = QStyle::visualAlignment(layoutDirection(), alignment());
    const qreal height = std::ceil(QFontMetricsF(font()).height());
    qreal x = 0.0;
    if (align & Qt::AlignRight)
        x = r.width() - layoutAdvance_;
    else if (align & Qt::AlignHCenter)
        x = (r.width() - layoutAdvance_) / 2;
    qreal y = 0.0;
    if (align & Qt::AlignBottom)
        y = r.height() - height;
    else if (align & Qt::AlignVCenter)
        y = (r.height() - height) / 2;
    painter.setPen(palette().color(foregroundRole()));
    painter.drawStaticText(QPointF(r.x() + x, r.y() + y), layout_);
}

}  // namespace orrimar
