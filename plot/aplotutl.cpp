#include "plot/aplotutl.h"

namespace orrimar {

TPlotPoint MakePoint(double x, double y) { return TPlotPoint{x, y}; }

}  // namespace orrimar
