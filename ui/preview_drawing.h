// The preview of a planned launch drawn over a view of the rotating frame: a thin grey
// line apart from the followed flight, its burns, its end with the outcome, and its
// closest approaches to the Moon and the Earth with their distances.
#pragma once

#include "flight/flight_preview.h"

#include <QPointF>
#include <QString>

#include <functional>

class QPainter;

namespace orrimar {

// The end's caption, e.g. "escapes" or "30 days".
QString previewOutcomeText(const PreviewResult& preview);

// toPixel: rotating frame (distance units) -> widget pixels.
void drawPreview(QPainter& painter, const PreviewResult& preview,
                 const std::function<QPointF(double, double)>& toPixel);

}  // namespace orrimar
