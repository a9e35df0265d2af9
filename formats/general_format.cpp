#include "formats/general_format.h"

#include <charconv>

namespace orrimar {

std::string FormatGeneral(double value)
{
    if (value == 0.0)
        return "0";
    if (value != value)
        return "NAN";
    if (value == value * 2.0)  // ±infinity
        return value < 0 ? "-INF" : "INF";

    // 15 significant digits as d.dddddddddddddde±XX, then rebuilt; to_chars writes "."
    // whatever the locale.
    char buf[40];
    const auto written =
        std::to_chars(buf, buf + sizeof buf, value, std::chars_format::scientific, 14);
    const std::string s(buf, written.ptr);
    const std::size_t ePos = s.find('e');
    const std::size_t exponentStart = ePos + (s[ePos + 1] == '+' ? 2 : 1);
    int exponent = 0;
    std::from_chars(s.data() + exponentStart, s.data() + s.size(), exponent);
    const bool negative = s[0] == '-';
    std::string digits;
    for (std::size_t i = negative ? 1 : 0; i < ePos; ++i)
        if (s[i] != '.')
            digits += s[i];
    while (digits.size() > 1 && digits.back() == '0')
        digits.pop_back();

    std::string out = negative ? "-" : "";
    if (exponent < -5 || exponent >= 15) {
        out += digits[0];
        if (digits.size() > 1)
            out.append(1, '.').append(digits, 1);
        out.append(1, 'E').append(std::to_string(exponent));
    } else if (exponent < 0) {
        out.append("0.").append(static_cast<std::size_t>(-exponent - 1), '0').append(digits);
    } else {
        const std::size_t intDigits = static_cast<std::size_t>(exponent) + 1;
        if (digits.size() <= intDigits) {
            out.append(digits).append(intDigits - digits.size(), '0');
        } else {
            out.append(digits, 0, intDigits).append(1, '.').append(digits, intDigits);
        }
    }
    return out;
}

}  // namespace orrimar
