// The five preset flights of the preset list, as the parameter fields show them.
#pragma once

#include <array>
#include <string_view>

namespace orrimar {

struct LaunchPreset {
    std::string_view Label;
    std::string_view Altitude;  // km, in the altitude field's mask
    std::string_view Velocity;  // km/s, in the velocity field's mask
    std::string_view Angle;     // degrees, in the angle field's mask
};

inline constexpr std::array<LaunchPreset, 5> LaunchPresets{{
    {"Vantor xx", "00100.00", "+11.0088", "+230.905"},
    {"Collision", "00100.00", "+11.0085", "+229.700"},
    {"Swing by", "00100.00", "+11.0085", "+227.800"},
    {"Escape 30", "00100.17", "+11.0083", "+230.887"},
    {"Escape 58", "00100.17", "+10.9800", "+226.500"},
}};

}  // namespace orrimar
