// The checked vector: index 0 exists, every other index outside the vector throws.
#include "integrator/vector.h"

#include <gtest/gtest.h>

#include <utility>

namespace orrimar {
namespace {

TEST(Vector, ZeroFilledAndCheckedAtBothEnds)
{
    Vector v(5);
    EXPECT_EQ(v.Length(), 5);
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(v[i], 0.0);
    v[4] = 2.5;
    EXPECT_EQ(std::as_const(v)[4], 2.5);
    EXPECT_THROW(v[5], std::out_of_range);
    EXPECT_THROW(v[-1], std::out_of_range);
    EXPECT_THROW(std::as_const(v)[5], std::out_of_range);
    try {
        v[7] = 1.0;
        FAIL();
    } catch (const std::out_of_range& e) {
        EXPECT_STREQ(e.what(), "Range check error: index 7 outside 0..4");
    }
    EXPECT_THROW(Vector(-1), std::length_error);
    EXPECT_THROW(Vector()[0], std::out_of_range);
}

}  // namespace
}  // namespace orrimar
