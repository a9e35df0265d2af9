#include "ui/preview_drawing.h"

#include "flight/flight_run.h"
#include "flight/lagrange_points.h"

#include <QFontMetricsF>
#include <QPainter>
#include <QPolygonF>

#include <algorithm>
#include <cmath>
#include <optional>

namespace orrimar {

QString previewOutcomeText(const PreviewResult& preview)
{
    switch (preview.Outcome) {
    case FlightOutcome::CollisionMoon:
        return QStringLiteral("hits the Moon");
    case FlightOutcome::CollisionEarth:
        return QStringLiteral("hits the Earth");
    case FlightOutcome::Escape:
        return QStringLiteral("escapes");
    case FlightOutcome::TimeLimit:
        return QStringLiteral("%1 days").arg(static_cast<double>(preview.End.T * DaysPerTimeUnit), 0, 'f', 1);
    case FlightOutcome::Integrator:
        break;
    }
    return QStringLiteral("integrator stopped (%1)").arg(preview.IntegratorCode);
}

std::vector<QRectF> placeLabels(const std::vector<LabelRequest>& labels,
                                std::vector<QRectF> obstacles)
{
    // Ring 0 sits just off a mark (they are at most 5 pixels from their anchor); each ring
    // further out moves a label's height and a little more.
    constexpr double FirstGap = 6.0;
    constexpr int Rings = 12;
    std::vector<QRectF> placed;
    placed.reserve(labels.size());
    const auto free = [&](const QRectF& box) {
        const auto hits = [&box](const QRectF& other) { return box.intersects(other); };
        return std::none_of(placed.begin(), placed.end(), hits) &&
               std::none_of(obstacles.begin(), obstacles.end(), hits);
    };
    for (const LabelRequest& label : labels) {
        const double w = label.Size.width();
        const double h = label.Size.height();
        const QPointF a = label.Anchor;
        std::optional<QRectF> found;
        for (int ring = 0; ring < Rings && !found; ++ring) {
            const double d = FirstGap + ring * (h + 2.0);
            // Right below first (where a caption is read from its point), then the other
            // corners, the sides, below and above.
            const QPointF corners[] = {
                {a.x() + d, a.y() + d / 2.0},     {a.x() + d, a.y() - d / 2.0 - h},
                {a.x() - d - w, a.y() + d / 2.0}, {a.x() - d - w, a.y() - d / 2.0 - h},
                {a.x() + d, a.y() - h / 2.0},     {a.x() - d - w, a.y() - h / 2.0},
                {a.x() - w / 2.0, a.y() + d},     {a.x() - w / 2.0, a.y() - d - h},
            };
            for (const QPointF& corner : corners) {
                const QRectF box(corner, label.Size);
                if (free(box)) {
                    found = box;
                    break;
                }
            }
        }
        if (!found) {
            // Below every box and mark in the label's own column: nothing can be there, and
            // marks far off to the side (a Lagrange point off the view) don't push it away.
            const double left = a.x() + FirstGap;
            const double right = left + label.Size.width();
            double bottom = a.y();
            const auto lower = [&](const QRectF& r) {
                if (r.right() > left && r.left() < right)
                    bottom = std::max(bottom, r.bottom());
            };
            std::for_each(placed.begin(), placed.end(), lower);
            std::for_each(obstacles.begin(), obstacles.end(), lower);
            found = QRectF(QPointF(left, bottom + 2.0), label.Size);
        }
        placed.push_back(*found);
    }
    return placed;
}

std::vector<BurnHandle> burnHandles(const PreviewResult& preview,
                                    const std::function<QPointF(double, double)>& toPixel)
{
    std::vector<BurnHandle> handles;
    const double kms = static_cast<double>(VelocityUnitKms);
    for (const FlightBurnDone& burn : preview.Burns) {
        BurnHandle h;
        h.Nr = burn.Nr;
        h.Base = toPixel(burn.Before[1], burn.Before[3]);
        const double speed = std::hypot(burn.Before[2], burn.Before[4]);
        if (speed > 0.0) {
            h.TangentX = burn.Before[2] / speed;
            h.TangentY = burn.Before[4] / speed;
        }
        // The change of velocity in the frame, km/s; the screen's y points down.
        const double dvx = (burn.After[2] - burn.Before[2]) * kms;
        const double dvy = (burn.After[4] - burn.Before[4]) * kms;
        h.Tip = h.Base + QPointF(dvx, -dvy) * PixelsPerKms;
        handles.push_back(h);
    }
    return handles;
}

QPointF handleDv(const BurnHandle& handle, QPointF tip)
{
    const QPointF d = (tip - handle.Base) / PixelsPerKms;
    const double x = d.x();
    const double y = -d.y();
    const double along = x * handle.TangentX + y * handle.TangentY;
    const double left = -x * handle.TangentY + y * handle.TangentX;
    return {along, left};
}

void drawPreview(QPainter& painter, const PreviewResult& preview,
                 const std::function<QPointF(double, double)>& toPixel)
{
    if (preview.Path.empty())
        return;
    painter.save();
    painter.setRenderHint(QPainter::Antialiasing);
    QPolygonF line;
    line.reserve(static_cast<qsizetype>(preview.Path.size()));
    for (const PreviewPoint& p : preview.Path) {
        const QPointF pixel = toPixel(p.X, p.Y);
        // Far outside the widget the painter's integers overflow; the line is cut there.
        if (std::abs(pixel.x()) > 1e6 || std::abs(pixel.y()) > 1e6)
            break;
        // A point less than half a pixel from the last one drawn adds nothing to see: an
        // orbit wound a hundred times around a Moon a few pixels wide costs a few segments.
        if (!line.isEmpty() && std::abs(pixel.x() - line.back().x()) < 0.5 &&
            std::abs(pixel.y() - line.back().y()) < 0.5)
            continue;
        line.append(pixel);
    }
    painter.setPen(QPen(QColor(128, 128, 128), 0));
    painter.setBrush(Qt::NoBrush);
    painter.setRenderHint(QPainter::Antialiasing, false);
    painter.drawPolyline(line);
    painter.setRenderHint(QPainter::Antialiasing);

    // Every mark the labels must leave visible: the preview's own and the Lagrange points'
    // crosses and names (as the view draws them: a cross 4 pixels wide, the name at 5, -5).
    const QFontMetricsF metrics(painter.font());
    const auto around = [](QPointF p, double r) { return QRectF(p - QPointF(r, r), p + QPointF(r, r)); };
    std::vector<QRectF> marks;
    for (const LagrangePoint& l : LagrangePoints()) {
        const QPointF p = toPixel(l.X, l.Y);
        marks.push_back(around(p, 5.0));
        const QString name = QString::fromLatin1(l.Name.data(), static_cast<qsizetype>(l.Name.size()));
        marks.emplace_back(p.x() + 5.0, p.y() - 5.0 - metrics.ascent(), metrics.horizontalAdvance(name),
                           metrics.height());
    }
    const std::vector<BurnHandle> handles = burnHandles(preview, toPixel);
    const QPointF moon = toPixel(preview.Moon.At.X, preview.Moon.At.Y);
    const QPointF earth = toPixel(preview.Earth.At.X, preview.Earth.At.Y);
    const QPointF end = toPixel(preview.End.X, preview.End.Y);
    const bool showEarth = preview.Path.size() > 2;
    marks.push_back(around(moon, 4.0));
    if (showEarth)
        marks.push_back(around(earth, 4.0));
    marks.push_back(around(end, 5.0));
    for (const BurnHandle& h : handles) {
        marks.push_back(around(h.Base, 6.0));
        marks.push_back(around(h.Tip, 5.0));
    }

    // Burns: an orange diamond where each was made, and its handle: the Δv as an arrow
    // ending in a dot to drag.
    painter.setPen(QPen(QColor(200, 100, 0), 1.5));
    for (const BurnHandle& h : handles) {
        painter.drawLine(h.Base, h.Tip);
        painter.setBrush(QColor(200, 100, 0));
        painter.drawEllipse(h.Tip, 3.5, 3.5);
        painter.setBrush(Qt::NoBrush);
        const QPointF p = h.Base;
        const QPolygonF diamond{p + QPointF(0, -5), p + QPointF(5, 0), p + QPointF(0, 5),
                                p + QPointF(-5, 0), p + QPointF(0, -5)};
        painter.drawPolyline(diamond);
    }
    // Closest approaches: a small ring; the end: a cross.
    painter.setPen(QPen(QColor(90, 90, 90), 1.0));
    painter.drawEllipse(moon, 3.0, 3.0);
    if (showEarth)
        painter.drawEllipse(earth, 3.0, 3.0);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.drawLine(end + QPointF(-4, -4), end + QPointF(4, 4));
    painter.drawLine(end + QPointF(-4, 4), end + QPointF(4, -4));

    // The labels, placed apart from each other and from every mark, on paper that keeps
    // them legible over a wound orbit; one pushed away from its point is tied to it by a
    // thin line.
    struct Label {
        QPointF Anchor;
        QString Text;
        QColor Colour;
    };
    const QColor grey(90, 90, 90);
    std::vector<Label> texts;
    texts.push_back({moon, QStringLiteral("Moon %1 km").arg(preview.Moon.Km, 0, 'f', 0), grey});
    if (showEarth)
        texts.push_back({earth, QStringLiteral("Earth %1 km").arg(preview.Earth.Km, 0, 'f', 0), grey});
    texts.push_back({end, previewOutcomeText(preview), QColor(60, 60, 60)});
    const double kms = static_cast<double>(VelocityUnitKms);
    for (std::size_t i = 0; i < handles.size(); ++i) {
        const FlightBurnDone& burn = preview.Burns[i];
        const double dv = std::hypot(burn.After[2] - burn.Before[2], burn.After[4] - burn.Before[4]) * kms;
        texts.push_back({handles[i].Base,
                         QStringLiteral("burn %1: %2 km/s").arg(burn.Nr + 1).arg(dv, 0, 'f', 2),
                         QColor(200, 100, 0)});
    }
    std::vector<LabelRequest> requests;
    for (const Label& t : texts)
        requests.push_back({t.Anchor, QSizeF(metrics.horizontalAdvance(t.Text) + 2.0, metrics.height())});
    const std::vector<QRectF> boxes = placeLabels(requests, std::move(marks));
    for (std::size_t i = 0; i < texts.size(); ++i) {
        const QRectF& box = boxes[i];
        const QPointF a = texts[i].Anchor;
        const QPointF nearest(std::clamp(a.x(), box.left(), box.right()),
                              std::clamp(a.y(), box.top(), box.bottom()));
        const QPointF off = nearest - a;
        painter.setPen(QPen(texts[i].Colour, 0));
        if (off.x() * off.x() + off.y() * off.y() > 12.0 * 12.0)
            painter.drawLine(a, nearest);
        painter.fillRect(box, QColor(255, 255, 255, 210));
        painter.drawText(box, Qt::AlignLeft | Qt::AlignVCenter, texts[i].Text);
    }
    painter.restore();
}

}  // namespace orrimar
