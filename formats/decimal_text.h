// Text-to-number conversions of the launch-parameter fields: the strict one of the steppers
// and the lenient one of Start and Config; "." is the decimal point whatever the locale.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace orrimar {

// A text that is not a decimal number; what() is the user's message.
class ConversionError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

// Accepts: blanks, an optional "+" or "-", digits with at most one "." among them (at
// least one digit), an optional exponent ("e" or "E", an optional sign, digits), and
// trailing blanks. Blanks are spaces only. Nothing else: an empty text, a lone ".", a
// "_" gap or any other character fails. A number beyond the range of a double fails;
// one too small for it becomes 0. On failure value is left unchanged.
bool TryStrToFloat(std::string_view text, double& value);

// As TryStrToFloat; throws ConversionError "'<text>' ist kein gültiger Gleitkommawert"
// when the text is not a number.
double StrToFloat(std::string_view text);

// The message of ConversionError for text.
std::string InvalidFloatMessage(std::string_view text);

// The value of a launch-parameter text as Start and Config read it: the empty
// positions of the field (spaces) are left out, so that "45  .   " (an angle typed
// without filling the field) reads as 45, then the strict conversion applies. False,
// with value unchanged, when no number remains.
bool TryLaunchValue(std::string_view text, double& value);

// As TryLaunchValue, without a message: a text that does not convert counts as 0,
// which the flight and the sketch handle like any other value.
double LaunchValue(std::string_view text);

}  // namespace orrimar
