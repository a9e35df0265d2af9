// Launch texts kept between runs: what the fields gave back goes in again, anything a
// field could not hold or Config would refuse stays out.
#include "fields/saved_launch.h"

#include <gtest/gtest.h>

namespace orrimar {
namespace {

TEST(LaunchTextsRestorable, FieldTextsInNonsenseOut)
{
    const struct {
        const char *Altitude, *Velocity, *Angle;
        bool Expected;
    } cases[] = {
        {"00100.17", "+10.9800", "+226.500", true},
        {"00100.17", "-10.9800", "-  1.5  ", true},   // blank optional digits
        {"  100.17", "+10.9800", "+226.500", false},  // required digits blank
        {"00100.17", "+10.9800", "+226.500x", false},  // one too long
        {"001a0.17", "+10.9800", "+226.500", false},   // a letter
        {"00100,17", "+10.9800", "+226.500", false},   // a literal moved
        {"00099.99", "+10.9800", "+226.500", false},   // below 100 km
        {"00100.17", "+09.9999", "+226.500", false},   // slower than 10 km/s
        {"00100.17", "+10.9800", "+   .   ", false},   // no angle at all
    };
    for (const auto& c : cases)
        EXPECT_EQ(LaunchTextsRestorable(c.Altitude, c.Velocity, c.Angle), c.Expected)
            << c.Altitude << " | " << c.Velocity << " | " << c.Angle;
}

}  // namespace
}  // namespace orrimar
