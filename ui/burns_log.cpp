#include "ui/burns_log.h"

#include <algorithm>
#include <utility>

namespace orrimar {

namespace {

// Beyond the Moon's sphere of influence the flight no longer counts as near the Moon.
constexpr double NearMoonKm = 66100.0;

QString Km(double km) { return QString::number(km, 'f', 3) + " km"; }

}  // namespace

void BurnsLog::begin(std::vector<FlightBurn> burns)
{
    burns_ = std::move(burns);
    made_ = 0;
    burnedAt_ = false;
    seleneSeen_ = false;
}

void BurnsLog::add(const FlightPoint& point)
{
    burnedAt_ = point.Burns > made_;
    if (burnedAt_) {
        made_ = point.Burns;
        seleneSeen_ = false;
    }
    if (!seleneSeen_) {
        seleneMin_ = seleneMax_ = point.MoonDistance;
        seleneSeen_ = true;
    } else {
        seleneMin_ = std::min(seleneMin_, point.MoonDistance);
        seleneMax_ = std::max(seleneMax_, point.MoonDistance);
    }
}

QStringList BurnsLog::lines() const
{
    QStringList lines;
    if (burns_.empty())
        return lines;
    double total = 0.0;
    for (std::size_t i = 0; i < burns_.size(); ++i) {
        const FlightBurn& b = burns_[i];
        const bool made = static_cast<int>(i) < made_;
        total += made ? BurnDvKms(b) : 0.0;
        lines << QString("Burn %1: %2, along %3, left %4 km/s%5")
                     .arg(i + 1)
                     .arg(QString::fromStdString(BurnWhenText(b)))
                     .arg(b.AlongKms, 0, 'f', 4)
                     .arg(b.LeftKms, 0, 'f', 4)
                     .arg(made ? QString() : QString(" (not reached)"));
    }
    lines << QString("Total Δv: %1 km/s").arg(total, 0, 'f', 4);
    const double km = static_cast<double>(DistanceUnitKm);
    const double radius = static_cast<double>(MoonRadius);
    if (made_ > 0 && seleneSeen_ && seleneMax_ * km <= NearMoonKm) {
        lines << "Periselene after the last burn: " + Km((seleneMin_ - radius) * km);
        lines << "Aposelene after the last burn: " + Km((seleneMax_ - radius) * km);
    }
    return lines;
}

}  // namespace orrimar
