#include "flight/flight_csv.h"

#include <ostream>

namespace orrimar {

FlightSummary WriteFlightCsv(const CsvLaunch& launch, std::ostream& csv)
{
    const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
    const bool withBurns = !launch.Burns.empty();
    csv << CsvHeader() << (withBurns ? ",burns\n" : "\n");
    const FlightPointObserver observer = [&csv, withBurns](const FlightPoint& point, double drift) {
        csv << CsvRow(point, drift);
        if (withBurns)
            csv << ',' << point.Burns;
        csv << '\n';
    };
    return FlySummary(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle), views,
                      launch.Limit, observer, launch.Burns);
}

}  // namespace orrimar
