// What a flight came to, fed with the steps and output points it shows: how it ended,
// its duration, closest approaches, greatest distance, Jacobi integral and speed. The
// numbers follow the headless summary's rules, so that a flight followed in a window
// reports what orrimar-flight prints for the same launch and view.
#pragma once

#include "flight/flight_run.h"

#include <string>

namespace orrimar {

enum class FlightEnding {
    Flying,          // not finished yet
    MoonCollision,
    EarthCollision,
    Escape,
    Cancelled,       // stopped by the user (the output routine asked to stop)
    Integrator,      // the integrator stopped by itself, or failed
};

class FlightReport {
public:
    // Forgets everything: the next step is a new flight's first.
    void Reset();
    // After every accepted step (and once before the first), as FlightDisplay::ShowStep.
    void AddStep(const FlightStep& step);
    // Every output point in order, as FlightDisplay::ShowPoint.
    void AddPoint(const FlightPoint& point);
    // Counts points passed over without being shown (FlightNeeds::EveryPoint false): none
    // ends the flight or comes closer than a point shown; the last point's facts and the
    // greatest distance are those of the points shown.
    void SkipPoints(int count) { points_ += count; }
    // The flight's end: what the integrator returned, and whether Cancel was asked for.
    void Finish(const Dop853Result& result, bool cancelRequested);

    bool HasPoints() const { return points_ > 0; }
    bool Finished() const { return ending_ != FlightEnding::Flying; }
    FlightEnding Ending() const { return ending_; }
    const Dop853Result& Integration() const { return integration_; }
    // "Moon collision", "Earth collision", "escape", "cancelled", "integrator stopped:
    // <message> (code N)"; "flying" before the end.
    std::string EndingText() const;
    // The last output point ended the flight (a collision or escape at the launch point
    // does not).
    bool EndedByPoint() const { return last_.Index > 0 && last_.Ends; }

    // Accepted steps, and the status bar's "Error Jacobi" after the last one.
    int Steps() const { return step_.Nr; }
    const FlightStep& LastStep() const { return step_; }
    const std::string& ErrorJacobiText() const { return step_.ErrorJacobiText; }
    // The Jacobi integral of the launch state, and its status bar text "##.#####".
    double Jacobi0() const { return jacobi0_; }
    std::string Jacobi0Text() const;

    // Output points so far, the launch point included; the last one's index.
    int Points() const { return points_; }
    int LastIndex() const { return last_.Index; }
    double LastT() const { return last_.T; }  // time units
    double Days() const;            // flight time of the last point, days
    std::string TimeText() const;   // "D - HH" of the last point
    double SpeedKms() const { return last_.SpeedKms; }
    std::string VelocityText() const;  // "%8.4f" km/s of the last point

    // Closest approaches over the output points, km above the surface, never negative.
    // The Earth's leaves out the launch point unless nothing came after it.
    double MoonMinKm() const;
    double MoonMinDays() const;
    double MoonMinT() const { return moonMinT_; }  // time units
    std::string MoonMinTimeText() const;  // "D - HH" of the Moon's closest point
    double EarthMinKm() const;
    // Greatest distance from the Earth's centre over the output points, km.
    double EarthMaxKm() const;

private:
    // What is kept of the last point (a whole point per point would cost a headless
    // flight more than its summary needs).
    struct LastPointFacts {
        int Index = 0;
        double T = 0.0;  // time units
        double SpeedKms = 0.0;
        bool CollidesMoon = false;
        bool CollidesEarth = false;
        bool Ends = false;
    };
    FlightStep step_;
    LastPointFacts last_;
    int points_ = 0;
    double jacobi0_ = 0.0;
    double moonMin_ = 0.0;     // distance units from the Moon's centre
    double moonMinT_ = 0.0;    // time units
    double earthMin_ = 0.0;    // distance units from the Earth's centre, after launch
    double launchEarth_ = 0.0;
    double earthMax_ = 0.0;
    FlightEnding ending_ = FlightEnding::Flying;
    Dop853Result integration_;
};

// Km above a sphere of radius (distance units) at distance (distance units), never
// negative; in extended precision as the summary computes it.
double KmAboveSurface(double distance, long double radius);

}  // namespace orrimar
