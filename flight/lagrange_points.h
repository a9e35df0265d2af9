// The five equilibrium points of the rotating Earth–Moon frame and the zero-velocity
// boundary of a flight: where a craft of a given Jacobi integral would have to stand still.
// Positions in Earth–Moon distances in the rotating frame, origin at the barycentre (the
// Earth at −μ, the Moon at 1 − μ on the x axis).
#pragma once

#include <array>
#include <string_view>

namespace orrimar {

struct LagrangePoint {
    std::string_view Name;  // "L1" … "L5"
    double X = 0.0;
    double Y = 0.0;
    double Jacobi = 0.0;  // the Jacobi integral of a craft at rest there
};

// L1 (between the Earth and the Moon), L2 (beyond the Moon), L3 (beyond the Earth), L4
// (ahead of the Moon, y > 0) and L5. The collinear points are solved by Newton iteration
// in extended precision, so each is the double nearest the root.
std::array<LagrangePoint, 5> LagrangePoints();

// The Jacobi integral of a craft at rest in the rotating frame at (x, y) (the status bar's
// definition, its μ(1 − μ) term included). A craft of Jacobi integral C can be only where
// this is at least C: the region where it is smaller is closed to it, and its boundary is
// the zero-velocity curve.
double ZeroVelocityJacobi(double x, double y);

}  // namespace orrimar
