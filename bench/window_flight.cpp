// Timing tool: the "Escape 58" flight drawn at full speed (speed slider at 95) in an
// offscreen main window of 1280 × 900, in output points per second, so that the
// cost of drawing a flight is known; then again with the Explorer open and following,
// so that its cost is known too; the two alternate (--explorer-only: only open). Run with
// QT_QPA_PLATFORM=offscreen.
#include "ui/application.h"
#include "ui/explorer_window.h"
#include "ui/main_window.h"
#include "ui/paint_box.h"

#include <QComboBox>
#include <QSlider>
#include <QTabWidget>
#include <QToolButton>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <cstdlib>

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

    // Closed and open alternate, so that a machine busy with other work slows both alike.
    constexpr int rounds = 5;
    const char* tab = std::getenv("ORRIMAR_EXPLORER_TAB");
    const bool explorerOnly = argc > 1 && std::strcmp(argv[1], "--explorer-only") == 0;
    double best[2] = {0.0, 0.0};
    for (int round = 0; round < rounds; ++round) {
        for (const bool open : {false, true}) {
            if (open != (window.explorer() != nullptr)) {
                if (open) {
                    window.showExplorer();
                    // ORRIMAR_EXPLORER_TAB=1: the charts in front instead of the frame.
                    if (auto* tabs = window.explorer()->findChild<QTabWidget*>("explorerTabs"))
                        tabs->setCurrentIndex(tab ? std::atoi(tab) : 0);
                } else {
                    delete window.explorer();
                }
                QCoreApplication::processEvents();
            }
            if (!open && explorerOnly)
                continue;
            const auto start = std::chrono::steady_clock::now();
            startButton->click();  // returns when the flight has ended
            const std::chrono::duration<double> elapsed =
                std::chrono::steady_clock::now() - start;
            const int points = window.lastPointIndex() + 1;
            const double rate = points / elapsed.count();
            best[open] = std::max(best[open], rate);
            std::printf("round %d, explorer %s: %d points in %.3f s, %.0f points/s, %.1f us/point\n",
                        round + 1, open ? "open" : "closed", points, elapsed.count(), rate,
                        1e6 / rate);
        }
    }
    std::printf("best: %.0f output points per second with the explorer closed, %.0f open "
                "(full view %dx%d)\n",
                best[0], best[1], fullView->width(), fullView->height());
    if (best[0] > 0.0 && best[1] > 0.0)
        std::printf("following costs %.1f %% more time per point\n",
                    100.0 * (best[0] / best[1] - 1.0));
    return 0;
}
