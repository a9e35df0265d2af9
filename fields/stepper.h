// The up/down steppers of the launch-parameter fields: one step changes a field's value
// by one unit of its last decimal place.
#pragma once

#include <string>
#include <string_view>

namespace orrimar {

enum class LaunchField { Altitude, Velocity, Angle };
enum class StepDirection { Up, Down };

enum class StepOutcome {
    Stepped,     // Text is the field's new text
    NotANumber,  // the field's text does not convert; Error is the message to show
    Refused,     // the new value has no text the field can hold: keep the text, beep
};

struct StepResult {
    StepOutcome Outcome = StepOutcome::Refused;
    std::string Text;
    std::string Error;
};

// One step of a field from its current text (as the field reads it, blanks as spaces):
// strict conversion, times the scale, rounded (halves to even), plus or minus 1, divided
// by the scale, written in the field's number format. Values do not wrap: the velocity
// and the angle go on below zero ("+00.0000" down gives "-00.0001").
// A step is taken only when its result is a text the field's mask holds in full and
// that converts back; otherwise it is refused and the field keeps its text. This refuses
// a step of the altitude to zero or below (its format would write "_" or "1") and any
// step whose result needs more than the field's 8 characters ("+99.9999" up,
// "99999.99" up, "+999.999" up, "-999.999" down).
StepResult StepFieldText(LaunchField field, std::string_view text, StepDirection direction);

}  // namespace orrimar
