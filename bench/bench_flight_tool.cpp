// The flight tool's costs: a 1,001-value angle scan on one thread and on two (flights
// and points per second, the speed-up), and whole flights computed headless, the
// presets and the default launch (time per output point, points per second).
#include "flight/flight_scan.h"
#include "flight/launch_presets.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using namespace orrimar;

// Seconds per scan on one thread, kept for the speed-up of the run on two that follows it.
double oneThreadSeconds = 0.0;

// "Collision" (100 km, 11.0085 km/s) with the angle from 200° to 260° in steps of 0.06°
// (1,001 flights: escapes, Moon and Earth collisions, time limits), each stopped after 60
// days as the tool's scans are: flights and output points per second on 1 and 2 threads.
// Instructions are counted outside, with callgrind on the tool itself.
void BM_AngleScan1001(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    const std::vector<double> angles = ScanValues({200.0, 260.0, 0.06});
    FlightSetup setup;
    setup.Limit.MaxDays = 60.0;
    double seconds = 0.0;
    long points = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        const std::vector<ScanRow> rows =
            RunScan({100.0, 11.0085, 0.0}, ScanParameter::Angle, angles, setup, threads);
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
        points = 0;
        for (const ScanRow& row : rows)
            points += row.Summary.Points;
    }
    const double perScan = seconds / static_cast<double>(state.iterations());
    if (threads == 1)
        oneThreadSeconds = perScan;
    state.counters["flights_per_s"] = benchmark::Counter(
        static_cast<double>(angles.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["points_per_s"] = benchmark::Counter(
        static_cast<double>(points), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["threads"] = threads;
    if (oneThreadSeconds > 0.0)
        state.counters["speedup"] = oneThreadSeconds / perScan;
}
BENCHMARK(BM_AngleScan1001)
    ->Arg(1)
    ->Arg(2)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(3);

// One whole flight, no limit, as the tool flies it: the presets, then the default launch.
void BM_Flight(benchmark::State& state)
{
    const auto index = static_cast<std::size_t>(state.range(0));
    const bool preset = index < LaunchPresets.size();
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    const EarthMoonState launch =
        preset ? LaunchFromTexts(LaunchPresets[index].Altitude, LaunchPresets[index].Velocity,
                                 LaunchPresets[index].Angle)
               : LaunchState(100.17, 10.98, 226.5);
    int points = 0;
    for (auto _ : state) {
        const FlightSummary summary = FlySummary(launch, views);
        points = summary.Points;
        benchmark::DoNotOptimize(summary.MoonMinKm);
    }
    state.SetLabel(preset ? std::string(LaunchPresets[index].Label) : "default launch");
    state.counters["points"] = points;
    state.counters["points_per_s"] =
        benchmark::Counter(points, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["time_per_point"] = benchmark::Counter(
        points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_Flight)
    ->DenseRange(0, static_cast<int>(LaunchPresets.size()))
    ->Unit(benchmark::kMillisecond);

}  // namespace
