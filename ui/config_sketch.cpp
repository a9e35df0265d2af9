#include "ui/config_sketch.h"

#include "model/earth_moon.h"
#include "plot/plot_frame.h"
#include "ui/canvas.h"

#include <QColor>
#include <QString>

#include <algorithm>
#include <array>
#include <climits>
#include <cmath>
#include <cstdint>

namespace orrimar {

namespace {

// Sketch geometry, in sketch units.
constexpr WorldPoint OrbitPoint{5.0, 0.0};  // blast-off point before rotation
constexpr WorldPoint ArcPoint{2.0, 0.0};    // start of the angle arc
// Tip at the origin, pointing along +y, 0.5 long and 2/7 wide at its base.
constexpr std::array<WorldPoint, 3> ArrowHead{
    {{-1.0 / 7.0, -0.5}, {1.0 / 7.0, -0.5}, {0.0, 0.0}}};
constexpr double ArcThresholdDeg = 30.0;  // the arc shows only beyond this |angle|


constexpr int DotRadius = 4;       // blast-off dot, pixels
constexpr int AxisHeadLength = 10;  // axis arrowheads, pixels
constexpr int AxisHeadHalfWidth = 3;

const QColor White(255, 255, 255);
const QColor Black(0, 0, 0);
const QColor Silver(192, 192, 192);
const QColor Navy(0, 0, 128);

// Angle in degrees plus shift, in radians; the sum is formed in long double.
double Radians(double angleDeg, double shiftDeg)
{
    return static_cast<double>((static_cast<long double>(angleDeg) + shiftDeg) * DegreeFactor);
}

// v + d clamped to the pixel range: a point clamped far off the view (a non-finite angle)
// must not overflow when a text or dot offset is added to it.
int Shift(int v, std::int64_t d)
{
    return static_cast<int>(std::clamp<std::int64_t>(std::int64_t{v} + d, -INT_MAX, INT_MAX));
}

// The three corners of ArrowHead turned by angle (radians) and moved so that the tip lies
// on tip.
std::array<PixelPoint, 3> ArrowHeadAt(WorldPoint tip, double angle)
{
    std::array<PixelPoint, 3> corners;
    for (std::size_t k = 0; k < ArrowHead.size(); ++k)
        corners[k] = WorldToPixel(SubPoints(tip, RotatePoint(ArrowHead[k], angle)));
    return corners;
}

}  // namespace

void drawConfigSketch(PaintBox& view, double angleDeg)
{
    const double a = angleDeg;
    SetFrame(view, -10, 10, 10, -10);
    Canvas& c = view.canvas();
    const int W = view.ClientWidth();
    const int H = view.ClientHeight();

    c.brush.color = White;
    c.fillRect(c.clipRect());
    // Width as well as colour: the dotted orbit needs a 1-pixel pen whatever drew last.
    c.pen.color = Black;
    c.pen.width = 1;

    // Parking orbit, dotted, white inside.
    const PixelPoint O = XYToPixel(0, 0);
    PixelPoint A = XYToPixel(-5, 5);
    PixelPoint B = XYToPixel(5, -5);
    c.pen.style = PenStyle::Dot;
    c.ellipse(A.X, A.Y, B.X, B.Y);
    c.textOut(Shift(A.X, -15), A.Y, "Parking orbit");

    // The Earth.
    c.pen.style = PenStyle::Solid;
    A = XYToPixel(-4, 4);
    B = XYToPixel(4, -4);
    c.pen.width = 2;
    c.brush.color = Silver;
    c.ellipse(A.X, A.Y, B.X, B.Y);
    c.textOut(O.X - 10, O.Y - 20, "E");
    c.pen.width = 1;

    // Radius to the blast-off point and the velocity arrow, tangent counter-clockwise.
    const WorldPoint R1 = RotatePoint(OrbitPoint, Radians(a, 0));
    const WorldPoint R2 = RotatePoint(OrbitPoint, Radians(a, 90));
    const WorldPoint S = AddPoints(R1, R2);
    const PixelPoint P1 = WorldToPixel(R1);
    const PixelPoint P2 = WorldToPixel(S);
    const std::array<PixelPoint, 3> V = ArrowHeadAt(S, Radians(a, -180));
    c.brush.color = White;
    const std::array<PixelPoint, 3> radiusAndShaft{O, P1, P2};
    c.polyline(radiusAndShaft);
    c.polygon(V);
    c.textOut(Shift(V[2].X, c.textWidth("V") / 2), V[2].Y, "V");

    // Blast-off dot and its label, left of it and centred on it vertically.
    c.brush.color = Navy;
    c.ellipse(Shift(P1.X, -DotRadius), Shift(P1.Y, -DotRadius), Shift(P1.X, DotRadius),
              Shift(P1.Y, DotRadius));
    {
        const QString label = "Blast-off";
        const int w = c.textWidth(label);
        const int h = c.textHeight(label);
        c.brush.color = White;
        c.textOut(Shift(P1.X, -std::int64_t{w} - 15), Shift(P1.Y, -(h / 2)), label);
    }

    // Angle arc from the x axis to the launch direction, counter-clockwise on the screen
    // from Q1 to Q2; for a negative angle the ends change places and the arrowhead at R3
    // points clockwise. Either arrowhead leans 5 degrees outwards from the tangent.
    if (std::abs(a) > ArcThresholdDeg) {
        const WorldPoint R3 = RotatePoint(ArcPoint, Radians(a, 0));
        const PixelPoint C1 = XYToPixel(-2, 2);
        const PixelPoint C2 = XYToPixel(2, -2);
        PixelPoint Q1 = WorldToPixel(ArcPoint);
        PixelPoint Q2 = WorldToPixel(R3);
        double phi = 0.0;
        if (a < 0) {
            std::swap(Q1, Q2);
            phi = Radians(a, 5);
        } else {
            phi = Radians(a, 175);
        }
        c.arc(C1.X, C1.Y, C2.X, C2.Y, Q1.X, Q1.Y, Q2.X, Q2.Y);
        const std::array<PixelPoint, 3> U = ArrowHeadAt(R3, phi);
        c.brush.color = White;
        c.polygon(U);
    }
    c.brush.color = White;

    // Horizontal axis towards the Moon, its arrowhead at the right edge.
    const std::array<PixelPoint, 2> xAxis{{{0, O.Y}, {W, O.Y}}};
    const std::array<PixelPoint, 3> xHead{{{W, O.Y},
                                            {W - AxisHeadLength, O.Y - AxisHeadHalfWidth},
                                            {W - AxisHeadLength, O.Y + AxisHeadHalfWidth}}};
    c.polyline(xAxis);
    c.polygon(xHead);
    const QString moon = "To the Moon";
    const int w = c.textWidth(moon);
    const int h = c.textHeight(moon);
    c.textOut(W - w - 4, O.Y - h - 5, moon);

    // Vertical axis, its arrowhead at the top edge.
    const std::array<PixelPoint, 2> yAxis{{{O.X, 0}, {O.X, H}}};
    const std::array<PixelPoint, 3> yHead{{{O.X, 0},
                                            {O.X - AxisHeadHalfWidth, AxisHeadLength},
                                            {O.X + AxisHeadHalfWidth, AxisHeadLength}}};
    c.polyline(yAxis);
    c.polygon(yHead);
    c.textOut(O.X + 10, h, "Y");
}

}  // namespace orrimar
