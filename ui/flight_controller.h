// Runs the window's flight: the flight is computed on a worker thread, at most one
// integration step ahead of what is drawn, and handed to the window's thread point by
// point when each point's deadline comes. Pause, resume and cancel act between points;
// nothing here runs a nested event loop.
#pragma once

#include "flight/flight_csv.h"
#include "flight/flight_run.h"

#include <QObject>

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

class QTimer;

namespace orrimar {

class FlightController : public QObject {
    Q_OBJECT

public:
    enum class State { Idle, Flying, Paused };
    Q_ENUM(State)

    // How the last flight ended, kept until the next one ends.
    struct Ending {
        CsvLaunch Launch;         // the fields' texts, the view it was flown in, its burns
        std::string Jacobi0Text;  // "Jacobi 0" as the status bar showed it
        Dop853Result Result;
        bool CancelRequested = false;
        int LastPointIndex = -1;  // the last point handed to the views
    };

    explicit FlightController(QObject* parent = nullptr);
    // A running flight ends at once (as abort()).
    ~FlightController() override;

    // The wait from one point to the next, in steady-clock ticks; asked at every point,
    // so that the speed slider acts during a flight.
    void setPointInterval(std::function<std::int64_t()> interval);

    // Starts a flight of the launch's texts, with its burns, in views of its size (the full
    // view's; the insets are InsetSize square). The views' frames are copied for the worker:
    // what the window does to its boxes afterwards does not reach the flight. Returns false,
    // doing nothing, while a flight runs. The first step and point come from the event loop.
    bool start(const CsvLaunch& launch);
    // The flight ends after the step being drawn, as the integrator asks after each step.
    void cancel();
    // Paused: no point is handed over until resumed; the next point then comes at once.
    // Nothing happens while idle.
    void setPaused(bool paused);
    void togglePause() { setPaused(state_ == State::Flying); }
    // Ends a flight now, handing nothing more over (the window is closing).
    void abort();

    State state() const { return state_; }
    bool flying() const { return state_ != State::Idle; }
    bool paused() const { return state_ == State::Paused; }
    bool cancelRequested() const { return cancelRequested_; }
    // The flight's "Jacobi 0", known from start() on.
    const std::string& jacobi0Text() const { return jacobi0Text_; }
    // The last flight that ended, if any.
    const std::optional<Ending>& lastFlight() const { return lastFlight_; }

signals:
    void stateChanged(orrimar::FlightController::State state);
    void pausedChanged(bool paused);
    // In the flight's order: steps and points as they are due, then the end.
    void stepReady(const orrimar::FlightStep& step);
    void pointReady(const orrimar::FlightPoint& point);
    void flightEnded(const orrimar::Dop853Result& result, bool cancelRequested,
                     const orrimar::CsvLaunch& launch);

private:
    class Job;

    void deliver();
    void schedule(std::int64_t delayTicks);
    void finish();
    void setState(State state);

    std::unique_ptr<Job> job_;
    QTimer* timer_ = nullptr;
    std::function<std::int64_t()> pointInterval_;
    State state_ = State::Idle;
    bool cancelRequested_ = false;
    bool delivering_ = false;
    std::int64_t nextPointDeadline_ = 0;
    int lastPointIndex_ = -1;
    std::string jacobi0Text_;
    std::optional<Ending> lastFlight_;
};

}  // namespace orrimar
