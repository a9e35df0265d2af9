// The preview of a planned launch drawn over a view of the rotating frame: a thin grey
// line apart from the followed flight, its burns, its end with the outcome, and its
// closest approaches to the Moon and the Earth with their distances.
#pragma once

#include "flight/flight_preview.h"

#include <QPointF>
#include <QRectF>
#include <QString>

#include <functional>
#include <vector>

class QPainter;

namespace orrimar {

// A burn's handle: an arrow from where it was made, its length the Δv (PixelsPerKms), its
// tip dragged to change the Δv along and to the left of the motion.
inline constexpr double PixelsPerKms = 100.0;
struct BurnHandle {
    int Nr = 0;  // the burn's place in the flight's list
    QPointF Base;  // pixels
    QPointF Tip;
    double TangentX = 1.0;  // the direction of motion before the burn, rotating frame
    double TangentY = 0.0;
};
std::vector<BurnHandle> burnHandles(const PreviewResult& preview,
                                    const std::function<QPointF(double, double)>& toPixel);
// The Δv (along, left; km/s) whose handle has its tip at tip.
QPointF handleDv(const BurnHandle& handle, QPointF tip);

// The end's caption, e.g. "escapes" or "30 days".
QString previewOutcomeText(const PreviewResult& preview);

// A text label to place: the point it belongs to and its box's size, pixels.
struct LabelRequest {
    QPointF Anchor;
    QSizeF Size;
};
// Boxes for the labels, in their order (earlier ones get the nearer places): each beside its
// anchor where it covers no box placed before it and no obstacle (the marks), the places
// around the anchor tried ring by ring further out; one that finds none within a few rings
// goes below everything else. No two boxes overlap, and none covers an obstacle.
std::vector<QRectF> placeLabels(const std::vector<LabelRequest>& labels,
                                std::vector<QRectF> obstacles);

// toPixel: rotating frame (distance units) -> widget pixels.
void drawPreview(QPainter& painter, const PreviewResult& preview,
                 const std::function<QPointF(double, double)>& toPixel);

}  // namespace orrimar
