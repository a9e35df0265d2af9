// orrimar-flight's command line: the options, their checking and the help text, all made
// from one table of options, so that the parser and the help cannot disagree.
#pragma once

#include "flight/flight_scan.h"
#include "flight/launch_map.h"

#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace orrimar {

// Scans and targeting stop a flight after this many days unless --max-days says
// otherwise: some launches circle for ever.
inline constexpr double DefaultScanMaxDays = 60.0;

struct FlightToolOptions {
    bool Help = false;
    bool Version = false;
    bool Lagrange = false;  // print the five Lagrange points instead of flying
    // The launch as field texts (a preset's, or the three arguments as typed) and as
    // the numbers they read as.
    std::string AltitudeText;
    std::string VelocityText;
    std::string AngleText;
    LaunchValues Launch;
    std::string PresetLabel;  // empty without --preset
    FlightSetup Setup;        // view size, "Full view", day limit (0: none)
    std::string CsvPath;      // empty: no CSV; "-": standard output
    bool Json = false;
    bool Scan = false;
    ScanParameter ScanOf = ScanParameter::Angle;
    std::vector<double> ScanValues;
    int Threads = 1;  // all cores unless --threads
    bool Map = false;  // --map-angle with --map-velocity: Grid holds the cells
    LaunchGrid Grid;
    std::optional<Shard> Part;  // --shard: only these cells of the scan or map
    bool Target = false;
    double TargetMoonKm = 0.0;
    // Burns after launch, single flights only, and the --burn values as typed.
    std::vector<FlightBurn> Burns;
    std::vector<std::string> BurnTexts;
};

// A bad command line; what() names the argument: "--view: 'x' is not …".
class ToolArgumentError : public std::invalid_argument {
public:
    using std::invalid_argument::invalid_argument;
};

// args without the program's name. Throws ToolArgumentError.
FlightToolOptions ParseFlightToolOptions(const std::vector<std::string>& args);

// The whole --help text; its option list is made from the option table.
std::string FlightToolHelp();

// Every option the parser knows, long and short names, in the help's order.
std::vector<std::string> FlightToolOptionNames();

}  // namespace orrimar
