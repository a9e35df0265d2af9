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

constexpr QRgb MoonColour = 0xffd03030;
constexpr QRgb EarthColour = 0xff3060d0;
constexpr QRgb TimeLimitColour = 0xff909090;
constexpr QRgb IntegratorColour = 0xffc040c0;
// Escapes from far (dark) to close (bright).
constexpr QRgb EscapeFar = 0xff102018;
constexpr QRgb EscapeNear = 0xfff8f070;

QRgb Mix(QRgb a, QRgb b, double t)
{
    const auto channel = [t](int x, int y) { return static_cast<int>(std::lround(x + (y - x) * t)); };
    return qRgb(channel(qRed(a), qRed(b)), channel(qGreen(a), qGreen(b)),
                channel(qBlue(a), qBlue(b)));
}

QString Text(const std::string& text) { return QString::fromStdString(text); }

}  // namespace

LaunchMapCells::LaunchMapCells(const MapRegion& region)
    : Region(region), Grid(MapGrid(region)), Summaries(region.CellCount()),
      Flown(region.CellCount(), 0)
{
}

void LaunchMapCells::Set(std::size_t index, const FlightSummary& summary)
{
    Summaries[index] = summary;
    if (!Flown[index]) {
        Flown[index] = 1;
        ++FlownCount;
    }
}

QRgb cellColour(const CellShade& shade)
{
    switch (shade.Class) {
    case CellClass::MoonCollision: return MoonColour;
    case CellClass::EarthCollision: return EarthColour;
    case CellClass::TimeLimit: return TimeLimitColour;
    case CellClass::Integrator: return IntegratorColour;
    case CellClass::Escape: break;
    }
    return Mix(EscapeFar, EscapeNear, shade.Brightness);
}

LaunchMapView::LaunchMapView(QWidget* parent) : QWidget(parent)
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
        for (std::size_t i = 0; i < map_->Grid.CellCount(); ++i)
            paintCell(i);
    }
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
                    map_->Flown[index] ? cellColour(MapCellShade(map_->Summaries[index]))
                                       : NotFlownColour);
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
    if (!map_->Flown[index]) {
        const FieldTexts fields = CellFieldTexts(launch);
        return tr("Angle %1°, velocity %2 km/s: not flown yet")
            .arg(Text(fields.Angle), Text(fields.Velocity));
    }
    return Text(CellDescription(launch, map_->Summaries[index]));
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
    return {560, 2 * fontMetrics().height() + 8};
}

void LaunchMapLegend::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const QFontMetrics metrics(font());
    const int h = metrics.height();
    const int box = h - 4;
    int x = 2;
    const auto swatch = [&](QRgb colour, const QString& text) {
        painter.fillRect(x, 2, box, box, QColor(colour));
        painter.drawRect(x, 2, box, box);
        x += box + 4;
        painter.drawText(x, 2 + metrics.ascent() - 1, text);
        x += metrics.horizontalAdvance(text) + 12;
    };
    swatch(MoonColour, tr("Moon collision"));
    swatch(EarthColour, tr("Earth collision"));
    swatch(TimeLimitColour, tr("time limit"));
    swatch(IntegratorColour, tr("integrator stopped"));
    swatch(NotFlownColour, tr("not flown"));

    // The escapes' scale: brightness against the closest approach, log scale.
    const int y = h + 6;
    const QString near = tr("escape: %1 km").arg(ShadeNearKm);
    const QString far = tr("%1 km above the Moon").arg(ShadeFarKm, 0, 'f', 0);
    painter.drawText(2, y + metrics.ascent() - 1, near);
    const int left = 2 + metrics.horizontalAdvance(near) + 6;
    const int barWidth = std::max(40, width() - left - metrics.horizontalAdvance(far) - 10);
    for (int i = 0; i < barWidth; ++i)
        painter.fillRect(left + i, y, 1, box,
                         QColor(cellColour(CellShade{CellClass::Escape, 1.0 - double(i) / (barWidth - 1)})));
    painter.drawText(left + barWidth + 6, y + metrics.ascent() - 1, far);
}

}  // namespace orrimar
