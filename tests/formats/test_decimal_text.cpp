#include "formats/decimal_text.h"
#include "formats/message_text.h"

#include <gtest/gtest.h>

#include <cmath>

namespace orrimar {
namespace {

TEST(TryStrToFloat, AcceptsFieldTextsAndPlainNumbers)
{
    const struct {
        const char* Text;
        double Value;
    } cases[] = {
        {"00100.17", 100.17},  {"+10.9800", 10.98}, {"+226.500", 226.5},
        {"-00.0001", -0.0001}, {"  42", 42.0},      {" 10.9800", 10.98},  // empty sign position
        {"+226.5  ", 226.5},   {"5.", 5.0},         {".5", 0.5},
        {"1e3", 1000.0},       {"1.5E-2", 0.015},   {"-2e+1", -20.0},
        {"1e-400", 0.0},
    };
    for (const auto& c : cases) {
        double value = -999.0;
        EXPECT_TRUE(TryStrToFloat(c.Text, value)) << '"' << c.Text << '"';
        EXPECT_DOUBLE_EQ(value, c.Value) << '"' << c.Text << '"';
    }
}

TEST(TryStrToFloat, RefusesEverythingElseAndKeepsTheValue)
{
    const char* refused[] = {
        "",         "   ",       "+",         ".",        "+.",       "+10.98_0", "_0100.17",
        "+ 26.500", "10,5",      "1.2.3",     "12a",      "1e",       "1e+",      "e5",
        "0x10",     "inf",       "nan",       "1e400",    "-1e400",   "\t5",      "5\n",
        "++5",      "+-5",       "1 000",
    };
    for (const char* text : refused) {
        double value = 7.0;
        EXPECT_FALSE(TryStrToFloat(text, value)) << '"' << text << '"';
        EXPECT_EQ(value, 7.0) << '"' << text << '"';
    }
}

TEST(StrToFloat, ThrowsWithTheGermanMessage)
{
    EXPECT_DOUBLE_EQ(StrToFloat("+11.0085"), 11.0085);
    try {
        StrToFloat("+10.98_0");
        FAIL() << "no exception";
    } catch (const ConversionError& error) {
        EXPECT_STREQ(error.what(), "'+10.98_0' ist kein gültiger Gleitkommawert");
    }
}

TEST(LaunchValue, BadTextCountsAsZero)
{
    EXPECT_DOUBLE_EQ(LaunchValue("00100.17"), 100.17);
    EXPECT_DOUBLE_EQ(LaunchValue("-00.0001"), -0.0001);
    EXPECT_EQ(LaunchValue("001_0.17"), 0.0);
    EXPECT_EQ(LaunchValue("+___.___"), 0.0);
    EXPECT_EQ(LaunchValue(""), 0.0);
    EXPECT_EQ(LaunchValue("+   .   "), 0.0);
    // Empty positions of a field that was not filled are left out.
    EXPECT_DOUBLE_EQ(LaunchValue("45  .   "), 45.0);
    EXPECT_DOUBLE_EQ(LaunchValue("- 30.5  "), -30.5);
}

TEST(WithFinalDot, AddsADotAfterCharactersBeyondTheDot)
{
    EXPECT_EQ(WithFinalDot("'+10.98 0' ist kein gültiger Gleitkommawert"),
              "'+10.98 0' ist kein gültiger Gleitkommawert.");
    EXPECT_EQ(WithFinalDot("Wert 5"), "Wert 5.");
    EXPECT_EQ(WithFinalDot("Schon fertig."), "Schon fertig.");
    EXPECT_EQ(WithFinalDot("Halt!"), "Halt!");
    EXPECT_EQ(WithFinalDot("PaintBox 3 not found"), "PaintBox 3 not found.");
    EXPECT_EQ(WithFinalDot("(x)"), "(x)");
    EXPECT_EQ(WithFinalDot("a-"), "a-");
    EXPECT_EQ(WithFinalDot("a/"), "a/.");  // "/" comes right after "."
    EXPECT_EQ(WithFinalDot("Größe ü"), "Größe ü.");
    EXPECT_EQ(WithFinalDot(""), "");
}

}  // namespace
}  // namespace orrimar
