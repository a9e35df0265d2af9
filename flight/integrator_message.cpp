#include "flight/integrator_message.h"

#include "formats/general_format.h"

namespace orrimar {

std::string Dop853FailureText(const Dop853Result& result)
{
    switch (result.Code) {
    case Dop853TooManySteps:
        return "More than NMax= " + std::to_string(result.StepLimit) + " steps needed";
    case Dop853StepTooSmall:
        return "Step size too small, H= " + FormatGeneral(result.TooSmallH);
    case Dop853Stiff:
        return "The problem seems to become stiff at X=" + FormatGeneral(result.StiffAt);
    default:
        return {};
    }
}

}  // namespace orrimar
