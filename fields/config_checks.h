// The checks the Config button makes before it draws the start configuration: the altitude
// (km) and velocity (km/s) limits, and whether the angle text (degrees) is a number at all.
#pragma once

#include <string_view>

namespace orrimar {

// Which field a Config click refuses, if any; the handler gives that field the focus and
// draws nothing.
enum class ConfigRefusal { None, Altitude, Velocity, Angle };

inline constexpr double ConfigMinAltitudeKm = 100.0;  // lowest parking orbit, km
inline constexpr double ConfigMinVelocityKms = 10.0;  // smallest |launch velocity|, km/s

// Altitude first, then velocity: Altitude when altitudeKm is below 100 km, else Velocity
// when |velocityKms| is below 10 km/s, else None. A NaN (which no field text yields) is
// refused like a value below the limit. Never returns Angle.
ConfigRefusal CheckConfigValues(double altitudeKm, double velocityKms);

// The launch angle in degrees from the angle field's text, read by the same conversion as
// Start (empty positions left out: "45  .   " is 45). False, with angle unchanged, when no
// number remains ("+   .   ", "+1_.0000"): the sketch is then refused instead of drawn
// with a made-up angle. Any number that converts is accepted, however large.
bool ConfigAngleText(std::string_view text, double& angle);

// The three field texts checked in the order Config uses: altitude and velocity as
// CheckConfigValues with LaunchValue (a text that does not convert counts as 0 and is thus
// refused), then the angle as ConfigAngleText. angleDeg is set only when None is returned.
ConfigRefusal CheckConfigTexts(std::string_view altitudeText, std::string_view velocityText,
                               std::string_view angleText, double& angleDeg);

}  // namespace orrimar
