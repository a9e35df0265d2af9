#include "flight/launch_map.h"

#include <charconv>
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

}  // namespace orrimar
