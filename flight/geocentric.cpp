#include "flight/geocentric.h"

#include "model/earth_moon.h"

#include <cmath>

namespace orrimar {

namespace {

WorldPoint Rotate(long double s, long double c, long double p, long double q)
{
    return WorldPoint{static_cast<double>(c * p - s * q), static_cast<double>(s * p + c * q)};
}

}  // namespace

FrameTurn FrameTurnAt(double t)
{
    const long double alpha = FrameRate * t;
    FrameTurn turn;
    turn.S = std::sin(alpha);
    turn.C = std::cos(alpha);
    turn.Earth = Rotate(turn.S, turn.C, -Mu, 0.0L);
    const WorldPoint moon = Rotate(turn.S, turn.C, OneMinusMu, 0.0L);
    turn.Moon = WorldPoint{moon.X - turn.Earth.X, moon.Y - turn.Earth.Y};
    return turn;
}

GeocentricPicture RotatingToGeocentric(const FrameTurn& turn, const EarthMoonState& y)
{
    const WorldPoint craft = Rotate(turn.S, turn.C, y[1], y[3]);
    const WorldPoint velocity = Rotate(turn.S, turn.C, y[2], y[4]);
    return GeocentricPicture{
        WorldPoint{craft.X - turn.Earth.X, craft.Y - turn.Earth.Y},
        velocity,
        turn.Moon,
    };
}

GeocentricPicture RotatingToGeocentric(double t, const EarthMoonState& y)
{
    return RotatingToGeocentric(FrameTurnAt(t), y);
}

FrameTurnTable::~FrameTurnTable()
{
    for (std::atomic<const Entry*>& chunk : chunks_)
        delete[] chunk.load();
}

const FrameTurn& FrameTurnTable::At(int k, double t, FrameTurn& scratch) const
{
    if (k < 0 || k >= ChunkSize * MaxChunks)
        return scratch = FrameTurnAt(t);
    const int chunk = k / ChunkSize;
    const Entry* entries = chunks_[static_cast<std::size_t>(chunk)].load(std::memory_order_acquire);
    if (entries == nullptr)
        entries = Fill(chunk);
    const Entry& entry = entries[k % ChunkSize];
    return entry.T == t ? entry.Turn : (scratch = FrameTurnAt(t));
}

const FrameTurnTable::Entry* FrameTurnTable::Fill(int chunk) const
{
    const std::lock_guard lock(fillMutex_);
    std::atomic<const Entry*>& slot = chunks_[static_cast<std::size_t>(chunk)];
    if (const Entry* done = slot.load(std::memory_order_acquire))
        return done;  // another thread filled it meanwhile
    auto* entries = new Entry[ChunkSize];
    for (int i = 0; i < ChunkSize; ++i) {
        entries[i].T = static_cast<double>(chunk * ChunkSize + i) * dt_;
        entries[i].Turn = FrameTurnAt(entries[i].T);
    }
    slot.store(entries, std::memory_order_release);
    return entries;
}

}  // namespace orrimar
