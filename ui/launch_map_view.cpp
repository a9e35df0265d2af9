#include "ui/launch_map_view.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QToolTip>

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

// Room for the axes' labels, pixels.
constexpr int LeftMargin = 84;
constexpr int BottomMargin = 36;
constexpr int TopMargin = 6;
constexpr int RightMargin = 10;
constexpr int DragThreshold = 4;  // pixels before a press becomes a drag

// Each outcome's hue from far from the Moon (dark) to close to it (bright).
struct Hue {
    QRgb Far;
    QRgb Near;
};
constexpr Hue MoonHue{0xff401010, 0xffff6050};
constexpr Hue EarthHue{0xff101840, 0xff70a0ff};
constexpr Hue TimeLimitHue{0xff202020, 0xfff0f0f0};
constexpr Hue EscapeHue{0xff102018, 0xfff8f070};
constexpr Hue IntegratorHue{0xff301030, 0xfff080f0};

const Hue& HueOf(CellClass cellClass)
{
    switch (cellClass) {
    case CellClass::MoonCollision: return MoonHue;
    case CellClass::EarthCollision: return EarthHue;
    case CellClass::TimeLimit: return TimeLimitHue;
    case CellClass::Integrator: return IntegratorHue;
    case CellClass::Escape: break;
    }
    return EscapeHue;
}

QRgb Mix(QRgb a, QRgb b, double t)
{
    const auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)),
                channel(qBlue(a), qBlue(b)));
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

QRgb cellColour(const CellShade& shade)
{
    const Hue& hue = HueOf(shade.Class);
    return Mix(hue.Far, hue.Near, shade.Brightness);
}

LaunchMapView::LaunchMapView(QWidget* parent)
    : QWidget(parent), markAngle_(std::nan("")), markVelocity_(std::nan(""))
{
    setMouseTracking(true);
    setAccessibleName(tr("Launch map"));
    setAccessibleDescription(tr("Outcome of each launch: angle to the right, velocity upwards"));
}

void LaunchMapView::setMap(const LaunchMapCells* map)
{
    map_ = map;
    dragging_ = pressed_ = false;
    if (!map_) {
        image_ = QImage();
    } else {
        image_ = QImage(map_->Region.Angle.Count, map_->Region.Velocity.Count, QImage::Format_RGB32);
        image_.fill(NotFlownColour);
        if (map_->FlownCount > 0)
            for (std::size_t i = 0; i < map_->Grid.CellCount(); ++i)
                paintCell(i);
    }
    update();
}

void LaunchMapView::setLaunchMark(double angleDeg, double velocityKms)
{
    markAngle_ = angleDeg;
    markVelocity_ = velocityKms;
    update();
}

void LaunchMapView::setChosenCell(int index)
{
    chosenCell_ = index;
    update();
}

void LaunchMapView::setStale(const QString& note)
{
    staleNote_ = note;
    update();
}

void LaunchMapView::updateCells(const std::vector<std::size_t>& cells)
{
    if (!map_)
        return;
    for (const std::size_t i : cells)
        paintCell(i);
    update(mapArea());
}

void LaunchMapView::paintCell(std::size_t index)
{
    const int velocities = map_->Region.Velocity.Count;
    const int a = static_cast<int>(index / velocities);
    const int v = static_cast<int>(index % velocities);
    image_.setPixel(a, velocities - 1 - v,
                    map_->Flown(index) ? cellColour(map_->Shade(index)) : NotFlownColour);
}

QRect LaunchMapView::mapArea() const
{
    return QRect(LeftMargin, TopMargin, std::max(1, width() - LeftMargin - RightMargin),
                 std::max(1, height() - TopMargin - BottomMargin));
}

int LaunchMapView::cellAt(QPoint point) const
{
    const QRect area = mapArea();
    if (!map_ || !area.contains(point))
        return -1;
    const int angles = map_->Region.Angle.Count;
    const int velocities = map_->Region.Velocity.Count;
    const int a = std::clamp((point.x() - area.left()) * angles / area.width(), 0, angles - 1);
    const int row = std::clamp((point.y() - area.top()) * velocities / area.height(), 0, velocities - 1);
    return a * velocities + (velocities - 1 - row);
}

QRect LaunchMapView::cellRect(std::size_t index) const
{
    if (!map_)
        return {};
    const QRect area = mapArea();
    const int angles = map_->Region.Angle.Count;
    const int velocities = map_->Region.Velocity.Count;
    const int a = static_cast<int>(index / velocities);
    const int row = velocities - 1 - static_cast<int>(index % velocities);
    // Edges rounded up, as cellAt's division rounds down.
    const auto edge = [](int start, int length, int i, int n) { return start + (i * length + n - 1) / n; };
    const int left = edge(area.left(), area.width(), a, angles);
    const int right = edge(area.left(), area.width(), a + 1, angles);
    const int top = edge(area.top(), area.height(), row, velocities);
    const int bottom = edge(area.top(), area.height(), row + 1, velocities);
    return QRect(QPoint(left, top), QPoint(right - 1, bottom - 1));
}

QString LaunchMapView::cellToolTip(std::size_t index) const
{
    if (!map_ || index >= map_->Grid.CellCount())
        return {};
    const LaunchValues launch = map_->Grid.Cell(index);
    if (!map_->Flown(index)) {
        const FieldTexts fields = CellFieldTexts(launch);
        return tr("Angle %1°, velocity %2 km/s: not flown yet")
            .arg(Text(fields.Angle), Text(fields.Velocity));
    }
    return Text(CellDescription(launch, map_->Summary(index), map_->Region.ExactEvents));
}

bool LaunchMapView::event(QEvent* event)
{
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int cell = dragging_ ? -1 : cellAt(help->pos());
        if (cell < 0) {
            QToolTip::hideText();
            event->ignore();
        } else {
            QToolTip::showText(help->globalPos(), cellToolTip(static_cast<std::size_t>(cell)), this,
                               cellRect(static_cast<std::size_t>(cell)));
        }
        return true;
    }
    return QWidget::event(event);
}

void LaunchMapView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), palette().window());
    const QRect area = mapArea();
    if (image_.isNull()) {
        painter.drawText(area, Qt::AlignCenter, tr("No map yet: press Compute"));
        return;
    }
    painter.drawImage(area, image_);
    const MapRegion& region = map_->Region;
    // The fields' launch: a cross where it lies on the map.
    if (std::isfinite(markAngle_) && std::isfinite(markVelocity_) && markAngle_ >= region.Angle.From &&
        markAngle_ <= region.Angle.To && markVelocity_ >= region.Velocity.From &&
        markVelocity_ <= region.Velocity.To) {
        const double fx = (markAngle_ - region.Angle.From) / (region.Angle.To - region.Angle.From);
        const double fy = (markVelocity_ - region.Velocity.From) / (region.Velocity.To - region.Velocity.From);
        const QPointF centre(area.left() + fx * area.width(), area.bottom() + 1 - fy * area.height());
        for (const auto& [colour, width] : {std::pair{QColor(Qt::black), 4}, std::pair{QColor(Qt::white), 2}}) {
            painter.setPen(QPen(colour, width));
            painter.drawLine(centre + QPointF(-7, -7), centre + QPointF(7, 7));
            painter.drawLine(centre + QPointF(-7, 7), centre + QPointF(7, -7));
        }
    }
    if (chosenCell_ >= 0 && static_cast<std::size_t>(chosenCell_) < map_->Grid.CellCount()) {
        const QRect cell = cellRect(static_cast<std::size_t>(chosenCell_)).adjusted(-2, -2, 2, 2);
        painter.setPen(QPen(Qt::black, 3));
        painter.drawRect(cell);
        painter.setPen(QPen(Qt::white, 1));
        painter.drawRect(cell);
    }
    if (!staleNote_.isEmpty()) {
        painter.fillRect(area, QColor(255, 255, 255, 170));
        painter.setPen(palette().windowText().color());
        painter.drawText(area.adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap, staleNote_);
    }
    painter.setPen(palette().windowText().color());
    painter.drawRect(area.adjusted(0, 0, -1, -1));

    // The axes' ends and middles, in the fields' units.
    const MapRegion& r = map_->Region;
    const QFontMetrics metrics(font());
    const int h = metrics.height();
    for (int k = 0; k <= 2; ++k) {
        const double angle = r.Angle.From + k * (r.Angle.To - r.Angle.From) / 2;
        const int x = area.left() + k * (area.width() - 1) / 2;
        const QString text = QString::number(angle, 'f', 4);
        const int w = metrics.horizontalAdvance(text);
        painter.drawLine(x, area.bottom(), x, area.bottom() + 3);
        painter.drawText(std::clamp(x - w / 2, 0, width() - w), area.bottom() + 3 + metrics.ascent(), text);

        const double velocity = r.Velocity.From + k * (r.Velocity.To - r.Velocity.From) / 2;
        const int y = area.bottom() - k * (area.height() - 1) / 2;
        const QString vText = QString::number(velocity, 'f', 5);
        painter.drawLine(area.left() - 3, y, area.left(), y);
        painter.drawText(QRect(0, std::clamp(y - h / 2, 0, height() - h), area.left() - 5, h),
                         Qt::AlignRight | Qt::AlignVCenter, vText);
    }
    painter.drawText(QRect(area.left(), area.bottom() + 3 + h, area.width(), h), Qt::AlignCenter,
                     tr("launch angle (°)"));
    painter.save();
    // Rotated a quarter turn: the label's line spans x = 2 … 2 + h.
    painter.translate(2 + h, area.center().y());
    painter.rotate(-90);
    painter.drawText(QRect(-area.height() / 2, -h, area.height(), h), Qt::AlignCenter,
                     tr("velocity (km/s)"));
    painter.restore();

    if (dragging_) {
        painter.setPen(QPen(Qt::white, 1, Qt::DashLine));
        painter.drawRect(QRect(pressPoint_, dragPoint_).normalized());
    }
}

void LaunchMapView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton || cellAt(event->position().toPoint()) < 0)
        return QWidget::mousePressEvent(event);
    pressed_ = true;
    dragging_ = false;
    pressPoint_ = dragPoint_ = event->position().toPoint();
}

void LaunchMapView::mouseMoveEvent(QMouseEvent* event)
{
    if (!pressed_)
        return QWidget::mouseMoveEvent(event);
    dragPoint_ = event->position().toPoint();
    if ((dragPoint_ - pressPoint_).manhattanLength() >= DragThreshold)
        dragging_ = true;
    if (dragging_) {
        QToolTip::hideText();
        update();
    }
}

void LaunchMapView::mouseReleaseEvent(QMouseEvent* event)
{
    if (!pressed_ || event->button() != Qt::LeftButton)
        return QWidget::mouseReleaseEvent(event);
    pressed_ = false;
    const int first = cellAt(pressPoint_);
    if (!dragging_) {
        if (first >= 0)
            emit cellClicked(first);
        return;
    }
    dragging_ = false;
    update();
    // The release point clamped into the map, so that a drag past its edge still counts.
    const QRect area = mapArea();
    const QPoint end(std::clamp(event->position().toPoint().x(), area.left(), area.right()),
                     std::clamp(event->position().toPoint().y(), area.top(), area.bottom()));
    const int last = cellAt(end);
    if (first < 0 || last < 0 || !map_)
        return;
    const int velocities = map_->Region.Velocity.Count;
    emit cellsSelected(std::min(first, last) / velocities, std::max(first, last) / velocities,
                       std::min(first % velocities, last % velocities),
                       std::max(first % velocities, last % velocities));
}

void LaunchMapView::mouseDoubleClickEvent(QMouseEvent* event)
{
    const int cell = cellAt(event->position().toPoint());
    if (event->button() == Qt::LeftButton && cell >= 0)
        emit cellDoubleClicked(cell);
    else
        QWidget::mouseDoubleClickEvent(event);
}

LaunchMapLegend::LaunchMapLegend(QWidget* parent) : QWidget(parent)
{
    setAccessibleName(tr("Launch map colours"));
}

QSize LaunchMapLegend::sizeHint() const
{
    return {480, 4 * fontMetrics().height() + 12};
}

void LaunchMapLegend::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int h = metrics.height();
    const int box = h - 4;
    // One bar per outcome, dark to bright as the flight passes nearer the Moon.
    const std::pair<CellClass, QString> outcomes[] = {
        {CellClass::MoonCollision, tr("Moon collision")}, {CellClass::EarthCollision, tr("Earth collision")},
        {CellClass::Escape, tr("escape")}, {CellClass::TimeLimit, tr("time limit")},
        {CellClass::Integrator, tr("integrator stopped")}};
    int x = 2;
    int y = 2;
    const int barWidth = 3 * box;
    // Entries wrap onto a second row in a narrow window.
    const auto place = [&](int entryWidth) {
        if (x > 2 && x + entryWidth > width()) {
            x = 2;
            y += h + 2;
        }
    };
    for (const auto& [cellClass, text] : outcomes) {
        place(barWidth + 4 + metrics.horizontalAdvance(text));
        for (int i = 0; i < barWidth; ++i)
            painter.fillRect(x + i, y, 1, box,
                             QColor(cellColour(CellShade{cellClass, double(i) / (barWidth - 1)})));
        x += barWidth + 4;
        painter.drawText(x, y + metrics.ascent() - 1, text);
        x += metrics.horizontalAdvance(text) + 12;
    }
    place(box + 4 + metrics.horizontalAdvance(tr("not flown")));
    painter.fillRect(x, y, box, box, QColor(NotFlownColour));
    painter.drawRect(x, y, box, box);
    x += box + 4;
    painter.drawText(x, y + metrics.ascent() - 1, tr("not flown"));

    const QString scale =
        tr("Every outcome shaded by its closest approach to the Moon: bright at %1 km or closer, "
           "dark at %2 km or farther above its surface (log scale)")
            .arg(ShadeNearKm)
            .arg(ShadeFarKm, 0, 'f', 0);
    painter.drawText(QRect(2, y + h + 2, width() - 4, height() - y - h - 2), Qt::TextWordWrap, scale);
}

}  // namespace orrimar
