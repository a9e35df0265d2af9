// The paint box and its canvas, checked by reading pixels back: the raster rules of the
// shapes, copies to and from a bitmap, text, and keeping the drawing across resizes.
#include "plot/plot_frame.h"
#include "ui/canvas.h"
#include "ui/paint_box.h"
#include "support/pixels.h"

#include <QImage>
#include <QTest>

#include <array>
#include <climits>
#include <cstdint>
#include <cstdlib>
#include <functional>

using namespace orrimar;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kTeal = qRgb(0, 128, 128);

bool NotWhite(QRgb p) { return !test::SameColour(p, kWhite); }

// The smallest rectangle holding every pixel that is not white.
PixelRect Extent(const QImage& image) { return test::ExtentOf(image, NotWhite); }

int Count(const QImage& image, QRgb colour) { return test::CountColour(image, colour); }

bool PaintedNear(const QImage& image, int x, int y) { return test::MatchNear(image, x, y, NotWhite); }

// Non-negative integers below 2^96 as six base-2^16 digits, least significant first: a
// plain long multiplication, unlike the canvas's own wide arithmetic.
using Digits = std::array<std::uint64_t, 6>;

Digits Big(std::uint64_t v)
{
    Digits d{};
    for (std::uint64_t& digit : d) {
        digit = v & 0xFFFF;
        v >>= 16;
    }
    return d;
}

Digits Times(Digits a, std::uint64_t k)  // k < 2^40
{
    std::uint64_t carry = 0;
    for (std::uint64_t& digit : a) {
        const std::uint64_t t = digit * k + carry;
        digit = t & 0xFFFF;
        carry = t >> 16;
    }
    return a;
}

Digits Plus(Digits a, const Digits& b)
{
    std::uint64_t carry = 0;
    for (std::size_t j = 0; j < a.size(); ++j) {
        const std::uint64_t t = a[j] + b[j] + carry;
        a[j] = t & 0xFFFF;
        carry = t >> 16;
    }
    return a;
}

bool NotAbove(const Digits& a, const Digits& b)
{
    for (std::size_t j = a.size(); j-- > 0;)
        if (a[j] != b[j])
            return a[j] < b[j];
    return true;
}

// A 1-pixel line as the canvas defines it (pixel i of dMaj at major c0 + s·i and minor
// c0 + s·floor((2·i·dMin + dMaj) / (2·dMaj)), every third pixel of six left out when
// dotted), drawn by visiting the image's own columns or rows and searching each minor
// offset by comparing exact products.
QImage ReferenceLine(int width, int height, int x0, int y0, int x1, int y1, bool dotted)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(kWhite);
    const std::int64_t dx = std::int64_t{x1} - x0;
    const std::int64_t dy = std::int64_t{y1} - y0;
    const bool xMajor = std::abs(dx) >= std::abs(dy);
    const std::int64_t dMaj = xMajor ? std::abs(dx) : std::abs(dy);
    const std::int64_t dMin = xMajor ? std::abs(dy) : std::abs(dx);
    const std::int64_t sMaj = (xMajor ? dx : dy) < 0 ? -1 : 1;
    const std::int64_t sMin = (xMajor ? dy : dx) < 0 ? -1 : 1;
    const std::int64_t c0Maj = xMajor ? x0 : y0;
    const std::int64_t c0Min = xMajor ? y0 : x0;
    for (int major = 0; major < (xMajor ? width : height); ++major) {
        const std::int64_t i = (major - c0Maj) * sMaj;
        if (i < 0 || i >= dMaj || (dotted && i % 6 >= 3))
            continue;
        // The largest m in 0 … dMin with 2·dMaj·m ≤ 2·i·dMin + dMaj.
        const Digits bound = Plus(Times(Big(std::uint64_t(2 * i)), std::uint64_t(dMin)),
                                  Big(std::uint64_t(dMaj)));
        std::int64_t low = 0;
        std::int64_t high = dMin;
        while (low < high) {
            const std::int64_t mid = low + (high - low + 1) / 2;
            if (NotAbove(Times(Big(std::uint64_t(2 * dMaj)), std::uint64_t(mid)), bound))
                low = mid;
            else
                high = mid - 1;
        }
        const std::int64_t minor = c0Min + sMin * low;
        const std::int64_t x = xMajor ? major : minor;
        const std::int64_t y = xMajor ? minor : major;
        if (x >= 0 && x < width && y >= 0 && y < height)
            image.setPixel(int(x), int(y), kBlack);
    }
    return image;
}

// The logical pixels with some device pixel painted.
PixelRect BlockExtent(const QImage& device, int scale) { return test::Logical(Extent(device), scale); }

// Drawing steps replayed at several scales.
using Drawing = std::function<void(Canvas&)>;

}  // namespace

Q_DECLARE_METATYPE(PixelRect)
Q_DECLARE_METATYPE(Drawing)

class TestPaintBox : public QObject {
    Q_OBJECT

private slots:
    void ellipseCoversItsRectangle_data();
    void ellipseCoversItsRectangle();
    void lineLeavesItsEndPixel();
    void clippedLineMatchesUnclippedOne();
    void extremeLinesMatchTheReference_data();
    void extremeLinesMatchTheReference();
    void dottedPen();
    void copyToBitmapAndBackRestores();
    void arcRunsCounterClockwiseBetweenRays();
    void textOnBrushBackground();
    void contentSurvivesResizeAndRepaint();
    void paintBoxIsAFrameTarget();
    void scaledDrawingKeepsLogicalPixels_data();
    void scaledDrawingKeepsLogicalPixels();
};

void TestPaintBox::ellipseCoversItsRectangle_data()
{
    QTest::addColumn<PixelRect>("rect");
    QTest::addColumn<PixelRect>("extent");
    QTest::newRow("small") << PixelRect{10, 12, 20, 22} << PixelRect{10, 12, 20, 22};
    QTest::newRow("moon inset") << PixelRect{72, 72, 108, 108} << PixelRect{72, 72, 108, 108};
    QTest::newRow("corners swapped") << PixelRect{40, 50, 20, 10} << PixelRect{20, 10, 40, 50};
    QTest::newRow("past the edge") << PixelRect{-20, 100, 40, 160} << PixelRect{0, 100, 40, 160};
}

void TestPaintBox::ellipseCoversItsRectangle()
{
    QFETCH(PixelRect, rect);
    QFETCH(PixelRect, extent);
    Bitmap bitmap(180, 180);
    Canvas& c = bitmap.canvas();
    c.brush.color = QColor(0, 0, 255);
    c.ellipse(rect);
    QCOMPARE(Extent(bitmap.image()), extent);
    QCOMPARE(bitmap.image().pixel((extent.left + extent.right) / 2, (extent.top + extent.bottom) / 2),
             kBlue);
}

void TestPaintBox::lineLeavesItsEndPixel()
{
    Bitmap bitmap(40, 40);
    Canvas& c = bitmap.canvas();
    const QImage& im = bitmap.image();
    c.moveTo(15, 8);
    c.lineTo(5, 8);  // leftwards: the start is painted, the end is not
    QCOMPARE(im.pixel(15, 8), kBlack);
    QCOMPARE(im.pixel(5, 8), kWhite);
    QCOMPARE(Count(im, kBlack), 10);

    // A zigzag drawn point by point: every vertex but the last is painted.
    const std::array<PixelPoint, 5> zig{{{20, 20}, {30, 25}, {22, 31}, {22, 36}, {35, 36}}};
    c.moveTo(zig[0].X, zig[0].Y);
    for (std::size_t k = 1; k < zig.size(); ++k)
        c.lineTo(zig[k].X, zig[k].Y);
    QCOMPARE(c.penPos(), zig.back());
    for (std::size_t k = 0; k + 1 < zig.size(); ++k)
        QCOMPARE(im.pixel(zig[k].X, zig[k].Y), kBlack);
    QCOMPARE(im.pixel(35, 36), kWhite);

    // The same, as one polyline; the pen position stays.
    Bitmap other(40, 40);
    other.canvas().polyline(std::span(zig));
    QCOMPARE(other.image().copy(0, 16, 40, 24), im.copy(0, 16, 40, 24));
    QCOMPARE(other.canvas().penPos(), (PixelPoint{0, 0}));
}

void TestPaintBox::clippedLineMatchesUnclippedOne()
{
    // The same dotted lines on a small canvas and on a large one that holds them whole: the
    // small canvas must show exactly the matching window of the large one.
    const int offset = 300;
    const std::array<std::array<int, 4>, 5> lines{{
        {-120, -37, 173, 91},
        {45, -200, 10, 260},
        {70, 30, -250, 35},
        {25, -90, 25, 140},
        {-200, 260, 260, -199},
    }};
    for (const int scale : {1, 2, 3})
        for (const auto& l : lines) {
            Bitmap small(60, 60, scale);
            Bitmap large(660, 660, scale);
            small.canvas().pen.style = PenStyle::Dot;
            large.canvas().pen.style = PenStyle::Dot;
            small.canvas().moveTo(l[0], l[1]);
            small.canvas().lineTo(l[2], l[3]);
            large.canvas().moveTo(l[0] + offset, l[1] + offset);
            large.canvas().lineTo(l[2] + offset, l[3] + offset);
            QVERIFY2(large.image().copy(offset * scale, offset * scale, 60 * scale, 60 * scale) ==
                         small.image(),
                     qPrintable(QString("scale %5: %1,%2 -> %3,%4")
                                    .arg(l[0]).arg(l[1]).arg(l[2]).arg(l[3]).arg(scale)));
        }

    // Clamped far points: only the visible part is walked.
    Bitmap bitmap(50, 50);
    bitmap.canvas().moveTo(25, 25);
    bitmap.canvas().lineTo(INT_MAX, INT_MAX);
    bitmap.canvas().moveTo(-INT_MAX, 10);
    bitmap.canvas().lineTo(INT_MAX, 10);
    QCOMPARE(bitmap.image().pixel(49, 49), kBlack);
    QCOMPARE(Count(bitmap.image(), kBlack), 75);
}

void TestPaintBox::extremeLinesMatchTheReference_data()
{
    QTest::addColumn<int>("x0");
    QTest::addColumn<int>("y0");
    QTest::addColumn<int>("x1");
    QTest::addColumn<int>("y1");
    QTest::addColumn<bool>("visible");
    const int lo = INT_MIN;
    const int hi = INT_MAX;
    QTest::newRow("diagonal corner to corner") << lo << lo << hi << hi << true;
    QTest::newRow("diagonal backwards") << hi << hi << lo << lo << true;
    QTest::newRow("anti-diagonal just misses") << lo << hi << hi << lo << false;
    QTest::newRow("flat, one step at x 0") << lo << 0 << hi << 1 << true;
    QTest::newRow("flat leftwards") << hi << 5 << lo << 20 << true;
    QTest::newRow("steep, one step at y 0") << 0 << lo << 1 << hi << true;
    QTest::newRow("steep upwards") << 30 << hi << 9 << lo << true;
    QTest::newRow("nearly diagonal") << lo + 7 << lo << hi - 3 << hi << true;
    QTest::newRow("far above, falling") << lo << lo + 1 << hi << lo << false;
    QTest::newRow("far above, rising") << lo << lo << hi << lo + 3 << false;
    QTest::newRow("far left, steep") << lo << lo << lo + 1 << hi << false;
    // Lines through (20, 30) and (41, 17) from far points mirrored about them.
    QTest::newRow("through 20,30 shallow") << -2000000000 << -1500000000 << 2000000040
                                           << 1500000060 << true;
    QTest::newRow("through 20,30 steep") << -1234567891 << 2100000000 << 1234567931
                                         << -2099999940 << true;
    QTest::newRow("through 41,17 odd slope") << 2147483600 << -987654321 << -2147483518
                                             << 987654355 << true;
    QTest::newRow("through 41,17 nearly vertical") << 40 << -2147483000 << 42 << 2147483034
                                                   << true;
}

void TestPaintBox::extremeLinesMatchTheReference()
{
    QFETCH(int, x0);
    QFETCH(int, y0);
    QFETCH(int, x1);
    QFETCH(int, y1);
    QFETCH(bool, visible);
    for (const bool dotted : {false, true}) {
        Bitmap bitmap(64, 48);
        Canvas& c = bitmap.canvas();
        c.pen.style = dotted ? PenStyle::Dot : PenStyle::Solid;
        c.moveTo(x0, y0);
        c.lineTo(x1, y1);
        const QImage expected = ReferenceLine(64, 48, x0, y0, x1, y1, dotted);
        QVERIFY2(bitmap.image() == expected, dotted ? "dotted" : "solid");
        QCOMPARE(Count(expected, kBlack) > 0, visible);
        // Finer at scale 2, within a pixel of it.
        Bitmap fine(64, 48, 2);
        fine.canvas().pen.style = c.pen.style;
        fine.canvas().moveTo(x0, y0);
        fine.canvas().lineTo(x1, y1);
        for (int y = 0; y < 96; ++y)
            for (int x = 0; x < 128; ++x)
                if (fine.image().pixel(x, y) == kBlack && !PaintedNear(expected, x / 2, y / 2))
                    QFAIL(qPrintable(QString("device pixel %1, %2").arg(x).arg(y)));
        QCOMPARE(Count(fine.image(), kBlack) > 0, visible);
    }
}

void TestPaintBox::dottedPen()
{
    Bitmap bitmap(40, 10);
    Canvas& c = bitmap.canvas();
    c.pen.style = PenStyle::Dot;
    c.moveTo(2, 2);
    c.lineTo(32, 2);
    for (int i = 0; i < 30; ++i)
        QCOMPARE(bitmap.image().pixel(2 + i, 2), i % 6 < 3 ? kBlack : kWhite);

    // A dotted ellipse: gaps in the outline, the inside still filled with the brush.
    Bitmap solid(80, 50);
    Bitmap dotted(80, 50);
    for (Bitmap* b : {&solid, &dotted}) {
        b->canvas().brush.color = QColor(0, 128, 128);
        b->canvas().pen.style = b == &dotted ? PenStyle::Dot : PenStyle::Solid;
        b->canvas().ellipse(10, 2, 70, 48);
    }
    const int solidOutline = Count(solid.image(), kBlack);
    const int dottedOutline = Count(dotted.image(), kBlack);
    QVERIFY2(dottedOutline > solidOutline / 3 && dottedOutline < solidOutline * 2 / 3,
             qPrintable(QString("%1 of %2").arg(dottedOutline).arg(solidOutline)));
    QCOMPARE(dotted.image().pixel(40, 25), kTeal);
}

void TestPaintBox::copyToBitmapAndBackRestores()
{
    PaintBox box;
    box.resize(120, 100);
    Canvas& c = box.canvas();
    c.pen.color = QColor(0, 0, 255);
    c.moveTo(0, 0);
    c.lineTo(119, 99);
    const QImage before = box.snapshot();

    // Inside, and partly or wholly past the edges of the box.
    for (const PixelRect& r : {PixelRect{50, 40, 70, 60}, PixelRect{-7, -4, 13, 16}, PixelRect{110, 90, 130, 110},
                           PixelRect{-40, 10, -20, 30}}) {
        Bitmap saved(20, 20);
        saved.canvas().copyRect(PixelRect{0, 0, 20, 20}, c, r);
        c.brush.color = QColor(0, 128, 128);
        c.ellipse(r);
        if (r.left == 50)
            QCOMPARE(saved.image(), before.copy(50, 40, 20, 20));
        c.copyRect(r, saved.canvas(), PixelRect{0, 0, 20, 20});
        QCOMPARE(box.snapshot(), before);
    }

    // Within one canvas, overlapping.
    c.brush.color = QColor(0, 128, 128);
    c.fillRect(PixelRect{0, 0, 10, 10});
    c.copyRect(PixelRect{5, 5, 15, 15}, c, PixelRect{0, 0, 10, 10});
    QCOMPARE(Count(box.snapshot(), kTeal), 175);
}

void TestPaintBox::arcRunsCounterClockwiseBetweenRays()
{
    // Circle of radius 20 about (20, 20), outline on columns and rows 0 … 40.
    const struct {
        PixelPoint from, to;  // points on the start and end rays
        PixelPoint endA, endB;
        PixelPoint absent;  // a point of the circle the arc must miss
    } cases[] = {
        {{40, 20}, {20, 0}, {40, 20}, {20, 0}, {0, 20}},    // east to north: a quarter
        {{20, 0}, {40, 20}, {20, 0}, {40, 20}, {34, 6}},    // north round to east: 3/4
        {{35, 35}, {90, 20}, {34, 34}, {40, 20}, {20, 0}},  // rays through far points
    };
    for (const auto& k : cases) {
        Bitmap bitmap(41, 41);
        bitmap.canvas().arc(0, 0, 41, 41, k.from.X, k.from.Y, k.to.X, k.to.Y);
        const QImage& im = bitmap.image();
        QVERIFY(PaintedNear(im, k.endA.X, k.endA.Y));
        QVERIFY(PaintedNear(im, k.endB.X, k.endB.Y));
        QVERIFY(!PaintedNear(im, k.absent.X, k.absent.Y));
    }
    Bitmap whole(41, 41);
    whole.canvas().arc(0, 0, 41, 41, 40, 20, 40, 20);  // equal rays
    QCOMPARE(Extent(whole.image()), (PixelRect{0, 0, 41, 41}));
    QCOMPARE(whole.image().pixel(20, 20), kWhite);  // never filled
}

void TestPaintBox::textOnBrushBackground()
{
    PaintBox full;
    PaintBox inset;
    full.resize(120, 60);
    inset.resize(120, 60);
    full.setFontPixelSize(11);
    inset.setFontPixelSize(13);
    QVERIFY(full.canvas().textHeight("Y") < inset.canvas().textHeight("Y"));

    Canvas& c = inset.canvas();
    c.brush.color = QColor(0, 128, 128);
    const QString text = "Lunocentric";
    const int w = c.textWidth(text);
    const int h = c.textHeight(text);
    QVERIFY(w > 40 && h >= 13);
    c.textOut(7, 9, text);
    const QImage im = inset.snapshot();
    QCOMPARE(Extent(im), (PixelRect{7, 9, 7 + w, 9 + h}));
    QCOMPARE(im.pixel(7, 9), kTeal);
    QCOMPARE(im.pixel(7 + w - 1, 9 + h - 1), kTeal);
    int ink = 0;
    for (int y = 9; y < 9 + h; ++y)
        for (int x = 7; x < 7 + w; ++x)
            ink += qGray(im.pixel(x, y)) < 40;
    QVERIFY(ink > 20);
    QCOMPARE(c.penPos(), (PixelPoint{7 + w, 9}));
}

void TestPaintBox::contentSurvivesResizeAndRepaint()
{
    PaintBox box;
    box.resize(100, 80);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    Canvas& c = box.canvas();
    c.brush.color = QColor(0, 0, 255);
    c.fillRect(PixelRect{90, 70, 100, 80});
    c.moveTo(0, 40);
    c.lineTo(100, 40);
    QCOMPARE(box.grab().toImage().pixel(95, 75), kBlue);

    box.setColor(QColor(255, 255, 0));
    box.resize(160, 120);
    box.hide();
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    const QImage shown = box.grab().toImage();
    QCOMPARE(shown.size(), QSize(160, 120));
    QCOMPARE(shown.pixel(95, 75), kBlue);
    QCOMPARE(shown.pixel(50, 40), kBlack);
    QCOMPARE(shown.pixel(130, 100), qRgb(255, 255, 0));

    // Hidden: the canvas follows the new size at once; shrinking keeps what still fits.
    box.hide();
    box.resize(60, 50);
    QCOMPARE(box.canvas().clipRect(), (PixelRect{0, 0, 60, 50}));
    QCOMPARE(box.snapshot().pixel(30, 40), kBlack);
    box.resize(0, 0);
    box.canvas().lineTo(10, 10);  // nothing to draw on: no effect, no failure
    QCOMPARE(box.canvas().penPos(), (PixelPoint{10, 10}));
}

void TestPaintBox::paintBoxIsAFrameTarget()
{
    ResetFrames();
    PaintBox full;
    PaintBox inset;
    full.resize(528, 628);
    inset.resize(180, 180);
    SetFrameFill(full, -1.05, 1.05, 1.05, -1.05);
    SetFrame(inset, -1, 1, 1, -1);
    SelectFrame(full);
    QCOMPARE(XYToPixel(0, 0), (PixelPoint{264, 314}));
    SelectFrame(inset);
    QCOMPARE(XYToPixel(0, 0), (PixelPoint{90, 90}));
    ResetFrames();
}

void TestPaintBox::scaledDrawingKeepsLogicalPixels_data()
{
    // exact: every block at scales 2 and 3 is the scale-1 pixel; otherwise all that is
    // painted, and the fill colour alone, span the same logical pixels, drawn finer.
    QTest::addColumn<Drawing>("draw");
    QTest::addColumn<bool>("exact");
    QTest::addColumn<QRgb>("fill");
    const auto row = [](const char* name, bool exact, QRgb fill, Drawing draw) {
        QTest::newRow(name) << draw << exact << fill;
    };
    row("dotted rows and columns, both ways", true, kBlack, [](Canvas& c) {
        c.pen.style = PenStyle::Dot;
        const std::array<PixelPoint, 5> path{{{70, 5}, {3, 5}, {3, 40}, {50, 40}, {50, 9}}};
        c.polyline(std::span(path));
    });
    row("Moon disc", false, kTeal, [](Canvas& c) {
        c.brush.color = QColor(kTeal);
        c.ellipse(PixelRect{30, 12, 38, 20});
    });
    row("orbit, 2-pixel Earths, arrowhead, arc, text", false, kTeal, [](Canvas& c) {
        c.ellipse(PixelRect{5, 5, 55, 55});
        c.arc(10, 10, 41, 41, 40, 25, 25, 10);
        const std::array<PixelPoint, 3> head{{{75, 30}, {65, 27}, {65, 33}}};
        c.polygon(head);
        c.pen.width = 2;
        c.brush.color = QColor(kTeal);
        c.ellipse(PixelRect{15, 15, 45, 45});
        c.ellipse(PixelRect{60, 40, 70, 50});
        c.textOut(2, 44, "Geocentric");
    });
    row("rectangle past the edge, disc saved, covered and restored", true, kTeal, [](Canvas& c) {
        c.brush.color = QColor(kTeal);
        c.fillRect(PixelRect{-5, 50, 20, 90});
        c.moveTo(0, 25);
        c.lineTo(79, 25);
        Bitmap saved(12, 12, c.scale());
        saved.canvas().copyRect(PixelRect{0, 0, 12, 12}, c, PixelRect{20, 20, 32, 32});
        c.brush.color = QColor(kTeal);
        c.ellipse(PixelRect{20, 20, 32, 32});
        c.copyRect(PixelRect{20, 20, 32, 32}, saved.canvas(), PixelRect{0, 0, 12, 12});
    });
}

void TestPaintBox::scaledDrawingKeepsLogicalPixels()
{
    QFETCH(Drawing, draw);
    QFETCH(bool, exact);
    QFETCH(QRgb, fill);
    Bitmap one(80, 60);
    draw(one.canvas());
    for (const int scale : {2, 3}) {
        Bitmap many(80, 60, scale);
        draw(many.canvas());
        QCOMPARE(many.image().size(), QSize(80 * scale, 60 * scale));
        QCOMPARE(BlockExtent(many.image(), scale), Extent(one.image()));
        QCOMPARE(test::Logical(test::ExtentOf(many.image(), fill), scale), test::ExtentOf(one.image(), fill));
        if (exact)
            QVERIFY(test::Blocks(many.image(), scale) == one.image());
    }
}

QTEST_MAIN(TestPaintBox)
#include "test_paint_box.moc"
