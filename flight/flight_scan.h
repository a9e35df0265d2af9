// Many launches at once: a scan over the launch velocity or angle spread over threads,
// and the search for launches whose closest approach to the Moon crosses a given height.
#pragma once

#include "flight/flight_summary.h"
#include "flight/scan_range.h"

#include <functional>
#include <string>
#include <vector>

namespace orrimar {

// The three launch parameters as numbers: km, km/s, degrees.
struct LaunchValues {
    double Altitude = 0.0;
    double Velocity = 0.0;
    double Angle = 0.0;
};

enum class ScanParameter { Velocity, Angle };

// What every flight of a scan shares.
struct FlightSetup {
    int ViewWidth = DefaultViewWidth;
    int ViewHeight = DefaultViewHeight;
    bool FullView = true;
    FlightLimit Limit;
    // Told of every flight whose integration failed, the targeting's bisection flights
    // included, on the thread that flew it (so it must be safe to call from several).
    std::function<void(const Dop853Result& failure)> OnIntegratorFailure;
};

struct ScanRow {
    LaunchValues Launch;
    FlightSummary Summary;
};

// The values FROM, FROM+STEP, … up to TO, each exactly the decimal it stands for
// (FROM + i·STEP computed on a decimal grid, then read as a double), so that a printed
// value typed in again flies the same flight.
struct ScanRange {
    double From = 0.0;
    double To = 0.0;
    double Step = 0.0;
};
// Throws std::invalid_argument (a message without the option's name) for a range that
// is empty or reversed, a step that is not positive, values beyond ±MaxScanMagnitude or
// more than MaxScanValues values.
std::vector<double> ScanValues(const ScanRange& range);

// base with the scanned parameter set to value.
LaunchValues WithParameter(LaunchValues base, ScanParameter parameter, double value);
double ParameterOf(const LaunchValues& launch, ScanParameter parameter);

// Runs work(i, views) for i = 0 … count-1 on `threads` threads (at least one), each with
// its own HeadlessViews made from setup. The first exception thrown is rethrown.
void ParallelFlights(int count, int threads, const FlightSetup& setup,
                     const std::function<void(int index, const HeadlessViews& views)>& work);

// One launch flown with the setup's day limit in the given views; an integrator failure
// is told to setup.OnIntegratorFailure.
FlightSummary FlyLaunch(const LaunchValues& launch, const HeadlessViews& views,
                        const FlightSetup& setup);

// One flight per value, rows in the order of values whatever the thread count.
std::vector<ScanRow> RunScan(LaunchValues base, ScanParameter parameter,
                             const std::vector<double>& values, const FlightSetup& setup,
                             int threads);

// Below the target: the flight hit the Moon or passed closer than targetKm.
bool BelowTarget(const FlightSummary& summary, double targetKm);

inline constexpr double TargetResolution = 1e-6;  // of the scanned unit
inline constexpr int TargetDecimals = 9;          // grid of the refined values

struct TargetRow {
    ScanRow Row;
    double MissKm = 0.0;  // |closest approach - target|, km
};

// For each neighbouring pair of rows (in scan order) on different sides of targetKm,
// bisects the scanned parameter until the bracket is at most TargetResolution wide and
// keeps the end nearer the target. Pairs are refined in parallel. Best (smallest
// MissKm) first; ties keep the scan order.
std::vector<TargetRow> FindTargets(const std::vector<ScanRow>& scan, ScanParameter parameter,
                                   double targetKm, const FlightSetup& setup, int threads);

}  // namespace orrimar
