// The launch map's cost: the panel's default map of 160 × 100 cells around "Escape 58"
// (100.17 km, 226.5° ± 2°, 10.98 ± 0.02 km/s), every flight stopped after 30 days, flown
// on two threads as the panel flies it. One iteration: the whole map, wall-clock seconds.
#include "flight/launch_map_cells.h"

#include <benchmark/benchmark.h>

#include <array>
#include <atomic>

namespace {

using namespace orrimar;

void BM_LaunchMap16000(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    const MapRegion region = RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 160, 100, 30.0);
    const LaunchGrid grid = MapGrid(region);
    std::vector<LaunchValues> launches;
    for (std::size_t i = 0; i < grid.CellCount(); ++i)
        launches.push_back(grid.Cell(i));
    FlightSetup setup;
    setup.Limit.MaxDays = region.MaxDays;
    // Cells per class, to see that the map is the interesting one.
    std::array<std::atomic<long>, 5> classes{};
    for (auto _ : state) {
        for (auto& count : classes)
            count = 0;
        FlyLaunches(launches, setup, threads, [&](std::size_t, const FlightSummary& summary) {
            ++classes[static_cast<std::size_t>(MapCellShade(summary).Class)];
        });
    }
    state.counters["cells_per_s"] = benchmark::Counter(static_cast<double>(launches.size()),
                                                       benchmark::Counter::kIsIterationInvariantRate);
    state.counters["moon"] = static_cast<double>(classes[0]);
    state.counters["earth"] = static_cast<double>(classes[1]);
    state.counters["time_limit"] = static_cast<double>(classes[2]);
    state.counters["escape"] = static_cast<double>(classes[3]);
    state.counters["integrator"] = static_cast<double>(classes[4]);
}
BENCHMARK(BM_LaunchMap16000)->Arg(2)->Iterations(1)->UseRealTime()->Unit(benchmark::kSecond);

}  // namespace
