// The general number format of the integrator's messages and of values too large for a
// picture format: up to 15 significant digits, "." as decimal point whatever the locale.
#pragma once

#include <string>

namespace orrimar {

// 15 significant digits, trailing zeros dropped; scientific with E and the shortest
// exponent for very small and very large magnitudes (1E-20, 1.5E20); "INF", "-INF",
// "NAN" for the values that are not finite.
std::string FormatGeneral(double value);

}  // namespace orrimar
