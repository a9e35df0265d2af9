// The preview's latency for a 30-day flight, as the Explorer asks for it while the launch
// is edited. BM_PreviewHeldArrow holds the angle's up arrow on "Swing by" braked at its
// perilune (the lunar orbit of the README, the costliest kind: 30 days of short steps near
// the Moon): each iteration is one step of the field and one whole preview, and the
// counters give the median and the worst of those latencies. BM_Preview30Days flies one
// launch again and again.
#include "fields/stepper.h"
#include "flight/flight_preview.h"
#include "flight/launch_presets.h"

#include <benchmark/benchmark.h>

#include <time.h>

#include <algorithm>
#include <chrono>
#include <string>
#include <vector>

namespace {

using namespace orrimar;

// This thread's processor time, ms: on a busy machine the wall clock's worst case is
// mostly other processes' time.
double ThreadCpuMs()
{
    timespec t{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return static_cast<double>(t.tv_sec) * 1e3 + static_cast<double>(t.tv_nsec) * 1e-6;
}

const LaunchPreset& SwingBy() { return LaunchPresets[2]; }

PreviewRequest Request(std::string_view angle, bool braked)
{
    PreviewRequest request;
    const LaunchPreset& p = SwingBy();
    request.Launch = LaunchFromTexts(p.Altitude, p.Velocity, angle);
    if (braked)
        request.Burns = {{FlightBurn::AtPerilune, 0.0, -0.5, 0.0}};
    request.MaxDays = 30.0;
    return request;
}

void BM_PreviewHeldArrow(benchmark::State& state)
{
    FlightPreview preview;
    std::string angle(SwingBy().Angle);
    std::vector<double> ms;
    std::vector<double> cpuMs;
    long points = 0;
    for (auto _ : state) {
        const StepResult step = StepFieldText(LaunchField::Angle, angle, StepDirection::Up);
        angle = step.Outcome == StepOutcome::Stepped ? step.Text : std::string(SwingBy().Angle);
        const auto start = std::chrono::steady_clock::now();
        const double cpuStart = ThreadCpuMs();
        const PreviewResult result = preview.Compute(Request(angle, state.range(0) != 0));
        ms.push_back(std::chrono::duration<double, std::milli>(
                         std::chrono::steady_clock::now() - start)
                         .count());
        cpuMs.push_back(ThreadCpuMs() - cpuStart);
        points += result.Points;
        benchmark::DoNotOptimize(result.Path.data());
    }
    std::sort(ms.begin(), ms.end());
    std::sort(cpuMs.begin(), cpuMs.end());
    state.counters["median_ms"] = ms[ms.size() / 2];
    state.counters["worst_ms"] = ms.back();
    state.counters["median_cpu_ms"] = cpuMs[cpuMs.size() / 2];
    state.counters["worst_cpu_ms"] = cpuMs.back();
    state.counters["points"] = static_cast<double>(points) / static_cast<double>(ms.size());
}
BENCHMARK(BM_PreviewHeldArrow)->Arg(1)->Arg(0)->Iterations(200)->Unit(benchmark::kMillisecond);

void BM_Preview30Days(benchmark::State& state)
{
    FlightPreview preview;
    const PreviewRequest request = Request(SwingBy().Angle, state.range(0) != 0);
    for (auto _ : state)
        benchmark::DoNotOptimize(preview.Compute(request).Path.data());
}
BENCHMARK(BM_Preview30Days)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
