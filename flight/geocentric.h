// The flight as it is drawn: the craft and the Moon in non-rotating axes centred on the
// Earth, turned from the rotating frame of the equations of motion.
#pragma once

#include "model/earth_moon.h"
#include "plot/world_point.h"

#include <array>
#include <atomic>
#include <mutex>

namespace orrimar {

// The craft and the Moon at time t relative to the Earth's centre, in distance units.
// Velocity is only rotated: its length is the speed relative to the rotating frame.
struct GeocentricPicture {
    WorldPoint Craft;
    WorldPoint Velocity;
    WorldPoint Moon;
};
GeocentricPicture RotatingToGeocentric(double t, const EarthMoonState& y);

// What the turn at time t is without the craft: the extended-precision sine and cosine of
// the frame's angle, the turned Earth (barycentric) and the Moon as drawn.
struct FrameTurn {
    long double S = 0.0L;
    long double C = 1.0L;
    WorldPoint Earth;
    WorldPoint Moon;
};
FrameTurn FrameTurnAt(double t);
// Bit for bit RotatingToGeocentric(t, y) for turn = FrameTurnAt(t).
GeocentricPicture RotatingToGeocentric(const FrameTurn& turn, const EarthMoonState& y);

// FrameTurnAt(k·dt) for k = 0, 1, …, each computed once, on first use, and then shared
// read-only by every flight on every thread: the output times of all flights are the same
// multiples of dt, and the sine and cosine are most of a headless point's cost.
class FrameTurnTable {
public:
    explicit FrameTurnTable(double dt) : dt_(dt) {}
    ~FrameTurnTable();
    FrameTurnTable(const FrameTurnTable&) = delete;
    FrameTurnTable& operator=(const FrameTurnTable&) = delete;

    // FrameTurnAt(t): from the table when t is k·dt, otherwise computed into scratch.
    const FrameTurn& At(int k, double t, FrameTurn& scratch) const;

    static constexpr int ChunkSize = 256;
    static constexpr int MaxChunks = 1024;  // about 700 days of the flights' interval

private:
    struct Entry {
        FrameTurn Turn;
        double T = 0.0;
    };
    const Entry* Fill(int chunk) const;

    double dt_;
    mutable std::array<std::atomic<const Entry*>, MaxChunks> chunks_{};
    mutable std::mutex fillMutex_;
};

}  // namespace orrimar
