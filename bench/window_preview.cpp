// The Explorer's preview while a stepper arrow is held: how long from a change of the
// fields to its preview on the screen, for the launch in the fields at start (a 30-day
// flight in the window's rules).
//
//   bench_window_preview [--steps N] [--repeat MS] [--preset K] [--burn WHEN:ALONG[:LEFT]]...
//
// --steps N: arrow repeats (200 unless given); --repeat MS: their interval (33 ms, a
// keyboard's auto-repeat); --preset K, --burn: another launch, and burns planned in the
// Explorer (e.g. --preset 2 --burn perilune:-0.5, the lunar orbit). Every repeat steps the angle and asks for a new preview; a
// newer one replaces the one under way, so only some are shown. Prints how many were
// shown, and the median and worst latency of those, from the change to the result
// reaching the window's thread, and from the change to the Moon's frame repainted with it
// (the view is repainted at once when a result arrives, and that repaint timed). Run
// offscreen: QT_QPA_PLATFORM=offscreen.
#include "ui/application.h"
#include "ui/explorer_window.h"
#include "ui/main_window.h"
#include "ui/masked_field.h"
#include "ui/moon_frame_view.h"
#include "ui/preview_runner.h"

#include <QElapsedTimer>
#include <QCoreApplication>
#include <QKeyEvent>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <utility>
#include <vector>

int main(int argc, char* argv[])
{
    int steps = 200;
    int repeatMs = 33;
    int preset = -1;
    std::vector<orrimar::FlightBurn> burns;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--steps") == 0 && i + 1 < argc) {
            steps = std::max(1, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--repeat") == 0 && i + 1 < argc) {
            repeatMs = std::max(0, std::atoi(argv[++i]));
        } else if (std::strcmp(argv[i], "--preset") == 0 && i + 1 < argc) {
            preset = std::atoi(argv[++i]);
        } else if (std::strcmp(argv[i], "--burn") == 0 && i + 1 < argc) {
            try {
                burns.push_back(orrimar::ParseBurn(argv[++i]));
            } catch (const std::exception& e) {
                std::fprintf(stderr, "--burn: %s\n", e.what());
                return 2;
            }
        } else {
            std::fprintf(stderr,
                         "usage: %s [--steps N] [--repeat MS] [--preset K] [--burn PLAN]...\n",
                         argv[0]);
            return 2;
        }
    }
    orrimar::Application app(argc, argv);
    orrimar::MainWindow window(false);
    window.show();
    if (preset >= 0)
        QMetaObject::invokeMethod(&window, "applyPreset", Q_ARG(int, preset));
    window.showExplorer();
    orrimar::ExplorerWindow* explorer = window.explorer();
    explorer->setBurns(burns);
    orrimar::PreviewRunner* runner = explorer->previewRunner();
    auto* angle = window.findChild<orrimar::MaskedField*>("angleField");
    if (!angle) {
        std::fprintf(stderr, "no angle field\n");
        return 1;
    }
    auto* view = explorer->findChild<orrimar::MoonFrameView*>("moonFrameView");
    if (!view || !view->isVisible()) {
        std::fprintf(stderr, "no Moon's frame shown\n");
        return 1;
    }
    // Connected after the view's own slot: the view has the result and is repainted now
    // instead of at the event loop's next pass.
    std::vector<double> paintMs;
    QObject::connect(runner, &orrimar::PreviewRunner::ready, view, [&] {
        QElapsedTimer painting;
        painting.start();
        view->repaint();
        paintMs.push_back(static_cast<double>(painting.nsecsElapsed()) * 1e-6);
    });
    angle->setFocus();
    auto settle = [&] {
        while (runner->busy())
            QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents, 50);
    };
    settle();
    const std::size_t before = runner->latencies().size();
    const std::size_t paintsBefore = paintMs.size();
    QElapsedTimer held;
    held.start();
    for (int i = 0; i < steps; ++i) {
        QKeyEvent press(QEvent::KeyPress, Qt::Key_Up, Qt::NoModifier, QString(), i > 0);
        QCoreApplication::sendEvent(angle, &press);
        const qint64 next = static_cast<qint64>(i + 1) * repeatMs;
        while (held.elapsed() < next)
            QCoreApplication::processEvents(QEventLoop::AllEvents, 1);
    }
    settle();
    std::vector<double> shown(runner->latencies().begin() + static_cast<std::ptrdiff_t>(before),
                              runner->latencies().end());
    if (shown.empty()) {
        std::fprintf(stderr, "no preview shown\n");
        return 1;
    }
    std::vector<double> painted(paintMs.begin() + static_cast<std::ptrdiff_t>(paintsBefore),
                                paintMs.end());
    if (painted.size() != shown.size()) {
        std::fprintf(stderr, "%zu results but %zu repaints\n", shown.size(), painted.size());
        return 1;
    }
    std::vector<double> onScreen(shown.size());
    for (std::size_t i = 0; i < shown.size(); ++i)
        onScreen[i] = shown[i] + painted[i];
    const auto medianAndWorst = [](std::vector<double>& ms) {
        std::sort(ms.begin(), ms.end());
        return std::make_pair(ms[ms.size() / 2], ms.back());
    };
    const auto [median, worst] = medianAndWorst(shown);
    const auto [paintMedian, paintWorst] = medianAndWorst(painted);
    const auto [screenMedian, screenWorst] = medianAndWorst(onScreen);
    std::printf("preview: %d steps every %d ms, %zu shown, %d points; median/worst ms: "
                "result %.1f/%.1f, repaint %.1f/%.1f, on screen %.1f/%.1f\n",
                steps, repeatMs, shown.size(), explorer->preview() ? explorer->preview()->Points : 0,
                median, worst, paintMedian, paintWorst, screenMedian, screenWorst);
    return 0;
}
