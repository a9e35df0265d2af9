// The general number format of the integrator's messages.
#include "formats/general_format.h"

#include <gtest/gtest.h>

#include <utility>

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

}  // namespace
}  // namespace orrimar
