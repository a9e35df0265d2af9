// What the Explorer's report says of a followed flight's burns: each burn with its Δv,
// the total, and, for a flight that stays near the Moon after its last burn, its
// periselene and aposelene from then on.
#pragma once

#include "flight/flight_burn.h"
#include "flight/flight_run.h"

#include <QStringList>

#include <vector>

namespace orrimar {

class BurnsLog {
public:
    // A flight begins with these burns planned.
    void begin(std::vector<FlightBurn> burns);
    void add(const FlightPoint& point);
    // Whether the last point added came after a burn the one before did not.
    bool burnedAt() const { return burnedAt_; }
    int made() const { return made_; }
    // Lines "Caption: value"; none for a flight without burns.
    QStringList lines() const;

private:
    std::vector<FlightBurn> burns_;
    int made_ = 0;
    bool burnedAt_ = false;
    // Distances from the Moon's centre since the last burn, distance units.
    double seleneMin_ = 0.0;
    double seleneMax_ = 0.0;
    bool seleneSeen_ = false;
};

}  // namespace orrimar
