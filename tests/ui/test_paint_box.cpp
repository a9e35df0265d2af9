// The paint box and its canvas: pixel rules of the shapes, copies to and from a bitmap,
// text, and keeping the drawing across resizes and repaints. Checked by reading pixels.
#include "plot/aplotutl.h"
#include "ui/canvas.h"
#include "ui/paint_box.h"

#include <QImage>
#include <QTest>

#include <array>
#include <climits>

using namespace orrimar;

namespace {

const QRgb kWhite = qRgb(255, 255, 255);
const QRgb kBlack = qRgb(0, 0, 0);
const QRgb kBlue = qRgb(0, 0, 255);
const QRgb kTeal = qRgb(0, 128, 128);

// The smallest rectangle holding every pixel that is not white (all zero when none is).
TRect Extent(const QImage& image)
{
    TRect r{INT_MAX, INT_MAX, INT_MIN, INT_MIN};
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != kWhite) {
                r.Left = std::min(r.Left, x);
                r.Top = std::min(r.Top, y);
                r.Right = std::max(r.Right, x + 1);
                r.Bottom = std::max(r.Bottom, y + 1);
            }
    return r.Left == INT_MAX ? TRect{} : r;
}

int CountColour(const QImage& image, QRgb colour)
{
    int n = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            n += image.pixel(x, y) == colour;
    return n;
}

bool PaintedNear(const QImage& image, int x, int y)
{
    for (int dy = -1; dy <= 1; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) != kWhite)
                return true;
    return false;
}

}  // namespace

Q_DECLARE_METATYPE(TRect)

class TestPaintBox : public QObject {
    Q_OBJECT

private slots:
    void ellipseCoversItsRectangle_data();
    void ellipseCoversItsRectangle();
    void wideOutlineStaysNearItsRectangle();
    void lineLeavesItsEndPixel();
    void clippedLineMatchesUnclippedOne();
    void farLineIsClipped();
    void dottedPen();
    void copyToBitmapAndBackRestores();
    void copyPartlyOutsideRoundTrips();
    void copyWithinOneCanvas();
    void arcRunsCounterClockwiseBetweenRays();
    void textOnBrushBackground();
    void fontSizesOfPaintBoxes();
    void polylineAndPolygon();
    void contentSurvivesResizeAndRepaint();
    void hiddenResizeReachesCanvas();
    void snapshotIsACopy();
    void paintBoxIsAFrameTarget();
};

void TestPaintBox::ellipseCoversItsRectangle_data()
{
    QTest::addColumn<TRect>("rect");
    QTest::newRow("small") << TRect{10, 12, 20, 22};
    QTest::newRow("wide") << TRect{3, 30, 57, 41};
    QTest::newRow("moon inset") << TRect{72, 72, 108, 108};
    QTest::newRow("earth inset") << TRect{68, 68, 112, 112};
    QTest::newRow("corners swapped") << TRect{40, 50, 20, 10};
    QTest::newRow("past the edge") << TRect{-20, 100, 40, 160};
}

void TestPaintBox::ellipseCoversItsRectangle()
{
    QFETCH(TRect, rect);
    Bitmap bitmap(180, 180);
    Canvas& c = bitmap.GetCanvas();
    c.Pen.Color = QColor(0, 0, 0);
    c.Brush.Color = QColor(0, 0, 255);
    c.Ellipse(rect);

    const TRect want{std::min(rect.Left, rect.Right), std::min(rect.Top, rect.Bottom),
                     std::min(std::max(rect.Left, rect.Right), 180),
                     std::min(std::max(rect.Top, rect.Bottom), 180)};
    const TRect got = Extent(bitmap.Image());
    QCOMPARE(got.Left, std::max(want.Left, 0));
    QCOMPARE(got.Top, want.Top);
    QCOMPARE(got.Right, want.Right);
    QCOMPARE(got.Bottom, want.Bottom);
    if (rect.Top >= 0 && rect.Bottom <= 180)
        QCOMPARE(bitmap.Image().pixel((want.Left + want.Right) / 2, (want.Top + want.Bottom) / 2),
                 kBlue);
}

void TestPaintBox::wideOutlineStaysNearItsRectangle()
{
    Bitmap bitmap(60, 60);
    Canvas& c = bitmap.GetCanvas();
    c.Pen.Width = 2;
    c.Brush.Color = QColor(192, 192, 192);
    c.Ellipse(10, 10, 50, 50);
    const TRect got = Extent(bitmap.Image());
    QVERIFY(got.Left >= 9 && got.Left <= 10);
    QVERIFY(got.Right >= 50 && got.Right <= 51);
    QCOMPARE(bitmap.Image().pixel(30, 30), qRgb(192, 192, 192));
}

void TestPaintBox::lineLeavesItsEndPixel()
{
    Bitmap bitmap(40, 40);
    Canvas& c = bitmap.GetCanvas();
    c.Pen.Color = QColor(0, 0, 255);
    c.MoveTo(5, 5);
    c.LineTo(15, 5);
    c.MoveTo(15, 8);
    c.LineTo(5, 8);
    const QImage& im = bitmap.Image();
    for (int x = 5; x < 15; ++x)
        QCOMPARE(im.pixel(x, 5), kBlue);
    QCOMPARE(im.pixel(15, 5), kWhite);
    QCOMPARE(im.pixel(15, 8), kBlue);
    QCOMPARE(im.pixel(5, 8), kWhite);
    QCOMPARE(CountColour(im, kBlue), 20);

    // A zigzag drawn point by point: every vertex but the last is painted, once.
    const std::array<TPixelPoint, 5> zig{{{20, 20}, {30, 25}, {22, 31}, {22, 36}, {35, 36}}};
    c.MoveTo(zig[0].X, zig[0].Y);
    for (std::size_t k = 1; k < zig.size(); ++k)
        c.LineTo(zig[k].X, zig[k].Y);
    QCOMPARE(c.PenPos(), (TPixelPoint{35, 36}));
    for (std::size_t k = 0; k + 1 < zig.size(); ++k)
        QCOMPARE(im.pixel(zig[k].X, zig[k].Y), kBlue);
    QCOMPARE(im.pixel(35, 36), kWhite);
    QCOMPARE(im.pixel(34, 36), kBlue);

    // A line to its own start paints nothing.
    c.MoveTo(1, 1);
    c.LineTo(1, 1);
    QCOMPARE(im.pixel(1, 1), kWhite);
}

void TestPaintBox::clippedLineMatchesUnclippedOne()
{
    // The same lines on a small canvas and on a large one that holds them whole: the small
    // canvas must show exactly the matching window of the large one.
    const int offset = 300;
    const std::array<std::array<int, 4>, 6> lines{{
        {-120, -37, 173, 91},
        {45, -200, 10, 260},
        {70, 30, -250, 35},
        {-10, 49, 80, 49},
        {25, -90, 25, 140},
        {-200, 260, 260, -199},
    }};
    for (const auto& l : lines) {
        Bitmap small(60, 60);
        Bitmap large(660, 660);
        small.GetCanvas().Pen.Style = TPenStyle::Dot;
        large.GetCanvas().Pen.Style = TPenStyle::Dot;
        small.GetCanvas().MoveTo(l[0], l[1]);
        small.GetCanvas().LineTo(l[2], l[3]);
        large.GetCanvas().MoveTo(l[0] + offset, l[1] + offset);
        large.GetCanvas().LineTo(l[2] + offset, l[3] + offset);
        const QImage window = large.Image().copy(offset, offset, 60, 60);
        QVERIFY2(window == small.Image(), qPrintable(QString("line %1,%2 -> %3,%4")
                                                         .arg(l[0]).arg(l[1]).arg(l[2]).arg(l[3])));
    }
}

void TestPaintBox::farLineIsClipped()
{
    Bitmap bitmap(50, 50);
    Canvas& c = bitmap.GetCanvas();
    c.MoveTo(25, 25);
    c.LineTo(INT_MAX, INT_MAX);
    for (int i = 25; i < 50; ++i)
        QCOMPARE(bitmap.Image().pixel(i, i), kBlack);
    QCOMPARE(CountColour(bitmap.Image(), kBlack), 25);
    c.MoveTo(-INT_MAX, 10);
    c.LineTo(INT_MAX, 10);
    QCOMPARE(CountColour(bitmap.Image(), kBlack), 75);
}

void TestPaintBox::dottedPen()
{
    Bitmap bitmap(80, 80);
    Canvas& c = bitmap.GetCanvas();
    c.Pen.Style = TPenStyle::Dot;
    c.MoveTo(2, 2);
    c.LineTo(32, 2);
    for (int i = 0; i < 30; ++i)
        QCOMPARE(bitmap.Image().pixel(2 + i, 2), i % 6 < 3 ? kBlack : kWhite);

    // The pattern runs on round the corner of a polyline: 4 pixels along x, then down.
    const std::array<TPixelPoint, 3> corner{{{2, 10}, {6, 10}, {6, 20}}};
    c.Polyline(corner);
    QCOMPARE(bitmap.Image().pixel(6, 10), kWhite);  // i = 4
    QCOMPARE(bitmap.Image().pixel(6, 11), kWhite);  // i = 5
    QCOMPARE(bitmap.Image().pixel(6, 12), kBlack);  // i = 6

    // A dotted ellipse: gaps in the outline, the inside still filled with the brush.
    Bitmap solid(80, 80);
    solid.GetCanvas().Brush.Color = QColor(0, 128, 128);
    solid.GetCanvas().Ellipse(10, 30, 70, 78);
    Bitmap dotted(80, 80);
    dotted.GetCanvas().Brush.Color = QColor(0, 128, 128);
    dotted.GetCanvas().Pen.Style = TPenStyle::Dot;
    dotted.GetCanvas().Ellipse(10, 30, 70, 78);
    const int solidOutline = CountColour(solid.Image(), kBlack);
    const int dottedOutline = CountColour(dotted.Image(), kBlack);
    QVERIFY2(dottedOutline > solidOutline / 3 && dottedOutline < solidOutline * 2 / 3,
             qPrintable(QString("%1 of %2").arg(dottedOutline).arg(solidOutline)));
    QCOMPARE(dotted.Image().pixel(40, 54), kTeal);
    const TRect e = Extent(dotted.Image());
    QVERIFY2(e.Left >= 10 && e.Top >= 30 && e.Right <= 70 && e.Bottom <= 78 &&
                 e.Left <= 11 && e.Top <= 31 && e.Right >= 69 && e.Bottom >= 77,
             qPrintable(QString("%1 %2 %3 %4").arg(e.Left).arg(e.Top).arg(e.Right).arg(e.Bottom)));
}

void TestPaintBox::copyToBitmapAndBackRestores()
{
    PaintBox box;
    box.resize(120, 100);
    Canvas& c = box.GetCanvas();
    c.Pen.Color = QColor(0, 0, 255);
    c.MoveTo(0, 0);
    c.LineTo(119, 99);
    const QImage before = box.Snapshot();

    const TRect screen{50, 40, 70, 60};
    Bitmap saved(20, 20);
    saved.GetCanvas().CopyRect(TRect{0, 0, 20, 20}, c, screen);
    c.Pen.Color = QColor(0, 0, 0);
    c.Brush.Color = QColor(0, 128, 128);
    c.Ellipse(screen);
    QVERIFY(box.Snapshot() != before);
    QCOMPARE(saved.Image(), before.copy(50, 40, 20, 20));

    c.CopyRect(screen, saved.GetCanvas(), TRect{0, 0, 20, 20});
    QCOMPARE(box.Snapshot(), before);
}

void TestPaintBox::copyPartlyOutsideRoundTrips()
{
    Bitmap screen(60, 50);
    Canvas& c = screen.GetCanvas();
    c.MoveTo(0, 3);
    c.LineTo(60, 48);
    const QImage before = screen.Image().copy();
    for (const TRect& r : {TRect{-7, -4, 9, 12}, TRect{52, 40, 68, 56}, TRect{-30, 10, -14, 26}}) {
        Bitmap saved(16, 16);
        saved.GetCanvas().CopyRect(TRect{0, 0, 16, 16}, c, r);
        c.Brush.Color = QColor(0, 128, 128);
        c.Ellipse(r);
        c.CopyRect(r, saved.GetCanvas(), TRect{0, 0, 16, 16});
        QCOMPARE(screen.Image(), before);
    }
}

void TestPaintBox::copyWithinOneCanvas()
{
    Bitmap bitmap(40, 40);
    Canvas& c = bitmap.GetCanvas();
    c.Brush.Color = QColor(0, 0, 255);
    c.FillRect(TRect{0, 0, 10, 10});
    c.CopyRect(TRect{5, 5, 15, 15}, c, TRect{0, 0, 10, 10});  // overlapping
    QCOMPARE(Extent(bitmap.Image()), (TRect{0, 0, 15, 15}));
    QCOMPARE(CountColour(bitmap.Image(), kBlue), 100 + 100 - 25);
    // Stretched: a 2 × 2 blue block doubled to 4 × 4.
    Bitmap stretched(10, 10);
    stretched.GetCanvas().CopyRect(TRect{0, 0, 4, 4}, c, TRect{0, 0, 2, 2});
    QCOMPARE(CountColour(stretched.Image(), kBlue), 16);
}

void TestPaintBox::arcRunsCounterClockwiseBetweenRays()
{
    // Circle of radius 20 about (20, 20), outline on columns and rows 0 … 40.
    const TRect circle{0, 0, 41, 41};
    struct Case {
        TPixelPoint from, to;
        TPixelPoint endA, endB;  // where the two ends must lie
        TPixelPoint absent;      // a point of the circle the arc must miss
    };
    const Case cases[] = {
        {{40, 20}, {20, 0}, {40, 20}, {20, 0}, {0, 20}},      // east to north: a quarter
        {{20, 0}, {40, 20}, {20, 0}, {40, 20}, {34, 6}},      // north round to east: 3/4
        {{35, 35}, {90, 20}, {34, 34}, {40, 20}, {20, 0}},    // rays through far points
        {{40, 20}, {40, 20}, {40, 20}, {0, 20}, {-5, -5}},    // equal rays: whole circle
    };
    for (const Case& k : cases) {
        Bitmap bitmap(41, 41);
        bitmap.GetCanvas().Arc(circle.Left, circle.Top, circle.Right, circle.Bottom, k.from.X,
                               k.from.Y, k.to.X, k.to.Y);
        const QImage& im = bitmap.Image();
        QVERIFY(PaintedNear(im, k.endA.X, k.endA.Y));
        QVERIFY(PaintedNear(im, k.endB.X, k.endB.Y));
        if (im.valid(k.absent.X, k.absent.Y))
            QVERIFY(!PaintedNear(im, k.absent.X, k.absent.Y));
        QVERIFY(im.pixel(20, 20) == kWhite);  // never filled
    }
    // East to north covers only the upper-right quarter.
    Bitmap quarter(41, 41);
    quarter.GetCanvas().Arc(0, 0, 41, 41, 40, 20, 20, 0);
    const TRect e = Extent(quarter.Image());
    QVERIFY(e.Left >= 19 && e.Bottom <= 22);
}

void TestPaintBox::textOnBrushBackground()
{
    PaintBox box;
    box.resize(120, 60);
    box.SetFontPixelSize(13);
    Canvas& c = box.GetCanvas();
    c.Brush.Color = QColor(0, 128, 128);
    const QString text = "Lunocentric";
    const int w = c.TextWidth(text);
    const int h = c.TextHeight(text);
    QVERIFY(w > 0 && h >= 13);
    c.TextOut(7, 9, text);
    const QImage im = box.Snapshot();
    QCOMPARE(Extent(im), (TRect{7, 9, 7 + w, 9 + h}));
    QCOMPARE(im.pixel(7, 9), kTeal);
    QCOMPARE(im.pixel(7 + w - 1, 9 + h - 1), kTeal);
    int ink = 0;
    for (int y = 9; y < 9 + h; ++y)
        for (int x = 7; x < 7 + w; ++x)
            ink += qGray(im.pixel(x, y)) < 40;
    QVERIFY(ink > 20);
    QCOMPARE(c.PenPos(), (TPixelPoint{7 + w, 9}));
}

void TestPaintBox::fontSizesOfPaintBoxes()
{
    PaintBox full;
    PaintBox inset;
    full.SetFontPixelSize(11);
    inset.SetFontPixelSize(13);
    QCOMPARE(full.GetCanvas().Font().pixelSize(), 11);
    QCOMPARE(inset.GetCanvas().Font().pixelSize(), 13);
    QVERIFY(full.GetCanvas().TextHeight("Y") < inset.GetCanvas().TextHeight("Y"));
    QVERIFY(full.GetCanvas().TextWidth("To the Moon") < inset.GetCanvas().TextWidth("To the Moon"));
}

void TestPaintBox::polylineAndPolygon()
{
    Bitmap bitmap(40, 40);
    Canvas& c = bitmap.GetCanvas();
    const std::array<TPixelPoint, 3> path{{{2, 2}, {12, 2}, {12, 12}}};
    c.Polyline(path);
    QCOMPARE(bitmap.Image().pixel(12, 2), kBlack);
    QCOMPARE(bitmap.Image().pixel(12, 11), kBlack);
    QCOMPARE(bitmap.Image().pixel(12, 12), kWhite);
    QCOMPARE(c.PenPos(), (TPixelPoint{0, 0}));

    c.Brush.Color = QColor(0, 0, 255);
    const std::array<TPixelPoint, 3> triangle{{{20, 30}, {36, 30}, {28, 14}}};
    c.Polygon(triangle);
    QCOMPARE(bitmap.Image().pixel(28, 26), kBlue);
    QCOMPARE(bitmap.Image().pixel(20, 30), kBlack);
    QCOMPARE(bitmap.Image().pixel(28, 14), kBlack);
}

void TestPaintBox::contentSurvivesResizeAndRepaint()
{
    PaintBox box;
    box.resize(100, 80);
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    Canvas& c = box.GetCanvas();
    c.Brush.Color = QColor(0, 0, 255);
    c.FillRect(TRect{90, 70, 100, 80});
    c.MoveTo(0, 40);
    c.LineTo(100, 40);

    QCOMPARE(box.grab().toImage().pixel(95, 75), kBlue);

    box.SetColor(QColor(255, 255, 0));
    box.resize(160, 120);
    QCoreApplication::processEvents();
    QImage im = box.Snapshot();
    QCOMPARE(im.size(), QSize(160, 120));
    QCOMPARE(im.pixel(95, 75), kBlue);
    QCOMPARE(im.pixel(50, 40), kBlack);
    QCOMPARE(im.pixel(130, 100), qRgb(255, 255, 0));
    QCOMPARE(box.grab().toImage().pixel(95, 75), kBlue);

    box.hide();
    box.show();
    QVERIFY(QTest::qWaitForWindowExposed(&box));
    QCOMPARE(box.grab().toImage().pixel(50, 40), kBlack);

    // Shrinking keeps what still fits.
    box.resize(60, 50);
    QCoreApplication::processEvents();
    im = box.Snapshot();
    QCOMPARE(im.size(), QSize(60, 50));
    QCOMPARE(im.pixel(30, 40), kBlack);
}

void TestPaintBox::hiddenResizeReachesCanvas()
{
    PaintBox box;
    box.resize(180, 180);
    QCOMPARE(box.GetCanvas().Width(), 180);
    QCOMPARE(box.GetCanvas().ClipRect(), (TRect{0, 0, 180, 180}));
    box.resize(0, 0);
    Canvas& c = box.GetCanvas();
    c.LineTo(10, 10);
    c.Ellipse(0, 0, 5, 5);
    c.TextOut(0, 0, "x");
    QCOMPARE(c.PenPos(), (TPixelPoint{c.TextWidth("x"), 0}));
    box.resize(30, 30);
    QCOMPARE(CountColour(box.Snapshot(), kWhite), 900);
}

void TestPaintBox::snapshotIsACopy()
{
    PaintBox box;
    box.resize(30, 30);
    const QImage copy = box.Snapshot();
    box.GetCanvas().Brush.Color = QColor(0, 0, 255);
    box.GetCanvas().FillRect(box.GetCanvas().ClipRect());
    QCOMPARE(copy.pixel(5, 5), kWhite);
    QCOMPARE(box.Snapshot().pixel(5, 5), kBlue);
}

void TestPaintBox::paintBoxIsAFrameTarget()
{
    ResetFrames();
    PaintBox full;
    PaintBox inset;
    full.resize(528, 628);
    inset.resize(180, 180);
    QVERIFY(full.Handle() != inset.Handle());
    SetFrameFill(full, -1.05, 1.05, 1.05, -1.05);
    SetFrame(inset, -1, 1, 1, -1);
    SelectFrame(full);
    QCOMPARE(XYToPixel(0, 0), (TPixelPoint{264, 314}));
    SelectFrame(inset);
    QCOMPARE(XYToPixel(0, 0), (TPixelPoint{90, 90}));
    ResetFrames();
}

QTEST_MAIN(TestPaintBox)
#include "test_paint_box.moc"
