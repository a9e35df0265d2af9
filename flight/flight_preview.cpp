#include "flight/flight_preview.h"

#include "flight/flight_report.h"

#include <algorithm>
#include <limits>

namespace orrimar {

namespace {

PreviewPoint PointOf(const FlightPoint& point)
{
    return {point.State[1], point.State[3], point.T, point.Index, point.Burns};
}

// Keeps the trajectory, every stride-th point and the first after each burn, halving it
// when it outgrows the bound; the closest approaches; and stops at the horizon or when a
// newer request comes.
class PreviewDisplay : public FlightDisplay {
public:
    PreviewDisplay(const PreviewRequest& request, const std::atomic<std::uint64_t>& generation,
                   std::uint64_t ticket)
        : request_(request), generation_(generation), ticket_(ticket),
          maxPoints_(std::max<std::size_t>(request.MaxPoints, 16))
    {
        path_.reserve(maxPoints_ + 1);
    }

    FlightNeeds Needs() const override
    {
        FlightNeeds needs;
        needs.Texts = false;
        needs.Pixels = false;
        needs.Measures = false;
        return needs;  // every point, and the window's verdicts at output points
    }
    void ShowStep(const FlightStep& step) override { report_.AddStep(step); }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override
    {
        report_.AddPoint(point);
        if (request_.MaxDays > 0.0 &&
            static_cast<double>(point.T * DaysPerTimeUnit) >= request_.MaxDays)
            limitReached_ = true;
        const PreviewPoint p = PointOf(point);
        if (point.MoonDistance < moonMin_) {
            moonMin_ = point.MoonDistance;
            moonAt_ = p;
        }
        if (point.Index > 0 && point.EarthDistance < earthMin_) {
            earthMin_ = point.EarthDistance;
            earthAt_ = p;
        }
        const bool firstAfterBurn = point.Burns != lastBurns_;
        lastBurns_ = point.Burns;
        if (point.Index % stride_ == 0 || firstAfterBurn)
            Keep(p);
        last_ = p;
    }
    bool CancelRequested() const override
    {
        return limitReached_ || generation_.load(std::memory_order_relaxed) != ticket_;
    }

    PreviewResult Result(const FlightRun& run, const Dop853Result& integration)
    {
        PreviewResult result;
        if (generation_.load(std::memory_order_relaxed) != ticket_) {
            result.Cancelled = true;
            return result;
        }
        report_.Finish(integration, limitReached_);
        switch (report_.Ending()) {
        case FlightEnding::MoonCollision:
            result.Outcome = FlightOutcome::CollisionMoon;
            break;
        case FlightEnding::EarthCollision:
            result.Outcome = FlightOutcome::CollisionEarth;
            break;
        case FlightEnding::Escape:
            result.Outcome = FlightOutcome::Escape;
            break;
        case FlightEnding::Cancelled:
            result.Outcome = FlightOutcome::TimeLimit;
            break;
        default:
            result.Outcome = FlightOutcome::Integrator;
            break;
        }
        result.IntegratorCode = integration.Code;
        result.End = last_;
        if (path_.empty() || path_.back().Index != last_.Index)
            path_.push_back(last_);
        result.Path = std::move(path_);
        result.Moon = {report_.MoonMinKm(), moonAt_};
        result.Earth = {report_.EarthMinKm(), report_.Points() > 1 ? earthAt_ : PreviewPoint{}};
        result.Burns = run.BurnsDone();
        result.Points = report_.Points();
        return result;
    }

private:
    void Keep(const PreviewPoint& p)
    {
        path_.push_back(p);
        if (path_.size() <= maxPoints_)
            return;
        // Every other kept point goes (the launch and the first after each burn stay).
        stride_ *= 2;
        std::size_t kept = 0;
        int burns = 0;
        for (const PreviewPoint& q : path_) {
            if (q.Index % stride_ == 0 || q.Burns != burns)
                path_[kept++] = q;
            burns = q.Burns;
        }
        path_.resize(kept);
    }

    const PreviewRequest& request_;
    const std::atomic<std::uint64_t>& generation_;
    std::uint64_t ticket_;
    std::size_t maxPoints_;
    FlightReport report_;
    bool limitReached_ = false;
    std::vector<PreviewPoint> path_;
    int stride_ = 1;
    int lastBurns_ = 0;
    PreviewPoint last_;
    double moonMin_ = std::numeric_limits<double>::infinity();
    double earthMin_ = std::numeric_limits<double>::infinity();
    PreviewPoint moonAt_;
    PreviewPoint earthAt_;
};

}  // namespace

PreviewResult FlightPreview::Compute(const PreviewRequest& request)
{
    const std::uint64_t ticket = generation_.fetch_add(1, std::memory_order_relaxed) + 1;
    const HeadlessViews views(request.ViewWidth, request.ViewHeight, request.FullView, &turns_);
    PreviewDisplay display(request, generation_, ticket);
    FlightRun run(request.Launch, views.Get(), display);
    run.SetBurns(request.Burns);
    const Dop853Result integration = run.Fly();
    return display.Result(run, integration);
}

}  // namespace orrimar
