#include "flight/flight_run.h"

#include "integrator/dop853_impl.h"

#include "formats/decimal_text.h"
#include "formats/number_format.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <stdexcept>

namespace orrimar {

namespace {

bool InsideClient(PixelPoint p, const FrameTarget& box)
{
    return p.X >= 0 && p.X < box.ClientWidth() && p.Y >= 0 && p.Y < box.ClientHeight();
}

// The model's equations on the integrator's vectors, inline in its step: the stepper's
// vectors all have StateSize + 1 elements.
constexpr auto EarthMoonVectorRhs = [](int, double, const Vector& y, Vector& f) {
    EarthMoonRhsUnchecked(y.Data(), f.Data());
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

double Squared(double v) { return v * v; }

constexpr double EarthX = -static_cast<double>(Mu);  // the Earth's and the Moon's centres
constexpr double MoonX = static_cast<double>(OneMinusMu);  // in the rotating frame
// Relative margin of the bounds below: far more than the rounding by which the drawn
// picture's distances differ from the rotating frame's.
constexpr double BoundMargin = 1e-9;

// Distance of the segment from (ax, ay) to (ax + dx, ay + dy) from the point (cx, 0).
double SegmentDistance(double ax, double ay, double dx, double dy, double cx)
{
    const double length2 = dx * dx + dy * dy;
    const double u =
        length2 > 0.0 ? std::clamp(((cx - ax) * dx - ay * dy) / length2, 0.0, 1.0) : 0.0;
    const double px = ax + u * dx - cx;
    const double py = ay + u * dy;
    return std::sqrt(px * px + py * py);
}

// Within this distance of the Earth's centre the craft is inside the full view: its
// pixel rounds into the client area.
double InsideViewRadius(const FrameTarget& full)
{
    SelectFrame(full);
    const PlotFrame& f = CurrentFrame();
    const double left = -f.XOffset / f.XScale;
    const double right = (full.ClientWidth() - 1 - f.XOffset) / f.XScale;
    const double top = -f.YOffset / f.YScale;
    const double bottom = (full.ClientHeight() - 1 - f.YOffset) / f.YScale;
    const double radius = std::min({-left, right, top, -bottom}) * (1.0 - BoundMargin);
    return std::isfinite(radius) ? std::max(radius, 0.0) : 0.0;
}

// The step just taken as the straight line between its ends in the rotating frame, where
// the Earth and the Moon stand still, and a bound on how far the interpolant strays from
// it (distance units).
struct StepLine {
    double Ax = 0.0;  // start
    double Ay = 0.0;
    double Dx = 0.0;  // change over the step
    double Dy = 0.0;
    double Bow = 0.0;
};

inline StepLine LineOf(const DenseOutput& dense)
{
    return {dense.Start(1), dense.Start(3), dense.Change(1), dense.Change(3),
            dense.Bow<StateSize>(1) + dense.Bow<StateSize>(3)};
}

// Whether any output point of the step could come within moonLimit of the Moon's centre
// or earthLimit of the Earth's. First the disc around the line's middle that holds the
// whole step, which clears most steps; then the distance of the line, less the bow.
inline bool StepMayCome(const StepLine& line, double moonLimit, double earthLimit)
{
    const double mx = line.Ax + 0.5 * line.Dx;
    const double my = line.Ay + 0.5 * line.Dy;
    const double radius = 0.5 * std::sqrt(line.Dx * line.Dx + line.Dy * line.Dy) + line.Bow;
    const auto mayCome = [&](double cx, double limit) {
        if ((std::sqrt(Squared(mx - cx) + my * my) - radius) * (1.0 + BoundMargin) > limit)
            return false;
        return (SegmentDistance(line.Ax, line.Ay, line.Dx, line.Dy, cx) - line.Bow) *
                   (1.0 + BoundMargin) <=
               limit;
    };
    return mayCome(MoonX, moonLimit) || mayCome(EarthX, earthLimit);
}

// Whether the escape rule may hold within the step: it needs to be out of sight (inside
// viewRadius of the Earth it is not) and the energy, 1/r <= v²/2; the line's farthest
// point is one of its ends.
inline bool StepMayEscape(const StepLine& line, const DenseOutput& dense, double viewRadius)
{
    const double ax = line.Ax;
    const double ay = line.Ay;
    const double far = (std::sqrt(std::max(Squared(ax - EarthX) + ay * ay,
                                           Squared(ax + line.Dx - EarthX) + Squared(ay + line.Dy))) +
                        line.Bow) *
                       (1.0 + BoundMargin);
    if (far < viewRadius)
        return false;
    const double vx = dense.Start(2);
    const double vy = dense.Start(4);
    const double wx = vx + dense.Change(2);
    const double wy = vy + dense.Change(4);
    const double speed = std::sqrt(std::max(vx * vx + vy * vy, wx * wx + wy * wy)) +
                         dense.Bow<StateSize>(2) + dense.Bow<StateSize>(4);
    return speed * speed * far >= 2.0;
}

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
      jacobi0_(JacobiConstant(launch))
{
}

std::string FlightRun::Jacobi0Text() const { return orrimar::Jacobi0Text(jacobi0_); }

void FlightRun::SetBurns(std::vector<FlightBurn> burns)
{
    if (burns.size() > static_cast<std::size_t>(MaxFlightBurns))
        throw std::invalid_argument("a flight takes at most " + std::to_string(MaxFlightBurns) +
                                    " burns, not " + std::to_string(burns.size()));
    burns_ = std::move(burns);
}

Dop853Result FlightRun::Fly()
{
    endedByPoint_ = false;
    moonMin_ = std::numeric_limits<double>::infinity();
    earthMin_ = std::numeric_limits<double>::infinity();
    skippedIndex_ = -1;
    if (!needs_.EveryPoint || needs_.ExactEvents)
        viewRadius_ = InsideViewRadius(views_.Full);
    jacobiRef_ = jacobi0_;
    burnsDone_.clear();
    burnMade_.assign(burns_.size(), false);
    periluneSeen_ = false;
    perigeeSeen_ = false;
    stepBase_ = 0;
    cut_ = std::numeric_limits<double>::infinity();
    lastPoint_.Burns = 0;

    const auto burnTime = [](const FlightBurn& burn) {
        return static_cast<double>(burn.Days / DaysPerTimeUnit);
    };
    // The counts of the integrations before the last burn.
    Dop853Result spent;
    const auto total = [&spent](Dop853Result result) {
        result.Steps += spent.Steps;
        result.Accepted += spent.Accepted;
        result.Rejected += spent.Rejected;
        result.Evaluations += spent.Evaluations;
        return result;
    };
    if (burns_.empty()) {
        // A flight without burns: one integration, nothing looked for but its points.
        Dop853Stepper stepper(StateSize, EarthMoonVectorRhs, 0.0, ToVector(launch_),
                              FlightEndTime, FlightFirstStep, FlightEndTime, FlightTolerance,
                              FlightTolerance, true);
        if (TrajectoryOutput(stepper))
            return stepper.Result(Dop853Stopped);
        for (;;) {
            const int code = stepper.Step();
            if (code != Dop853Accepted && code != Dop853Reached) {
                FinishLastPoint(stepper);
                return stepper.Result(code);
            }
            if (TrajectoryOutput(stepper)) {
                FinishLastPoint(stepper);
                return stepper.Result(Dop853Stopped);
            }
            if (code == Dop853Reached) {
                FinishLastPoint(stepper);
                return stepper.Result(code);
            }
        }
    }

    std::vector<bool> due(burns_.size());
    double t0 = 0.0;
    EarthMoonState y0 = launch_;
    for (bool launch = true;; launch = false) {
        // The next timed burn ends the integration's range: the step lands on it.
        double tEnd = FlightEndTime;
        for (std::size_t i = 0; i < burns_.size(); ++i)
            if (!burnMade_[i] && burns_[i].When == FlightBurn::AtTime)
                tEnd = std::min(tEnd, std::max(burnTime(burns_[i]), t0));
        // After a burn the step size starts afresh as at launch: the velocity jumped, and
        // the step control finds its size within a few steps.
        Dop853Stepper stepper(StateSize, EarthMoonVectorRhs, t0, ToVector(y0), tEnd,
                              FlightFirstStep, FlightEndTime, FlightTolerance, FlightTolerance,
                              true);
        if (launch && TrajectoryOutput(stepper))
            return total(stepper.Result(Dop853Stopped));
        // Burns due where this integration starts (a time at or before it).
        double burnT = tEnd == t0 ? t0 : std::numeric_limits<double>::infinity();
        for (std::size_t i = 0; i < burns_.size(); ++i)
            due[i] = tEnd == t0 && !burnMade_[i] && burns_[i].When == FlightBurn::AtTime &&
                     std::max(burnTime(burns_[i]), t0) == tEnd;
        while (burnT == std::numeric_limits<double>::infinity()) {
            const int code = stepper.Step();
            if (code != Dop853Accepted && code != Dop853Reached) {
                FinishLastPoint(stepper);
                return total(stepper.Result(code));
            }
            std::fill(due.begin(), due.end(), false);
            if (code == Dop853Reached && tEnd < FlightEndTime) {
                burnT = stepper.X();
                for (std::size_t i = 0; i < burns_.size(); ++i)
                    due[i] = !burnMade_[i] && burns_[i].When == FlightBurn::AtTime &&
                             std::max(burnTime(burns_[i]), t0) == tEnd;
            }
            if (burnsDone_.size() < burns_.size())
                burnT = std::min(burnT, NextBurnEvent(stepper, burnT, due));
            cut_ = burnT;
            const bool stop = TrajectoryOutput(stepper);
            cut_ = std::numeric_limits<double>::infinity();
            if (stop) {
                FinishLastPoint(stepper);
                return total(stepper.Result(Dop853Stopped));
            }
            if (burnT == std::numeric_limits<double>::infinity() && code == Dop853Reached) {
                FinishLastPoint(stepper);
                return total(stepper.Result(code));
            }
            if (burnT != std::numeric_limits<double>::infinity()) {
                KeepSkippedPoint(stepper);
                if (burnT == stepper.X())
                    y0 = ToState(stepper.Y());
                else
                    stepper.Values(burnT, y0);
            }
        }
        if (!launch || stepper.Accepted() > 0) {
            const Dop853Result counts = stepper.Result(Dop853Accepted);
            spent.Steps += counts.Steps;
            spent.Accepted += counts.Accepted;
            spent.Rejected += counts.Rejected;
            spent.Evaluations += counts.Evaluations;
            stepBase_ += counts.Accepted;
        } else {
            // A burn at launch: the launch's right-hand side evaluation counts once.
            spent.Evaluations += stepper.Result(Dop853Accepted).Evaluations;
        }
        for (std::size_t i = 0; i < burns_.size(); ++i) {
            if (!due[i])
                continue;
            FlightBurnDone done;
            done.Nr = static_cast<int>(i);
            done.T = burnT;
            done.Before = y0;
            done.JacobiBefore = JacobiConstant(y0);
            y0 = ApplyBurn(y0, burns_[i].AlongKms, burns_[i].LeftKms);
            done.After = y0;
            done.JacobiAfter = JacobiConstant(y0);
            burnMade_[i] = true;
            burnsDone_.push_back(done);
            display_.ShowBurn(done);
        }
        jacobiRef_ = JacobiConstant(y0);
        t0 = burnT;
    }
}

// The first closest approach to the Moon or the Earth within the step just taken, up to
// until, for the burns waiting for one: where the distance stops falling, located on the
// dense output; marks the burns due then. Infinity when none comes.
template <class Stepper>
double FlightRun::NextBurnEvent(const Stepper& stepper, double until, std::vector<bool>& due)
{
    bool moon = false;
    bool earth = false;
    for (std::size_t i = 0; i < burns_.size(); ++i) {
        if (burnMade_[i])
            continue;
        moon |= burns_[i].When == FlightBurn::AtPerilune && !periluneSeen_;
        earth |= burns_[i].When == FlightBurn::AtPerigee && !perigeeSeen_;
    }
    // The launch is a perigee of the parking orbit (or near one): no closest approach
    // to the Earth lies within the flight's first step, far shorter than any orbit.
    earth &= stepBase_ + stepper.Accepted() > 1;
    const double inf = std::numeric_limits<double>::infinity();
    if (!moon && !earth)
        return inf;
    const double t0 = stepper.XOld();
    const double t1 = std::min(stepper.X(), until);
    EarthMoonState y{};
    // Minus half the rate of change of the squared distance from (cx, 0).
    const auto closing = [&](double cx) {
        return [&, cx](double t) {
            stepper.Values(t, y);
            return -((y[1] - cx) * y[2] + y[3] * y[4]);
        };
    };
    const double tMoon = moon ? FirstCrossing(closing(MoonX), t0, t1, false) : inf;
    const double tEarth = earth ? FirstCrossing(closing(EarthX), t0, t1, false) : inf;
    const double t = std::min(tMoon, tEarth);
    if (t == inf || t > until)
        return inf;
    if (t < until)
        std::fill(due.begin(), due.end(), false);
    periluneSeen_ |= tMoon == t;
    perigeeSeen_ |= tEarth == t;
    for (std::size_t i = 0; i < burns_.size(); ++i)
        due[i] = due[i] || (!burnMade_[i] &&
                            ((burns_[i].When == FlightBurn::AtPerilune && tMoon == t) ||
                             (burns_[i].When == FlightBurn::AtPerigee && tEarth == t)));
    return t;
}

// Before the integration restarts: the last point passed over, when it came after the
// last one shown, evaluated while its step is still at hand.
template <class Stepper>
void FlightRun::KeepSkippedPoint(const Stepper& stepper)
{
    if (skippedIndex_ <= lastPoint_.Index)
        return;
    EarthMoonState state{};
    stepper.Values(skippedT_, state);
    EvaluateFlightPoint(lastPoint_, skippedIndex_, skippedT_, state, views_, needs_);
    lastPoint_.JacobiDrift = needs_.Measures ? JacobiConstant(state) - jacobiRef_ : 0.0;
    lastPoint_.Burns = static_cast<int>(burnsDone_.size());
}

template <class Stepper>
void FlightRun::ShowStep(const Stepper& stepper, int nr)
{
    FlightStep step{nr, JacobiConstant(stepper.Y().Span()) - jacobiRef_, {}, {}};
    if (needs_.Texts) {
        step.StepText = std::to_string(nr);
        step.ErrorJacobiText = FormatExp13_4(step.ErrorJacobi);
    }
    display_.ShowStep(step);
}

// The last point passed over, when it came after the last one shown, is the flight's
// last point: evaluated now (the stepper still holds its step) for LastPoint().
template <class Stepper>
void FlightRun::FinishLastPoint(const Stepper& stepper)
{
    // A display without EveryPoint sees the last step only.
    if (!needs_.EveryPoint && stepNr_ > 0)
        ShowStep(stepper, stepNr_);
    KeepSkippedPoint(stepper);
}

// The first moment within the step just taken at which the craft reaches the Earth
// limit or the Moon's surface (coming from outside) or the escape rule holds, to the
// interpolant's accuracy. Steps the bounds rule out cost nothing more; the others are
// sampled at EventSamples sub-points, a crossing is bisected to the last bit, and a dip
// between samples is found by a golden-section search for the least distance.
template <class Stepper>
FlightEvent FlightRun::FirstEvent(const Stepper& stepper)
{
    const DenseOutput& dense = stepper.Dense();
    FlightEvent first;
    const StepLine line = LineOf(dense);
    if (!StepMayCome(line, static_cast<double>(MoonRadius), EarthImpactDistance) &&
        !StepMayEscape(line, dense, viewRadius_))
        return first;
    const double t0 = dense.XOld();
    const double t1 = std::min(stepper.X(), cut_);
    EarthMoonState state{};
    const auto at = [&](double t) -> const EarthMoonState& {
        stepper.Values(t, state);
        return state;
    };
    const auto moon = [&](double t) {
        const EarthMoonState& y = at(t);
        return Squared(y[1] - MoonX) + Squared(y[3]) - Squared(static_cast<double>(MoonRadius));
    };
    const auto earth = [&](double t) {
        const EarthMoonState& y = at(t);
        return Squared(y[1] - EarthX) + Squared(y[3]) - Squared(EarthImpactDistance);
    };
    // The escape rule as a point's verdict decides it, as a sign: -1 when it holds. It is
    // not smooth (a pixel leaving the view, an energy passing a threshold), so it is only
    // sampled: a spell of it that begins and ends between two samples (within 1/64 of the
    // step) is missed. Bounds over parts of the step cannot close that gap: where the rule
    // fails by less than the rounding of the picture (the pixel's edge, the energy's
    // comparison), only the verdict at every representable time would settle it.
    const auto escape = [&](double t) {
        const EarthMoonState& y = at(t);
        const double earth2 = Squared(y[1] - EarthX) + Squared(y[3]);
        const double v2 = Squared(y[2]) + Squared(y[4]);
        if (earth2 < Squared(viewRadius_) || v2 * v2 * earth2 * (1.0 + BoundMargin) < 4.0)
            return 1.0;
        FlightNeeds lean;
        lean.Texts = false;
        lean.Pixels = false;
        lean.Measures = false;
        FlightPoint point;
        EvaluateFlightPoint(point, pointIndex_, t, y, views_, lean);
        return point.Escaping ? -1.0 : 1.0;
    };
    const auto consider = [&](FlightEvent::Kind rule, double t) {
        if (t < first.T)
            first = FlightEvent{rule, t};
    };
    consider(FlightEvent::Moon, FirstCrossing(moon, t0, t1, true));
    consider(FlightEvent::Earth, FirstCrossing(earth, t0, t1, true));
    consider(FlightEvent::Escape, FirstCrossing(escape, t0, t1, false));
    return first;
}

// The points of the step for a display that takes only those that may matter. Output
// point k is at k·dt (NextMultiple of (k-1)·dt gives exactly that). A point is shown when
// it may end the flight, or may come closer to the Moon or the Earth than every point
// shown before and every later point up to the next that may end the flight; the others
// are passed over.
template <class Stepper>
bool FlightRun::SparseOutput(const Stepper& stepper, double x, bool beforeX)
{
    const double dt = outputInterval_;
    // (Output indices are ints, as in the point-by-point loop.)
    int last = std::max(static_cast<int>(std::min(x / dt, 2.0e9)), pointIndex_ - 1);
    while (static_cast<double>(last + 1) * dt <= x)
        ++last;
    while (last >= pointIndex_ && (static_cast<double>(last) * dt > x ||
                                  (beforeX && static_cast<double>(last) * dt == x)))
        --last;
    const int count = last - pointIndex_ + 1;
    if (count <= 0)
        return false;

    const DenseOutput& dense = stepper.Dense();
    const StepLine line = LineOf(dense);
    const bool mayEscape = StepMayEscape(line, dense, viewRadius_);
    if (mayEscape || StepMayCome(line, std::max(moonMin_, static_cast<double>(MoonRadius)),
                                 std::max(earthMin_, EarthImpactDistance)))
        return ShowPointsThatMayMatter(dense, line.Bow, mayEscape, last);
    skippedIndex_ = last;
    skippedT_ = static_cast<double>(last) * dt;
    display_.SkipPoints(count, skippedT_);
    pointIndex_ = last + 1;
    nextOutputTime_ = static_cast<double>(pointIndex_) * dt;
    return false;
}

// The points pointIndex_ … last of a step the bounds could not pass over as a whole (kept
// out of SparseOutput, which passes over most steps).
bool FlightRun::ShowPointsThatMayMatter(const DenseOutput& dense, double bow, bool mayEscape,
                                        int last)
{
    const double dt = outputInterval_;
    const int count = last - pointIndex_ + 1;
    int skipped = 0;
    bool ended = false;
    const auto skip = [&](int index) {
        ++skipped;
        skippedIndex_ = index;
        skippedT_ = static_cast<double>(index) * dt;
    };
    // From the last point back: squared distances in the rotating frame, which points
    // may end the flight, and the least distances of the later points up to the next
    // that may. Once the bounds over the rest of the step say that no earlier point
    // may end the flight or come as close, those are passed over without a look.
    cheap_.resize(static_cast<std::size_t>(count));
    constexpr double closer = (1.0 + BoundMargin) * (1.0 + BoundMargin);
    const double moonR2 = Squared(static_cast<double>(MoonRadius) * (1.0 + BoundMargin));
    const double impact2 = Squared(EarthImpactDistance * (1.0 + BoundMargin));
    const double view2 = Squared(viewRadius_);
    const double ax = dense.Start(1);
    const double ay = dense.Start(3);
    const double dx = dense.Change(1);
    const double dy = dense.Change(3);
    const auto fraction = [&](int j) {
        return (static_cast<double>(pointIndex_ + j) * dt - dense.XOld()) / dense.HOut();
    };
    double laterMoon2 = std::numeric_limits<double>::infinity();
    double laterEarth2 = laterMoon2;
    int first = 0;
    double s = fraction(count - 1);
    for (int j = count - 1; j >= 0; --j) {
        CheapPoint& c = cheap_[static_cast<std::size_t>(j)];
        const double px = dense.At<StateSize>(1, s);
        const double py2 = Squared(dense.At<StateSize>(3, s));
        c.Moon2 = Squared(px - MoonX) + py2;
        c.Earth2 = Squared(px - EarthX) + py2;
        c.MayEnd = c.Moon2 <= moonR2 || c.Earth2 <= impact2;
        if (!c.MayEnd && c.Earth2 >= view2) {
            const double v2 =
                Squared(dense.At<StateSize>(2, s)) + Squared(dense.At<StateSize>(4, s));
            c.MayEnd = v2 * v2 * c.Earth2 * (1.0 + BoundMargin) >= 4.0;
        }
        c.LaterMoon2 = laterMoon2;
        c.LaterEarth2 = laterEarth2;
        laterMoon2 = c.MayEnd ? c.Moon2 : std::min(laterMoon2, c.Moon2);
        laterEarth2 = c.MayEnd ? c.Earth2 : std::min(laterEarth2, c.Earth2);
        if (j == 0)
            break;
        s = fraction(j - 1);
        if (mayEscape)
            continue;
        // The points before j lie within the bow of the line's part up to point j-1; the
        // Moon's bound first, as it fails more often.
        const auto low2 = [&](double cx) {
            const double d = SegmentDistance(ax, ay, dx * s, dy * s, cx) - bow;
            return Squared(std::max(d, 0.0) * (1.0 - BoundMargin));
        };
        const double moonLow2 = low2(MoonX);
        if (moonLow2 <= moonR2 || moonLow2 <= std::min(laterMoon2, Squared(moonMin_)) * closer)
            continue;
        const double earthLow2 = low2(EarthX);
        if (earthLow2 > impact2 &&
            earthLow2 > std::min(laterEarth2, Squared(earthMin_)) * closer) {
            first = j;
            break;
        }
    }
    if (first > 0) {
        skipped = first - 1;
        skip(pointIndex_ + first - 1);
    }
    EarthMoonState state{};
    for (int j = first; j < count && !ended; ++j) {
        const CheapPoint& c = cheap_[static_cast<std::size_t>(j)];
        const int index = pointIndex_ + j;
        const bool nearerMoon = c.Moon2 <= Squared(moonMin_) * closer &&
                                c.Moon2 <= c.LaterMoon2 * closer;
        const bool nearerEarth = c.Earth2 <= Squared(earthMin_) * closer &&
                                 c.Earth2 <= c.LaterEarth2 * closer;
        if (c.MayEnd || nearerMoon || nearerEarth) {
            const double t = static_cast<double>(index) * dt;
            dense.Values(t, state);
            ended = OutputPoint(index, t, state);
            if (ended)
                last = index;
        } else {
            skip(index);
        }
    }
    if (skipped > 0)
        display_.SkipPoints(skipped, skippedT_);
    pointIndex_ = last + 1;
    nextOutputTime_ = static_cast<double>(pointIndex_) * dt;
    return ended;
}

template <class Stepper>
bool FlightRun::TrajectoryOutput(const Stepper& stepper)
{
    const int nr = stepper.Accepted() + stepBase_;
    // A burn within the step cuts it short: the points after it come from the next one.
    const double x = std::min(stepper.X(), cut_);
    const Vector& y = stepper.Y();
    const double dt = outputInterval_;
    // (A failed step counts as accepted in the stepper before it fails: the number of the
    // last step shown is kept.)
    stepNr_ = nr;
    if (needs_.EveryPoint || nr == 0)
        ShowStep(stepper, nr);

    if (nr == 0) {
        // A collision or escape at the launch point sounds but does not end the flight.
        OutputPoint(0, x, ToState(y));
        nextOutputTime_ = NextMultiple(x, dt);
        pointIndex_ = 1;
        return false;
    }

    FlightEvent event;
    if (needs_.ExactEvents)
        event = FirstEvent(stepper);
    // With an event, the step's points up to it; the event is the flight's last point.
    const double end = event.Rule == FlightEvent::None ? x : event.T;
    bool ended = false;
    if (!needs_.EveryPoint) {
        ended = SparseOutput(stepper, end, event.Rule != FlightEvent::None);
    } else {
        EarthMoonState state{};
        while (nextOutputTime_ <= end &&
               (event.Rule == FlightEvent::None || nextOutputTime_ < event.T)) {
            stepper.Values(nextOutputTime_, state);
            ended = OutputPoint(pointIndex_, nextOutputTime_, state);
            if (ended)
                break;
            nextOutputTime_ = NextMultiple(nextOutputTime_, dt);
            ++pointIndex_;
        }
    }
    if (!ended && event.Rule != FlightEvent::None) {
        EarthMoonState state{};
        stepper.Values(event.T, state);
        display_.Pace();
        EvaluateFlightPoint(lastPoint_, pointIndex_, event.T, state, views_, needs_);
        lastPoint_.JacobiDrift = needs_.Measures ? JacobiConstant(state) - jacobiRef_ : 0.0;
        lastPoint_.Burns = static_cast<int>(burnsDone_.size());
        // The located rule holds here, whatever the picture's rounding says.
        lastPoint_.CollidesMoon |= event.Rule == FlightEvent::Moon;
        lastPoint_.CollidesEarth |= event.Rule == FlightEvent::Earth;
        lastPoint_.Escaping |= event.Rule == FlightEvent::Escape;
        display_.ShowPoint(lastPoint_);
        ended = true;
    }
    endedByPoint_ = ended;
    return display_.CancelRequested() || ended;
}

bool FlightRun::OutputPoint(int index, double t, const EarthMoonState& state)
{
    display_.Pace();
    EvaluateFlightPoint(lastPoint_, index, t, state, views_, needs_);
    lastPoint_.JacobiDrift = needs_.Measures ? JacobiConstant(state) - jacobiRef_ : 0.0;
    lastPoint_.Burns = static_cast<int>(burnsDone_.size());
    moonMin_ = std::min(moonMin_, lastPoint_.MoonDistance);
    if (index > 0)
        earthMin_ = std::min(earthMin_, lastPoint_.EarthDistance);
    display_.ShowPoint(lastPoint_);
    return lastPoint_.Ends();
}

}  // namespace orrimar
