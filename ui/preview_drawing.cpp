#include "ui/preview_drawing.h"

#include "flight/flight_run.h"

#include <QPainter>
#include <QPolygonF>

#include <cmath>

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

    // Burns: an orange diamond where each was made, and its handle: the Δv as an arrow
    // ending in a dot to drag.
    painter.setPen(QPen(QColor(200, 100, 0), 1.5));
    for (const BurnHandle& h : burnHandles(preview, toPixel)) {
        painter.drawLine(h.Base, h.Tip);
        painter.setBrush(QColor(200, 100, 0));
        painter.drawEllipse(h.Tip, 3.5, 3.5);
        painter.setBrush(Qt::NoBrush);
        const QPointF p = h.Base;
        const QPolygonF diamond{p + QPointF(0, -5), p + QPointF(5, 0), p + QPointF(0, 5),
                                p + QPointF(-5, 0), p + QPointF(0, -5)};
        painter.drawPolyline(diamond);
    }

    // Closest approaches: a small ring and the distance.
    painter.setPen(QPen(QColor(90, 90, 90), 1.0));
    const auto approach = [&](const PreviewApproach& a, const QString& body) {
        const QPointF p = toPixel(a.At.X, a.At.Y);
        painter.drawEllipse(p, 3.0, 3.0);
        painter.drawText(p + QPointF(5, 12),
                         QStringLiteral("%1 %2 km").arg(body).arg(a.Km, 0, 'f', 0));
    };
    approach(preview.Moon, QStringLiteral("Moon"));
    if (preview.Path.size() > 2)
        approach(preview.Earth, QStringLiteral("Earth"));

    // The end: a cross and the outcome.
    const QPointF end = toPixel(preview.End.X, preview.End.Y);
    painter.setPen(QPen(QColor(60, 60, 60), 1.5));
    painter.drawLine(end + QPointF(-4, -4), end + QPointF(4, 4));
    painter.drawLine(end + QPointF(-4, 4), end + QPointF(4, -4));
    painter.drawText(end + QPointF(6, -6), previewOutcomeText(preview));
    painter.restore();
}

}  // namespace orrimar
