#include "flight/flight_report.h"

#include "flight/integrator_message.h"
#include "formats/number_format.h"

#include <algorithm>
#include <limits>

namespace orrimar {

namespace {

// Days of a time in time units, as the point's "Time" text is computed.
double DaysOf(double t) { return static_cast<double>(t * DaysPerTimeUnit); }

}  // namespace

double KmAboveSurface(double distance, long double radius)
{
    const long double km = (static_cast<long double>(distance) - radius) * DistanceUnitKm;
    return std::max(0.0, static_cast<double>(km));
}

void FlightReport::Reset() { *this = FlightReport(); }

void FlightReport::AddStep(const FlightStep& step) { step_ = step; }

void FlightReport::AddPoint(const FlightPoint& point)
{
    constexpr double none = std::numeric_limits<double>::infinity();
    if (points_ == 0) {
        // The launch point's state is the launch state: its Jacobi integral is C0.
        jacobi0_ = JacobiConstant(point.State);
        moonMin_ = none;
        earthMin_ = none;
        launchEarth_ = none;
        earthMax_ = 0.0;
    }
    last_ = {point.Index, point.T, point.SpeedKms, point.CollidesMoon, point.CollidesEarth,
             point.Ends()};
    ++points_;
    if (point.MoonDistance < moonMin_) {
        moonMin_ = point.MoonDistance;
        moonMinT_ = point.T;
    }
    if (point.Index > 0)
        earthMin_ = std::min(earthMin_, point.EarthDistance);
    else
        launchEarth_ = point.EarthDistance;
    earthMax_ = std::max(earthMax_, point.EarthDistance);
}

void FlightReport::Finish(const Dop853Result& result, bool cancelRequested)
{
    integration_ = result;
    if (EndedByPoint())
        ending_ = last_.CollidesMoon    ? FlightEnding::MoonCollision
                  : last_.CollidesEarth ? FlightEnding::EarthCollision
                                        : FlightEnding::Escape;
    else if (cancelRequested && result.Code == Dop853Stopped)
        ending_ = FlightEnding::Cancelled;
    else
        ending_ = FlightEnding::Integrator;
}

std::string FlightReport::EndingText() const
{
    switch (ending_) {
    case FlightEnding::Flying:
        return "flying";
    case FlightEnding::MoonCollision:
        return "Moon collision";
    case FlightEnding::EarthCollision:
        return "Earth collision";
    case FlightEnding::Escape:
        return "escape";
    case FlightEnding::Cancelled:
        return "cancelled";
    case FlightEnding::Integrator:
        break;
    }
    std::string message = Dop853FailureText(integration_);
    if (message.empty())
        message = integration_.Code == Dop853Reached ? "end time reached" : "stopped";
    return "integrator stopped: " + message + " (code " + std::to_string(integration_.Code) +
           ")";
}

std::string FlightReport::Jacobi0Text() const { return orrimar::Jacobi0Text(jacobi0_); }

double FlightReport::Days() const { return DaysOf(last_.T); }

std::string FlightReport::TimeText() const { return orrimar::TimeText(Days()); }

std::string FlightReport::VelocityText() const { return FormatFixed8_4(last_.SpeedKms); }

double FlightReport::MoonMinKm() const
{
    return points_ > 0 ? KmAboveSurface(moonMin_, MoonRadius) : 0.0;
}

double FlightReport::MoonMinDays() const { return DaysOf(moonMinT_); }

std::string FlightReport::MoonMinTimeText() const
{
    return points_ > 0 ? orrimar::TimeText(MoonMinDays()) : std::string();
}

double FlightReport::EarthMinKm() const
{
    if (points_ == 0)
        return 0.0;
    // A flight that drew nothing after the launch falls back to the launch point.
    return KmAboveSurface(points_ > 1 ? earthMin_ : launchEarth_, EarthRadius);
}

double FlightReport::EarthMaxKm() const
{
    return static_cast<double>(static_cast<long double>(earthMax_) * DistanceUnitKm);
}

}  // namespace orrimar
