#include "formats/number_format.h"

#include "formats/general_format.h"

#include <algorithm>
#include <array>
#include <charconv>
#include <cmath>
#include <cstdlib>

namespace orrimar {

namespace {

// |value| = 0.d1 d2 d3 ... x 10^Exponent, without leading or trailing zeros; no digits
// for zero.
struct DecimalDigits {
    std::string Digits;
    int Exponent = 0;
    bool Negative = false;
};

// The exact decimal expansion of a finite double (a double has a finite one).
DecimalDigits ExactDigits(double value)
{
    DecimalDigits result;
    const double magnitude = std::fabs(value);
    if (magnitude == 0.0)
        return result;  // -0 is written without a sign
    result.Negative = value < 0.0;
    int binaryExponent = 0;
    std::frexp(magnitude, &binaryExponent);
    // magnitude = m * 2^(binaryExponent - 53) with an integer m: that many decimals are exact.
    const int decimals = std::max(0, 53 - binaryExponent);
    std::string buffer(static_cast<std::size_t>(decimals) + 330, '\0');
    const auto written = std::to_chars(buffer.data(), buffer.data() + buffer.size(), magnitude,
                                       std::chars_format::fixed, decimals);
    buffer.resize(static_cast<std::size_t>(written.ptr - buffer.data()));

    const std::size_t point = buffer.find('.');
    const std::size_t integerLength = point == std::string::npos ? buffer.size() : point;
    result.Digits = buffer.substr(0, integerLength);
    if (point != std::string::npos)
        result.Digits += buffer.substr(point + 1);
    result.Exponent = static_cast<int>(integerLength);
    const std::size_t firstNonZero = result.Digits.find_first_not_of('0');
    result.Digits.erase(0, firstNonZero);
    result.Exponent -= static_cast<int>(firstNonZero);
    result.Digits.erase(result.Digits.find_last_not_of('0') + 1);
    return result;
}

// Keeps `keep` significant digits, rounding half away from zero (keep may be 0 or less).
void RoundDigits(DecimalDigits& number, int keep)
{
    if (number.Digits.empty() || keep >= static_cast<int>(number.Digits.size()))
        return;
    if (keep < 0) {
        number.Digits.clear();
    } else {
        const bool roundUp = number.Digits[static_cast<std::size_t>(keep)] >= '5';
        number.Digits.resize(static_cast<std::size_t>(keep));
        if (roundUp) {
            int i = keep - 1;
            while (i >= 0 && number.Digits[static_cast<std::size_t>(i)] == '9')
                number.Digits[static_cast<std::size_t>(i--)] = '0';
            if (i < 0) {
                number.Digits.insert(number.Digits.begin(), '1');
                ++number.Exponent;
            } else {
                ++number.Digits[static_cast<std::size_t>(i)];
            }
        }
        number.Digits.erase(number.Digits.find_last_not_of('0') + 1);
    }
    if (number.Digits.empty()) {
        number.Exponent = 0;
        number.Negative = false;
    }
}

std::string PadLeft(std::string text, std::size_t width)
{
    if (text.size() < width)
        text.insert(0, width - text.size(), ' ');
    return text;
}

// Up to three sections of a pattern, split at ";" outside quotes.
std::array<std::string_view, 3> SplitSections(std::string_view pattern)
{
    std::array<std::string_view, 3> sections{};
    std::size_t index = 0;
    std::size_t start = 0;
    char quote = 0;
    for (std::size_t i = 0; i < pattern.size() && index < sections.size(); ++i) {
        const char c = pattern[i];
        if (quote != 0) {
            if (c == quote)
                quote = 0;
        } else if (c == '"' || c == '\'') {
            quote = c;
        } else if (c == ';') {
            sections[index++] = pattern.substr(start, i - start);
            start = i + 1;
        }
    }
    if (index < sections.size())
        sections[index] = pattern.substr(start);
    return sections;
}

// The digit layout of one section.
struct SectionLayout {
    int DigitCount = 0;    // "0" and "#" placeholders
    int DecimalIndex = 0;  // placeholders before the point
    int FirstDigit = 0;    // integer places from the first "0" on: always written
    int LastDigit = 0;     // minus the decimal places up to the last "0": always written
};

SectionLayout ScanSection(std::string_view section)
{
    SectionLayout layout;
    int firstZero = -1;
    int zerosEnd = 0;
    int decimalIndex = -1;
    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '#') {
            ++layout.DigitCount;
        } else if (c == '0') {
            if (firstZero < 0)
                firstZero = layout.DigitCount;
            zerosEnd = ++layout.DigitCount;
        } else if (c == '.') {
            if (decimalIndex < 0)
                decimalIndex = layout.DigitCount;
        } else if (c == '"' || c == '\'') {
            const std::size_t close = section.find(c, i + 1);
            i = close == std::string_view::npos ? section.size() : close;
        }
    }
    layout.DecimalIndex = decimalIndex < 0 ? layout.DigitCount : decimalIndex;
    layout.LastDigit = std::min(layout.DecimalIndex - zerosEnd, 0);
    layout.FirstDigit = firstZero < 0 ? 0 : std::max(layout.DecimalIndex - firstZero, 0);
    return layout;
}

// Writes number through the section's pictures. Digit places count down: the units
// digit has place 1, the first decimal place 0 (written with the point before it).
std::string ApplySection(std::string_view section, const SectionLayout& layout,
                         const DecimalDigits& number, bool withMinus)
{
    std::string text = withMinus ? "-" : "";
    int digitPlace = std::max(number.Exponent, layout.DecimalIndex);
    int digitDelta = number.Exponent - layout.DecimalIndex;
    std::size_t nextDigit = 0;

    const auto put = [&](char digit) {
        if (digitPlace == 0)
            text += '.';
        text += digit;
    };
    const auto putNext = [&] {
        if (nextDigit < number.Digits.size())
            put(number.Digits[nextDigit++]);
        else if (digitPlace > layout.LastDigit)
            put('0');
        --digitPlace;
    };
    const auto placeholder = [&] {
        if (digitDelta > 0) {
            // More integer digits than places: the first place takes the surplus.
            for (; digitDelta > 0; --digitDelta)
                putNext();
            putNext();
        } else if (digitDelta < 0) {
            ++digitDelta;
            if (digitPlace <= layout.FirstDigit)
                put('0');
            --digitPlace;
        } else {
            putNext();
        }
    };

    for (std::size_t i = 0; i < section.size(); ++i) {
        const char c = section[i];
        if (c == '0' || c == '#') {
            placeholder();
        } else if (c == '.' || c == ',') {
            continue;
        } else if (c == '"' || c == '\'') {
            const std::size_t close = section.find(c, i + 1);
            const std::size_t end = close == std::string_view::npos ? section.size() : close;
            text += section.substr(i + 1, end - i - 1);
            i = end;
        } else {
            text += c;
        }
    }
    return text;
}

std::string FormatExp13_4General(double value)
{
    if (!std::isfinite(value))
        return PadLeft(FormatGeneral(value), 13);
    DecimalDigits number = ExactDigits(value);
    RoundDigits(number, 4);
    std::string digits = number.Digits;
    digits.resize(4, '0');
    const int exponent = number.Digits.empty() ? 0 : number.Exponent - 1;
    std::string exponentDigits = std::to_string(std::abs(exponent));
    if (exponentDigits.size() < 3)
        exponentDigits.insert(0, 3 - exponentDigits.size(), '0');
    std::string text = number.Negative ? "-" : "";
    text.append(1, digits[0]).append(1, '.').append(digits, 1);
    text.append(1, 'E').append(1, exponent < 0 ? '-' : '+').append(exponentDigits);
    return PadLeft(text, 13);
}

std::string FormatFixed8_4General(double value)
{
    if (!std::isfinite(value))
        return PadLeft(FormatGeneral(value), 8);
    DecimalDigits number = ExactDigits(value);
    RoundDigits(number, std::min(number.Exponent + 4, 18));
    if (number.Exponent > 18)
        return PadLeft(FormatGeneral(value), 8);
    const auto digitAt = [&](int index) {
        return index >= 0 && index < static_cast<int>(number.Digits.size())
                   ? number.Digits[static_cast<std::size_t>(index)]
                   : '0';
    };
    std::string text = number.Negative ? "-" : "";
    if (number.Exponent <= 0)
        text += '0';
    for (int i = 0; i < number.Exponent; ++i)
        text += digitAt(i);
    text += '.';
    for (int i = 0; i < 4; ++i)
        text += digitAt(number.Exponent + i);
    return PadLeft(text, 8);
}

std::string TimeTextGeneral(double days)
{
    const double wholeDays = std::trunc(days);
    const long double hours = RoundHalfEven((static_cast<long double>(days) - wholeDays) * 24.0L);
    return FormatFloat("0", wholeDays) + FormatFloat("\" - \"00", static_cast<double>(hours));
}

}  // namespace

long double RoundHalfEven(long double value)
{
    // The default rounding mode rounds to nearest, ties to even.
    return std::nearbyint(value);
}

// A double widens exactly, and its nearest integer is again a double.
double RoundHalfEven(double value)
{
    return static_cast<double>(RoundHalfEven(static_cast<long double>(value)));
}

std::string FormatFloat(std::string_view pattern, double value)
{
    const std::array<std::string_view, 3> sections = SplitSections(pattern);
    if (sections[0].empty() || !std::isfinite(value))
        return FormatGeneral(value);
    // The section for a kind of value, or 0 when that one is missing or empty.
    const auto sectionFor = [&](std::size_t kind) {
        return sections[kind].empty() ? std::size_t{0} : kind;
    };

    std::size_t used = sectionFor(value == 0.0 ? 2 : (value < 0.0 ? 1 : 0));
    SectionLayout layout = ScanSection(sections[used]);
    DecimalDigits number = ExactDigits(value);
    RoundDigits(number, std::min(number.Exponent + layout.DigitCount - layout.DecimalIndex, 18));
    if (number.Exponent > 18)
        return FormatGeneral(value);
    if (number.Digits.empty() && used != sectionFor(2)) {
        used = sectionFor(2);
        layout = ScanSection(sections[used]);
    }
    return ApplySection(sections[used], layout, number, number.Negative && used == 0);
}

// to_chars rounds correctly, but exact halves go to even where these formats round
// them away from zero: a value that may be such a half takes the general path.
std::size_t FormatExp13_4To(double value, char* out)
{
    char digits[32];
    if (std::isfinite(value) && value != 0.0) {
        // An exact half of four significant digits is a decimal of five that reads back.
        const auto five = std::to_chars(digits, digits + sizeof digits, value,
                                         std::chars_format::scientific, 4);
        const char* e = std::find(digits, five.ptr, 'e');
        double back = 0.0;
        const bool mayBeHalf = e[-1] == '5' && std::from_chars(digits, five.ptr, back).ptr ==
                                                   five.ptr && back == value;
        if (!mayBeHalf) {
            const auto four = std::to_chars(digits, digits + sizeof digits, value,
                                            std::chars_format::scientific, 3);
            // d.ddde±XX[X] -> d.dddE±XXX, right-aligned in 13.
            char text[16];
            char* p = text;
            const char* exp = std::find(digits, four.ptr, 'e');
            p = std::copy(static_cast<const char*>(digits), exp, p);
            *p++ = 'E';
            *p++ = exp[1];
            const long exponentDigits = four.ptr - (exp + 2);
            for (long i = exponentDigits; i < 3; ++i)
                *p++ = '0';
            p = std::copy(exp + 2, static_cast<const char*>(four.ptr), p);
            const std::size_t length = static_cast<std::size_t>(p - text);
            const std::size_t pad = length < 13 ? 13 - length : 0;
            std::fill(out, out + pad, ' ');
            std::copy(text, p, out + pad);
            return pad + length;
        }
    }
    const std::string text = FormatExp13_4General(value);
    std::copy(text.begin(), text.end(), out);
    return text.size();
}

std::size_t FormatFixed8_4To(double value, char* out)
{
    // Below 1e13 the general path keeps all digits up to the fourth decimal; a double
    // is an exact half of the fourth decimal only when it is an odd multiple of 1/32.
    if (value >= 0.0 && value < 1e13 && std::fmod(value * 32.0, 2.0) != 1.0) {
        char digits[32];
        const auto end = std::to_chars(digits, digits + sizeof digits, value + 0.0,
                                       std::chars_format::fixed, 4);
        const std::size_t length = static_cast<std::size_t>(end.ptr - digits);
        const std::size_t pad = length < 8 ? 8 - length : 0;
        std::fill(out, out + pad, ' ');
        std::copy(digits, end.ptr, out + pad);
        return pad + length;
    }
    const std::string text = FormatFixed8_4General(value);
    std::copy(text.begin(), text.end(), out);
    return text.size();
}

std::size_t TimeTextTo(double days, char* out)
{
    // Whole days below 1e15 are exact integers; hours are 0 … 24.
    if (days >= 0.0 && days < 1e15) {
        const double wholeDays = std::trunc(days);
        const long double hours =
            RoundHalfEven((static_cast<long double>(days) - wholeDays) * 24.0L);
        char* p = std::to_chars(out, out + 16, static_cast<long long>(wholeDays)).ptr;
        const int h = static_cast<int>(hours);
        *p++ = ' ';
        *p++ = '-';
        *p++ = ' ';
        *p++ = static_cast<char>('0' + h / 10);
        *p++ = static_cast<char>('0' + h % 10);
        return static_cast<std::size_t>(p - out);
    }
    const std::string text = TimeTextGeneral(days);
    std::copy(text.begin(), text.end(), out);
    return text.size();
}

std::string FormatExp13_4(double value)
{
    char text[MaxFormattedLength];
    return std::string(text, FormatExp13_4To(value, text));
}

std::string Jacobi0Text(double jacobi0) { return FormatFloat("##.#####", jacobi0); }

std::string FormatFixed8_4(double value)
{
    char text[MaxFormattedLength];
    return std::string(text, FormatFixed8_4To(value, text));
}

std::string TimeText(double days)
{
    char text[MaxFormattedLength];
    return std::string(text, TimeTextTo(days, text));
}

std::string FormatExp13_4Reference(double value) { return FormatExp13_4General(value); }
std::string FormatFixed8_4Reference(double value) { return FormatFixed8_4General(value); }
std::string TimeTextReference(double days) { return TimeTextGeneral(days); }

}  // namespace orrimar
