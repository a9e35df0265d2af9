// A flight as the command-line tool prints it, against lines recorded from the program:
// every field of the summary of the five presets and of the default launch, the texts
// of the integrator's failures, and the Jacobi integral along the default flight.
#include "flight/flight_summary.h"

#include "flight/integrator_message.h"
#include "flight/launch_presets.h"
#include "integrator/dop853.h"
#include "model/earth_moon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <regex>
#include <string>
#include <vector>

namespace orrimar {
namespace {

// "key=value" fields of a summary line (a quoted value may hold blanks).
std::vector<std::string> Fields(const std::string& line)
{
    static const std::regex separator(" (?=[a-z_0-9]+=)");
    return {std::sregex_token_iterator(line.begin(), line.end(), separator, -1),
            std::sregex_token_iterator()};
}

struct GoldenFlight {
    const char* Name;  // a preset's label, or the launch as typed
    const char* Line;
};

// Full view at the design size, as orrimar-flight flies without options.
const GoldenFlight goldenFlights[] = {
    {"Vantor xx",
     "outcome=collision-earth index=7096 t=4.458548294 step=195 time=\"19 - 09\" "
     "error_jacobi=\"   8.393E-007\" jacobi0=\"2.0311\" velocity=\" 11.5176\" bar=115 "
     "moon_min_km=2226.932 moon_min_time=\"3 - 07\" earth_min_km=0.000 points=7097"},
    {"Collision",
     "outcome=collision-moon index=1161 t=0.729477814 step=68 time=\"3 - 04\" "
     "error_jacobi=\"  -2.773E-008\" jacobi0=\"2.04165\" velocity=\"  2.7689\" bar=28 "
     "moon_min_km=0.000 moon_min_time=\"3 - 04\" earth_min_km=347.860 points=1162"},
    {"Swing by",
     "outcome=escape index=1747 t=1.097672473 step=101 time=\"4 - 19\" "
     "error_jacobi=\"   8.659E-009\" jacobi0=\"2.0482\" velocity=\"  1.2122\" bar=12 "
     "moon_min_km=525.494 moon_min_time=\"3 - 02\" earth_min_km=347.893 points=1748"},
    {"Escape 30",
     "outcome=escape index=13193 t=8.289406376 step=297 time=\"36 - 01\" "
     "error_jacobi=\"   5.665E-007\" jacobi0=\"2.03859\" velocity=\"  1.2108\" bar=12 "
     "moon_min_km=1081.147 moon_min_time=\"30 - 06\" earth_min_km=347.994 points=13194"},
    {"Escape 58",
     "outcome=escape index=23933 t=15.037547396 step=409 time=\"65 - 09\" "
     "error_jacobi=\"   8.417E-007\" jacobi0=\"2.64671\" velocity=\"  1.1340\" bar=11 "
     "moon_min_km=331.932 moon_min_time=\"58 - 16\" earth_min_km=345.511 points=23934"},
    {"100.17 10.98 226.5",
     "outcome=escape index=23933 t=15.037547396 step=409 time=\"65 - 09\" "
     "error_jacobi=\"   8.417E-007\" jacobi0=\"2.64671\" velocity=\"  1.1340\" bar=11 "
     "moon_min_km=331.932 moon_min_time=\"58 - 16\" earth_min_km=345.511 points=23934"},
};

EarthMoonState LaunchOf(const std::string& name)
{
    for (const LaunchPreset& preset : LaunchPresets)
        if (preset.Label == name)
            return LaunchFromTexts(preset.Altitude, preset.Velocity, preset.Angle);
    const std::size_t a = name.find(' ');
    const std::size_t b = name.find(' ', a + 1);
    return LaunchFromTexts(name.substr(0, a), name.substr(a + 1, b - a - 1), name.substr(b + 1));
}

TEST(FlightGolden, SummaryLinesOfThePresetsAndTheDefaultLaunch)
{
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    for (const GoldenFlight& golden : goldenFlights) {
        SCOPED_TRACE(golden.Name);
        const EarthMoonState launch = LaunchOf(golden.Name);
        const double c0 = JacobiConstant(launch);
        int points = 0;
        const FlightSummary summary =
            FlySummary(launch, views, {}, [&](const FlightPoint& point, double drift) {
                // Every point carries its state and that state's drift.
                if (points++ == 0) {
                    EXPECT_EQ(point.State, launch);
                }
                EXPECT_EQ(drift, point.JacobiDrift);
                EXPECT_EQ(drift, JacobiConstant(point.State) - c0);
            });
        const std::vector<std::string> expected = Fields(golden.Line);
        const std::vector<std::string> actual = Fields(SummaryLine(summary));
        ASSERT_EQ(actual.size(), expected.size()) << SummaryLine(summary);
        for (std::size_t i = 0; i < expected.size(); ++i)
            EXPECT_EQ(actual[i], expected[i]);
        EXPECT_EQ(points, summary.Points);
        EXPECT_EQ(summary.Integration.Code, summary.IntegratorCode);
    }
}

TEST(FlightGolden, IntegratorFailureTexts)
{
    const auto result = [](int code, int limit, double h, double x) {
        Dop853Result r;
        r.Code = code;
        r.StepLimit = limit;
        r.TooSmallH = h;
        r.StiffAt = x;
        r.X = 99.0;  // the failure's own data counts, not where the run ended
        r.H = 0.5;
        return r;
    };
    const std::pair<Dop853Result, const char*> cases[] = {
        {result(Dop853TooManySteps, Dop853MaxSteps, 0.0, 0.0),
         "More than NMax= 200000 steps needed"},
        {result(Dop853StepTooSmall, 0, 1e-17, 0.0), "Step size too small, H= 1E-17"},
        {result(Dop853StepTooSmall, 0, -3.25e-300, 0.0), "Step size too small, H= -3.25E-300"},
        {result(Dop853Stiff, 0, 0.0, 2.0 / 3.0),
         "The problem seems to become stiff at X=0.666666666666667"},
        {result(Dop853Reached, 0, 0.0, 0.0), ""},
        {result(Dop853Stopped, 0, 0.0, 0.0), ""},
    };
    for (const auto& [failure, text] : cases)
        EXPECT_EQ(Dop853FailureText(failure), text) << failure.Code;
}

// The default flight integrated as the window does it (tolerance 1e-8, first step
// π/100000): the Jacobi integral is held to round-off away from the Earth and
// drifts only at the close passes of the Earth.
TEST(DefaultFlight, JacobiDriftOverTenTimeUnits)
{
    const EarthMoonState launch = LaunchState(100.17, 10.98, 226.5);
    Vector y(static_cast<int>(launch.size()));
    std::copy(launch.begin(), launch.end(), y.Span().begin());
    const double c0 = JacobiConstant(launch);
    double worstOutbound = 0.0;  // past the Moon, before the return to the Earth
    double worst = 0.0;
    auto out = [&](int, double, double t, const Vector& state, int, const DenseOutput&, bool&) {
        const double drift = std::abs(JacobiConstant(state.Span()) - c0);
        worst = std::max(worst, drift);
        if (t < 1.5)
            worstOutbound = std::max(worstOutbound, drift);
    };
    const auto rhs = [](int n, double x, const Vector& state, Vector& f) {
        EarthMoonRhs(n, x, state.Span(), f.Span());
    };
    double t = 0.0;
    double h = 3.1415926535897935e-05;
    double hMax = 0.0;
    const Dop853Result result = Dop853(4, rhs, t, y, 10.0, h, hMax, 1e-8, 1e-8, out, 2);
    EXPECT_EQ(result.Code, Dop853Reached);
    EXPECT_LT(worstOutbound, 1e-9);
    EXPECT_LT(worst, 1e-6);
}

}  // namespace
}  // namespace orrimar
