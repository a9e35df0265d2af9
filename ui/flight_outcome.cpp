#include "ui/flight_outcome.h"

#include "flight/flight_report.h"

namespace orrimar {

QString flightOutcomeText(const FlightReport& report)
{
    if (!report.HasPoints())
        return {};
    const QString at = QString::fromStdString(report.TimeText()).trimmed();
    switch (report.Ending()) {
    case FlightEnding::Flying:
        return "Flying";
    case FlightEnding::MoonCollision:
        return "Collision with the Moon at " + at;
    case FlightEnding::EarthCollision:
        return "Collision with the Earth at " + at;
    case FlightEnding::Escape:
        return "Escaped at " + at + ", closest to the Moon " +
               QString::number(report.MoonMinKm(), 'f', 1) + " km";
    case FlightEnding::Cancelled:
        return "Cancelled at " + at;
    case FlightEnding::Integrator:
        break;
    }
    // The report's own words: "integrator stopped: <why> (code N)".
    QString why = QString::fromStdString(report.EndingText());
    why[0] = why[0].toUpper();
    return why + " at " + at;
}

}  // namespace orrimar
