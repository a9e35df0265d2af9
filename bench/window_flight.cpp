// Timing tool: the "Escape 58" flight drawn at full speed (speed slider at 95) in an
// offscreen main window of 1280 × 900, in output points per second, so that the
// cost of drawing a flight is known. Run with QT_QPA_PLATFORM=offscreen.
//
//   bench_window_flight [--runs N] [--preset K] [--speed V] [--per-point] [--explorer]
//                       [--explorer-only] [--save-images DIR]
//
// --runs N: flights to time (5 unless given); the median and the best are reported.
// --preset K, --speed V: another preset (4 unless given) and slider position (95), e.g. to
// see that a slow flight lasts as long as its pacing says.
// --per-point: repaint at every output point instead of once per display frame.
// --explorer: each run twice, with the Explorer closed and open and following, alternating
// so that a busy machine slows both alike (after each opening, one untimed flight lets
// it lay out and shade its region); --explorer-only: open only.
// ORRIMAR_EXPLORER_TAB=1 puts the Explorer's charts in front instead of the Moon's frame.
// --save-images DIR: instead of timing, flies each preset at full speed and saves what
// the screen shows over the full view (preset-K-screen.png), the clipboard's copy
// (preset-K-clipboard.png), the status bar (preset-K-status.png) and the configuration
// sketch before it (preset-K-sketch.png), then the Explorer's Moon's frame after the last
// one (explorer.png), so that two builds can be compared picture by picture.
#include "ui/application.h"
#include "ui/explorer_window.h"
#include "ui/flight_controller.h"
#include "ui/main_window.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"

#include <QClipboard>
#include <QComboBox>
#include <QDir>
#include <QEventLoop>
#include <QGuiApplication>
#include <QImage>
#include <QPixmap>
#include <QScreen>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

namespace {

// What the screen shows of a widget: the window's flushed pixels, not a fresh render.
QImage OnScreen(QWidget& widget)
{
    QWidget* window = widget.window();
    const QPoint at = widget.mapTo(window, QPoint(0, 0));
    return window->screen()
        ->grabWindow(window->winId(), at.x(), at.y(), widget.width(), widget.height())
        .toImage();
}

// Clicks Start and returns when the flight has ended (it runs from the event loop).
void FlyToEnd(orrimar::MainWindow& window, QToolButton& startButton)
{
    QEventLoop loop;
    QObject::connect(window.flightController(), &orrimar::FlightController::stateChanged, &loop,
                     [&] {
                         if (!window.flying())
                             loop.quit();
                     });
    startButton.click();
    if (window.flying())
        loop.exec();
}

double Median(std::vector<double> values)
{
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 == 1 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

}  // namespace

int main(int argc, char* argv[])
{
    int runs = 5;
    const char* imageDir = nullptr;
    int presetIndex = 4;  // "Escape 58"
    int speed = 95;
    bool perPoint = false;
    bool explorerClosed = true;
    bool explorerOpen = false;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--runs") == 0 && i + 1 < argc) {
            runs = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--save-images") == 0 && i + 1 < argc) {
            imageDir = argv[++i];
        } else if (std::strcmp(argv[i], "--preset") == 0 && i + 1 < argc) {
            presetIndex = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--speed") == 0 && i + 1 < argc) {
            speed = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--per-point") == 0) {
            perPoint = true;
        } else if (std::strcmp(argv[i], "--explorer") == 0) {
            explorerOpen = true;
        } else if (std::strcmp(argv[i], "--explorer-only") == 0) {
            explorerOpen = true;
            explorerClosed = false;
        } else {
            std::fprintf(stderr, "usage: bench_window_flight [--runs N] [--preset K] [--speed V] "
                         "[--per-point] [--explorer] [--explorer-only] [--save-images DIR]\n");
            return 2;
        }
    }

    orrimar::Application app(argc, argv);
    orrimar::MainWindow window(false);
    window.setWindowState(Qt::WindowNoState);
    window.resize(1280, 900);
    window.show();
    QCoreApplication::processEvents();
    auto* presetList = window.findChild<QComboBox*>("presetList");
    auto* speedSlider = window.findChild<QSlider*>("speedSlider");
    auto* startButton = window.findChild<QToolButton*>("startButton");
    auto* clipboardButton = window.findChild<QToolButton*>("clipboardButton");
    auto* fullView = window.findChild<orrimar::PaintBox*>("fullView");
    auto* statusBar = window.findChild<QWidget*>("statusBar");
    if (presetList == nullptr || speedSlider == nullptr || startButton == nullptr ||
        clipboardButton == nullptr || fullView == nullptr || statusBar == nullptr) {
        std::fprintf(stderr, "bench_window_flight: the window's widgets are not found\n");
        return 1;
    }
    if (perPoint) {
        if (auto* pacer = window.findChild<orrimar::RepaintPacer*>("repaintPacer"))
            pacer->setFrameInterval(0);
    }

    if (imageDir != nullptr) {
        speedSlider->setValue(95);
        QDir().mkpath(QString::fromLocal8Bit(imageDir));
        for (int preset = 0; preset < presetList->count(); ++preset) {
            emit presetList->activated(preset);
            QCoreApplication::processEvents();
            OnScreen(*fullView).save(QString("%1/preset-%2-sketch.png").arg(imageDir).arg(preset));
            FlyToEnd(window, *startButton);
            QCoreApplication::processEvents();
            const QString stem = QString("%1/preset-%2-").arg(imageDir).arg(preset);
            OnScreen(*fullView).save(stem + "screen.png");
            OnScreen(*statusBar).save(stem + "status.png");
            clipboardButton->click();
            QGuiApplication::clipboard()->image().save(stem + "clipboard.png");
            std::printf("preset %d: %d points, saved %sscreen.png and clipboard.png\n", preset,
                        window.lastPointIndex() + 1, qPrintable(stem));
        }
        window.showExplorer();
        FlyToEnd(window, *startButton);
        QCoreApplication::processEvents();
        if (auto* tabs = window.explorer()->findChild<QTabWidget*>("explorerTabs"))
            OnScreen(*tabs->currentWidget()).save(QString("%1/explorer.png").arg(imageDir));
        return 0;
    }

    speedSlider->setValue(speed);
    emit presetList->activated(presetIndex);  // as if picked
    const char* tab = std::getenv("ORRIMAR_EXPLORER_TAB");
    std::vector<double> rates[2];  // Explorer closed, open
    for (int run = 0; run < runs; ++run) {
        for (const bool open : {false, true}) {
            if ((open && !explorerOpen) || (!open && !explorerClosed))
                continue;
            if (open != (window.explorer() != nullptr)) {
                if (open) {
                    window.showExplorer();
                    if (auto* tabs = window.explorer()->findChild<QTabWidget*>("explorerTabs"))
                        tabs->setCurrentIndex(tab ? std::atoi(tab) : 0);
                    // An untimed flight first: opening the Explorer and shading its region
                    // for this launch's Jacobi integral happen once, not per point.
                    FlyToEnd(window, *startButton);
                } else {
                    delete window.explorer();
                }
                QCoreApplication::processEvents();
            }
            const auto start = std::chrono::steady_clock::now();
            FlyToEnd(window, *startButton);
            const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
            const int points = window.lastPointIndex() + 1;
            const double rate = points / elapsed.count();
            rates[open].push_back(rate);
            std::printf("run %d%s: %d points in %.3f s, %.0f points/s, %.1f us/point\n", run + 1,
                        explorerOpen ? (open ? ", explorer open" : ", explorer closed") : "",
                        points, elapsed.count(), rate, 1e6 / rate);
        }
    }
    for (const bool open : {false, true}) {
        if (rates[open].empty())
            continue;
        const double median = Median(rates[open]);
        std::printf("median%s: %.0f output points per second, %.1f us/point (%d runs, best %.0f, "
                    "full view %dx%d)\n",
                    explorerOpen ? (open ? " with the explorer open" : " with the explorer closed") : "",
                    median, 1e6 / median, runs, *std::max_element(rates[open].begin(), rates[open].end()),
                    fullView->width(), fullView->height());
    }
    if (!rates[0].empty() && !rates[1].empty())
        std::printf("following costs %.1f %% more time per point (medians)\n",
                    100.0 * (Median(rates[0]) / Median(rates[1]) - 1.0));
    return 0;
}
