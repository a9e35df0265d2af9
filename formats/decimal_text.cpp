#include "formats/decimal_text.h"

#include <charconv>
#include <cmath>
#include <string>
#include <system_error>

namespace orrimar {

namespace {

bool IsDigit(char c)
{
    return c >= '0' && c <= '9';
}

}  // namespace

bool TryStrToFloat(std::string_view text, double& value)
{
    std::size_t i = 0;
    const auto skipBlanks = [&] {
        while (i < text.size() && text[i] == ' ')
            ++i;
    };
    skipBlanks();
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';

    // The unsigned number, rebuilt for from_chars, which takes neither "+" nor blanks.
    std::string number;
    int digits = 0;
    int leadingZeros = 0;      // zeros before the first significant digit
    int integerDigits = 0;     // digits before the point
    bool seenSignificant = false;
    bool seenPoint = false;
    for (; i < text.size(); ++i) {
        const char c = text[i];
        if (IsDigit(c)) {
            ++digits;
            if (!seenPoint)
                ++integerDigits;
            if (c != '0')
                seenSignificant = true;
            else if (!seenSignificant)
                ++leadingZeros;
        } else if (c == '.' && !seenPoint) {
            seenPoint = true;
        } else {
            break;
        }
        number += c;
    }
    if (digits == 0)
        return false;

    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        number += 'e';
        ++i;
        bool exponentNegative = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
            exponentNegative = text[i] == '-';
            number += text[i++];
        }
        int exponentDigits = 0;
        for (; i < text.size() && IsDigit(text[i]); ++i, ++exponentDigits) {
            number += text[i];
            if (exponent < 100000)
                exponent = exponent * 10 + (text[i] - '0');
        }
        if (exponentDigits == 0)
            return false;
        if (exponentNegative)
            exponent = -exponent;
    }
    skipBlanks();
    if (i != text.size())
        return false;

    double result = 0.0;
    const auto [end, error] = std::from_chars(number.data(), number.data() + number.size(), result);
    if (error == std::errc::result_out_of_range) {
        // Out of range either way: too large is an error, too small is zero.
        if (!seenSignificant)
            result = 0.0;
        else if (exponent + integerDigits - leadingZeros > 0)
            return false;
        else
            result = 0.0;
    } else if (error != std::errc{} || end != number.data() + number.size() ||
               !std::isfinite(result)) {
        return false;
    }
    value = negative ? -result : result;
    return true;
}

std::string InvalidFloatMessage(std::string_view text)
{
    std::string message = "'";
    message.append(text).append("' ist kein gültiger Gleitkommawert");
    return message;
}

double StrToFloat(std::string_view text)
{
    double value = 0.0;
    if (!TryStrToFloat(text, value))
        throw ConversionError(InvalidFloatMessage(text));
    return value;
}

bool TryLaunchValue(std::string_view text, double& value)
{
    std::string digits;
    digits.reserve(text.size());
    for (const char c : text)
        if (c != ' ')
            digits += c;
    return TryStrToFloat(digits, value);
}

double LaunchValue(std::string_view text)
{
    double value = 0.0;
    return TryLaunchValue(text, value) ? value : 0.0;
}

}  // namespace orrimar
