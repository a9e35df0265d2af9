#include "flight/flight_run.h"

#include "integrator/dop853_impl.h"

#include "formats/decimal_text.h"
#include "formats/number_format.h"

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

bool InsideClient(PixelPoint p, const FrameTarget& box)
{
    return p.X >= 0 && p.X < box.ClientWidth() && p.Y >= 0 && p.Y < box.ClientHeight();
}

// The model's equations on the integrator's vectors.
constexpr auto EarthMoonVectorRhs = [](int n, double x, const Vector& y, Vector& f) {
    EarthMoonRhs(n, x, y.Span(), f.Span());
};

EarthMoonState ToState(const Vector& y)
{
    EarthMoonState state{};
    const std::span<const double> values = y.Span().first(state.size());
    std::copy(values.begin(), values.end(), state.begin());
    return state;
}

Vector ToVector(const EarthMoonState& state)
{
    Vector y(static_cast<int>(state.size()));
    std::copy(state.begin(), state.end(), y.Span().begin());
    return y;
}

// The next whole multiple of dt after t, recomputed from its multiple so that no
// rounding error accumulates.
double NextMultiple(double t, double dt) { return RoundHalfEven(t / dt + 1.0) * dt; }

}  // namespace

EarthMoonState LaunchFromTexts(std::string_view altitude, std::string_view velocity,
                               std::string_view angle)
{
    return LaunchState(LaunchValue(altitude), LaunchValue(velocity), LaunchValue(angle));
}

double SpeedKmsOf(const GeocentricPicture& g)
{
    return static_cast<double>(std::hypot(g.Velocity.X, g.Velocity.Y) * VelocityUnitKms);
}

void FillPointTexts(FlightPoint& point)
{
    char text[MaxFormattedLength];
    point.SpeedKms = SpeedKmsOf(point.Picture);
    point.TimeText.assign(text, TimeTextTo(static_cast<double>(point.T * DaysPerTimeUnit), text));
    point.VelocityText.assign(text, FormatFixed8_4To(point.SpeedKms, text));
    point.Bar = std::clamp(ClampRound(point.SpeedKms * 10.0), 0, SpeedBarMax);
}

void EvaluateFlightPoint(FlightPoint& point, int index, double t, const EarthMoonState& state,
                         const FlightViews& views, const FlightNeeds& needs)
{
    point.Index = index;
    point.T = t;
    point.State = state;

    // Output point k of every flight is at k·FlightOutputInterval.
    FrameTurn scratch;
    const FrameTurn& turn =
        views.Turns ? views.Turns->At(index, t, scratch) : (scratch = FrameTurnAt(t));
    const GeocentricPicture& g = point.Picture = RotatingToGeocentric(turn, state);
    if (needs.Pixels) {
        SelectFrame(views.Full);
        point.Full = WorldToPixel(g.Craft);
        point.Moon = WorldToPixel(g.Moon);
        SelectFrame(views.Luno);
        point.Luno = XYToPixel(g.Craft.X - g.Moon.X, g.Craft.Y - g.Moon.Y);
        SelectFrame(views.Geo);
        point.Geo = WorldToPixel(g.Craft);
    }

    const double v2 = g.Velocity.X * g.Velocity.X + g.Velocity.Y * g.Velocity.Y;
    point.MoonDistance = PointDistance(g.Craft, g.Moon);
    point.EarthDistance = std::hypot(g.Craft.X, g.Craft.Y);

    // Escape energy (the Earth's pull taken with factor 1), and out of sight; the pixel
    // only matters once the energy suffices.
    point.Escaping = false;
    if (1.0 / point.EarthDistance <= v2 / 2.0) {
        if (!needs.Pixels) {
            SelectFrame(views.Full);
            point.Full = WorldToPixel(g.Craft);
        }
        point.Escaping = !InsideClient(point.Full, views.Full);
    }
    point.CollidesMoon = point.MoonDistance <= static_cast<double>(MoonRadius);
    point.CollidesEarth = point.EarthDistance <= EarthImpactDistance;

    if (needs.Texts)
        FillPointTexts(point);
    else if (needs.Measures)
        point.SpeedKms = SpeedKmsOf(g);
}

FlightPoint EvaluateFlightPoint(int index, double t, const EarthMoonState& state,
                                const FlightViews& views)
{
    FlightPoint point;
    EvaluateFlightPoint(point, index, t, state, views, FlightNeeds{});
    return point;
}

FlightRun::FlightRun(const EarthMoonState& launch, const FlightViews& views, FlightDisplay& display)
    : launch_(launch), views_(views), display_(display), needs_(display.Needs()),
      Jacobi0_(JacobiConstant(launch))
{
}

std::string FlightRun::Jacobi0Text() const { return orrimar::Jacobi0Text(Jacobi0_); }

Dop853Result FlightRun::Fly()
{
    Vector y = ToVector(launch_);
    double t = 0.0;
    double h = FlightFirstStep;
    double hMax = FlightEndTime - t;
    endedByPoint_ = false;
    return Dop853With(
        StateSize, EarthMoonVectorRhs, t, y, FlightEndTime, h, hMax, FlightTolerance,
        FlightTolerance,
        [this](int nr, double, double x, const Vector& state, int, const DenseOutput& dense,
               bool& stop) { TrajectoryOutput(nr, x, state, dense, stop); },
        2);
}

void FlightRun::TrajectoryOutput(int nr, double x, const Vector& y, const DenseOutput& dense,
                                 bool& stop)
{
    const double dt = OutputInterval;
    FlightStep step{nr, JacobiConstant(y.Span()) - Jacobi0_, {}, {}};
    if (needs_.Texts) {
        step.StepText = std::to_string(nr);
        step.ErrorJacobiText = FormatExp13_4(step.ErrorJacobi);
    }
    display_.ShowStep(step);

    if (nr == 0) {
        // A collision or escape at the launch point sounds but does not end the flight.
        stop = false;
        OutputPoint(0, x, ToState(y));
        NextOutputTime = NextMultiple(x, dt);
        PointIndex = 1;
        return;
    }

    bool ended = false;
    EarthMoonState state{};
    while (NextOutputTime <= x) {
        dense.Values(NextOutputTime, state);
        ended = OutputPoint(PointIndex, NextOutputTime, state);
        if (ended)
            break;
        NextOutputTime = NextMultiple(NextOutputTime, dt);
        ++PointIndex;
    }
    endedByPoint_ = ended;
    stop = display_.CancelRequested() || ended;
}

bool FlightRun::OutputPoint(int index, double t, const EarthMoonState& state)
{
    display_.Pace();
    EvaluateFlightPoint(lastPoint_, index, t, state, views_, needs_);
    lastPoint_.JacobiDrift = needs_.Measures ? JacobiConstant(state) - Jacobi0_ : 0.0;
    display_.ShowPoint(lastPoint_);
    return lastPoint_.Ends();
}

}  // namespace orrimar
