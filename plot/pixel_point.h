// A pixel of a paint box: column and row, origin at the top-left corner, rows growing downwards.
#pragma once

namespace orrimar {

struct PixelPoint {
    int X = 0;  // column
    int Y = 0;  // row
    bool operator==(const PixelPoint&) const = default;
};

}  // namespace orrimar
