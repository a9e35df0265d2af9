// The window's views on a screen of device pixel ratio 2 against the same on one of ratio 1,
// two offscreen screens side by side: moved across, the drawing stays; flown again, the
// same logical geometry at twice the resolution, and the clipboard in device pixels.
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

// The full view, the insets and the clipboard's picture after the preset flown at full speed.
std::vector<QImage> Fly(MainWindow& window, int preset)
{
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
int Misplaced(const QImage& two, const QImage& one, QRgb colour)
{
    const QImage blocks = test::Blocks(two, 2);
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
    void flightsKeepTheirLogicalGeometryOnEitherScreen()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        MainWindow window(false);
        const auto placeOn = [&window](QScreen* screen) {
            window.setScreen(screen);
            window.setGeometry(QRect(screen->geometry().topLeft() + QPoint(20, 20), QSize(1000, 720)));
        };
        placeOn(screens[1]);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        test::Part<QSlider>(window, "speedSlider")->setValue(95);
        PaintBox* fullView = test::Part<PaintBox>(window, "fullView");
        for (const int preset : {1, 2}) {  // a collision with the Moon, a swing-by
            placeOn(screens[1]);
            QTRY_COMPARE(fullView->canvas().scale(), 1);
            const std::vector<QImage> one = Fly(window, preset);
            placeOn(screens[0]);
            QTRY_COMPARE(fullView->canvas().scale(), 2);
            QVERIFY(test::Blocks(fullView->snapshot(), 2) == one[0]);  // kept, enlarged
            const std::vector<QImage> two = Fly(window, preset);
            QCOMPARE(one.size(), std::size_t{4});
            QCOMPARE(two.size(), std::size_t{4});
            for (std::size_t k = 0; k < 4; ++k)  // the clipboard's too: the sharp picture
                QCOMPARE(two[k].size(), one[k].size() * 2);
            for (std::size_t k = 0; k < 3; ++k)
                for (const QRgb colour : {Blue, Teal, Aqua})
                    QVERIFY2(Misplaced(two[k], one[k], colour) == 0,
                             qPrintable(QString("preset %1, view %2, colour %3").arg(preset).arg(k).arg(colour, 0, 16)));
            // The Moon's disc, drawn last, on the same logical pixels; the line drawn at the
            // device's resolution, not as enlarged pixels.
            QCOMPARE(test::Logical(test::ExtentOf(two[0], Teal), 2), test::ExtentOf(one[0], Teal));
            QVERIFY(test::CountColour(test::Blocks(two[0], 2), test::MixedBlock) > 50);
        }
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
