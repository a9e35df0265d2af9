#include "ui/preview_runner.h"

#include <QMetaObject>

#include <utility>

namespace orrimar {

PreviewRunner::PreviewRunner(QObject* parent) : QObject(parent)
{
    // Two at most: the one being replaced still runs to its next step while the newest
    // starts.
    pool_.setMaxThreadCount(2);
}

PreviewRunner::~PreviewRunner()
{
    ++asked_;  // the queued ones never start
    engine_->Cancel();
    pool_.waitForDone();
}

void PreviewRunner::request(PreviewRequest request)
{
    const std::uint64_t nr = ++asked_;
    const Clock::time_point asked = Clock::now();
    std::shared_ptr<FlightPreview> engine = engine_;
    pool_.start([this, engine, nr, asked, request = std::move(request)] {
        if (nr != asked_.load())
            return;
        auto result = std::make_shared<PreviewResult>(engine->Compute(request));
        if (result->Cancelled)
            return;
        QMetaObject::invokeMethod(
            this,
            [this, nr, asked, result = std::move(result)]() mutable {
                if (nr != asked_)
                    return;  // a newer one is on its way
                delivered_ = nr;
                latencies_.push_back(
                    std::chrono::duration<double, std::milli>(Clock::now() - asked).count());
                emit ready(std::move(result));
            },
            Qt::QueuedConnection);
    });
}

void PreviewRunner::clear()
{
    engine_->Cancel();
    delivered_ = ++asked_;
    emit ready(nullptr);
}

}  // namespace orrimar
