#include "flight/geocentric.h"

#include "model/earth_moon.h"

#include <cmath>

namespace orrimar {

GeocentricPicture RotatingToGeocentric(double t, const EarthMoonState& y)
{
    const long double alpha = FrameRate * t;
    const long double s = std::sin(alpha);
    const long double c = std::cos(alpha);
    auto rotate = [&](long double p, long double q) {
        return WorldPoint{static_cast<double>(c * p - s * q), static_cast<double>(s * p + c * q)};
    };
    const WorldPoint craft = rotate(y[1], y[3]);
    const WorldPoint velocity = rotate(y[2], y[4]);
    const WorldPoint earth = rotate(-Mu, 0.0L);
    const WorldPoint moon = rotate(OneMinusMu, 0.0L);
    return GeocentricPicture{
        WorldPoint{craft.X - earth.X, craft.Y - earth.Y},
        velocity,
        WorldPoint{moon.X - earth.X, moon.Y - earth.Y},
    };
}

}  // namespace orrimar
