#include "fields/saved_launch.h"

#include "fields/config_checks.h"
#include "fields/edit_mask.h"

namespace orrimar {

namespace {

bool FitsMask(std::string_view mask, std::string_view text)
{
    const EditMask editMask(mask);
    if (static_cast<int>(text.size()) != editMask.Length())
        return false;
    // Normalise turns the spaces of blank positions into the mask's blank character.
    return editMask.Fits(editMask.Normalise(text));
}

}  // namespace

bool LaunchTextsRestorable(std::string_view altitudeText, std::string_view velocityText,
                           std::string_view angleText)
{
    if (!FitsMask(AltitudeMask, altitudeText) || !FitsMask(VelocityMask, velocityText) ||
        !FitsMask(AngleMask, angleText))
        return false;
    double angle = 0.0;
    return CheckConfigTexts(altitudeText, velocityText, angleText, angle) == ConfigRefusal::None;
}

}  // namespace orrimar
