// The cost of one DOP853 step on the Earth–Moon problem: the default flight
// (100.17 km, 10.98 km/s, 226.5°) from t = 0 to 10 with dense output, as the
// window integrates it (tolerance 1e-8, first step π/100000), no output points.
// Once through the std::function interface and once with the callables called
// directly, as the flights do. A fixed number of iterations, so that an instruction
// count under callgrind divides exactly: Ir of the benchmark function / (Iterations ×
// accepted_steps).
#include "integrator/dop853.h"
#include "integrator/dop853_impl.h"
#include "model/earth_moon.h"

#include <benchmark/benchmark.h>

#include <algorithm>

namespace {

using namespace orrimar;

// The default launch integrated from t = 0 to 10 (tolerance 1e-8, dense output on, no
// output points): through the std::function interface, or calling the callables directly.
template <bool Direct>
void DefaultFlightTenTimeUnits(benchmark::State& state)
{
    long steps = 0;
    long evaluations = 0;
    const auto rhs = [&evaluations](int, double, const Vector& y, Vector& f) {
        ++evaluations;
        EarthMoonRhsUnchecked(y.Data(), f.Data());  // as the flights call it
    };
    const auto out = [&steps](int nr, double, double, const Vector&, int, const DenseOutput&,
                              bool&) {
        if (nr > 0)
            ++steps;
    };
    const RightHandSide wrappedRhs = rhs;
    const SolutionOutput wrappedOut = out;
    for (auto _ : state) {
        const EarthMoonState launch = LaunchState(100.17, 10.98, 226.5);
        Vector y(static_cast<int>(launch.size()));
        std::copy(launch.begin(), launch.end(), y.Span().begin());
        double t = 0.0;
        double h = 3.1415926535897935e-05;
        double hMax = 0.0;
        if constexpr (Direct)
            benchmark::DoNotOptimize(Dop853With(4, rhs, t, y, 10.0, h, hMax, 1e-8, 1e-8, out, 2));
        else
            benchmark::DoNotOptimize(
                Dop853(4, wrappedRhs, t, y, 10.0, h, hMax, 1e-8, 1e-8, wrappedOut, 2));
        benchmark::DoNotOptimize(y.Data());
    }
    state.counters["accepted_steps"] = benchmark::Counter(
        static_cast<double>(steps), benchmark::Counter::kAvgIterations);
    state.counters["rhs_per_step"] =
        benchmark::Counter(static_cast<double>(evaluations) / static_cast<double>(steps));
    state.counters["time_per_step"] = benchmark::Counter(
        static_cast<double>(steps), benchmark::Counter::kIsRate | benchmark::Counter::kInvert);
}

void BM_DefaultFlightTenTimeUnits(benchmark::State& state)
{
    DefaultFlightTenTimeUnits<false>(state);
}
BENCHMARK(BM_DefaultFlightTenTimeUnits)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_DefaultFlightTenTimeUnitsDirect(benchmark::State& state)
{
    DefaultFlightTenTimeUnits<true>(state);
}
BENCHMARK(BM_DefaultFlightTenTimeUnitsDirect)->Unit(benchmark::kMicrosecond)->Iterations(200);

void BM_EarthMoonRhs(benchmark::State& state)
{
    const EarthMoonState y = LaunchState(100.17, 10.98, 226.5);
    EarthMoonState f{};
    for (auto _ : state) {
        EarthMoonRhs(4, 0.0, y, f);
        benchmark::DoNotOptimize(f.data());
        benchmark::ClobberMemory();
    }
}
BENCHMARK(BM_EarthMoonRhs);

}  // namespace
