// One flight without a window: the launch state, the integration, the output
// schedule, the measures and verdicts of every output point and the status texts.
// The window (or a headless caller) takes part through FlightDisplay: it paces,
// draws, plays the sounds and says whether the user cancelled.
#pragma once

#include "integrator/dop853.h"
#include "flight/flight_burn.h"
#include "flight/geocentric.h"
#include "model/earth_moon.h"
#include "plot/plot_frame.h"

#include <limits>
#include <string>
#include <string_view>
#include <vector>

namespace orrimar {

// Integration settings of a flight.
inline constexpr double FlightEndTime = 1.328125e306;              // never reached
inline constexpr double FlightFirstStep = 3.1415926535897935e-05;  // π/100000 (11.8 s)
inline constexpr double FlightTolerance = 1e-8;
inline constexpr double FlightOutputInterval = 0.0006283185307179586;  // 2π/10000 (236 s)
inline constexpr int SpeedBarMax = 150;                                // 15 km/s

// What the status bar shows after an accepted step.
struct FlightStep {
    int Nr = 0;
    double ErrorJacobi = 0.0;     // C - Jacobi0 of the step's end state
    std::string StepText;         // "Step" (left empty when the display takes no texts)
    std::string ErrorJacobiText;  // "Error Jacobi", ErrorJacobi as "%13.4E" (idem)
};

// What a display uses of each output point and step; what it leaves out is not computed
// (numbers stay 0, texts empty). The window uses everything, the default.
struct FlightNeeds {
    bool Texts = true;        // the steps' texts, TimeText, VelocityText, Bar
    bool Pixels = true;       // Full, Moon, Luno, Geo (Full still decides escapes)
    bool Measures = true;     // SpeedKms, JacobiDrift
    // False for a display that only reports how a flight ends and its closest approaches:
    // it is shown the points that may end the flight or come as close to the Moon or the
    // Earth as any shown before, and told of the others by SkipPoints.
    bool EveryPoint = true;
    // True: a collision or escape ends the flight at the moment it happens, located on the
    // integrator's dense output, as a last point after the step's earlier output points
    // (its index the next point's, its time the event's). False: only the output points'
    // verdicts count, as the window draws them.
    bool ExactEvents = false;
};

// What ended a flight between output points, and when (time units).
struct FlightEvent {
    enum Kind { None, Moon, Earth, Escape };
    Kind Rule = None;
    double T = std::numeric_limits<double>::infinity();
};

// The first t in (t0, t1] at which g(t) <= 0 after being positive: g sampled at
// EventSamples sub-points, a sign change bisected to adjacent doubles (the side where
// g <= 0 returned) and, when smooth, a dip between samples looked for by a golden-section
// search. Infinity when there is none.
inline constexpr int EventSamples = 64;
template <class G>
double FirstCrossing(const G& g, double t0, double t1, bool smooth)
{
    const auto bisect = [&](double outside, double inside) {
        for (;;) {
            const double mid = outside + (inside - outside) / 2.0;
            if (mid == outside || mid == inside)
                return inside;
            (g(mid) <= 0.0 ? inside : outside) = mid;
        }
    };
    const auto sample = [&](int i) {
        return i == EventSamples ? t1 : t0 + (t1 - t0) * i / EventSamples;
    };
    double previous = g(t0);
    double current = g(sample(1));
    for (int i = 1; i <= EventSamples; ++i) {
        if (current <= 0.0) {
            if (previous > 0.0)
                return bisect(sample(i - 1), sample(i));
        } else if (smooth && i < EventSamples) {
            const double next = g(sample(i + 1));
            if (previous > current && current < next) {
                // A least value between the neighbours may lie below zero.
                constexpr double golden = 0.3819660112501051;
                double a = sample(i - 1);
                double b = sample(i + 1);
                for (int k = 0; k < 80 && b > a; ++k) {
                    const double u = a + golden * (b - a);
                    const double v = b - golden * (b - a);
                    const double gu = g(u);
                    if (gu <= 0.0)
                        return bisect(sample(i - 1), u);
                    const double gv = g(v);
                    if (gv <= 0.0)
                        return bisect(sample(i - 1), v);
                    if (gu < gv)
                        b = v;
                    else
                        a = u;
                }
            }
            previous = current;
            current = next;
            continue;
        }
        previous = current;
        if (i < EventSamples)
            current = g(sample(i + 1));
    }
    return std::numeric_limits<double>::infinity();
}

// Everything one output point yields.
struct FlightPoint {
    int Index = 0;  // 0 for the launch point
    double T = 0.0;  // time units
    EarthMoonState State{};    // the state at T (the launch state for the launch point)
    double JacobiDrift = 0.0;  // C - C0 of State
    GeocentricPicture Picture;
    PixelPoint Full;   // craft in the full view
    PixelPoint Moon;   // Moon's centre in the full view
    PixelPoint Luno;   // craft in the lunocentric inset
    PixelPoint Geo;    // craft in the geocentric inset
    double SpeedKms = 0.0;
    double MoonDistance = 0.0;   // from the Moon's centre, distance units
    double EarthDistance = 0.0;  // from the Earth's centre, distance units
    bool CollidesMoon = false;
    bool CollidesEarth = false;
    bool Escaping = false;
    // Filled when FlightNeeds::Texts; FillPointTexts makes them afterwards.
    std::string TimeText;      // "Time", "D - HH"
    std::string VelocityText;  // "Velocity", "%8.4f"
    int Bar = 0;               // speed bar position, 0 … 150
    int Burns = 0;             // burns made before this point

    bool Colliding() const { return CollidesMoon || CollidesEarth; }
    bool Ends() const { return Colliding() || Escaping; }
};

// The three views a flight maps into; their frames must have been set up.
struct FlightViews {
    const FrameTarget& Full;
    const FrameTarget& Luno;
    const FrameTarget& Geo;
    // The frame turns of the output times, shared by the flights of a scan; without one
    // each point computes its own (the same bits).
    const FrameTurnTable* Turns = nullptr;
};

class FlightDisplay {
public:
    virtual ~FlightDisplay() = default;
    // After every accepted step (and once before the first); without
    // FlightNeeds::EveryPoint, before the first and after the last only.
    virtual void ShowStep(const FlightStep& step) = 0;
    // Before each output point: wait for its deadline, handling pending events.
    virtual void Pace() = 0;
    // Each output point, in order of time.
    virtual void ShowPoint(const FlightPoint& point) = 0;
    // Read once per accepted step, after that step's points.
    virtual bool CancelRequested() const = 0;
    // Without FlightNeeds::EveryPoint: count output points up to the one at time lastT
    // (time units) were passed over, in the step just taken.
    virtual void SkipPoints(int /*count*/, double /*lastT*/) {}
    // Read once when the flight starts.
    virtual FlightNeeds Needs() const { return {}; }
    // A burn just made, after the output points before it and before those after it.
    virtual void ShowBurn(const FlightBurnDone& /*burn*/) {}
};

// The launch state of the three field texts, read as Start reads them.
EarthMoonState LaunchFromTexts(std::string_view altitude, std::string_view velocity,
                               std::string_view angle);

// The measures and verdicts of one output point (the caller's frames are used;
// the current frame afterwards is the geocentric inset's). JacobiDrift is left 0: it
// needs the launch's constant.
FlightPoint EvaluateFlightPoint(int index, double t, const EarthMoonState& state,
                                const FlightViews& views);
// The same into point, computing only what needs asks for (JacobiDrift is left alone;
// without Pixels the current frame is the full view's, or unchanged).
void EvaluateFlightPoint(FlightPoint& point, int index, double t, const EarthMoonState& state,
                         const FlightViews& views, const FlightNeeds& needs);

// The point's speed from its picture, km/s.
double SpeedKmsOf(const GeocentricPicture& picture);
// SpeedKms, TimeText, VelocityText and Bar of a point evaluated without them.
void FillPointTexts(FlightPoint& point);

// One flight from launch to its end. Frames are registered per thread, so a flight
// runs on the thread that set up its views.
class FlightRun {
public:
    FlightRun(const EarthMoonState& launch, const FlightViews& views, FlightDisplay& display);

    double Jacobi0() const { return jacobi0_; }
    std::string Jacobi0Text() const;  // "Jacobi 0", "##.#####"

    // The burns after launch, at most MaxFlightBurns (more throw std::invalid_argument);
    // set before Fly. Timed burns land the step on their time; event burns are located
    // on the dense output. The integration restarts after each burn as at launch.
    void SetBurns(std::vector<FlightBurn> burns);
    const std::vector<FlightBurn>& Burns() const { return burns_; }
    // The burns made by the last Fly, in order of time (those whose moment never came
    // are missing).
    const std::vector<FlightBurnDone>& BurnsDone() const { return burnsDone_; }

    // Integrates until the display cancels, a point ends the flight, or the integrator
    // stops by itself; returns what the integrator returned (code 2 when stopped, a
    // negative code when it failed; see Dop853FailureText).
    Dop853Result Fly();

    // The point that ended the flight, when one did; otherwise the flight's last point.
    bool EndedByPoint() const { return endedByPoint_; }
    const FlightPoint& LastPoint() const { return lastPoint_; }

private:
    // The step just accepted (or the launch): its status, its output points; true to stop.
    template <class Stepper>
    bool TrajectoryOutput(const Stepper& stepper);
    bool OutputPoint(int index, double t, const EarthMoonState& state);
    template <class Stepper>
    bool SparseOutput(const Stepper& stepper, double x, bool beforeX);
    bool ShowPointsThatMayMatter(const DenseOutput& dense, double bow, bool mayEscape, int last);
    template <class Stepper>
    FlightEvent FirstEvent(const Stepper& stepper);
    template <class Stepper>
    void FinishLastPoint(const Stepper& stepper);
    template <class Stepper>
    void ShowStep(const Stepper& stepper, int nr);
    template <class Stepper>
    double NextBurnEvent(const Stepper& stepper, double until, std::vector<bool>& due);
    template <class Stepper>
    void KeepSkippedPoint(const Stepper& stepper);

    EarthMoonState launch_;
    FlightViews views_;
    FlightDisplay& display_;
    FlightNeeds needs_;
    double jacobi0_;
    // Drifts are measured from the Jacobi integral after the last burn (the launch's
    // before any).
    double jacobiRef_ = 0.0;
    std::vector<FlightBurn> burns_;
    std::vector<FlightBurnDone> burnsDone_;
    std::vector<bool> burnMade_;
    bool periluneSeen_ = false;  // the event happened (its burns are made or never were)
    bool perigeeSeen_ = false;
    int stepBase_ = 0;           // steps accepted before the last burn
    // Where the step just taken is cut short by a burn; infinity without one.
    double cut_ = std::numeric_limits<double>::infinity();
    double outputInterval_ = FlightOutputInterval;
    double nextOutputTime_ = 0.0;
    int pointIndex_ = 0;
    bool endedByPoint_ = false;
    FlightPoint lastPoint_;
    // The closest approaches of the points shown (the Earth's after the launch), distance
    // units, and the last point passed over, for displays that take only some points.
    double moonMin_ = 0.0;
    double earthMin_ = 0.0;
    int skippedIndex_ = -1;
    double skippedT_ = 0.0;
    double viewRadius_ = 0.0;  // distance units from the Earth, inside the full view
    int stepNr_ = 0;           // the last accepted step's number
    struct CheapPoint {
        double Moon2 = 0.0;   // squared distances, rotating frame
        double Earth2 = 0.0;
        bool MayEnd = false;
        double LaterMoon2 = 0.0;
        double LaterEarth2 = 0.0;
    };
    std::vector<CheapPoint> cheap_;  // the step's points, reused from step to step
};

}  // namespace orrimar
