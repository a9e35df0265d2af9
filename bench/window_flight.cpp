// Timing tool: the "Escape 58" flight drawn at full speed (speed slider at 95) in an
// offscreen main window of 1280 × 900, in output points per second, so that the
// cost of drawing a flight is known. Run with QT_QPA_PLATFORM=offscreen.
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/paint_box.h"

#include <QComboBox>
#include <QSlider>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>

int main(int argc, char* argv[])
{
    orrimar::Application app(argc, argv);
    orrimar::MainWindow window(false);
    window.setWindowState(Qt::WindowNoState);
    window.resize(1280, 900);
    window.show();
    QCoreApplication::processEvents();
    auto* presetList = window.findChild<QComboBox*>("presetList");
    auto* speedSlider = window.findChild<QSlider*>("speedSlider");
    auto* startButton = window.findChild<QToolButton*>("startButton");
    auto* fullView = window.findChild<orrimar::PaintBox*>("fullView");
    if (presetList == nullptr || speedSlider == nullptr || startButton == nullptr ||
        fullView == nullptr) {
        std::fprintf(stderr, "bench_window_flight: the window's widgets are not found\n");
        return 1;
    }
    speedSlider->setValue(95);
    emit presetList->activated(4);  // "Escape 58", as if picked

    constexpr int runs = 5;
    double best = 0.0;
    for (int run = 0; run < runs; ++run) {
        const auto start = std::chrono::steady_clock::now();
        startButton->click();  // returns when the flight has ended
        const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
        const int points = window.lastPointIndex() + 1;
        const double rate = points / elapsed.count();
        best = std::max(best, rate);
        std::printf("run %d: %d points in %.3f s, %.0f points/s, %.1f us/point\n", run + 1, points,
                    elapsed.count(), rate, 1e6 / rate);
    }
    std::printf("best: %.0f output points per second (full view %dx%d)\n", best,
                fullView->width(), fullView->height());
    return 0;
}
