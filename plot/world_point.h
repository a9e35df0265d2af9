// A point of the world plane: Earth–Moon distances or sketch units, y up.
#pragma once

namespace orrimar {

struct WorldPoint {
    double X = 0.0;
    double Y = 0.0;
    bool operator==(const WorldPoint&) const = default;
};

}  // namespace orrimar
