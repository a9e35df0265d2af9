#include "flight/flight_burn.h"

#include "flight/flight_summary.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <stdexcept>

namespace orrimar {

namespace {

double BurnNumber(std::string_view text, std::string_view what)
{
    double value = 0.0;
    const char* end = text.data() + text.size();
    if (!text.empty() && text.front() == '+')
        text.remove_prefix(1);
    const auto [ptr, ec] = std::from_chars(text.data(), end, value);
    if (text.empty() || ec != std::errc() || ptr != end)
        throw std::invalid_argument(std::string(what) + " '" + std::string(text) +
                                    "' is not a number");
    if (!std::isfinite(value))
        throw std::invalid_argument(std::string(what) + " '" + std::string(text) +
                                    "' is not a finite number");
    return value;
}

}  // namespace

EarthMoonState ApplyBurn(const EarthMoonState& state, double alongKms, double leftKms)
{
    EarthMoonState after = state;
    const double vx = state[2];
    const double vy = state[4];
    const double speed = std::hypot(vx, vy);
    if (speed == 0.0)
        return after;
    const double along = alongKms / static_cast<double>(VelocityUnitKms);
    const double left = leftKms / static_cast<double>(VelocityUnitKms);
    const double ux = vx / speed;
    const double uy = vy / speed;
    // Left of the motion: the direction turned a quarter anticlockwise.
    after[2] = vx + along * ux - left * uy;
    after[4] = vy + along * uy + left * ux;
    return after;
}

double BurnDvKms(const FlightBurn& burn) { return std::hypot(burn.AlongKms, burn.LeftKms); }

FlightBurn ParseBurn(std::string_view text)
{
    FlightBurn burn;
    const std::size_t first = text.find(':');
    if (first == std::string_view::npos)
        throw std::invalid_argument("not of the form WHEN:ALONG[:LEFT]");
    const std::string_view when = text.substr(0, first);
    std::string_view rest = text.substr(first + 1);
    const std::size_t second = rest.find(':');
    const std::string_view along = rest.substr(0, second);
    if (when == "perilune") {
        burn.When = FlightBurn::AtPerilune;
    } else if (when == "perigee") {
        burn.When = FlightBurn::AtPerigee;
    } else {
        if (when.empty() || !(std::isdigit(static_cast<unsigned char>(when.front())) ||
                              when.front() == '.' || when.front() == '+' ||
                              when.front() == '-'))
            throw std::invalid_argument("'" + std::string(when) +
                                        "' is neither days nor perilune or perigee");
        burn.Days = BurnNumber(when, "days");
        if (burn.Days < 0.0)
            throw std::invalid_argument("days '" + std::string(when) + "' is before the launch");
    }
    burn.AlongKms = BurnNumber(along, "along");
    if (second != std::string_view::npos)
        burn.LeftKms = BurnNumber(rest.substr(second + 1), "left");
    return burn;
}

std::string BurnWhenText(const FlightBurn& burn)
{
    switch (burn.When) {
    case FlightBurn::AtPerilune:
        return "perilune";
    case FlightBurn::AtPerigee:
        return "perigee";
    case FlightBurn::AtTime:
        break;
    }
    return ShortestText(burn.Days);
}

std::string BurnPlanText(const std::vector<FlightBurn>& burns)
{
    std::string text;
    for (const FlightBurn& burn : burns) {
        if (!text.empty())
            text += ' ';
        text += BurnWhenText(burn) + ':' + ShortestText(burn.AlongKms) + ':' +
                ShortestText(burn.LeftKms);
    }
    return text;
}

std::vector<FlightBurn> ParseBurnPlan(std::string_view text)
{
    std::vector<FlightBurn> burns;
    while (!text.empty()) {
        const std::size_t start = text.find_first_not_of(' ');
        if (start == std::string_view::npos)
            break;
        text.remove_prefix(start);
        const std::size_t end = std::min(text.find(' '), text.size());
        if (burns.size() == static_cast<std::size_t>(MaxFlightBurns))
            throw std::invalid_argument("more than " + std::to_string(MaxFlightBurns) + " burns");
        const std::string_view burn = text.substr(0, end);
        try {
            burns.push_back(ParseBurn(burn));
        } catch (const std::invalid_argument& e) {
            throw std::invalid_argument("burn '" + std::string(burn) + "': " + e.what());
        }
        text.remove_prefix(end);
    }
    return burns;
}

}  // namespace orrimar
