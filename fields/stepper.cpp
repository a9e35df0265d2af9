#include "fields/stepper.h"

#include <cmath>

#include "formats/decimal_text.h"
#include "fields/edit_mask.h"
#include "formats/number_format.h"

namespace orrimar {

namespace {

// The field's edit mask.
std::string_view FieldEditMask(LaunchField field)
{
    switch (field) {
    case LaunchField::Altitude: return AltitudeMask;
    case LaunchField::Velocity: return VelocityMask;
    case LaunchField::Angle: return AngleMask;
    }
    return AngleMask;
}

// Units of the field's last decimal place in one unit of the field.
int FieldScale(LaunchField field)
{
    switch (field) {
    case LaunchField::Altitude: return 100;
    case LaunchField::Velocity: return 10000;
    case LaunchField::Angle: return 1000;
    }
    return 1000;
}

// The number format of a stepped value.
std::string_view FieldNumberFormat(LaunchField field)
{
    switch (field) {
    case LaunchField::Altitude: return AltitudeMask;  // the mask read as a number format
    case LaunchField::Velocity: return "+00.0000;-00.0000";
    case LaunchField::Angle: return "+000.000;-000.000";
    }
    return "+000.000;-000.000";
}

}  // namespace

StepResult StepFieldText(LaunchField field, std::string_view text, StepDirection direction)
{
    StepResult result;
    double value = 0.0;
    if (!TryStrToFloat(text, value)) {
        result.Outcome = StepOutcome::NotANumber;
        result.Error = InvalidFloatMessage(text);
        return result;
    }
    const long double scale = FieldScale(field);
    const long double units = RoundHalfEven(static_cast<long double>(value) * scale);
    // Far beyond what 8 characters can show; also keeps the integer arithmetic exact.
    constexpr long double MaxUnits = 1e15L;
    if (!(std::fabs(units) < MaxUnits))
        return result;
    long long count = static_cast<long long>(units);
    count += direction == StepDirection::Up ? 1 : -1;
    const double stepped = static_cast<double>(static_cast<long double>(count) / scale);

    std::string stepText = FormatFloat(FieldNumberFormat(field), stepped);
    double check = 0.0;
    if (!EditMask(FieldEditMask(field)).Fits(stepText) || !TryStrToFloat(stepText, check))
        return result;
    result.Outcome = StepOutcome::Stepped;
    result.Text = std::move(stepText);
    return result;
}

}  // namespace orrimar
