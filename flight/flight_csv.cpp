#include "flight/flight_csv.h"

#include <ostream>

namespace orrimar {

FlightSummary WriteFlightCsv(const CsvLaunch& launch, std::ostream& csv)
{
    const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
    csv << CsvHeader() << '\n';
    const FlightPointObserver observer = [&csv](const FlightPoint& point, double drift) {
        csv << CsvRow(point, drift) << '\n';
    };
    return FlySummary(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle), views,
                      launch.Limit, observer);
}

}  // namespace orrimar
