#include "ui/moon_frame_view.h"

#include "flight/lagrange_points.h"
#include "model/earth_moon.h"
#include "ui/preview_drawing.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPolygonF>
#include <QWheelEvent>

#include <algorithm>
#include <cmath>
#include <limits>
#include <utility>

namespace orrimar {

namespace {

// The view at rest shows 2.8 distance units across its smaller side: the Earth, the Moon
// and all five Lagrange points (L3 at x ≈ −1.005, L2 at x ≈ 1.156).
constexpr double RestSpan = 2.8;
constexpr double MinScale = 1e-3;  // pixels per unit: 3.8·10⁸ km per pixel
constexpr double MaxScale = 1e9;   // 0.4 m per pixel
const QRgb ClosedColour = qRgba(255, 200, 160, 150);
const QRgb CurveColour = qRgba(200, 80, 0, 255);

}  // namespace

MoonFrameView::MoonFrameView(QWidget* parent)
    : QWidget(parent), jacobi0_(std::numeric_limits<double>::quiet_NaN())
{
    setMinimumSize(200, 200);
    setMouseTracking(false);
    setCursor(Qt::OpenHandCursor);
    setToolTip("Wheel: zoom about the cursor; drag: pan; double-click: whole view");
    resetView();
}

void MoonFrameView::clearFlight()
{
    // The closed region stays until the next flight's Jacobi integral arrives with its
    // launch point: the same launch again costs no new rendering.
    track_.Clear();
    burnMarks_.clear();
    update();
}

void MoonFrameView::addPoint(double x, double y) { track_.Add(x, y); }

void MoonFrameView::addBurnMark(double x, double y) { burnMarks_.emplace_back(x, y); }

void MoonFrameView::setTrajectory(const TrajectoryThinner& trajectory)
{
    track_ = trajectory;
    update();
}

void MoonFrameView::setPreview(std::shared_ptr<const PreviewResult> preview)
{
    preview_ = std::move(preview);
    update();
}

void MoonFrameView::setJacobi0(double jacobi0)
{
    const bool same = (std::isnan(jacobi0) && std::isnan(jacobi0_)) || jacobi0 == jacobi0_;
    if (same)
        return;
    jacobi0_ = jacobi0;
    shadingValid_ = false;
    update();
}

void MoonFrameView::resetView()
{
    viewSet_ = false;
    centreX_ = 0.0;
    centreY_ = 0.0;
    scale_ = std::max(1, std::min(width(), height())) / RestSpan;
    viewChanged();
}

QPointF MoonFrameView::toPixel(double x, double y) const
{
    return {width() / 2.0 + (x - centreX_) * scale_, height() / 2.0 - (y - centreY_) * scale_};
}

QPointF MoonFrameView::toFrame(QPointF pixel) const
{
    return {centreX_ + (pixel.x() - width() / 2.0) / scale_,
            centreY_ - (pixel.y() - height() / 2.0) / scale_};
}

void MoonFrameView::viewChanged()
{
    shadingValid_ = false;
    update();
}

namespace {

// The shading's size in device pixels for a widget of `size` at the ratio.
QSize DeviceSize(QSize size, qreal ratio)
{
    return {static_cast<int>(std::ceil(std::max(1, size.width()) * ratio)),
            static_cast<int>(std::ceil(std::max(1, size.height()) * ratio))};
}

}  // namespace

const QImage& MoonFrameView::shading()
{
    // A move to a screen of another ratio changes the device size: rendered again.
    if (!shadingValid_ || shading_.size() != DeviceSize(size(), devicePixelRatioF()))
        renderShading();
    return shading_;
}

void MoonFrameView::renderShading()
{
    shadingValid_ = true;
    ++shadingRenders_;
    // One verdict per device pixel, so that the boundary is as sharp as the screen.
    const qreal ratio = devicePixelRatioF();
    const QSize device = DeviceSize(size(), ratio);
    const int w = device.width();
    const int h = device.height();
    // The widget's centre in device pixels, and pixels per unit on the device.
    const double halfW = std::max(1, width()) * ratio / 2.0;
    const double halfH = std::max(1, height()) * ratio / 2.0;
    const double deviceScale = scale_ * ratio;
    shading_ = QImage(w, h, QImage::Format_ARGB32_Premultiplied);
    shading_.setDevicePixelRatio(ratio);
    shading_.fill(Qt::transparent);
    if (std::isnan(jacobi0_))
        return;
    // Closed where a craft at rest would have a smaller Jacobi integral than the flight's.
    const auto closedAt = [&](int i, int j) -> char {
        const double x = centreX_ + (i + 0.5 - halfW) / deviceScale;
        const double y = centreY_ - (j + 0.5 - halfH) / deviceScale;
        return ZeroVelocityJacobi(x, y) < jacobi0_;
    };
    // On a HiDPI screen one verdict per block of step × step pixels first, then one per pixel
    // only in the blocks that differ from a neighbour (the boundary): about the cost at
    // ratio 1 rather than step² times it.
    const int step = std::max(1, static_cast<int>(ratio));
    const int cw = (w + step - 1) / step;
    const int ch = (h + step - 1) / step;
    std::vector<char> coarse(static_cast<std::size_t>(cw) * static_cast<std::size_t>(ch));
    for (int bj = 0; bj < ch; ++bj)
        for (int bi = 0; bi < cw; ++bi)
            coarse[static_cast<std::size_t>(bj) * cw + bi] =
                closedAt(std::min(bi * step + step / 2, w - 1), std::min(bj * step + step / 2, h - 1));
    std::vector<char> closed(static_cast<std::size_t>(w) * static_cast<std::size_t>(h));
    for (int bj = 0; bj < ch; ++bj)
        for (int bi = 0; bi < cw; ++bi) {
            const char v = coarse[static_cast<std::size_t>(bj) * cw + bi];
            bool uniform = true;
            for (int n = 0; n < 9 && step > 1; ++n) {
                const int ni = bi + n % 3 - 1, nj = bj + n / 3 - 1;
                if (ni >= 0 && ni < cw && nj >= 0 && nj < ch)
                    uniform = uniform && coarse[static_cast<std::size_t>(nj) * cw + ni] == v;
            }
            for (int j = bj * step; j < std::min(h, (bj + 1) * step); ++j)
                for (int i = bi * step; i < std::min(w, (bi + 1) * step); ++i)
                    closed[static_cast<std::size_t>(j) * w + i] = step == 1 || uniform ? v : closedAt(i, j);
        }
    // A closed pixel with an open neighbour is on the boundary curve.
    const QRgb closedColour = qPremultiply(ClosedColour);
    const auto at = [&](int i, int j) { return closed[static_cast<std::size_t>(j) * w + i]; };
    for (int j = 0; j < h; ++j) {
        auto* line = reinterpret_cast<QRgb*>(shading_.scanLine(j));
        for (int i = 0; i < w; ++i) {
            if (!at(i, j))
                continue;
            const bool edge = (j > 0 && !at(i, j - 1)) || (j + 1 < h && !at(i, j + 1)) ||
                              (i > 0 && !at(i - 1, j)) || (i + 1 < w && !at(i + 1, j));
            line[i] = edge ? CurveColour : closedColour;
        }
    }
}

void MoonFrameView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), Qt::white);
    painter.drawImage(0, 0, shading());
    painter.setRenderHint(QPainter::Antialiasing);

    // The x axis through both bodies.
    // Pens 1 wide rather than cosmetic: the same pixels at ratio 1, a logical pixel on a
    // HiDPI screen instead of a hairline.
    painter.setPen(QPen(QColor(220, 220, 220), 1));
    const double axisY = toPixel(0.0, 0.0).y();
    painter.drawLine(QPointF(0, axisY), QPointF(width(), axisY));

    // The bodies to scale (at least a pixel across, so that they stay visible).
    auto disc = [&](double x, long double radius, const QColor& colour) {
        const double r = std::max(1.0, static_cast<double>(radius) * scale_);
        painter.setPen(QPen(Qt::black, 1));
        painter.setBrush(colour);
        painter.drawEllipse(toPixel(x, 0.0), r, r);
    };
    disc(static_cast<double>(-Mu), EarthRadius, QColor(0, 255, 255));
    disc(static_cast<double>(OneMinusMu), MoonRadius, QColor(0, 128, 128));

    painter.setPen(QPen(QColor(160, 0, 160), 1.5));
    for (const LagrangePoint& l : LagrangePoints()) {
        const QPointF p = toPixel(l.X, l.Y);
        painter.drawLine(p + QPointF(-4, -4), p + QPointF(4, 4));
        painter.drawLine(p + QPointF(-4, 4), p + QPointF(4, -4));
        painter.drawText(p + QPointF(5, -5),
                         QString::fromLatin1(l.Name.data(), static_cast<qsizetype>(l.Name.size())));
    }

    if (preview_)
        drawPreview(painter, *preview_, [this](double x, double y) { return toPixel(x, y); });

    if (track_.HasLast()) {
        // Only the points that move the line by a pixel or more are drawn: the cost of a
        // repaint follows the line's length on the screen, not the number of points.
        QPolygonF line;
        auto append = [&](QPointF p) {
            if (line.isEmpty() || std::abs(p.x() - line.back().x()) >= 1.0 ||
                std::abs(p.y() - line.back().y()) >= 1.0)
                line.append(p);
        };
        for (const PlanePoint& p : track_.Kept())
            append(toPixel(p.X, p.Y));
        const QPointF craft = toPixel(track_.Last().X, track_.Last().Y);
        line.append(craft);
        painter.setRenderHint(QPainter::Antialiasing, false);
        painter.setPen(QPen(QColor(0, 0, 255), 1));
        painter.drawPolyline(line);
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(QColor(255, 0, 0));
        painter.drawEllipse(craft, 3.0, 3.0);
    }
    painter.setPen(QPen(QColor(200, 100, 0), 1.5));
    painter.setBrush(Qt::NoBrush);
    for (const QPointF& mark : burnMarks_)
        painter.drawRect(QRectF(toPixel(mark.x(), mark.y()) - QPointF(4, 4), QSizeF(8, 8)));
}

void MoonFrameView::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!viewSet_)
        resetView();
    else
        viewChanged();
}

void MoonFrameView::wheelEvent(QWheelEvent* event)
{
    const double notches = event->angleDelta().y() / 120.0;
    if (notches == 0.0)
        return;
    // The frame point under the cursor stays under it.
    const QPointF cursor = event->position();
    const QPointF fixed = toFrame(cursor);
    scale_ = std::clamp(scale_ * std::pow(1.25, notches), MinScale, MaxScale);
    centreX_ = fixed.x() - (cursor.x() - width() / 2.0) / scale_;
    centreY_ = fixed.y() + (cursor.y() - height() / 2.0) / scale_;
    viewSet_ = true;
    viewChanged();
    event->accept();
}

void MoonFrameView::mousePressEvent(QMouseEvent* event)
{
    if (event->button() != Qt::LeftButton)
        return;
    burnDragged_ = -1;
    if (preview_) {
        const auto handles = burnHandles(*preview_, [this](double x, double y) { return toPixel(x, y); });
        for (std::size_t i = 0; i < handles.size(); ++i) {
            const QPointF off = event->position() - handles[i].Tip;
            if (off.x() * off.x() + off.y() * off.y() <= 64.0)
                burnDragged_ = static_cast<int>(i);
        }
    }
    dragging_ = true;
    dragFrom_ = event->position();
    setCursor(Qt::ClosedHandCursor);
}

void MoonFrameView::mouseMoveEvent(QMouseEvent* event)
{
    if (!dragging_)
        return;
    if (burnDragged_ >= 0 && preview_ &&
        burnDragged_ < static_cast<int>(preview_->Burns.size())) {
        const auto handles = burnHandles(*preview_, [this](double x, double y) { return toPixel(x, y); });
        const BurnHandle& h = handles[static_cast<std::size_t>(burnDragged_)];
        const QPointF dv = handleDv(h, event->position());
        emit burnDragged(h.Nr, dv.x(), dv.y());
        return;
    }
    const QPointF moved = event->position() - dragFrom_;
    dragFrom_ = event->position();
    centreX_ -= moved.x() / scale_;
    centreY_ += moved.y() / scale_;
    viewSet_ = true;
    viewChanged();
}

void MoonFrameView::mouseReleaseEvent(QMouseEvent*)
{
    dragging_ = false;
    burnDragged_ = -1;
    setCursor(Qt::OpenHandCursor);
}

void MoonFrameView::mouseDoubleClickEvent(QMouseEvent*) { resetView(); }

}  // namespace orrimar
