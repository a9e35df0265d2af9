#include "fields/config_checks.h"

#include "formats/decimal_text.h"

#include <cmath>

namespace orrimar {

ConfigRefusal CheckConfigValues(double altitudeKm, double velocityKms)
{
    // Written as "not at least" so that a NaN is refused too.
    if (!(altitudeKm >= ConfigMinAltitudeKm))
        return ConfigRefusal::Altitude;
    if (!(std::abs(velocityKms) >= ConfigMinVelocityKms))
        return ConfigRefusal::Velocity;
    return ConfigRefusal::None;
}

bool ConfigAngleText(std::string_view text, double& angle)
{
    return TryLaunchValue(text, angle);
}

ConfigRefusal CheckConfigTexts(std::string_view altitudeText, std::string_view velocityText,
                               std::string_view angleText, double& angleDeg)
{
    const ConfigRefusal refusal =
        CheckConfigValues(LaunchValue(altitudeText), LaunchValue(velocityText));
    if (refusal != ConfigRefusal::None)
        return refusal;
    double angle = 0.0;
    if (!ConfigAngleText(angleText, angle))
        return ConfigRefusal::Angle;
    angleDeg = angle;
    return ConfigRefusal::None;
}

}  // namespace orrimar
