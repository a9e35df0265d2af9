// The per-point CSV of one launch, as orrimar-flight --csv writes it: the launch read
// from the three field texts as Start reads them, flown headless in views of the given
// size.
#pragma once

#include "flight/flight_summary.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orrimar {

struct CsvLaunch {
    std::string Altitude;  // the fields' texts, e.g. "00100.17", "+10.9800", "+226.500"
    std::string Velocity;
    std::string Angle;
    int ViewWidth = DefaultViewWidth;  // the full view, pixels
    int ViewHeight = DefaultViewHeight;
    bool FullView = true;  // the "Full view" check box
    FlightLimit Limit;
    // The burns planned after launch, as given (at most MaxFlightBurns); the CSV of a
    // flight with burns gains the column "burns".
    std::vector<FlightBurn> Burns;
};

// Writes the header and one row per output point to csv (newline-terminated lines) and
// returns the flight's summary. Runs the flight on the calling thread.
// With burns, every row ends in a column "burns": the burns made before that point.
FlightSummary WriteFlightCsv(const CsvLaunch& launch, std::ostream& csv);

}  // namespace orrimar
