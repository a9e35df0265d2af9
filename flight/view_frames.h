// Geometry of the three views: the full view, the geocentric inset and the
// lunocentric inset. World units are Earth–Moon distances (384400 km).
#pragma once

#include "model/earth_moon.h"
#include "plot/plot_frame.h"

namespace orrimar {

inline constexpr double ViewEarthRadius = static_cast<double>(EarthRadius);  // 6378.14 km
inline constexpr double ViewMoonRadius = static_cast<double>(MoonRadius);    // 1738 km
inline constexpr double GeocentricHalfWidth = static_cast<double>(4 * EarthRadius);
inline constexpr double LunocentricHalfWidth = static_cast<double>(5 * MoonRadius);
inline constexpr int MinMoonRadiusPx = 4;
// The insets' views are InsetSize pixels square (their panels add a one-pixel border).
inline constexpr int InsetSize = 180;

// The values the views were first drawn with.
static_assert(ViewEarthRadius == 0.016592455775234133 && ViewMoonRadius == 0.004521331945889698);
static_assert(GeocentricHalfWidth == 0.06636982310093653 &&
              LunocentricHalfWidth == 0.022606659729448492);

// The full view's frame: with "Full view" the square ±1.05 stretched over the whole
// box, otherwise the region of the Earth and the Moon at equal scales.
void SetFullViewFrame(FrameTarget& fullView, bool fullViewChecked);

// The insets' square frames, centred on the Moon and on the Earth.
void SetLunocentricFrame(FrameTarget& luno);
void SetGeocentricFrame(FrameTarget& geo);

// Disc radii in pixels for a view of pixelsPerUnit (round half even); the Moon's is
// at least MinMoonRadiusPx.
int EarthDiscRadius(double pixelsPerUnit);
int MoonDiscRadius(double pixelsPerUnit);

}  // namespace orrimar
