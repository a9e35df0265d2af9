// Views on a screen of device pixel ratio 2 against the same at ratio 1, on two offscreen
// screens side by side: the same logical geometry at twice the resolution, the clipboard in
// device pixels, and a paint box moved between the screens drawing on at the new ratio.
#include "ui/main_window.h"
#include "ui/paint_box.h"
#include "support/pixels.h"
#include "support/widget_parts.h"

#include <QApplication>
#include <QClipboard>
#include <QFile>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <climits>
#include <vector>

using namespace orrimar;

namespace {

const QRgb Blue = qRgb(0, 0, 255);
const QRgb Teal = qRgb(0, 128, 128);
const QRgb Aqua = qRgb(0, 255, 255);

// The full view, the insets and the clipboard's picture after the preset flown at full
// speed in a window on the screen.
std::vector<QImage> FlyOn(QScreen* screen, int preset)
{
    MainWindow window(false);
    window.setScreen(screen);
    window.setGeometry(QRect(screen->geometry().topLeft() + QPoint(20, 20), QSize(1000, 720)));
    window.show();
    if (!QTest::qWaitForWindowExposed(&window))
        return {};
    test::Part<QSlider>(window, "speedSlider")->setValue(95);
    QMetaObject::invokeMethod(&window, "applyPreset", Q_ARG(int, preset));
    QMetaObject::invokeMethod(&window, "startFlight");
    if (!QTest::qWaitFor([&] { return !window.flying(); }, test::Patience))
        return {};
    std::vector<QImage> pictures;
    for (const char* view : {"fullView", "lunocentricInset", "geocentricInset"})
        pictures.push_back(test::Part<PaintBox>(window, view)->snapshot());
    QMetaObject::invokeMethod(&window, "copyToClipboard");
    pictures.push_back(QGuiApplication::clipboard()->image());
    return pictures;
}

// Logical pixels out of place: a block wholly of the colour at ratio 2 with none of it
// within a pixel at ratio 1, or a pixel of it at ratio 1 with none in the blocks around.
int Misplaced(const QImage& two, const QImage& blocks, const QImage& one, QRgb colour)
{
    const auto is = [colour](QRgb p) { return test::SameColour(p, colour); };
    int misplaced = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            const PixelRect around{2 * x - 2, 2 * y - 2, 2 * x + 4, 2 * y + 4};
            misplaced += is(blocks.pixel(x, y)) && !test::MatchNear(one, x, y, is);
            misplaced += is(one.pixel(x, y)) && test::ExtentOf(two, colour, around).left == INT_MAX;
        }
    return misplaced;
}

}  // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void flightsKeepTheirLogicalGeometry()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        for (const int preset : {1, 2}) {  // a collision with the Moon, a swing-by
            const std::vector<QImage> two = FlyOn(screens[0], preset);
            const std::vector<QImage> one = FlyOn(screens[1], preset);
            QCOMPARE(two.size(), std::size_t{4});
            QCOMPARE(one.size(), std::size_t{4});
            for (std::size_t k = 0; k < 4; ++k)  // the clipboard's too: the sharp picture
                QCOMPARE(two[k].size(), one[k].size() * 2);
            for (std::size_t k = 0; k < 3; ++k) {
                const QImage blocks = test::Blocks(two[k], 2);
                for (const QRgb colour : {Blue, Teal, Aqua})
                    QVERIFY2(Misplaced(two[k], blocks, one[k], colour) == 0,
                             qPrintable(QString("preset %1, view %2, colour %3").arg(preset).arg(k).arg(colour, 0, 16)));
            }
            // The Moon's disc, drawn last, on the same logical pixels; the line drawn at the
            // device's resolution, not as enlarged pixels.
            QCOMPARE(test::Logical(test::ExtentOf(two[0], Teal), 2), test::ExtentOf(one[0], Teal));
            QVERIFY(test::CountColour(test::Blocks(two[0], 2), test::MixedBlock) > 50);
        }
    }

    void drawingFollowsTheScreensRatio()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        PaintBox box;
        box.setScreen(screens[1]);
        box.setGeometry(QRect(screens[1]->geometry().topLeft() + QPoint(50, 50), QSize(60, 40)));
        box.show();
        QVERIFY(QTest::qWaitForWindowExposed(&box));
        Canvas& c = box.canvas();
        QCOMPARE(c.scale(), 1);
        c.brush.color = QColor(Teal);
        c.ellipse(PixelRect{10, 5, 30, 25});
        c.moveTo(0, 39);
        c.lineTo(59, 0);
        const QImage one = box.snapshot();

        box.windowHandle()->setScreen(screens[0]);
        box.move(screens[0]->geometry().topLeft() + QPoint(50, 50));
        QTRY_COMPARE(box.canvas().scale(), 2);
        QVERIFY(test::Blocks(box.snapshot(), 2) == one);  // enlarged until drawn again
        QVERIFY(box.grab().toImage() == box.snapshot());
        c.brush.color = Qt::white;
        c.fillRect(c.clipRect());
        c.brush.color = QColor(Teal);
        c.ellipse(PixelRect{10, 5, 30, 25});
        QCOMPARE(test::Logical(test::ExtentOf(box.snapshot(), Teal), 2), test::ExtentOf(one, Teal));
    }
};

int main(int argc, char* argv[])
{
    // The first screen, where windows open, of ratio 2; the second, right of it, of 1.
    QTemporaryDir dir;
    QFile config(dir.filePath("screens.json"));
    if (!config.open(QIODevice::WriteOnly) ||
        config.write(R"({"screens": [
            {"name": "hidpi", "x": 0, "y": 0, "width": 2800, "height": 2000, "dpr": 2},
            {"name": "plain", "x": 1400, "y": 0, "width": 1400, "height": 1000, "dpr": 1}]})") < 0)
        return 1;
    config.close();
    qputenv("QT_QPA_PLATFORM", "offscreen:configfile=" + config.fileName().toLocal8Bit());
    QApplication app(argc, argv);
    TestHiDpi test;
    return QTest::qExec(&test, argc, argv);
}

#include "test_hidpi.moc"
