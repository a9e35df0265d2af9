// Geometry of the three views: the full view, the geocentric inset and the
// lunocentric inset. World units are Earth–Moon distances (384400 km).
#pragma once

#include "plot/plot_frame.h"

namespace orrimar {

inline constexpr double ViewEarthRadius = 0.016592455775234133;    // 6378.14 km
inline constexpr double ViewMoonRadius = 0.004521331945889698;     // 1738 km
inline constexpr double GeocentricHalfWidth = 0.06636982310093653;   // 4 Earth radii
inline constexpr double LunocentricHalfWidth = 0.022606659729448492; // 5 Moon radii
inline constexpr int MinMoonRadiusPx = 4;

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
