// The Config button's checks: the altitude and velocity limits, their order, and the
// refusal of field texts that are not numbers.
#include "fields/config_checks.h"

#include <gtest/gtest.h>

#include <limits>

namespace orrimar {
namespace {

constexpr double NaN = std::numeric_limits<double>::quiet_NaN();

TEST(CheckConfigValues, LimitsAndOrder)
{
    const struct {
        double Altitude, Velocity;
        ConfigRefusal Expected;
    } cases[] = {
        {100.17, 10.98, ConfigRefusal::None},
        {99.99, 10.98, ConfigRefusal::Altitude},
        {100.00, 10.98, ConfigRefusal::None},       // the limit itself is allowed
        {100.00, 9.9999, ConfigRefusal::Velocity},
        {100.00, 10.0, ConfigRefusal::None},
        {100.00, -10.0, ConfigRefusal::None},       // a negative velocity counts by its size
        {100.00, -9.9999, ConfigRefusal::Velocity},
        {100.00, 0.0, ConfigRefusal::Velocity},
        {0.0, 0.0, ConfigRefusal::Altitude},        // the altitude is checked first
        {-500.0, 11.0, ConfigRefusal::Altitude},
        {1e300, -1e300, ConfigRefusal::None},
        {NaN, 11.0, ConfigRefusal::Altitude},
        {100.0, NaN, ConfigRefusal::Velocity},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CheckConfigValues(c.Altitude, c.Velocity), c.Expected)
            << c.Altitude << " km, " << c.Velocity << " km/s";
}

TEST(ConfigAngleText, WellFormedTextsGiveTheirValue)
{
    const struct {
        const char* Text;
        double Value;
    } cases[] = {
        {"+226.500", 226.5}, {"-045.000", -45.0}, {" 030.001", 30.001},
        {"+000.000", 0.0},   {"-000.001", -0.001}, {"1e300", 1e300},
        {"45  .   ", 45.0},  {"+ 45.000", 45.0},   {"-  1.5  ", -1.5},
    };
    for (const auto& c : cases) {
        double angle = -1.0;
        EXPECT_TRUE(ConfigAngleText(c.Text, angle)) << '"' << c.Text << '"';
        EXPECT_DOUBLE_EQ(angle, c.Value) << '"' << c.Text << '"';
    }
}

TEST(ConfigAngleText, TextsThatAreNoNumberAreRefused)
{
    for (const char* text : {"+1_.0000", "00_00.17", "+   .   ", "        ", "",
                             "+2e999", "+12.3.4"}) {
        double angle = 17.0;
        EXPECT_FALSE(ConfigAngleText(text, angle)) << '"' << text << '"';
        EXPECT_EQ(angle, 17.0) << '"' << text << '"';
    }
}

TEST(CheckConfigTexts, FieldsAreCheckedInOrder)
{
    const struct {
        const char *Altitude, *Velocity, *Angle;
        ConfigRefusal Expected;
    } cases[] = {
        {"00100.17", "+10.9800", "+226.500", ConfigRefusal::None},
        {"00099.99", "+10.9800", "+226.500", ConfigRefusal::Altitude},
        {"00_00.17", "+10.9800", "+226.500", ConfigRefusal::Altitude},  // not a number: 0
        {"00_00.17", "+1_.0000", "+2_6.500", ConfigRefusal::Altitude},
        {"00100.00", "+09.9999", "+226.500", ConfigRefusal::Velocity},
        {"00100.00", "+1_.0000", "+226.500", ConfigRefusal::Velocity},
        {"00100.00", "-10.0000", "+226.500", ConfigRefusal::None},
        {"00100.00", "+10.0000", "+2_6.500", ConfigRefusal::Angle},
        {"00100.00", "+10.0000", "+   .   ", ConfigRefusal::Angle},
    };
    for (const auto& c : cases) {
        double angle = -7.0;
        const ConfigRefusal refusal = CheckConfigTexts(c.Altitude, c.Velocity, c.Angle, angle);
        EXPECT_EQ(refusal, c.Expected) << c.Altitude << ' ' << c.Velocity << ' ' << c.Angle;
        if (refusal == ConfigRefusal::None)
            EXPECT_EQ(angle, 226.5);
        else
            EXPECT_EQ(angle, -7.0) << "the angle is set only when Config draws";
    }
}

}  // namespace
}  // namespace orrimar
