// The configuration sketch on a 528 × 628 full view, checked by reading pixels back: the
// frame and fixed geometry, the blast-off point, velocity arrow and angle arc for a range
// of launch angles, the texts, replacing the old picture, and angles that are not sane.
#include "plot/plot_frame.h"
#include "ui/canvas.h"
#include "ui/config_sketch.h"
#include "support/pixels.h"
#include "ui/paint_box.h"

#include <QImage>
#include <QTest>

#include <climits>
#include <cmath>
#include <limits>
#include <numbers>
#include <vector>

using namespace orrimar;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kSilver = qRgb(192, 192, 192);
const QRgb kNavy = qRgb(0, 0, 128);

// The full view at its design size, with its font.
void Prepare(PaintBox& box)
{
    box.resize(528, 628);
    box.setFontPixelSize(11);
}

using test::ExtentOf;

PixelRect Extent(const QImage& image, QRgb colour, PixelRect area = {0, 0, INT_MAX, INT_MAX})
{
    return ExtentOf(image, colour, area);
}

int Count(const QImage& image, QRgb colour) { return test::CountColour(image, colour); }

// A black pixel within one pixel of (x, y).
bool InkNear(const QImage& image, int x, int y)
{
    return test::MatchNear(image, x, y, [](QRgb p) { return test::SameColour(p, kBlack); });
}

// The pixel of a sketch point at 26.4 pixels per unit about (264, 314), worked out here
// rather than through the frame under test.
PixelPoint Pixel(double x, double y)
{
    return PixelPoint{int(std::lround(264 + 26.4 * x)), int(std::lround(314 - 26.4 * y))};
}

// Black pixels of the lower half (below the x axis, clear of the y axis and the labels) at
// 120 to 140 pixels from the origin's pixel centre: the parking orbit's part of it.
std::vector<QPoint> OrbitPixels(const QImage& image)
{
    std::vector<QPoint> pixels;
    for (int y = 320; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x) {
            const double r = std::hypot(x - 263.5, y - 313.5);
            if (std::abs(x - 264) > 5 && r >= 120 && r <= 140 && image.pixel(x, y) == kBlack)
                pixels.push_back(QPoint(x, y));
        }
    return pixels;
}

// Centre of the navy blast-off dot, or (-1, -1) when there is none.
PixelPoint DotCentre(const QImage& image)
{
    const PixelRect r = Extent(image, kNavy);
    if (r.left > r.right)
        return PixelPoint{-1, -1};
    return PixelPoint{(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

}  // namespace

Q_DECLARE_METATYPE(PixelPoint)

class TestConfigSketch : public QObject {
    Q_OBJECT

private slots:
    void init() { ResetFrames(); }
    void cleanup() { ResetFrames(); }

    void frameAndFixedGeometry();
    void textsAtTheirPlaces();
    void launchAngle_data();
    void launchAngle();
    void arcArrowheadPointsAwayFromTheAxis_data();
    void arcArrowheadPointsAwayFromTheAxis();
    void replacesThePictureAndLeavesTheCanvasState();
    void anglesBeyondReasonDoNotFail_data();
    void anglesBeyondReasonDoNotFail();
};

void TestConfigSketch::frameAndFixedGeometry()
{
    PaintBox box;
    Prepare(box);
    drawConfigSketch(box, 0.0);
    QCOMPARE(PixelsPerUnit(), 26.4);
    QCOMPARE(XYToPixel(0, 0), (PixelPoint{264, 314}));
    QVERIFY(CurrentFrame().PaintBox == &box);
    QCOMPARE(FrameList().size(), std::size_t{1});
    const QImage im = box.snapshot();

    // The parking orbit in (132, 182)–(396, 446), dotted: each of its pixels lies on a solid
    // outline of that rectangle (up to a pixel: dashes are rasterised on their own), and
    // about half of that outline is there.
    Bitmap solid(528, 628);
    solid.canvas().ellipse(132, 182, 396, 446);
    const std::vector<QPoint> dotted = OrbitPixels(im);
    const std::size_t full = OrbitPixels(solid.image()).size();
    for (const QPoint& p : dotted)
        QVERIFY2(InkNear(solid.image(), p.x(), p.y()),
                 qPrintable(QString("%1,%2").arg(p.x()).arg(p.y())));
    QVERIFY2(full > 300 && dotted.size() > full / 3 && dotted.size() < full * 2 / 3,
             qPrintable(QString("%1 of %2").arg(dotted.size()).arg(full)));
    const PixelRect left = Extent(im, kBlack, PixelRect{0, 200, 200, 300});
    const PixelRect top = Extent(im, kBlack, PixelRect{200, 20, 258, 240});
    QVERIFY2(left.left == 132 || left.left == 133, qPrintable(QString::number(left.left)));
    QVERIFY2(top.top == 182 || top.top == 183, qPrintable(QString::number(top.top)));

    // The Earth, silver inside a 2-pixel outline, in (158, 208)–(370, 420).
    const PixelRect earth = Extent(im, kSilver);
    QVERIFY2(earth.left >= 158 && earth.left <= 160 && earth.top >= 208 && earth.top <= 210 &&
                 earth.right <= 370 && earth.right >= 368 && earth.bottom <= 420 &&
                 earth.bottom >= 418,
             qPrintable(QString("%1,%2-%3,%4")
                            .arg(earth.left).arg(earth.top).arg(earth.right).arg(earth.bottom)));
    QCOMPARE(im.pixel(210, 360), kSilver);

    // The axes through the origin, from edge to edge, with their arrowheads at the right
    // and top edges.
    for (int x : {0, 100, 500, 527})
        QCOMPARE(im.pixel(x, 314), kBlack);
    for (int y : {0, 100, 500, 627})
        QCOMPARE(im.pixel(264, y), kBlack);
    QVERIFY(InkNear(im, 518, 311) && InkNear(im, 518, 317));
    QVERIFY(InkNear(im, 261, 10) && InkNear(im, 267, 10));
    QCOMPARE(im.pixel(521, 314 - 6), kWhite);

    // Another size gets the frame of its own: the height sets the scale.
    PaintBox wide;
    wide.resize(300, 200);
    drawConfigSketch(wide, 0.0);
    QCOMPARE(PixelsPerUnit(), 10.0);
    QCOMPARE(XYToPixel(0, 0), (PixelPoint{150, 100}));
    QCOMPARE(FrameList().size(), std::size_t{2});
}

void TestConfigSketch::textsAtTheirPlaces()
{
    PaintBox box;
    Prepare(box);
    drawConfigSketch(box, 0.0);
    const QImage im = box.snapshot();
    const Canvas& c = box.canvas();
    const int hMoon = c.textHeight("To the Moon");
    const struct {
        QString Text;
        int X, Y;
        QRgb Background;
    } labels[] = {
        {"Parking orbit", 132 - 15, 182, kWhite},
        {"E", 264 - 10, 314 - 20, kSilver},
        {"V", 396 + c.textWidth("V") / 2, 182, kWhite},
        {"Blast-off", 396 - c.textWidth("Blast-off") - 15, 314 - c.textHeight("Blast-off") / 2,
         kWhite},
        {"To the Moon", 528 - c.textWidth("To the Moon") - 4, 314 - hMoon - 5, kWhite},
        {"Y", 264 + 10, hMoon, kWhite},
    };
    for (const auto& l : labels) {
        const int w = c.textWidth(l.Text);
        const int h = c.textHeight(l.Text);
        int ink = 0;
        for (int y = l.Y; y < l.Y + h; ++y)
            for (int x = l.X; x < l.X + w; ++x)
                ink += qGray(im.pixel(x, y)) < 80;
        QVERIFY2(ink >= 5, qPrintable(l.Text));
        QVERIFY2(im.pixel(l.X, l.Y) == l.Background, qPrintable(l.Text));
        // Nothing dark just left of the text box, where a misplaced label would spill.
        QVERIFY2(qGray(im.pixel(l.X - 2, l.Y + h / 2)) > 80 || l.Text == "Blast-off",
                 qPrintable(l.Text));
    }
}

void TestConfigSketch::launchAngle_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<PixelPoint>("dot");  // centre of the blast-off dot
    QTest::addColumn<PixelPoint>("tip");  // tip of the velocity arrow
    QTest::newRow("0") << 0.0 << PixelPoint{396, 314} << PixelPoint{396, 182};
    QTest::newRow("45") << 45.0 << PixelPoint{357, 221} << PixelPoint{264, 127};
    QTest::newRow("-45") << -45.0 << PixelPoint{357, 407} << PixelPoint{451, 314};
    QTest::newRow("30, no arc") << 30.0 << PixelPoint{378, 248} << PixelPoint{312, 134};
    QTest::newRow("-30, no arc") << -30.0 << PixelPoint{378, 380} << PixelPoint{444, 266};
    QTest::newRow("30.001") << 30.001 << PixelPoint{378, 248} << PixelPoint{312, 134};
    QTest::newRow("200, arc past half a turn") << 200.0 << PixelPoint{140, 359}
                                               << PixelPoint{185, 483};
    QTest::newRow("-200") << -200.0 << PixelPoint{140, 269} << PixelPoint{95, 393};
    QTest::newRow("405, a turn and 45") << 405.0 << PixelPoint{357, 221} << PixelPoint{264, 127};
}

void TestConfigSketch::launchAngle()
{
    QFETCH(double, angle);
    QFETCH(PixelPoint, dot);
    QFETCH(PixelPoint, tip);
    PaintBox box;
    Prepare(box);
    drawConfigSketch(box, angle);
    const QImage im = box.snapshot();

    QCOMPARE(DotCentre(im), dot);
    QVERIFY(Count(im, kNavy) >= 20);
    QVERIFY(InkNear(im, tip.X, tip.Y));
    QVERIFY(InkNear(im, (dot.X + tip.X) / 2, (dot.Y + tip.Y) / 2));  // the shaft
    QVERIFY(InkNear(im, (264 + dot.X) / 2, (314 + dot.Y) / 2));      // the radius

    // The angle arc (radius 2, 52.5 pixels about the origin's pixel centre): present from
    // the x axis counter-clockwise to the launch direction for a positive angle, from the
    // launch direction to the x axis for a negative one, only beyond ±30 degrees. Sampled
    // every 5 degrees away from the axes and from the radius to the blast-off point.
    const double n = std::fmod(std::fmod(angle, 360.0) + 360.0, 360.0);
    for (int theta = 0; theta < 360; theta += 5) {
        const double fromRadius = std::abs(std::remainder(theta - n, 360.0));
        const double fromAxis = std::abs(std::remainder(double(theta), 90.0));
        if (fromRadius < 12 || fromAxis < 6)
            continue;
        const bool expected = angle > 30 ? theta < n : angle < -30 ? theta > n : false;
        const double rad = theta * std::numbers::pi / 180;
        const int x = int(std::lround(263.5 + 52.5 * std::cos(rad)));
        const int y = int(std::lround(313.5 - 52.5 * std::sin(rad)));
        QVERIFY2(InkNear(im, x, y) == expected,
                 qPrintable(QString("arc at %1 degrees: %2").arg(theta).arg(expected ? "missing"
                                                                                     : "drawn")));
    }

    // The velocity arrowhead is white inside with a black outline, over the shaft.
    if (angle == 0.0) {
        for (const PixelPoint& p : {PixelPoint{392, 195}, PixelPoint{399, 195},
                                     PixelPoint{396, 182}, PixelPoint{396, 200}})
            QCOMPARE(im.pixel(p.X, p.Y), kBlack);
        QCOMPARE(im.pixel(396, 190), kWhite);
        QCOMPARE(im.pixel(396, 181), kWhite);
    }
}

void TestConfigSketch::arcArrowheadPointsAwayFromTheAxis_data()
{
    // World corners of the arc's arrowhead base, 0.5 back from the tip at radius 2 and
    // 1/7 to either side, turned 5 degrees outwards; and the outer corner of a head that
    // would point the wrong way.
    QTest::addColumn<double>("angle");
    QTest::addColumn<WorldPoint>("outer");
    QTest::addColumn<WorldPoint>("inner");
    QTest::addColumn<WorldPoint>("wrongOuter");
    QTest::newRow("45") << 45.0 << WorldPoint{1.845, 1.123} << WorldPoint{1.626, 0.939}
                        << WorldPoint{1.123, 1.845};
    QTest::newRow("-45") << -45.0 << WorldPoint{1.845, -1.123} << WorldPoint{1.626, -0.939}
                         << WorldPoint{1.123, -1.845};
}

void TestConfigSketch::arcArrowheadPointsAwayFromTheAxis()
{
    QFETCH(double, angle);
    QFETCH(WorldPoint, outer);
    QFETCH(WorldPoint, inner);
    QFETCH(WorldPoint, wrongOuter);
    PaintBox box;
    Prepare(box);
    drawConfigSketch(box, angle);
    const QImage im = box.snapshot();
    for (const WorldPoint& p : {outer, inner}) {
        const PixelPoint q = Pixel(p.X, p.Y);
        QVERIFY2(InkNear(im, q.X, q.Y), qPrintable(QString("%1,%2").arg(q.X).arg(q.Y)));
    }
    const PixelPoint w = Pixel(wrongOuter.X, wrongOuter.Y);
    QVERIFY(!InkNear(im, w.X, w.Y));
}

void TestConfigSketch::replacesThePictureAndLeavesTheCanvasState()
{
    PaintBox used;
    PaintBox fresh;
    Prepare(used);
    Prepare(fresh);
    Canvas& c = used.canvas();
    c.brush.color = QColor(0, 128, 128);
    c.fillRect(c.clipRect());
    c.pen = CanvasPen{QColor(255, 0, 0), 5, PenStyle::Dot};
    c.moveTo(0, 0);
    c.lineTo(528, 628);
    c.brush.color = QColor(255, 255, 0);
    SetFrameFill(used, -1.05, 1.05, 1.05, -1.05);  // the frame of a flight

    drawConfigSketch(used, 226.5);
    drawConfigSketch(fresh, 226.5);
    QVERIFY(used.snapshot() == fresh.snapshot());
    QCOMPARE(used.snapshot().pixel(0, 0), kWhite);
    QCOMPARE(PixelsPerUnit(), 26.4);
    SelectFrame(used);
    QCOMPARE(PixelsPerUnit(), 26.4);
    QCOMPARE(FrameList().size(), std::size_t{2});

    QCOMPARE(c.pen.color, QColor(0, 0, 0));
    QCOMPARE(c.pen.width, 1);
    QVERIFY(c.pen.style == PenStyle::Solid);
    QCOMPARE(c.brush.color, QColor(255, 255, 255));
}

void TestConfigSketch::anglesBeyondReasonDoNotFail_data()
{
    QTest::addColumn<double>("angle");
    QTest::addColumn<bool>("dotShown");  // the blast-off point can be placed at all
    const double inf = std::numeric_limits<double>::infinity();
    const double big = std::numeric_limits<double>::max();
    QTest::newRow("NaN") << std::numeric_limits<double>::quiet_NaN() << false;
    QTest::newRow("+inf") << inf << false;
    QTest::newRow("-inf") << -inf << false;
    QTest::newRow("1e300") << 1e300 << true;
    QTest::newRow("-1e300") << -1e300 << true;
    QTest::newRow("largest") << big << true;
    QTest::newRow("-largest") << -big << true;
}

void TestConfigSketch::anglesBeyondReasonDoNotFail()
{
    QFETCH(double, angle);
    QFETCH(bool, dotShown);
    PaintBox box;
    Prepare(box);
    drawConfigSketch(box, angle);
    const QImage im = box.snapshot();
    QCOMPARE(im.pixel(210, 360), kSilver);
    QCOMPARE(im.pixel(5, 314), kBlack);
    QCOMPARE(im.pixel(264, 620), kBlack);
    if (dotShown) {
        const PixelPoint d = DotCentre(im);
        const double r = std::hypot(d.X - 264.0, d.Y - 314.0);
        QVERIFY2(std::abs(r - 132.0) <= 1.5, qPrintable(QString::number(r)));
    } else {
        QCOMPARE(Count(im, kNavy), 0);
    }
    QCOMPARE(box.canvas().pen.width, 1);
    QCOMPARE(box.canvas().brush.color, QColor(255, 255, 255));

    // A view with no room at all draws nothing and does not fail either.
    PaintBox empty;
    empty.resize(0, 0);
    drawConfigSketch(empty, angle);
    QCOMPARE(PixelsPerUnit(), 0.0);
}

QTEST_MAIN(TestConfigSketch)
#include "test_config_sketch.moc"
