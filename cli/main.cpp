// orrimar-flight: flies launches without a window and prints what they reach.
#include "cli/flight_tool.h"
#include "cli/output_file.h"

#include <csignal>
#include <cstdlib>
#include <iostream>
#include <string>
#include <thread>
#include <vector>

#include <pthread.h>

int main(int argc, char** argv)
{
    std::ios::sync_with_stdio(false);
    // SIGINT, SIGTERM and SIGHUP go to one watcher thread instead of a handler: it removes
    // the temporary files under way and ends the process with 128 + the signal. Blocked
    // here, before any other thread starts, so that every later thread inherits the mask.
    // The list is never destroyed: the watcher may still use it while the process exits.
    auto& partials = *new orrimar::PartialFiles;
    sigset_t signals;
    sigemptyset(&signals);
    for (const int signal : {SIGINT, SIGTERM, SIGHUP})
        sigaddset(&signals, signal);
    if (pthread_sigmask(SIG_BLOCK, &signals, nullptr) == 0) {
        try {
            std::thread([&partials, signals] {
                int signal = 0;
                if (sigwait(&signals, &signal) == 0) {
                    partials.RemoveAll();
                    std::_Exit(128 + signal);
                }
            }).detach();
        } catch (const std::system_error&) {
            // No thread for the watcher: the signals keep their usual effect.
            pthread_sigmask(SIG_UNBLOCK, &signals, nullptr);
        }
    }
    const std::vector<std::string> args(argv + (argc > 0 ? 1 : 0), argv + argc);
    return orrimar::RunFlightTool(args, std::cout, std::cerr, &partials);
}
