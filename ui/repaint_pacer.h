// Paces the repainting of the window's flight display: the canvases are drawn into at
// every output point, but the screen is asked to show them at most once per display
// frame, and once more when the flight ends.
#pragma once

#include <QObject>

#include <cstdint>
#include <initializer_list>
#include <vector>

class QProgressBar;

namespace orrimar {

class PaintBox;
class StatusBar;

class RepaintPacer : public QObject {
    Q_OBJECT

public:
    RepaintPacer(std::initializer_list<PaintBox*> boxes, StatusBar& statusBar,
                 QProgressBar& speedBar, QObject* parent = nullptr);

    // Shortest time between two repaints, in microseconds; 0 repaints at every point
    // (for comparing pictures with and without pacing).
    void setFrameInterval(std::int64_t microseconds) { frameInterval_ = microseconds; }
    std::int64_t frameInterval() const { return frameInterval_; }

    // Around a flight: begin() holds the repaints back, end() shows what is left and
    // lets every change show at once again.
    void begin();
    void end();
    bool running() const { return running_; }

    // The speed bar's value, shown with the next frame during a flight.
    void setSpeedBarValue(int value);

    // At each output point: when a frame's time has passed, asks for the repaint of what
    // changed since the last one.
    void point();
    // Asks for the repaint of everything changed since the last frame, now (a paused
    // flight shows all it drew).
    void showPending() { show(); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void show();
    void followSpeedBar(int value);

    std::vector<PaintBox*> boxes_;
    StatusBar& statusBar_;
    QProgressBar& speedBar_;
    std::int64_t frameInterval_ = 16000;
    std::int64_t lastShown_ = 0;  // microseconds of a steady clock
    // The speed bar's value, and the value its picture shows as calls at every point
    // would have left it: QProgressBar repaints a new value only when the bar would move
    // by more than a chunk.
    int speedBarValue_ = 0;
    int speedBarPainted_ = 0;
    bool speedBarPending_ = false;
    bool speedBarRepaint_ = false;
    std::int64_t speedBarGroove_ = 0;  // pixels
    std::int64_t speedBarChunk_ = 0;   // pixels
    bool running_ = false;
};

}  // namespace orrimar
