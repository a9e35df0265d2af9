#include "flight/flight_scan.h"

#include "model/earth_moon.h"

#include <algorithm>
#include <atomic>
#include <charconv>
#include <cmath>
#include <exception>
#include <mutex>
#include <stdexcept>
#include <thread>

namespace orrimar {

namespace {

// value rounded to `decimals` decimals and read back, so that its text flies it exactly.
double OnDecimalGrid(double value, int decimals)
{
    const std::string text = FixedText(value, decimals);
    double result = value;
    std::from_chars(text.data(), text.data() + text.size(), result);
    return result;
}

double MissKm(const FlightSummary& summary, double targetKm)
{
    return std::fabs(summary.MoonMinKm - targetKm);
}

}  // namespace

FlightSummary FlyLaunch(const LaunchValues& launch, const HeadlessViews& views,
                        const FlightSetup& setup)
{
    FlightSummary summary =
        FlySummary(LaunchState(launch.Altitude, launch.Velocity, launch.Angle), views, setup.Limit);
    if (summary.Integration.Code < 0 && setup.OnIntegratorFailure)
        setup.OnIntegratorFailure(summary.Integration);
    return summary;
}

std::vector<double> ScanValues(const ScanRange& range)
{
    // Each number as the shortest decimal that reads back as it: its decimals are those.
    for (const double v : {range.From, range.To, range.Step})
        if (!std::isfinite(v) || std::fabs(v) > MaxScanMagnitude)
            throw std::invalid_argument("values must lie within ±1000000");
    return ScanValues(ShortestText(range.From), ShortestText(range.To), ShortestText(range.Step));
}

LaunchValues WithParameter(LaunchValues base, ScanParameter parameter, double value)
{
    (parameter == ScanParameter::Angle ? base.Angle : base.Velocity) = value;
    return base;
}

double ParameterOf(const LaunchValues& launch, ScanParameter parameter)
{
    return parameter == ScanParameter::Angle ? launch.Angle : launch.Velocity;
}

void ParallelFlights(int count, int threads, const FlightSetup& setup,
                     const std::function<void(int index, const HeadlessViews& views)>& work)
{
    if (count <= 0)
        return;
    std::atomic<int> next{0};
    std::atomic<bool> failed{false};
    std::exception_ptr firstError;
    std::mutex errorMutex;
    // The frame turns of the output times are the same for every flight of the scan.
    const FrameTurnTable turns(FlightOutputInterval);
    // Each worker draws into views of its own: the frame registry is per thread.
    const auto worker = [&] {
        try {
            const HeadlessViews views(setup.ViewWidth, setup.ViewHeight, setup.FullView, &turns);
            for (int i = next++; i < count && !failed; i = next++)
                work(i, views);
        } catch (...) {
            const std::lock_guard lock(errorMutex);
            if (!firstError)
                firstError = std::current_exception();
            failed = true;
        }
    };
    const int used = std::clamp(threads, 1, count);
    if (used == 1) {
        worker();
    } else {
        // A system that cannot give every thread asked for (memory, process limits) gets
        // the work done by those it gave, or by this thread alone.
        std::vector<std::thread> pool;
        try {
            pool.reserve(static_cast<std::size_t>(used));
            for (int t = 0; t < used; ++t)
                pool.emplace_back(worker);
        } catch (const std::exception&) {
            if (pool.empty())
                worker();
        }
        for (std::thread& t : pool)
            t.join();
    }
    if (firstError)
        std::rethrow_exception(firstError);
}

std::vector<ScanRow> RunScan(LaunchValues base, ScanParameter parameter,
                             const std::vector<double>& values, const FlightSetup& setup,
                             int threads)
{
    std::vector<ScanRow> rows(values.size());
    ParallelFlights(static_cast<int>(values.size()), threads, setup,
                    [&](int i, const HeadlessViews& views) {
                        ScanRow& row = rows[static_cast<std::size_t>(i)];
                        row.Launch = WithParameter(base, parameter, values[static_cast<std::size_t>(i)]);
                        row.Summary = FlyLaunch(row.Launch, views, setup);
                    });
    return rows;
}

bool BelowTarget(const FlightSummary& summary, double targetKm)
{
    return summary.Outcome == FlightOutcome::CollisionMoon || summary.MoonMinKm < targetKm;
}

std::vector<TargetRow> FindTargets(const std::vector<ScanRow>& scan, ScanParameter parameter,
                                   double targetKm, const FlightSetup& setup, int threads)
{
    std::vector<std::size_t> pairs;  // index of the first row of each crossing pair
    for (std::size_t i = 0; i + 1 < scan.size(); ++i)
        if (BelowTarget(scan[i].Summary, targetKm) != BelowTarget(scan[i + 1].Summary, targetKm))
            pairs.push_back(i);

    std::vector<TargetRow> found(pairs.size());
    ParallelFlights(static_cast<int>(pairs.size()), threads, setup,
                    [&](int k, const HeadlessViews& views) {
                        ScanRow lo = scan[pairs[static_cast<std::size_t>(k)]];
                        ScanRow hi = scan[pairs[static_cast<std::size_t>(k)] + 1];
                        const bool loBelow = BelowTarget(lo.Summary, targetKm);
                        // Slack for the decimal grid: a bracket of 1e-6 may read as a hair more.
                        while (ParameterOf(hi.Launch, parameter) - ParameterOf(lo.Launch, parameter) >
                               TargetResolution * (1.0 + 1e-6)) {
                            const double a = ParameterOf(lo.Launch, parameter);
                            const double b = ParameterOf(hi.Launch, parameter);
                            const double mid = OnDecimalGrid(a + (b - a) / 2.0, TargetDecimals);
                            if (mid <= a || mid >= b)
                                break;
                            ScanRow row;
                            row.Launch = WithParameter(lo.Launch, parameter, mid);
                            row.Summary = FlyLaunch(row.Launch, views, setup);
                            (BelowTarget(row.Summary, targetKm) == loBelow ? lo : hi) = row;
                        }
                        const double loMiss = MissKm(lo.Summary, targetKm);
                        const double hiMiss = MissKm(hi.Summary, targetKm);
                        found[static_cast<std::size_t>(k)] =
                            loMiss <= hiMiss ? TargetRow{lo, loMiss} : TargetRow{hi, hiMiss};
                    });
    std::stable_sort(found.begin(), found.end(), [](const TargetRow& a, const TargetRow& b) {
        return a.MissKm < b.MissKm;
    });
    return found;
}

}  // namespace orrimar
