// The flight as it is drawn: the craft and the Moon in non-rotating axes centred on the
// Earth, turned from the rotating frame of the equations of motion.
#pragma once

#include "model/earth_moon.h"
#include "plot/world_point.h"

namespace orrimar {

// The craft and the Moon at time t relative to the Earth's centre, in distance units.
// Velocity is only rotated: its length is the speed relative to the rotating frame.
struct GeocentricPicture {
    WorldPoint Craft;
    WorldPoint Velocity;
    WorldPoint Moon;
};
GeocentricPicture RotatingToGeocentric(double t, const EarthMoonState& y);

}  // namespace orrimar
