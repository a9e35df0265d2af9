// Launch maps flown as the map panel flies them: FlyLaunches on a worker thread of its own,
// its results queued under a lock and taken by another thread, which may cancel. Run under
// ThreadSanitizer too (ORRIMAR_TSAN), where a data race fails the test.
#include "flight/launch_map.h"

#include "flight/flight_summary.h"

#include <gtest/gtest.h>

#include <atomic>
#include <condition_variable>
#include <mutex>
#include <set>
#include <thread>
#include <utility>
#include <vector>

namespace orrimar {
namespace {

// Twelve launches around "Escape 58", a few days each.
std::vector<LaunchValues> Launches()
{
    std::vector<LaunchValues> launches;
    for (int a = 0; a < 4; ++a)
        for (int v = 0; v < 3; ++v)
            launches.push_back({100.17, 10.97 + 0.01 * v, 226.0 + 0.5 * a});
    return launches;
}

FlightSetup ShortFlights()
{
    FlightSetup setup;
    setup.Limit.MaxDays = 3.0;
    return setup;
}

std::string AloneLine(const LaunchValues& launch)
{
    const FlightSetup setup = ShortFlights();
    const HeadlessViews views(setup.ViewWidth, setup.ViewHeight, setup.FullView);
    return SummaryLine(FlyLaunch(launch, views, setup));
}

// The panel's shape: a worker thread runs FlyLaunches; the flying threads queue (index,
// line) under a lock; the test's thread takes them.
struct Queue {
    std::mutex Mutex;
    std::condition_variable Changed;
    std::vector<std::pair<std::size_t, std::string>> Results;
};

TEST(FlyLaunches, EveryLaunchOnceAndAsFlownAloneOnAnyThreadCount)
{
    const std::vector<LaunchValues> launches = Launches();
    for (const int threads : {1, 2, 3}) {
        Queue queue;
        std::thread worker([&] {
            FlyLaunches(launches, ShortFlights(), threads, [&](std::size_t i, const FlightSummary& summary) {
                const std::lock_guard lock(queue.Mutex);
                queue.Results.emplace_back(i, SummaryLine(summary));
            });
        });
        worker.join();
        ASSERT_EQ(queue.Results.size(), launches.size()) << threads;
        std::set<std::size_t> seen;
        for (const auto& [i, line] : queue.Results) {
            EXPECT_TRUE(seen.insert(i).second) << "launch " << i << " twice";
            EXPECT_EQ(line, AloneLine(launches[i])) << "launch " << i << " on " << threads;
        }
    }
}

// Once the cancel flag is set no flight starts: every flying thread ends at most the flight
// it had under way. The flying threads wait in done() until the flag is set, so the bound
// holds however the threads are scheduled.
TEST(FlyLaunches, CancelFromAnotherThreadStartsNoFurtherFlight)
{
    const std::vector<LaunchValues> launches = Launches();
    constexpr int Threads = 2;
    Queue queue;
    std::atomic<bool> cancel = false;
    std::thread worker([&] {
        FlyLaunches(
            launches, ShortFlights(), Threads,
            [&](std::size_t i, const FlightSummary& summary) {
                std::unique_lock lock(queue.Mutex);
                queue.Results.emplace_back(i, SummaryLine(summary));
                queue.Changed.notify_all();
                queue.Changed.wait(lock, [&] { return cancel.load(); });
            },
            &cancel);
    });
    {
        std::unique_lock lock(queue.Mutex);
        queue.Changed.wait(lock, [&] { return !queue.Results.empty(); });
        cancel = true;
        queue.Changed.notify_all();
    }
    worker.join();
    ASSERT_GE(queue.Results.size(), 1u);
    EXPECT_LE(queue.Results.size(), static_cast<std::size_t>(Threads));
    for (const auto& [i, line] : queue.Results)
        EXPECT_EQ(line, AloneLine(launches[i])) << "launch " << i;
}

}  // namespace
}  // namespace orrimar
