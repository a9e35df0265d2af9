// The integrator's failures as the user reads them.
#pragma once

#include "integrator/dop853.h"

#include <string>

namespace orrimar {

// The text of a failed integration (codes -2, -3, -4): "More than NMax= 200000 steps
// needed", "Step size too small, H= …", "The problem seems to become stiff at X=…".
// Empty for any other code.
std::string Dop853FailureText(const Dop853Result& result);

}  // namespace orrimar
