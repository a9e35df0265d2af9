// The general number format of the integrator's messages, and the locale independence of
// every number text.
#include "formats/general_format.h"

#include "formats/decimal_text.h"
#include "formats/number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <clocale>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <string>
#include <utility>
#include <vector>

namespace orrimar {
namespace {

TEST(FormatGeneral, FifteenSignificantDigitsFixedOrScientific)
{
    const std::pair<double, const char*> cases[] = {
        {0.0, "0"},
        {1.0, "1"},
        {-2.5, "-2.5"},
        {0.1 + 0.2, "0.3"},
        {123.456, "123.456"},
        {0.0001, "0.0001"},
        {0.00001, "0.00001"},
        {0.000001234, "1.234E-6"},
        {1e-17, "1E-17"},
        {-3.25e-300, "-3.25E-300"},
        {123456789012345.0, "123456789012345"},
        {1e15, "1E15"},
        {1.328125e306, "1.328125E306"},
        {3.1415926535897935e-05, "0.0000314159265358979"},
        {2.0 / 3.0, "0.666666666666667"},
    };
    for (const auto& [value, text] : cases)
        EXPECT_EQ(FormatGeneral(value), text) << value;
}

// FormatGeneral as it was written with snprintf; right only where "." is the decimal
// point, as under the "C" locale these tests start in.
std::string FormerFormatGeneral(double value)
{
    if (value == 0.0)
        return "0";
    if (value != value)
        return "NAN";
    if (value == value * 2.0)
        return value < 0 ? "-INF" : "INF";
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
        if (digits.size() <= intDigits)
            out.append(digits).append(intDigits - digits.size(), '0');
        else
            out.append(digits, 0, intDigits).append(1, '.').append(digits, intDigits);
    }
    return out;
}

// A deterministic sample: doubles of every size, exact ties at the 15th digit (16-digit
// integers ending in 5), short decimals, and the neighbours of the powers of ten where the
// layout switches between fixed and scientific.
std::vector<double> Sample()
{
    std::vector<double> values;
    std::mt19937_64 bits(15);
    for (int i = 0; i < 100000; ++i) {
        values.push_back(std::bit_cast<double>(bits()));
        values.push_back(static_cast<double>(1000000000000000 + bits() % 8000000000000000 / 10 * 10 + 5));
        values.push_back(static_cast<double>(static_cast<std::int64_t>(bits() % 2000001) - 1000000) / 1000.0);
    }
    for (int e = -320; e <= 308; ++e) {
        const double p = std::pow(10.0, e);
        for (const double v : {p, std::nextafter(p, 0.0), std::nextafter(p, 1e308), -p, 5 * p,
                               p * (1.0 - 5e-16), p * (1.0 - 4e-16)})
            values.push_back(v);
    }
    return values;
}

TEST(FormatGeneral, SameTextsAsTheSnprintfFormOnASample)
{
    ASSERT_STREQ(std::localeconv()->decimal_point, ".");
    for (const double value : Sample())
        ASSERT_EQ(FormatGeneral(value), FormerFormatGeneral(value)) << std::hexfloat << value;
}

// Sets LC_NUMERIC to a locale with a "," decimal point for its lifetime, if there is one.
class CommaLocale {
public:
    CommaLocale() : saved_(std::setlocale(LC_NUMERIC, nullptr))
    {
        for (const char* name : {"de_DE.UTF-8", "de_DE.utf8", "de_DE", "fr_FR.UTF-8",
                                 "fr_FR.utf8", "nl_NL.UTF-8", "ru_RU.UTF-8"}) {
            if (std::setlocale(LC_NUMERIC, name) != nullptr &&
                std::string(std::localeconv()->decimal_point) == ",") {
                active_ = true;
                return;
            }
        }
        std::setlocale(LC_NUMERIC, saved_.c_str());
    }
    ~CommaLocale() { std::setlocale(LC_NUMERIC, saved_.c_str()); }
    CommaLocale(const CommaLocale&) = delete;
    CommaLocale& operator=(const CommaLocale&) = delete;
    bool Active() const { return active_; }

private:
    std::string saved_;
    bool active_ = false;
};

// Every number text of this folder, both ways, for one value.
std::string AllTexts(double value)
{
    std::string texts = FormatGeneral(value) + '|' + FormatFloat("+000.000;-000.000", value) +
                        '|' + FormatFloat("##.#####", value) + '|' + FormatExp13_4(value) +
                        '|' + FormatFixed8_4(value) + '|' + TimeText(value) + '|';
    double back = 0.0;
    if (TryStrToFloat(FormatGeneral(value), back))
        texts += FormatGeneral(back);
    return texts;
}

TEST(FormatGeneral, TextsDoNotDependOnTheLocale)
{
    std::vector<double> values;
    std::mt19937_64 bits(44);
    for (int i = 0; i < 20000; ++i)
        values.push_back(std::ldexp(static_cast<double>(bits() >> 11), -static_cast<int>(bits() % 80)) *
                         (i % 2 == 0 ? 1 : -1));
    std::vector<std::string> before;
    for (const double value : values)
        before.push_back(AllTexts(value));

    const CommaLocale comma;
    if (!comma.Active())
        GTEST_SKIP() << "no locale with a \",\" decimal point is installed";
    char written[16];
    std::snprintf(written, sizeof written, "%.1f", 2.5);
    ASSERT_STREQ(written, "2,5");  // the locale is in force
    EXPECT_EQ(FormatGeneral(2.5), "2.5");
    EXPECT_EQ(FormatGeneral(-3.25e-300), "-3.25E-300");
    for (std::size_t i = 0; i < values.size(); ++i)
        ASSERT_EQ(AllTexts(values[i]), before[i]) << values[i];
}

}  // namespace
}  // namespace orrimar
