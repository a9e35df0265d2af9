// The predicted trajectory of a launch with its burns, for a view that redraws it while
// the launch is edited: flown headless by the window's rules, in the frame turning with
// the Moon, thinned to a bounded number of points, with how and where it ends and its
// closest approaches to the Moon and the Earth.
#pragma once

#include "flight/flight_summary.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace orrimar {

struct PreviewRequest {
    EarthMoonState Launch{};  // e.g. LaunchFromTexts of the fields, as Start reads them
    std::vector<FlightBurn> Burns;  // at most MaxFlightBurns
    double MaxDays = 30.0;          // the horizon, as the tool's --max-days
    // The full view escapes are judged against, as the window's.
    int ViewWidth = DefaultViewWidth;
    int ViewHeight = DefaultViewHeight;
    bool FullView = true;
    // The trajectory keeps at most this many points (at least 16).
    std::size_t MaxPoints = 4096;
};

// An output point of the preview: the rotating frame's position (distance units, the
// Earth at -Mu, the Moon at 1-Mu on the x axis), its time and the burns made before it.
struct PreviewPoint {
    double X = 0.0;
    double Y = 0.0;
    double T = 0.0;  // time units
    int Index = 0;   // output point index
    int Burns = 0;
};

// A closest approach over the output points: km above the surface (0 for a collision)
// and the point where it happens. The Earth's leaves out the launch point.
struct PreviewApproach {
    double Km = 0.0;
    PreviewPoint At;
};

struct PreviewResult {
    // True when a newer request or Cancel replaced this one: nothing else is filled.
    bool Cancelled = false;
    FlightOutcome Outcome = FlightOutcome::Integrator;  // TimeLimit at the horizon
    int IntegratorCode = 0;
    PreviewPoint End;        // the flight's last output point
    std::vector<PreviewPoint> Path;  // launch first, End last, evenly thinned in time
    PreviewApproach Moon;
    PreviewApproach Earth;
    std::vector<FlightBurnDone> Burns;  // made, in order of time (State Before/After: where)
    int Points = 0;  // output points flown, the launch point included
};

// Computes previews on any thread, several at once if need be; each Compute replaces the
// ones under way (they return Cancelled at their next step). Frames are set up per call
// on the calling thread. The frame's turns at the output times are computed once and
// shared by every preview (most of a headless point's cost; about 1 MB for 30 days).
class FlightPreview {
public:
    PreviewResult Compute(const PreviewRequest& request);
    // Makes the computations under way return Cancelled.
    void Cancel() { generation_.fetch_add(1, std::memory_order_relaxed); }

private:
    std::atomic<std::uint64_t> generation_{0};
    FrameTurnTable turns_{FlightOutputInterval};
};

}  // namespace orrimar
