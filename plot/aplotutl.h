// World-to-pixel frames kept per paint box, and small operations on world points.
#pragma once

#include "plot/plot_point.h"

namespace orrimar {

TPlotPoint MakePoint(double x, double y);

}  // namespace orrimar
