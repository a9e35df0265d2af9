// Whether launch texts kept from an earlier run may go back into the fields: each fits its
// field's mask and Config would accept the three.
#pragma once

#include <string_view>

namespace orrimar {

// The texts as the fields give them (blank positions as spaces, "  200.00", "+10.8000",
// "+229.700"): true when each has its mask's length, fits it with every required position
// filled, and the three pass Config's checks (altitude at least 100 km, |velocity| at least
// 10 km/s, an angle that is a number).
bool LaunchTextsRestorable(std::string_view altitudeText, std::string_view velocityText,
                           std::string_view angleText);

}  // namespace orrimar
