// Launch maps: every launch of a region of launch angle × launch velocity flown headless,
// each cell a whole flight; and shards, which split a scan or a map between machines.
#pragma once

#include "flight/flight_scan.h"

#include <atomic>
#include <cstddef>
#include <functional>
#include <optional>
#include <string_view>
#include <vector>

namespace orrimar {

// Angles (degrees) × velocities (km/s) at the base's altitude. Cells are ordered by angle,
// then velocity: cell i has angle i / |Velocities| and velocity i mod |Velocities|.
struct LaunchGrid {
    LaunchValues Base;
    std::vector<double> Angles;
    std::vector<double> Velocities;

    std::size_t CellCount() const { return Angles.size() * Velocities.size(); }
    LaunchValues Cell(std::size_t index) const;
};

// Part K of N of a scan or map: the cells whose index i has i mod N = K − 1, in order. The
// N parts together are exactly the whole.
struct Shard {
    int K = 1;
    int N = 1;
    bool Holds(std::size_t index) const { return index % static_cast<std::size_t>(N) == static_cast<std::size_t>(K - 1); }
};

inline constexpr int MaxShardParts = 1000000;

// "K/N" with 1 ≤ K ≤ N ≤ MaxShardParts; none for anything else ("0/3", "4/3", "x/3").
std::optional<Shard> ParseShard(std::string_view text);

// Flies every launch with the setup's view and day limit on `threads` threads; done(i,
// summary) is called on the flying thread as each flight ends (so it must be safe to call
// from several). Once *cancel is set no further flight starts; the call returns when the
// flights under way have ended.
void FlyLaunches(const std::vector<LaunchValues>& launches, const FlightSetup& setup, int threads,
                 const std::function<void(std::size_t index, const FlightSummary& summary)>& done,
                 const std::atomic<bool>* cancel = nullptr);

// Flies launch(i) for i = 0 … count−1 on `threads` threads and hands each row to
// ordered(i, row) in index order, one call at a time, as soon as it and every row before it
// are done; a flight starts only within CellsAheadPerThread × threads cells of the first
// one not yet handed on, so memory stays bounded by the flights under way, not by count.
// Once ordered returns false no further flight starts; the call returns when the flights
// under way have ended. The first exception (from a flight or from ordered) is rethrown.
inline constexpr std::size_t CellsAheadPerThread = 64;
void FlyLaunchesInOrder(std::size_t count, const std::function<LaunchValues(std::size_t index)>& launch,
                        const FlightSetup& setup, int threads,
                        const std::function<bool(std::size_t index, const ScanRow& row)>& ordered);

}  // namespace orrimar
