// The window's views on a screen of device pixel ratio 2 against the same flights at ratio
// 1, drawn by this program in a child process: the same logical geometry at twice the
// resolution, and the clipboard's picture in the screen's pixels. A paint box moved to a
// screen of another ratio keeps its drawing and draws on at the new ratio.
#include "ui/main_window.h"
#include "ui/paint_box.h"
#include "support/pixels.h"
#include "support/widget_parts.h"

#include <QApplication>
#include <QClipboard>
#include <QDeadlineTimer>
#include <QFile>
#include <QProcess>
#include <QScreen>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

#include <vector>

using namespace orrimar;

namespace {

const char* const Views[] = {"fullView", "lunocentricInset", "geocentricInset"};
constexpr int Presets[] = {1, 2};  // a collision with the Moon, a swing-by
const char PicturesOption[] = "--ratio-1-pictures";
const QRgb Blue = qRgb(0, 0, 255);
const QRgb Teal = qRgb(0, 128, 128);
const QRgb Aqua = qRgb(0, 255, 255);

bool ShowWindow(MainWindow& window)
{
    window.setWindowState(Qt::WindowNoState);
    window.resize(1000, 720);
    window.show();
    return QTest::qWaitForWindowExposed(&window);
}

// Flies the preset at full speed and returns the views' pictures.
std::vector<QImage> FlyPreset(MainWindow& window, int preset)
{
    test::Part<QSlider>(window, "speedSlider")->setValue(95);
    QMetaObject::invokeMethod(&window, "applyPreset", Q_ARG(int, preset));
    QMetaObject::invokeMethod(&window, "startFlight");
    const QDeadlineTimer patience(test::Patience);
    while (window.flying() && !patience.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
    std::vector<QImage> pictures;
    for (const char* view : Views)
        pictures.push_back(test::Part<PaintBox>(window, view)->snapshot());
    return pictures;
}

QString PictureName(const QString& dir, int preset, int view)
{
    return QString("%1/preset-%2-%3.png").arg(dir).arg(preset).arg(Views[view]);
}

// The child: the same flights at ratio 1, saved.
int SavePictures(int argc, char* argv[], const QString& dir)
{
    QApplication app(argc, argv);
    MainWindow window(false);
    if (!ShowWindow(window))
        return 1;
    for (const int preset : Presets) {
        const std::vector<QImage> pictures = FlyPreset(window, preset);
        for (std::size_t k = 0; k < pictures.size(); ++k)
            if (!pictures[k].save(PictureName(dir, preset, int(k))))
                return 1;
    }
    return 0;
}

bool BlockHas(const QImage& two, int x, int y, QRgb colour, bool whole)
{
    int n = 0;
    for (int j = 0; j < 4; ++j)
        n += test::SameColour(two.pixel(2 * x + j % 2, 2 * y + j / 2), colour);
    return whole ? n == 4 : n > 0;
}

// Logical pixels out of place: a block wholly of the colour at ratio 2 with no pixel of it
// within one pixel at ratio 1, or a pixel of it at ratio 1 with none in the blocks around.
int Misplaced(const QImage& two, const QImage& one, QRgb colour)
{
    int misplaced = 0;
    for (int y = 0; y < one.height(); ++y)
        for (int x = 0; x < one.width(); ++x) {
            if (BlockHas(two, x, y, colour, true) &&
                !test::MatchNear(one, x, y, [colour](QRgb p) { return test::SameColour(p, colour); }))
                ++misplaced;
            if (test::SameColour(one.pixel(x, y), colour)) {
                bool near = false;
                for (int j = 0; j < 9 && !near; ++j) {
                    const int bx = x + j % 3 - 1, by = y + j / 3 - 1;
                    near = one.valid(bx, by) && BlockHas(two, bx, by, colour, false);
                }
                misplaced += !near;
            }
        }
    return misplaced;
}

}  // namespace

class TestHiDpi : public QObject {
    Q_OBJECT

private slots:
    void flightsKeepTheirLogicalGeometry()
    {
        QTemporaryDir dir;
        QVERIFY(dir.isValid());
        QProcess child;
        child.start(QCoreApplication::applicationFilePath(), {PicturesOption, dir.path()});
        QVERIFY(child.waitForFinished(test::Patience));
        QCOMPARE(child.exitCode(), 0);

        MainWindow window(false);
        QVERIFY(ShowWindow(window));
        QCOMPARE(window.devicePixelRatioF(), 2.0);
        for (const int preset : Presets) {
            const std::vector<QImage> pictures = FlyPreset(window, preset);
            for (std::size_t k = 0; k < pictures.size(); ++k) {
                const QString context = QString("preset %1, %2").arg(preset).arg(Views[k]);
                const QImage one(PictureName(dir.path(), preset, int(k)));
                const QImage& two = pictures[k];
                QVERIFY2(!one.isNull(), qPrintable(context));
                QCOMPARE(two.size(), one.size() * 2);
                QCOMPARE(two.devicePixelRatio(), 2.0);
                for (const QRgb colour : {Blue, Teal, Aqua})
                    QVERIFY2(Misplaced(two, one, colour) == 0,
                             qPrintable(context + QString(", colour %1").arg(colour, 0, 16)));
                if (k == 0) {
                    // The Moon's disc, drawn last, on the same logical pixels; the line
                    // drawn at the device's resolution, not as enlarged pixels.
                    QVERIFY2(test::Logical(test::ExtentOf(two, Teal), 2) == test::ExtentOf(one, Teal),
                             qPrintable(context));
                    int fine = 0;
                    for (int y = 0; y < one.height(); ++y)
                        for (int x = 0; x < one.width(); ++x)
                            fine += BlockHas(two, x, y, Blue, false) && !BlockHas(two, x, y, Blue, true);
                    QVERIFY2(fine > 50, qPrintable(context));
                }
            }
        }

        // The clipboard gets the sharp picture: the full view in device pixels.
        QVERIFY(QMetaObject::invokeMethod(&window, "copyToClipboard"));
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), test::Part<PaintBox>(window, "fullView")->size() * 2);
    }

    void drawingFollowsTheScreensRatio()
    {
        const QList<QScreen*> screens = QGuiApplication::screens();
        QCOMPARE(screens.size(), 2);
        QCOMPARE(screens[1]->devicePixelRatio(), 1.0);
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
    if (argc == 3 && qstrcmp(argv[1], PicturesOption) == 0) {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        return SavePictures(argc, argv, QString::fromLocal8Bit(argv[2]));
    }
    // Two screens side by side: the first (where windows open) of ratio 2, the other of 1.
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
