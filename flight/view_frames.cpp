#include "flight/view_frames.h"

#include <algorithm>

namespace orrimar {

void SetFullViewFrame(FrameTarget& fullView, bool fullViewChecked)
{
    if (fullViewChecked)
        SetFrameFill(fullView, -1.05, 1.05, 1.05, -1.05);
    else
        SetFrame(fullView, -0.1, 1.05, 1.05, -0.15);
}

void SetLunocentricFrame(FrameTarget& luno)
{
    SetFrame(luno, -LunocentricHalfWidth, LunocentricHalfWidth, LunocentricHalfWidth,
             -LunocentricHalfWidth);
}

void SetGeocentricFrame(FrameTarget& geo)
{
    SetFrame(geo, -GeocentricHalfWidth, GeocentricHalfWidth, GeocentricHalfWidth,
             -GeocentricHalfWidth);
}

int EarthDiscRadius(double pixelsPerUnit) { return ClampRound(pixelsPerUnit * ViewEarthRadius); }

int MoonDiscRadius(double pixelsPerUnit)
{
    return std::max(MinMoonRadiusPx, ClampRound(pixelsPerUnit * ViewMoonRadius));
}

}  // namespace orrimar
