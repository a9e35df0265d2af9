#include "ui/flight_controller.h"

#include "flight/view_frames.h"
#include "plot/plot_frame.h"
#include "ui/application.h"

#include <QTimer>

#include <chrono>
#include <condition_variable>
#include <deque>
#include <exception>
#include <mutex>
#include <thread>
#include <utility>
#include <variant>

namespace orrimar {

namespace {

using Clock = std::chrono::steady_clock;
using namespace std::chrono_literals;

std::int64_t CounterNow() { return Clock::now().time_since_epoch().count(); }

constexpr std::int64_t Ticks(Clock::duration d) { return d.count(); }

// The worker asks whether to go on: after every accepted step, after that step's points.
struct StepEnd {};
// Fly() has returned.
struct FlightOver {};
using Item = std::variant<FlightStep, FlightPoint, StepEnd, FlightOver>;

// Items the worker may queue before it waits for the window: more than a step holds
// as a rule, so the worker does not wait inside a step, and a few hundred kilobytes.
constexpr std::size_t QueueCapacity = 1024;
// How long the window's thread hands points over before it returns to the event loop,
// when they are due faster than it draws them.
constexpr std::int64_t DeliverySlice = Ticks(5ms);
// Waits longer than this go to a timer; shorter ones are slept on the window's thread
// (timers have millisecond steps), in slices, spinning over the last part as before.
constexpr std::int64_t TimerThreshold = Ticks(2ms);
constexpr std::int64_t TimerEarly = Ticks(1ms);
constexpr std::int64_t SleepThreshold = Ticks(300us);

// A view of a fixed size: the worker's stand-in for a paint box, whose frame the
// worker sets on its own thread (frames are kept per thread).
class FixedView : public FrameTarget {
public:
    FixedView(int width, int height) : width_(width), height_(height) {}
    int ClientWidth() const override { return width_; }
    int ClientHeight() const override { return height_; }

private:
    int width_;
    int height_;
};

}  // namespace

// One flight: the worker's display, and the queue between it and the window's thread.
// The worker waits at every step's end until the window has handed that step's points
// over and answered whether to stop, so that a cancel ends the flight at the step it
// was given in, as the integrator sees it, and the flight is never further ahead.
class FlightController::Job final : public FlightDisplay {
public:
    explicit Job(const CsvLaunch& launch)
        : launch_(launch), full_(launch.ViewWidth, launch.ViewHeight),
          luno_(InsetSize, InsetSize), geo_(InsetSize, InsetSize),
          run_(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle),
               FlightViews{full_, luno_, geo_}, *this)
    {
        run_.SetBurns(launch.Burns);
    }
    ~Job() override
    {
        abort();
        join();
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    const CsvLaunch& launch() const { return launch_; }
    std::string jacobi0Text() const { return run_.Jacobi0Text(); }
    void begin() { thread_ = std::thread([this] { fly(); }); }

    // The window's side. The first item stays queued until pop(); elements of a deque
    // keep their place while the worker appends.
    Item* front()
    {
        std::lock_guard lock(mutex_);
        return queue_.empty() ? nullptr : &queue_.front();
    }
    void pop()
    {
        {
            std::lock_guard lock(mutex_);
            queue_.pop_front();
        }
        toWorker_.notify_one();
    }
    bool waitForItem(Clock::duration timeout)
    {
        std::unique_lock lock(mutex_);
        return toWindow_.wait_for(lock, timeout, [this] { return !queue_.empty(); });
    }
    // At a step's end: whether the flight stops there.
    void answer(bool stop)
    {
        {
            std::lock_guard lock(mutex_);
            ++answered_;
            stop_ = stop;
        }
        toWorker_.notify_one();
    }
    void abort()
    {
        {
            std::lock_guard lock(mutex_);
            aborted_ = true;
        }
        toWorker_.notify_one();
    }
    void join()
    {
        if (thread_.joinable())
            thread_.join();
    }
    // After join().
    const Dop853Result& result() const { return result_; }
    std::exception_ptr failure() const { return failure_; }

    // The worker's side.
    void ShowStep(const FlightStep& step) override { push(step); }
    void Pace() override {}  // the window paces as it hands points over
    void ShowPoint(const FlightPoint& point) override { push(point); }
    bool CancelRequested() const override
    {
        std::unique_lock lock(mutex_);
        queue_.emplace_back(StepEnd{});
        const long asked = ++asked_;
        toWindow_.notify_one();
        toWorker_.wait(lock, [&] { return answered_ >= asked || aborted_; });
        return aborted_ || stop_;
    }

private:
    void push(Item item)
    {
        std::unique_lock lock(mutex_);
        toWorker_.wait(lock, [this] { return queue_.size() < QueueCapacity || aborted_; });
        if (aborted_)
            return;  // nobody draws it any more
        queue_.push_back(std::move(item));
        toWindow_.notify_one();
    }
    void fly()
    {
        try {
            SetFullViewFrame(full_, launch_.FullView);
            SetLunocentricFrame(luno_);
            SetGeocentricFrame(geo_);
            result_ = run_.Fly();
        } catch (...) {
            failure_ = std::current_exception();
        }
        {
            std::lock_guard lock(mutex_);
            queue_.emplace_back(FlightOver{});
        }
        toWindow_.notify_one();
        // The frames this thread set go with it.
    }

    const CsvLaunch launch_;
    FixedView full_;
    FixedView luno_;
    FixedView geo_;
    FlightRun run_;
    Dop853Result result_;
    std::exception_ptr failure_;
    std::thread thread_;

    mutable std::mutex mutex_;
    mutable std::condition_variable toWindow_;  // an item was queued
    mutable std::condition_variable toWorker_;  // room, an answer, or the abort
    mutable std::deque<Item> queue_;
    mutable long asked_ = 0;
    long answered_ = 0;
    bool stop_ = false;
    bool aborted_ = false;
};

FlightController::FlightController(QObject* parent) : QObject(parent), timer_(new QTimer(this))
{
    timer_->setSingleShot(true);
    timer_->setTimerType(Qt::PreciseTimer);
    // A failure the flight ended with becomes an error box, as for any slot.
    connect(timer_, &QTimer::timeout, this, [this] { runGuarded([this] { deliver(); }); });
}

// Quietly: whoever listens may be half destroyed by now.
FlightController::~FlightController() = default;

void FlightController::setPointInterval(std::function<std::int64_t()> interval)
{
    pointInterval_ = std::move(interval);
}

bool FlightController::start(const CsvLaunch& launch)
{
    if (flying())
        return false;
    job_ = std::make_unique<Job>(launch);
    jacobi0Text_ = job_->jacobi0Text();
    cancelRequested_ = false;
    lastPointIndex_ = -1;
    nextPointDeadline_ = CounterNow();
    setState(State::Flying);
    job_->begin();
    schedule(0);
    return true;
}

void FlightController::cancel()
{
    if (!flying())
        return;
    cancelRequested_ = true;
    if (paused())
        schedule(0);  // the rest of the step at once, as a paused flight ends
}

void FlightController::setPaused(bool paused)
{
    if (!flying()) {
        emit pausedChanged(false);
        return;
    }
    if (paused != this->paused()) {
        if (paused) {
            timer_->stop();
            setState(State::Paused);
        } else {
            setState(State::Flying);
            // The point held back comes at once; the next waits from now.
            nextPointDeadline_ = CounterNow();
            schedule(0);
        }
    }
    emit pausedChanged(paused);
}

void FlightController::abort()
{
    if (!job_)
        return;
    cancelRequested_ = true;
    job_->abort();
    finish();
}

void FlightController::setState(State state)
{
    if (state == state_)
        return;
    state_ = state;
    emit stateChanged(state);
}

void FlightController::schedule(std::int64_t delayTicks)
{
    using std::chrono::milliseconds;
    const auto ms = std::chrono::duration_cast<milliseconds>(Clock::duration(delayTicks));
    timer_->start(static_cast<int>(ms.count()));
}

void FlightController::deliver()
{
    if (!job_ || delivering_)
        return;
    delivering_ = true;
    struct Reset {
        bool& flag;
        ~Reset() { flag = false; }
    } reset{delivering_};

    const std::int64_t sliceEnd = CounterNow() + DeliverySlice;
    while (job_) {
        if (paused() && !cancelRequested_)
            return;  // setPaused(false) goes on
        Item* item = job_->front();
        if (item == nullptr) {
            // The worker computes the next step: microseconds as a rule.
            if (!job_->waitForItem(1ms)) {
                schedule(0);
                return;
            }
            continue;
        }
        if (auto* step = std::get_if<FlightStep>(item)) {
            const FlightStep shown = std::move(*step);
            job_->pop();
            emit stepReady(shown);
        } else if (auto* point = std::get_if<FlightPoint>(item)) {
            std::int64_t now = CounterNow();
            // A cancelled pause shows the rest of its step without waiting.
            if (!paused() && now < nextPointDeadline_) {
                if (nextPointDeadline_ - now > TimerThreshold) {
                    schedule(nextPointDeadline_ - now - TimerEarly);
                    return;
                }
                while (nextPointDeadline_ - now > SleepThreshold) {
                    std::this_thread::sleep_for(200us);
                    now = CounterNow();
                }
                while (now < nextPointDeadline_)
                    now = CounterNow();
            }
            const FlightPoint shown = std::move(*point);
            job_->pop();
            lastPointIndex_ = shown.Index;
            emit pointReady(shown);
            // The next deadline follows this one, so that a late wake-up on a busy machine
            // is not carried on to every later point; a point later than a whole interval
            // starts the schedule again from now.
            const std::int64_t interval = pointInterval_ ? pointInterval_() : 0;
            nextPointDeadline_ = now - nextPointDeadline_ < interval ? nextPointDeadline_ + interval
                                                                     : now + interval;
        } else if (std::holds_alternative<StepEnd>(*item)) {
            job_->pop();
            job_->answer(cancelRequested_);
        } else {
            finish();
            return;
        }
        if (job_ && CounterNow() >= sliceEnd) {
            schedule(0);  // events and repaints first
            return;
        }
    }
}

void FlightController::finish()
{
    timer_->stop();
    job_->join();
    const CsvLaunch launch = job_->launch();
    const Dop853Result result = job_->result();
    const std::exception_ptr failure = job_->failure();
    job_.reset();
    lastFlight_ = Ending{launch, jacobi0Text_, result, cancelRequested_, lastPointIndex_};
    const bool wasPaused = paused();
    emit flightEnded(result, cancelRequested_, launch);
    setState(State::Idle);
    if (wasPaused)
        emit pausedChanged(false);  // a flight that ended paused is paused no more
    if (failure)
        std::rethrow_exception(failure);
}

}  // namespace orrimar
