#include "fields/stepper.h"

#include <gtest/gtest.h>

#include <ostream>

namespace orrimar {
namespace {

struct StepCase {
    const char* Name;
    LaunchField Field;
    const char* Text;
    StepDirection Direction;
    const char* Expected;
};

void PrintTo(const StepCase& c, std::ostream* out)
{
    *out << '"' << c.Text << '"';
}

class StepTest : public ::testing::TestWithParam<StepCase> {};

TEST_P(StepTest, StepsByOneLastPlace)
{
    const StepCase& c = GetParam();
    const StepResult r = StepFieldText(c.Field, c.Text, c.Direction);
    ASSERT_EQ(r.Outcome, StepOutcome::Stepped) << c.Text;
    EXPECT_EQ(r.Text, c.Expected);
}

constexpr auto Up = StepDirection::Up;
constexpr auto Down = StepDirection::Down;

INSTANTIATE_TEST_SUITE_P(
    Fields, StepTest,
    ::testing::Values(
        StepCase{"AltitudeUp", LaunchField::Altitude, "00100.17", Up, "00100.18"},
        StepCase{"AltitudeDownAcrossDecimals", LaunchField::Altitude, "00100.00", Down, "00099.99"},
        StepCase{"AltitudeDownToSmallest", LaunchField::Altitude, "00000.02", Down, "00000.01"},
        StepCase{"AltitudeTopUp", LaunchField::Altitude, "99999.98", Up, "99999.99"},
        StepCase{"VelocityDown", LaunchField::Velocity, "+10.9800", Down, "+10.9799"},
        StepCase{"VelocityBelowZero", LaunchField::Velocity, "+00.0000", Down, "-00.0001"},
        StepCase{"VelocityBackToZero", LaunchField::Velocity, "-00.0001", Up, "+00.0000"},
        StepCase{"VelocityNegativeZeroUp", LaunchField::Velocity, "-00.0000", Up, "+00.0001"},
        StepCase{"VelocityWithoutSign", LaunchField::Velocity, " 10.9800", Up, "+10.9801"},
        StepCase{"VelocityTopUp", LaunchField::Velocity, "+99.9998", Up, "+99.9999"},
        StepCase{"AngleUp", LaunchField::Angle, "+226.500", Up, "+226.501"},
        StepCase{"AngleBelowZero", LaunchField::Angle, "+000.000", Down, "-000.001"},
        StepCase{"AnglePast360", LaunchField::Angle, "+359.999", Up, "+360.000"},
        StepCase{"AngleNegativeDown", LaunchField::Angle, "-100.000", Down, "-100.001"},
        StepCase{"AngleShortText", LaunchField::Angle, "   5.5  ", Down, "+005.499"}),
    [](const ::testing::TestParamInfo<StepCase>& info) { return info.param.Name; });

TEST(StepFieldText, RefusesResultsTheFieldCannotHold)
{
    const struct {
        LaunchField Field;
        const char* Text;
        StepDirection Direction;
    } cases[] = {
        {LaunchField::Altitude, "00000.01", Down},  // zero: the format would write "_"
        {LaunchField::Altitude, "00000.00", Down},  // negative: it would write "1"
        {LaunchField::Altitude, "99999.99", Up},
        {LaunchField::Velocity, "+99.9999", Up},
        {LaunchField::Velocity, "-99.9999", Down},
        {LaunchField::Angle, "+999.999", Up},
        {LaunchField::Angle, "-999.999", Down},
        {LaunchField::Angle, "1e300", Up},
    };
    for (const auto& c : cases) {
        const StepResult r = StepFieldText(c.Field, c.Text, c.Direction);
        EXPECT_EQ(r.Outcome, StepOutcome::Refused) << c.Text;
        EXPECT_TRUE(r.Text.empty()) << c.Text;
    }
}

TEST(StepFieldText, ReportsATextThatIsNotANumber)
{
    const StepResult r = StepFieldText(LaunchField::Velocity, "+10.98 0", Up);
    EXPECT_EQ(r.Outcome, StepOutcome::NotANumber);
    EXPECT_EQ(r.Error, "'+10.98 0' ist kein gültiger Gleitkommawert");
    EXPECT_EQ(StepFieldText(LaunchField::Angle, "    .   ", Up).Outcome, StepOutcome::NotANumber);
}

TEST(StepFieldText, ManyStepsStayOnTheGrid)
{
    // 1000 steps up and back must not drift off the field's last decimal place.
    std::string text = "+10.9800";
    for (int i = 0; i < 1000; ++i)
        text = StepFieldText(LaunchField::Velocity, text, Up).Text;
    EXPECT_EQ(text, "+11.0800");
    for (int i = 0; i < 1000; ++i)
        text = StepFieldText(LaunchField::Velocity, text, Down).Text;
    EXPECT_EQ(text, "+10.9800");
}

}  // namespace
}  // namespace orrimar
