// Computes the preview of a planned launch off the window's thread: each request replaces
// the ones under way, and only the newest one's result is delivered, on the window's
// thread.
#pragma once

#include "flight/flight_preview.h"

#include <QObject>
#include <QThreadPool>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace orrimar {

class PreviewRunner : public QObject {
    Q_OBJECT

public:
    explicit PreviewRunner(QObject* parent = nullptr);
    // Cancels what is under way and waits for it.
    ~PreviewRunner() override;

    void request(PreviewRequest request);
    // No preview: what is under way is dropped and ready(nullptr) follows.
    void clear();
    bool busy() const { return delivered_ != asked_; }
    // Milliseconds from each delivered request to its result, for measuring.
    const std::vector<double>& latencies() const { return latencies_; }

signals:
    // The newest request's result; nullptr when cleared.
    void ready(std::shared_ptr<const orrimar::PreviewResult> result);

private:
    using Clock = std::chrono::steady_clock;

    std::shared_ptr<FlightPreview> engine_ = std::make_shared<FlightPreview>();
    QThreadPool pool_;
    std::atomic<std::uint64_t> asked_{0};  // read by the jobs: a stale one never starts
    std::uint64_t delivered_ = 0;
    std::vector<double> latencies_;
};

}  // namespace orrimar
