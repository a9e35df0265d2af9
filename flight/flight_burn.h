// Burns after launch: an instantaneous change of velocity at a time of the flight or at
// one of its events, given along the velocity relative to the rotating frame and to its
// left.
#pragma once

#include "model/earth_moon.h"

#include <string>
#include <string_view>
#include <vector>

namespace orrimar {

inline constexpr int MaxFlightBurns = 8;

struct FlightBurn {
    enum Moment {
        AtTime,      // Days after launch
        AtPerilune,  // the flight's first closest approach to the Moon
        AtPerigee,   // its first closest approach to the Earth after launch
    };
    Moment When = AtTime;
    double Days = 0.0;  // AtTime only
    double AlongKms = 0.0;  // km/s along the velocity (positive: prograde)
    double LeftKms = 0.0;   // km/s to the left of the direction of motion
};

// A burn made: which one (its place in the flight's list), when, and the state and Jacobi
// integral before and after it.
struct FlightBurnDone {
    int Nr = 0;
    double T = 0.0;  // time units
    EarthMoonState Before{};
    EarthMoonState After{};
    double JacobiBefore = 0.0;
    double JacobiAfter = 0.0;
};

// The state with the burn's velocity change; a state at rest is left as it is (it has no
// direction of motion).
EarthMoonState ApplyBurn(const EarthMoonState& state, double alongKms, double leftKms);

// The size of the burn's velocity change, km/s.
double BurnDvKms(const FlightBurn& burn);

// "WHEN:ALONG[:LEFT]", WHEN days after launch or "perilune"/"perigee". Throws
// std::invalid_argument naming what is wrong.
FlightBurn ParseBurn(std::string_view text);

// "perilune", "perigee" or the days, as ParseBurn reads them back.
std::string BurnWhenText(const FlightBurn& burn);

// A plan of burns as one line, "WHEN:ALONG:LEFT" each, separated by spaces, with the
// shortest numbers that read back as the same doubles; "" for none.
std::string BurnPlanText(const std::vector<FlightBurn>& burns);
// The plan read back. Throws std::invalid_argument naming the burn that is wrong, or when
// there are more than MaxFlightBurns.
std::vector<FlightBurn> ParseBurnPlan(std::string_view text);

}  // namespace orrimar
