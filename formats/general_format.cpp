#include "formats/general_format.h"

#include <cstdio>
#include <cstdlib>

namespace orrimar {

std::string FormatGeneral(double value)
{
    if (value == 0.0)
        return "0";
    if (value != value)
        return "NAN";
    if (value == value * 2.0)  // ±infinity
        return value < 0 ? "-INF" : "INF";

    // 15 significant digits as d.dddddddddddddde±X…, then rebuilt.
    char buf[40];
    std::snprintf(buf, sizeof buf, "%.14e", value);
    std::string s(buf);
    const std::size_t ePos = s.find('e');
    const int exponent = std::atoi(s.c_str() + ePos + 1);
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
