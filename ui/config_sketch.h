// The sketch of the start configuration in the full view: Earth, dotted parking orbit,
// blast-off point, launch velocity arrow, launch-angle arc and the two axes.
#pragma once

#include "ui/paint_box.h"

namespace orrimar {

// Replaces everything on view by the sketch for the launch angle angleDeg (degrees,
// counter-clockwise from the direction to the Moon) and makes the sketch frame view's
// stored and current frame. The sketch is not to scale: the Earth has radius 4 and the
// parking orbit radius 5 in a world of −10 … 10 on both axes. Leaves the pen black, solid,
// 1 pixel wide and the brush white. Any angle is drawn; a non-finite one puts the
// blast-off point and its arrow off the view instead of failing.
void drawConfigSketch(PaintBox& view, double angleDeg);

}  // namespace orrimar
