// A point of the world plane: Earth–Moon distances or sketch units, y up.
#pragma once

namespace orrimar {

struct TPlotPoint {
    double X = 0.0;
    double Y = 0.0;
    bool operator==(const TPlotPoint&) const = default;
};

}  // namespace orrimar
