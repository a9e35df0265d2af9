// A flight report written as the headless summary line, so that both can be compared
// field by field with one string comparison.
#pragma once

#include "flight/flight_report.h"
#include "flight/flight_summary.h"
#include "plot/plot_frame.h"

#include <algorithm>
#include <string>

namespace orrimar::test {

inline std::string ReportOutcome(const FlightReport& report)
{
    switch (report.Ending()) {
    case FlightEnding::MoonCollision:
        return "collision-moon";
    case FlightEnding::EarthCollision:
        return "collision-earth";
    case FlightEnding::Escape:
        return "escape";
    default:
        return "integrator-" + std::to_string(report.Integration().Code);
    }
}

inline std::string ReportLine(const FlightReport& r)
{
    const int bar = std::clamp(ClampRound(r.SpeedKms() * 10.0), 0, SpeedBarMax);
    return "outcome=" + ReportOutcome(r) + " index=" + std::to_string(r.LastIndex()) +
           " t=" + FixedText(r.LastT(), 9) + " step=" + std::to_string(r.Steps()) + " time=\"" +
           r.TimeText() + "\" error_jacobi=\"" + r.ErrorJacobiText() + "\" jacobi0=\"" +
           r.Jacobi0Text() + "\" velocity=\"" + r.VelocityText() +
           "\" bar=" + std::to_string(bar) + " moon_min_km=" + FixedText(r.MoonMinKm(), 3) +
           " moon_min_time=\"" + r.MoonMinTimeText() +
           "\" earth_min_km=" + FixedText(r.EarthMinKm(), 3) +
           " points=" + std::to_string(r.Points());
}

}  // namespace orrimar::test
