// One launch flown headless with the window's rules, boiled down to a summary: how it
// ended, the status texts at the end, and the closest approaches to the Moon and the
// Earth. Also the summary's line and JSON texts and the per-point CSV rows.
#pragma once

#include "flight/flight_run.h"

#include <functional>
#include <string>
#include <vector>

namespace orrimar {

// The full view's design size and the insets' size, pixels.
inline constexpr int DefaultViewWidth = 528;
inline constexpr int DefaultViewHeight = 628;

// The three paint boxes of a flight without a window, their frames set as Start sets
// them. Frames are registered per thread: build, use and destroy these on one thread.
class HeadlessViews {
public:
    // turns, when given, must outlive the views: the frame turns shared by a scan.
    HeadlessViews(int fullWidth, int fullHeight, bool fullViewChecked,
                  const FrameTurnTable* turns = nullptr);
    FlightViews Get() const { return FlightViews{full_, luno_, geo_, turns_}; }

private:
    class Box : public FrameTarget {
    public:
        Box(int width, int height) : width_(width), height_(height) {}
        int ClientWidth() const override { return width_; }
        int ClientHeight() const override { return height_; }

    private:
        int width_;
        int height_;
    };
    Box full_;
    Box luno_;
    Box geo_;
    const FrameTurnTable* turns_;
};

enum class FlightOutcome {
    CollisionMoon,
    CollisionEarth,
    Escape,
    TimeLimit,   // stopped by the caller's day limit
    Integrator,  // the integrator stopped by itself
};

struct FlightSummary {
    FlightOutcome Outcome = FlightOutcome::Integrator;
    int IntegratorCode = 0;  // what Dop853 returned
    Dop853Result Integration;  // all of it, for the failure's text
    // The last output point and the status bar at the end.
    int Index = 0;
    double T = 0.0;  // time units
    int Step = 0;
    std::string TimeText;
    std::string ErrorJacobiText;
    std::string Jacobi0Text;
    std::string VelocityText;
    int Bar = 0;
    // Closest approaches over the output points, km above the surface, never negative
    // (a point on or inside the Moon counts 0). The Earth's leaves out the launch point.
    double MoonMinKm = 0.0;
    std::string MoonMinTime;  // "D - HH" of that point
    double MoonMinT = 0.0;    // time units of that point
    double EarthMinKm = 0.0;
    int Points = 0;  // output points drawn, the launch point included
    // With burns given: the burns made (those whose moment came) and their total Δv.
    bool HasBurns = false;
    std::vector<FlightBurnDone> BurnsDone;
    double BurnDvKms = 0.0;
};

// "collision-moon", "collision-earth", "escape", "time-limit", "integrator-CODE".
std::string OutcomeText(const FlightSummary& summary);

// The flight's day limit, days; none when not positive. ExactEvents: collisions and
// escapes end the flight when they happen between output points too (FlightNeeds); the
// summary's outcome, t, time, velocity and bar are then the event's, index and points
// count it as the last point, and the closest approaches include it.
struct FlightLimit {
    double MaxDays = 0.0;
    bool ExactEvents = false;
};

// Called with every output point, in order, and the Jacobi drift C - C0 of the state at
// that point (point.JacobiDrift).
using FlightPointObserver = std::function<void(const FlightPoint& point, double jacobiDrift)>;

// Flies launch to its end. The day limit acts as the window's Cancel pressed at the
// first output point at or after MaxDays: the step under way still draws its points,
// and a collision or escape among them still counts as such.
// burns: made as FlightRun::SetBurns says (at most MaxFlightBurns).
FlightSummary FlySummary(const EarthMoonState& launch, const HeadlessViews& views,
                         FlightLimit limit = {}, const FlightPointObserver& observer = {},
                         const std::vector<FlightBurn>& burns = {});

// outcome=… index=… t=… step=… time="…" error_jacobi="…" jacobi0="…" velocity="…" bar=…
// moon_min_km=… moon_min_time="…" earth_min_km=… points=…  (one line, no newline), and
// with burns given " burns=N dv_kms=TOTAL" at its end
std::string SummaryLine(const FlightSummary& summary);

// The same fields as one JSON object, numbers as JSON numbers (time and moon_min_time in
// days), and the status bar's texts, blanks kept, as the *_text strings; extraFields
// (already JSON, e.g. "\"angle\":226.5") go first when not empty.
std::string SummaryJson(const FlightSummary& summary, const std::string& extraFields = {});

// CSV of the output points: the header and one row per point (no newlines). Positions in
// km in the non-rotating axes as drawn, relative to the Earth's and the Moon's centre.
std::string CsvHeader();
std::string CsvRow(const FlightPoint& point, double jacobiDrift);

// Locale-free number texts: fixed decimals, and the shortest text that reads back as
// the same double ("226.5"). Infinities and NaN give "inf", "-inf", "nan".
std::string FixedText(double value, int decimals);
std::string ShortestText(double value);
// A JSON number (null for infinities and NaN) and a quoted, escaped JSON string.
std::string JsonNumber(double value, int decimals);
std::string JsonString(const std::string& text);
// A number as a status text shows it ("   8.659E-009", "  1.2124") as a JSON number: the
// shown digits when they form one, else the value they read as, else null.
std::string JsonNumberOfText(const std::string& text);

}  // namespace orrimar
