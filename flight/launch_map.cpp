#include "flight/launch_map.h"

#include <algorithm>
#include <charconv>
#include <condition_variable>
#include <mutex>
#include <map>
#include <system_error>

namespace orrimar {

namespace {

bool WholeNumber(std::string_view text, int& value)
{
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    return error == std::errc{} && end == text.data() + text.size();
}

}  // namespace

LaunchValues LaunchGrid::Cell(std::size_t index) const
{
    LaunchValues launch = Base;
    launch.Angle = Angles[index / Velocities.size()];
    launch.Velocity = Velocities[index % Velocities.size()];
    return launch;
}

std::optional<Shard> ParseShard(std::string_view text)
{
    const std::size_t slash = text.find('/');
    Shard shard;
    if (slash == std::string_view::npos || !WholeNumber(text.substr(0, slash), shard.K) ||
        !WholeNumber(text.substr(slash + 1), shard.N))
        return std::nullopt;
    if (shard.N < 1 || shard.N > MaxShardParts || shard.K < 1 || shard.K > shard.N)
        return std::nullopt;
    return shard;
}

void FlyLaunches(const std::vector<LaunchValues>& launches, const FlightSetup& setup, int threads,
                 const std::function<void(std::size_t index, const FlightSummary& summary)>& done,
                 const std::atomic<bool>* cancel)
{
    ParallelFlights(static_cast<int>(launches.size()), threads, setup,
                    [&](int i, const HeadlessViews& views) {
                        if (cancel && cancel->load(std::memory_order_relaxed))
                            return;
                        done(static_cast<std::size_t>(i),
                             FlyLaunch(launches[static_cast<std::size_t>(i)], views, setup));
                    });
}

void FlyLaunchesInOrder(std::size_t count, const std::function<LaunchValues(std::size_t index)>& launch,
                        const FlightSetup& setup, int threads,
                        const std::function<bool(std::size_t index, const ScanRow& row)>& ordered)
{
    if (count == 0)
        return;
    const auto used = std::clamp<std::size_t>(static_cast<std::size_t>(std::max(threads, 1)), 1, count);
    const std::size_t ahead = used * CellsAheadPerThread;
    std::map<std::size_t, ScanRow> waiting;  // rows done but not yet handed on
    std::size_t handed = 0;
    bool stopped = false;
    std::mutex mutex;
    std::condition_variable moved;
    const auto stop = [&] {
        {
            const std::lock_guard lock(mutex);
            stopped = true;
        }
        moved.notify_all();
    };
    ParallelFlights(static_cast<int>(count), threads, setup, [&](int i, const HeadlessViews& views) {
        const auto index = static_cast<std::size_t>(i);
        {
            std::unique_lock lock(mutex);
            // The thread with cell `handed` never waits here, so the wait always ends.
            moved.wait(lock, [&] { return stopped || index < handed + ahead; });
            if (stopped)
                return;
        }
        ScanRow row;
        try {
            row.Launch = launch(index);
            row.Summary = FlyLaunch(row.Launch, views, setup);
        } catch (...) {
            stop();
            throw;
        }
        std::unique_lock lock(mutex);
        waiting.emplace(index, std::move(row));
        bool any = false;
        for (auto next = waiting.begin(); !stopped && next != waiting.end() && next->first == handed;
             next = waiting.erase(next)) {
            bool more = false;
            try {
                more = ordered(handed, next->second);
            } catch (...) {
                lock.unlock();
                stop();
                throw;
            }
            ++handed;
            any = true;
            stopped = !more;
        }
        lock.unlock();
        if (any)
            moved.notify_all();
    });
}

}  // namespace orrimar
