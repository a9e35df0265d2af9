// The line under Start/Cancel/Config that says in words how the last flight ended and
// when, from the flight's report: "Collision with the Moon at 3 - 02", "Escaped at 65 - 09,
// closest to the Moon 331.9 km", "Cancelled at 19 - 18".
#pragma once

#include <QString>

namespace orrimar {

class FlightReport;

// The words for a finished flight; empty before its first point.
QString flightOutcomeText(const FlightReport& report);

}  // namespace orrimar
