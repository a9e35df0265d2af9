#include "formats/number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <cstdint>
#include <limits>
#include <ostream>
#include <random>
#include <vector>

namespace orrimar {
namespace {

struct PatternCase {
    const char* Name;
    const char* Pattern;
    double Value;
    const char* Expected;
};

void PrintTo(const PatternCase& c, std::ostream* out)
{
    *out << c.Pattern << " with " << c.Value;
}

class FormatFloatTest : public ::testing::TestWithParam<PatternCase> {};

TEST_P(FormatFloatTest, WritesPattern)
{
    const PatternCase& c = GetParam();
    EXPECT_EQ(FormatFloat(c.Pattern, c.Value), c.Expected) << c.Pattern << " with " << c.Value;
}

INSTANTIATE_TEST_SUITE_P(
    Patterns, FormatFloatTest,
    ::testing::Values(
        // The altitude field's mask read as a format: sections positive;negative;zero.
        PatternCase{"AltitudeStep", "00000.00;1;_", 100.18, "00100.18"},
        PatternCase{"AltitudeLarge", "00000.00;1;_", 123456.789, "123456.79"},
        PatternCase{"AltitudeZeroSection", "00000.00;1;_", 0.0, "_"},
        PatternCase{"AltitudeNegativeSection", "00000.00;1;_", -0.6, "1"},
        // The section "1" has no decimals: -0.01 rounds to zero and takes the zero section.
        PatternCase{"AltitudeNegativeRoundsToZero", "00000.00;1;_", -0.01, "_"},
        PatternCase{"VelocityPositive", "+00.0000;-00.0000", 10.9799, "+10.9799"},
        PatternCase{"VelocityNegative", "+00.0000;-00.0000", -0.0001, "-00.0001"},
        PatternCase{"VelocityZeroUsesFirst", "+00.0000;-00.0000", 0.0, "+00.0000"},
        PatternCase{"VelocityNegativeZero", "+00.0000;-00.0000", -0.0, "+00.0000"},
        PatternCase{"VelocityOverflowsPlaces", "+00.0000;-00.0000", 100.0, "+100.0000"},
        PatternCase{"AngleNegative", "+000.000;-000.000", -0.001, "-000.001"},
        // "##.#####": at most five decimals, no trailing zeros, no leading zero.
        PatternCase{"JacobiDefault", "##.#####", 2.6467132189, "2.64671"},
        PatternCase{"HashBelowOne", "##.#####", 0.5, ".5"},
        PatternCase{"HashWhole", "##.#####", 3.0, "3"},
        PatternCase{"HashRoundsToWhole", "##.#####", 2.999999, "3"},
        PatternCase{"HashNegative", "##.#####", -2.6467132189, "-2.64671"},
        PatternCase{"HashZero", "##.#####", 0.0, ""},
        PatternCase{"HashRoundsToZero", "##.#####", -0.000001, ""},
        PatternCase{"HashSmall", "##.#####", 0.00012, ".00012"},
        PatternCase{"HashMoreIntegerDigits", "##.#####", 1234.5, "1234.5"},
        // Ties round away from zero on the exact value of the double.
        PatternCase{"ExactTieUp", "0.00", 0.125, "0.13"},
        PatternCase{"ExactTieNegative", "0.00", -0.125, "-0.13"},
        PatternCase{"StoredBelowTie", "0.00", 2.675, "2.67"},
        PatternCase{"CarryThroughNines", "0.000", 9.99951, "10.000"},
        // The time pattern: a quoted literal and two digits.
        PatternCase{"TimeHours", "\" - \"00", 8.0, " - 08"},
        PatternCase{"TimeZero", "\" - \"00", 0.0, " - 00"},
        PatternCase{"TimeFull", "\" - \"00", 24.0, " - 24"},
        // Literals, quotes and fallbacks.
        PatternCase{"SingleQuotes", "'x='0.0", 1.25, "x=1.3"},
        PatternCase{"SemicolonInQuotes", "\";\"0;(0)", -4.0, "(4)"},
        PatternCase{"EmptyNegativeSection", "0.0;;zero", -1.5, "-1.5"},
        PatternCase{"ZeroSectionText", "0.0;;zero", 0.0, "zero"},
        PatternCase{"RoundsIntoZeroSection", "0.0;;zero", 0.04, "zero"},
        PatternCase{"HashDotZeros", "#.00", 0.5, ".50"},
        PatternCase{"EmptyPatternIsGeneral", "", 1.5, "1.5"},
        PatternCase{"HugeIsGeneral", "0.00", 1e18, "1E18"},
        PatternCase{"InfinityIsGeneral", "0.00", std::numeric_limits<double>::infinity(), "INF"}),
    [](const ::testing::TestParamInfo<PatternCase>& info) { return info.param.Name; });

TEST(FormatExp13_4, FourSignificantDigitsAndThreeExponentDigits)
{
    EXPECT_EQ(FormatExp13_4(0.0000123456), "   1.235E-005");
    EXPECT_EQ(FormatExp13_4(-0.0000123456), "  -1.235E-005");
    EXPECT_EQ(FormatExp13_4(0.0), "   0.000E+000");
    EXPECT_EQ(FormatExp13_4(-0.0), "   0.000E+000");
    EXPECT_EQ(FormatExp13_4(1.0), "   1.000E+000");
    EXPECT_EQ(FormatExp13_4(9.9996), "   1.000E+001");  // rounding carries into the exponent
    EXPECT_EQ(FormatExp13_4(1.0625), "   1.063E+000");  // exact tie: away from zero
    EXPECT_EQ(FormatExp13_4(1.2345), "   1.234E+000");  // stored as 1.23449999...
    EXPECT_EQ(FormatExp13_4(123456.0), "   1.235E+005");
    EXPECT_EQ(FormatExp13_4(-2.5e-300), "  -2.500E-300");
    EXPECT_EQ(FormatExp13_4(std::numeric_limits<double>::quiet_NaN()), "          NAN");
}

TEST(FormatFixed8_4, FourDecimalsRightAligned)
{
    EXPECT_EQ(FormatFixed8_4(10.954), " 10.9540");
    EXPECT_EQ(FormatFixed8_4(0.0), "  0.0000");
    EXPECT_EQ(FormatFixed8_4(0.00005), "  0.0001");   // stored just above the tie
    EXPECT_EQ(FormatFixed8_4(0.03125), "  0.0313");   // exact tie: away from zero
    EXPECT_EQ(FormatFixed8_4(-1.5), " -1.5000");
    EXPECT_EQ(FormatFixed8_4(-0.00001), "  0.0000");
    EXPECT_EQ(FormatFixed8_4(123456.78912), "123456.7891");  // wider than 8: not cut
}

TEST(RoundHalfEven, TiesGoToTheEvenNeighbourInBothWidths)
{
    const long double p52 = std::ldexp(1.0L, 52);  // from here on a double has no halves
    const long double p63 = std::ldexp(1.0L, 63);  // the same for an 80-bit long double
    const long double inf = std::numeric_limits<long double>::infinity();
    const struct {
        long double Value;
        long double Expected;
    } cases[] = {
        {0.5L, 0.0L},   {1.5L, 2.0L},   {2.5L, 2.0L},   {3.5L, 4.0L},  {-0.5L, -0.0L},
        {-1.5L, -2.0L}, {-2.5L, -2.0L}, {-3.5L, -4.0L}, {0.0L, 0.0L},  {-0.0L, -0.0L},
        {-0.2, -0.0L}, {1e-300, 0.0L}, {7.0L, 7.0L},
        // Just below and just above a half, one double step away (double literals).
        {0.49999999999999994, 0.0L}, {0.5000000000000001, 1.0L},
        {2.4999999999999996, 2.0L},  {2.5000000000000004, 3.0L},
        {-2.4999999999999996, -2.0L}, {-2.5000000000000004, -3.0L},
        // The last halves of a double, and the integers past them.
        {p52 - 0.5L, p52},  {p52 - 1.5L, p52 - 2.0L}, {-(p52 - 0.5L), -p52},
        {p52, p52},         {p52 + 1.0L, p52 + 1.0L}, {2.0L * p52 + 2.0L, 2.0L * p52 + 2.0L},
        // Halves that only a long double holds.
        {p52 + 0.5L, p52},  {p52 + 1.5L, p52 + 2.0L}, {p63 - 0.5L, p63}, {p63 - 1.5L, p63 - 2.0L},
        // Huge values and the values that are not finite stay.
        {1e300, 1e300},     {-1.7976931348623157e308, -1.7976931348623157e308},
        {inf, inf},         {-inf, -inf},
    };
    constexpr bool wideLongDouble = std::numeric_limits<long double>::digits >= 64;
    int doubleCases = 0;
    for (const auto& c : cases) {
        const bool longDoubleCase = c.Value != static_cast<double>(c.Value);
        if (!longDoubleCase || wideLongDouble) {
            const long double wide = RoundHalfEven(c.Value);
            EXPECT_EQ(wide, c.Expected) << static_cast<double>(c.Value);
            EXPECT_EQ(std::signbit(wide), std::signbit(c.Expected)) << static_cast<double>(c.Value);
        }
        if (!longDoubleCase) {
            ++doubleCases;
            const double narrow = RoundHalfEven(static_cast<double>(c.Value));
            EXPECT_EQ(narrow, static_cast<double>(c.Expected)) << static_cast<double>(c.Value);
            EXPECT_EQ(std::signbit(narrow), std::signbit(c.Expected)) << static_cast<double>(c.Value);
        }
    }
    EXPECT_EQ(doubleCases, 29);  // all but the four halves beyond a double
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<double>::quiet_NaN())));
    EXPECT_TRUE(std::isnan(RoundHalfEven(std::numeric_limits<long double>::quiet_NaN())));
}

// The rounding that std::nearbyint replaced: std::round, corrected at exact halves.
template <class Real>
Real FormerRoundHalfEven(Real value)
{
    const Real nearest = std::round(value);
    if (std::fabs(nearest - value) == Real(0.5))
        return Real(2) * std::round(value / Real(2));
    return nearest;
}

template <class Real>
bool SameReal(Real a, Real b)
{
    return (std::isnan(a) && std::isnan(b)) || (a == b && std::signbit(a) == std::signbit(b));
}

TEST(RoundHalfEven, AgreesWithTheFormerRoundingOnASample)
{
    std::mt19937_64 bits(20240611);  // fixed seed: the same sample on every run
    for (int i = 0; i < 200000; ++i) {
        // Any double at all, a half of a random integer, and the doubles beside that half.
        const double any = std::bit_cast<double>(bits());
        const double half = static_cast<double>(static_cast<std::int64_t>(bits()) >> (10 + i % 50)) + 0.5;
        for (const double v : {any, half, std::nextafter(half, 0.0), std::nextafter(half, 1e300)}) {
            ASSERT_TRUE(SameReal(RoundHalfEven(v), FormerRoundHalfEven(v))) << v;
            ASSERT_TRUE(SameReal(RoundHalfEven(static_cast<long double>(v)),
                                 FormerRoundHalfEven(static_cast<long double>(v))))
                << v;
        }
        // Halves up to 2^63, which only a long double holds.
        const long double wideHalf =
            static_cast<long double>(static_cast<std::int64_t>(bits()) >> (i % 60)) + 0.5L;
        ASSERT_TRUE(SameReal(RoundHalfEven(wideHalf), FormerRoundHalfEven(wideHalf)))
            << static_cast<double>(wideHalf);
    }
}

TEST(TimeText, WholeDaysAndRoundedHours)
{
    constexpr double daysPerTimeUnit = 4.34837756078599930;
    EXPECT_EQ(TimeText(1.0 * daysPerTimeUnit), "4 - 08");
    EXPECT_EQ(TimeText(0.229 * daysPerTimeUnit), "0 - 24");
    EXPECT_EQ(TimeText(0.0), "0 - 00");
    EXPECT_EQ(TimeText(12.5), "12 - 12");
    // Hours at an exact half round to even.
    EXPECT_EQ(TimeText(2.3125), "2 - 08");  // 7.5 hours
    EXPECT_EQ(TimeText(2.1875), "2 - 04");  // 4.5 hours
}

// The allocation-free paths against the exact decimal expansion: random doubles of every
// magnitude a flight or a status text meets, and the exact halves the formats round away
// from zero (odd multiples of 1/32 for four decimals; five-digit decimals that a double
// holds exactly for four significant digits).
TEST(FastFormats, AgreeWithTheExactExpansion)
{
    std::mt19937_64 bits(20240607);
    std::uniform_real_distribution<double> unit(0.0, 1.0);
    std::vector<double> values;
    for (int i = 0; i < 200000; ++i) {
        const double scale = std::pow(10.0, static_cast<int>(bits() % 40) - 20);
        const double v = unit(bits) * scale;
        values.push_back(i % 2 ? v : -v);
        values.push_back(std::bit_cast<double>(bits()));  // any bit pattern
    }
    for (std::int64_t odd = 1; odd < 2000000; odd += 2 * 37)
        values.push_back(static_cast<double>(odd) / 32.0);  // ties of four decimals
    for (int digits = 10000; digits < 100000; digits += 5)
        for (const int exponent : {-12, -5, -1, 0, 2, 7})
            values.push_back(digits * std::pow(10.0, exponent));  // five digits ending in 5
    for (const double v : {0.0, -0.0, 1e13, 1e15, 1e18, 9.99995, 0.00005, 99999.5,
                           std::numeric_limits<double>::infinity(),
                           std::numeric_limits<double>::quiet_NaN(),
                           std::numeric_limits<double>::denorm_min()})
        values.push_back(v);
    for (const double v : values) {
        ASSERT_EQ(FormatFixed8_4(v), FormatFixed8_4Reference(v)) << v;
        ASSERT_EQ(FormatExp13_4(v), FormatExp13_4Reference(v)) << v;
        ASSERT_EQ(TimeText(v), TimeTextReference(v)) << v;
        // Days of a flight: whole days and hours, halves of an hour included.
        const double days = std::fabs(v) < 1e6 ? std::fabs(v) : unit(bits) * 1000.0;
        ASSERT_EQ(TimeText(days), TimeTextReference(days)) << days;
        ASSERT_EQ(TimeText(std::round(days) + 1.0 / 48.0), TimeTextReference(std::round(days) + 1.0 / 48.0));
    }
}

}  // namespace
}  // namespace orrimar
