#include "flight/scan_range.h"

#include "formats/decimal_text.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>
#include <string>
#include <system_error>

namespace orrimar {

namespace {

constexpr long long Pow10(int n)
{
    long long p = 1;
    for (int i = 0; i < n; ++i)
        p *= 10;
    return p;
}

// 10^6 · 10^12 fits a long long with room for the sums of a scan.
static_assert(1000000LL * Pow10(MaxScanDecimals) < (1LL << 62));

[[noreturn]] void Refuse(const std::string& why) { throw std::invalid_argument(why); }

// "'text' problem", built by appending (gcc 12 warns falsely on "'" + std::string).
[[noreturn]] void RefuseText(std::string_view text, std::string_view problem)
{
    std::string why = "'";
    why.append(text).append("' ").append(problem);
    Refuse(why);
}

}  // namespace

std::optional<DecimalNumber> ParseDecimalNumber(std::string_view text)
{
    double checked = 0.0;
    if (!TryStrToFloat(text, checked) || !std::isfinite(checked))
        return std::nullopt;

    // The same syntax as the strict conversion, now read digit by digit.
    std::size_t i = 0;
    while (i < text.size() && text[i] == ' ')
        ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-'))
        negative = text[i++] == '-';
    std::string digits;
    int fractionDigits = 0;
    bool seenPoint = false;
    for (; i < text.size() && (std::isdigit(static_cast<unsigned char>(text[i])) || text[i] == '.'); ++i) {
        if (text[i] == '.') {
            seenPoint = true;
            continue;
        }
        digits += text[i];
        if (seenPoint)
            ++fractionDigits;
    }
    long exponent = 0;
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        bool negativeExponent = false;
        if (i < text.size() && (text[i] == '+' || text[i] == '-'))
            negativeExponent = text[i++] == '-';
        for (; i < text.size() && std::isdigit(static_cast<unsigned char>(text[i])); ++i)
            exponent = std::min(exponent * 10 + (text[i] - '0'), 100000L);
        if (negativeExponent)
            exponent = -exponent;
    }

    // digits · 10^(exponent − fractionDigits), without the zeros that carry nothing.
    const std::size_t first = digits.find_first_not_of('0');
    if (first == std::string::npos)
        return DecimalNumber{0, 0};
    digits.erase(0, first);
    long scale = exponent - fractionDigits;
    while (digits.size() > 1 && digits.back() == '0') {
        digits.pop_back();
        ++scale;
    }
    if (scale < -MaxScanDecimals)
        return std::nullopt;
    // Beyond ±10^6 at the most 7 integer digits: anything longer is refused below.
    const long integerDigits = static_cast<long>(digits.size()) + scale;
    if (integerDigits > 7)
        return std::nullopt;
    const int decimals = scale < 0 ? static_cast<int>(-scale) : 0;
    long long units = 0;
    if (std::from_chars(digits.data(), digits.data() + digits.size(), units).ec != std::errc{})
        return std::nullopt;
    if (scale > 0)
        units *= Pow10(static_cast<int>(scale));
    if (units > static_cast<long long>(MaxScanMagnitude) * Pow10(decimals))
        return std::nullopt;
    return DecimalNumber{negative ? -units : units, decimals};
}

double DecimalToDouble(long long units, int decimals)
{
    // "<units>e-<decimals>" read back: correctly rounded, whatever the locale.
    const std::string text = std::to_string(units) + "e-" + std::to_string(decimals);
    double value = 0.0;
    std::from_chars(text.data(), text.data() + text.size(), value);
    return value;
}

std::vector<double> ScanValues(std::string_view fromText, std::string_view toText,
                               std::string_view stepText)
{
    DecimalNumber parsed[3];
    const std::string_view texts[3] = {fromText, toText, stepText};
    for (int k = 0; k < 3; ++k) {
        double value = 0.0;
        if (!TryStrToFloat(texts[k], value) || !std::isfinite(value))
            RefuseText(texts[k], "is not a number");
        if (std::fabs(value) > MaxScanMagnitude)
            Refuse("values must lie within ±1000000");
        const auto decimal = ParseDecimalNumber(texts[k]);
        if (!decimal)
            RefuseText(texts[k], "has more than 12 decimals");
        parsed[k] = *decimal;
    }
    int decimals = 0;
    for (const DecimalNumber& d : parsed)
        decimals = std::max(decimals, d.Decimals);
    const auto onGrid = [decimals](const DecimalNumber& d) {
        return d.Units * Pow10(decimals - d.Decimals);
    };
    const long long from = onGrid(parsed[0]);
    const long long to = onGrid(parsed[1]);
    const long long step = onGrid(parsed[2]);
    if (step <= 0)
        Refuse("the step must be positive");
    if (decimals > 9 && step < Pow10(decimals - 9))
        Refuse("the step is below 1e-9");
    if (to < from)
        Refuse("the range is reversed (TO below FROM)");
    if (to == from)
        Refuse("the range is empty (TO equals FROM)");
    const long long count = (to - from) / step + 1;
    if (count > MaxScanValues)
        Refuse("more than 1000000 values");

    std::vector<double> values;
    values.reserve(static_cast<std::size_t>(count));
    for (long long i = 0; i < count; ++i)
        values.push_back(DecimalToDouble(from + i * step, decimals));
    return values;
}

}  // namespace orrimar
