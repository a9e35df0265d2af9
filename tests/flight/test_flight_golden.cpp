// The texts of the integrator's failures, and the Jacobi integral along the default
// flight.
#include "flight/integrator_message.h"
#include "integrator/dop853.h"
#include "model/earth_moon.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <utility>

namespace orrimar {
namespace {

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
