// The flight tool's costs: a 1000-value angle scan on one thread and on all cores
// (flights per second and the speed-up), and whole preset flights computed headless
// (time per output point).
#include "flight/flight_scan.h"
#include "flight/launch_presets.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <thread>

namespace {

using namespace orrimar;

// Seconds per scan on one thread, kept for the speed-up of the runs that follow it.
double oneThreadSeconds = 0.0;

// "Collision" (100 km, 11.0085 km/s) with the angle from 220.00° to 229.99° in steps of
// 0.01° (1000 flights: escapes, Moon and Earth collisions), each stopped after 60 days
// as scans are.
void BM_AngleScan1000(benchmark::State& state)
{
    const int threads = static_cast<int>(state.range(0));
    const std::vector<double> angles = ScanValues({220.0, 229.99, 0.01});
    FlightSetup setup;
    setup.Limit.MaxDays = 60.0;
    double seconds = 0.0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        benchmark::DoNotOptimize(
            RunScan({100.0, 11.0085, 0.0}, ScanParameter::Angle, angles, setup, threads));
        seconds += std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    }
    const double perScan = seconds / static_cast<double>(state.iterations());
    if (threads == 1)
        oneThreadSeconds = perScan;
    state.counters["flights_per_s"] = benchmark::Counter(
        static_cast<double>(angles.size()), benchmark::Counter::kIsIterationInvariantRate);
    state.counters["threads"] = threads;
    if (oneThreadSeconds > 0.0)
        state.counters["speedup"] = oneThreadSeconds / perScan;
}
BENCHMARK(BM_AngleScan1000)
    ->Arg(1)
    ->Arg(std::max(1, static_cast<int>(std::thread::hardware_concurrency())))
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime()
    ->Iterations(1);

// One whole preset flight, no limit, as the tool flies it.
void BM_PresetFlight(benchmark::State& state)
{
    const LaunchPreset& preset = LaunchPresets[static_cast<std::size_t>(state.range(0))];
    const HeadlessViews views(DefaultViewWidth, DefaultViewHeight, true);
    const EarthMoonState launch = LaunchFromTexts(preset.Altitude, preset.Velocity, preset.Angle);
    int points = 0;
    for (auto _ : state) {
        const FlightSummary summary = FlySummary(launch, views);
        points = summary.Points;
        benchmark::DoNotOptimize(summary.MoonMinKm);
    }
    state.SetLabel(std::string(preset.Label));
    state.counters["points"] = points;
    state.counters["time_per_point"] = benchmark::Counter(
        points, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}
BENCHMARK(BM_PresetFlight)->DenseRange(0, 4)->Unit(benchmark::kMillisecond);

}  // namespace
