#include "cli/flight_tool_options.h"

#include "flight/flight_summary.h"
#include "flight/launch_presets.h"
#include "flight/scan_range.h"
#include "formats/decimal_text.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <charconv>
#include <cmath>
#include <span>
#include <string_view>
#include <thread>

namespace orrimar {

namespace {

constexpr int MaxViewPixels = 100000;
constexpr int MaxThreads = 4096;

[[noreturn]] void Fail(const std::string& argument, const std::string& problem)
{
    throw ToolArgumentError(argument + ": " + problem);
}

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

double Number(const std::string& argument, const std::string& text)
{
    double value = 0.0;
    if (!TryStrToFloat(text, value) || !std::isfinite(value))
        Fail(argument, Quoted(text) + " is not a number");
    return value;
}

// A preset name compared without case, blanks, "-" or "_": "swing by", "SwingBy".
std::string PresetKey(std::string_view name)
{
    std::string key;
    for (const char c : name)
        if (c != ' ' && c != '-' && c != '_' && c != '\t')
            key += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return key;
}

const LaunchPreset& FindPreset(const std::string& name)
{
    for (const LaunchPreset& preset : LaunchPresets)
        if (PresetKey(preset.Label) == PresetKey(name))
            return preset;
    std::string known;
    for (const LaunchPreset& preset : LaunchPresets)
        known += (known.empty() ? "" : ", ") + std::string(preset.Label);
    Fail("--preset", "unknown preset " + Quoted(name) + " (one of: " + known + ")");
}

int WholeNumber(std::string_view text, int lowest, int highest, bool& ok)
{
    int value = 0;
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    ok = error == std::errc{} && end == text.data() + text.size() && value >= lowest &&
         value <= highest;
    return value;
}

bool StartsWithWord(std::string_view text, std::string_view word)
{
    if (text.size() < word.size())
        return false;
    for (std::size_t i = 0; i < word.size(); ++i)
        if (std::tolower(static_cast<unsigned char>(text[i])) != word[i])
            return false;
    return true;
}

// "-x" and "--x" are options; "-5", "-.5", "-inf", "-nan" and "-e9" are (bad) numbers in a
// number's place, so that they are named as such.
bool LooksLikeOption(const std::string& arg)
{
    if (arg.size() < 2 || arg[0] != '-')
        return false;
    const std::string_view rest = std::string_view(arg).substr(1);
    const char second = rest[0];
    if (std::isdigit(static_cast<unsigned char>(second)) || second == '.')
        return false;
    if (StartsWithWord(rest, "inf") || StartsWithWord(rest, "nan"))
        return false;
    return !((second == 'e' || second == 'E') && rest.size() > 1 &&
             (std::isdigit(static_cast<unsigned char>(rest[1])) || rest[1] == '+' || rest[1] == '-'));
}

// FROM TO STEP as typed: each checked to be a number at once (so that the message names
// the value), turned into the range's values once the whole line is read.
struct RangeTexts {
    std::string From;
    std::string To;
    std::string Step;
};

RangeTexts ReadRange(const std::string& option, std::span<const std::string> values)
{
    static constexpr std::array<const char*, 3> Parts = {" FROM", " TO", " STEP"};
    for (std::size_t k = 0; k < Parts.size(); ++k)
        Number(option + Parts[k], values[k]);
    return {values[0], values[1], values[2]};
}

std::vector<double> RangeValues(const std::string& option, const RangeTexts& range)
{
    try {
        return ScanValues(range.From, range.To, range.Step);
    } catch (const std::invalid_argument& e) {
        Fail(option, e.what());
    }
}

// What the options have said so far; checked as a whole once the line is read.
struct ParseState {
    FlightToolOptions Options;
    std::vector<std::string> Positional;
    std::string PresetName;
    bool HasPreset = false;
    bool MaxDaysGiven = false;
    std::string ScanOption;  // "--scan-angle" or "--scan-velocity" once given
    RangeTexts Scan;
    std::array<std::optional<RangeTexts>, 2> Map;  // angle, velocity
};

// Sets what the option says; values holds its arity's values.
using ApplyOption = void (*)(ParseState& state, const std::string& option,
                             std::span<const std::string> values);
// For options with three values: refuses the option before its values are looked at.
using AdmitOption = void (*)(const ParseState& state, const std::string& option);

// One row of the table: an option, or a help line without one (no name). The help shows
// "  SYNOPSIS" padded to Column, then the help lines (the first on the synopsis's line if
// it fits), under a heading when the row starts a group.
struct OptionRow {
    std::string_view Name = {};       // "--view"; empty for a help line only
    std::string_view ShortName = {};  // "-h", or empty
    int Arity = 0;                    // values after it: 0, 1, or 3 (FROM TO STEP)
    std::string_view ValueName = {};  // with one value: what "needs …" asks for
    ApplyOption Apply = nullptr;
    AdmitOption Admit = nullptr;
    std::string_view Heading = {};    // starts a group of the help
    std::string_view Synopsis = {};   // empty with Help empty: shown with the row before
    std::string_view Help = {};
    std::size_t Column = 28;
};

int MapAxisIndex(const std::string& option) { return option == "--map-angle" ? 0 : 1; }

void ApplyMaxDays(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    double& maxDays = state.Options.Setup.Limit.MaxDays;
    maxDays = Number(option, values[0]);
    if (!(maxDays > 0.0))
        Fail(option, Quoted(values[0]) + " is not a positive number of days");
    state.MaxDaysGiven = true;
}

void ApplyView(ParseState& state, const std::string&, std::span<const std::string> values)
{
    const std::string& text = values[0];
    FlightSetup& setup = state.Options.Setup;
    const std::size_t x = text.find_first_of("xX");
    bool okWidth = false;
    bool okHeight = false;
    if (x != std::string::npos) {
        const std::string_view all(text);
        setup.ViewWidth = WholeNumber(all.substr(0, x), 1, MaxViewPixels, okWidth);
        setup.ViewHeight = WholeNumber(all.substr(x + 1), 1, MaxViewPixels, okHeight);
    }
    if (!okWidth || !okHeight)
        Fail("--view", Quoted(text) + " is not a size WxH of 1 to 100000 pixels each");
}

void ApplyThreads(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    bool ok = false;
    state.Options.Threads = WholeNumber(values[0], 1, MaxThreads, ok);
    if (!ok)
        Fail(option, Quoted(values[0]) + " is not a thread count of 1 to 4096");
}

void ApplyTarget(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    state.Options.TargetMoonKm = Number(option, values[0]);
    if (state.Options.TargetMoonKm < 0.0)
        Fail(option, Quoted(values[0]) + " is below the Moon's surface");
    state.Options.Target = true;
}

void ApplyShard(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    state.Options.Part = ParseShard(values[0]);
    if (!state.Options.Part)
        Fail(option, Quoted(values[0]) + " is not a part K/N with 1 <= K <= N <= " +
                         std::to_string(MaxShardParts));
}

void ApplyBurn(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    FlightToolOptions& options = state.Options;
    try {
        options.Burns.push_back(ParseBurn(values[0]));
    } catch (const std::invalid_argument& e) {
        Fail(option, Quoted(values[0]) + ": " + e.what());
    }
    options.BurnTexts.push_back(values[0]);
    if (options.Burns.size() > static_cast<std::size_t>(MaxFlightBurns))
        Fail(option, "more than " + std::to_string(MaxFlightBurns) + " burns");
}

void AdmitMap(const ParseState& state, const std::string& option)
{
    if (state.Map[static_cast<std::size_t>(MapAxisIndex(option))])
        Fail(option, "given twice");
}

void ApplyMap(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    state.Map[static_cast<std::size_t>(MapAxisIndex(option))] = ReadRange(option, values);
}

void AdmitScan(const ParseState& state, const std::string& option)
{
    if (!state.ScanOption.empty())
        Fail(option, "one scan at a time (" + state.ScanOption + " given already)");
}

void ApplyScan(ParseState& state, const std::string& option, std::span<const std::string> values)
{
    state.Scan = ReadRange(option, values);
    state.ScanOption = option;
    state.Options.Scan = true;
    state.Options.ScanOf = option == "--scan-angle" ? ScanParameter::Angle : ScanParameter::Velocity;
}

// In the help's order.
const OptionRow OptionTable[] = {
    {.Heading = "Launch",
     .Synopsis = "ALTITUDE VELOCITY ANGLE",
     .Help = "parking-orbit altitude (km), launch velocity (km/s) and\n"
             "launch angle (degrees), as the fields hold them\n"
             "(00100.17 +10.9800 +226.500) or as plain numbers\n"
             "(100.17 10.98 226.5)"},
    {.Name = "--preset",
     .Arity = 1,
     .ValueName = "a preset name",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string> v) {
         s.PresetName = v[0];
         s.HasPreset = true;
     },
     .Synopsis = "--preset NAME",
     .Help = "one of \"Vantor xx\", \"Collision\", \"Swing by\", \"Escape 30\",\n"
             "\"Escape 58\"; case, blanks and '-' do not matter"},
    {.Name = "--view",
     .Arity = 1,
     .ValueName = "a size WxH",
     .Apply = ApplyView,
     .Heading = "View",
     .Synopsis = "--view WxH",
     .Help = "client size of the full view in pixels (default 528x628);\n"
             "escapes are judged against it"},
    {.Name = "--no-full-view",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string>) {
         s.Options.Setup.FullView = false;
     },
     .Synopsis = "--no-full-view",
     .Help = "as with \"Full view\" unchecked: the Earth-Moon region only,\n"
             "so escapes are declared earlier"},
    {.Name = "--max-days",
     .Arity = 1,
     .ValueName = "a number of days",
     .Apply = ApplyMaxDays,
     .Heading = "Flight",
     .Synopsis = "--max-days D",
     .Help = "stop a flight that has neither collided nor escaped once an\n"
             "output point reaches D days, as Cancel would (the step under\n"
             "way still draws its points; outcome time-limit). A single\n"
             "flight has no limit without it; scans, maps and targeting\n"
             "stop after 60 days unless given."},
    {.Name = "--exact-events",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string>) {
         s.Options.Setup.Limit.ExactEvents = true;
     },
     .Synopsis = "--exact-events",
     .Help = "collisions (99 km above the Earth, the Moon's surface) and\n"
             "escapes end a flight when they happen, located between\n"
             "output points on the integrator's dense output, not only at\n"
             "output points. outcome, t, time, velocity and bar are then\n"
             "the event's; index and points count it as the last point\n"
             "(the next output point's index); moon_min_km and\n"
             "earth_min_km include it. Without it, every line as before."},
    {.Name = "--burn",
     .Arity = 1,
     .ValueName = "a burn WHEN:ALONG[:LEFT]",
     .Apply = ApplyBurn,
     .Synopsis = "--burn WHEN:ALONG[:LEFT]",
     .Help = "after launch, change the velocity by ALONG km/s along the\n"
             "velocity in the rotating frame (negative brakes) and LEFT\n"
             "km/s to its left (default 0), at WHEN: days after launch, or\n"
             "perilune (the first closest approach to the Moon) or perigee\n"
             "(the first to the Earth after launch). Up to 8, in any order;\n"
             "the integration stops exactly there and restarts. The summary\n"
             "then ends in burns=N dv_kms=TOTAL, error_jacobi is the drift\n"
             "since the last burn, and CSV rows gain a last column burns\n"
             "(the burns made before the point). A burn whose moment the\n"
             "flight never reaches is a bad argument. Single flights only."},
    {.Name = "--csv",
     .Arity = 1,
     .ValueName = "a file name or -",
     .Apply = [](ParseState& s, const std::string& option, std::span<const std::string> v) {
         s.Options.CsvPath = v[0];
         if (s.Options.CsvPath.empty())
             Fail(option, "needs a file name or -");
     },
     .Heading = "Output",
     .Synopsis = "--csv FILE",
     .Help = "one row per output point, launch point first, with a header:\n"
             "index,t,days,earth_x_km,earth_y_km,moon_x_km,moon_y_km,\n"
             "speed_kms,moon_distance_km,jacobi_drift (positions in the\n"
             "non-rotating axes as drawn; speed as the Velocity panel).\n"
             "FILE \"-\" is standard output; the summary then goes to\n"
             "standard error. Single flights only."},
    {.Name = "--json",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string>) {
         s.Options.Json = true;
     },
     .Synopsis = "--json",
     .Help = "each summary as one JSON object on a line of its own, with\n"
             "the launch as altitude_km, velocity_kms and angle_deg"},
    {.Name = "--scan-angle",
     .Arity = 3,
     .Apply = ApplyScan,
     .Admit = AdmitScan,
     .Heading = "Scans",
     .Synopsis = "--scan-angle FROM TO STEP",
     .Help = "fly the angle FROM, FROM+STEP, ... up to TO (degrees),\n"
             "the other two parameters as given",
     .Column = 32},
    {.Name = "--scan-velocity",
     .Arity = 3,
     .Apply = ApplyScan,
     .Admit = AdmitScan,
     .Synopsis = "--scan-velocity FROM TO STEP",
     .Help = "the same for the velocity (km/s)",
     .Column = 32},
    {.Help = "One line per value, in order: altitude_km=..\n"
             "velocity_kms=.. angle_deg=.. and the summary."},
    {.Name = "--map-angle",
     .Arity = 3,
     .Apply = ApplyMap,
     .Admit = AdmitMap,
     .Synopsis = "--map-angle FROM TO STEP --map-velocity FROM TO STEP",
     .Help = "a launch map: every angle with every velocity, the\n"
             "altitude as given; lines ordered by angle, then velocity"},
    {.Name = "--map-velocity", .Arity = 3, .Apply = ApplyMap, .Admit = AdmitMap},
    {.Name = "--shard",
     .Arity = 1,
     .ValueName = "a part K/N",
     .Apply = ApplyShard,
     .Synopsis = "--shard K/N",
     .Help = "with a scan or map: only the values (cells) with index i\n"
             "where i mod N = K-1, in order; the N parts together are the\n"
             "whole output (for job arrays on a cluster)"},
    {.Name = "--threads",
     .Arity = 1,
     .ValueName = "a thread count",
     .Apply = ApplyThreads,
     .Synopsis = "--threads N",
     .Help = "threads for scans, maps and targeting (default: all cores)"},
    {.Name = "--target-moon-km",
     .Arity = 1,
     .ValueName = "a height in km",
     .Apply = ApplyTarget,
     .Synopsis = "--target-moon-km KM",
     .Help = "with a scan: for every neighbouring pair of values between\n"
             "which the closest approach crosses KM above the Moon's\n"
             "surface (a collision counts as below), bisect down to 1e-6\n"
             "of the scanned unit and print the launch nearer KM; best\n"
             "(nearest KM) first, instead of the scan's lines"},
    {.Name = "--lagrange",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string>) {
         s.Options.Lagrange = true;
     },
     .Heading = "Information",
     .Synopsis = "--lagrange",
     .Help = "print the five Lagrange points of the rotating frame, one\n"
             "line each: point=L1 x=.. y=.. jacobi=.. (distance units,\n"
             "Earth at -mu, Moon at 1-mu; the Jacobi integral at rest)"},
    {.Name = "--version",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string>) {
         s.Options.Version = true;
     },
     .Synopsis = "--version",
     .Help = "the version"},
    {.Name = "--help",
     .ShortName = "-h",
     .Apply = [](ParseState& s, const std::string&, std::span<const std::string>) {
         s.Options.Help = true;
     },
     .Synopsis = "-h, --help",
     .Help = "this text"},
};

const OptionRow* FindOption(std::string_view name)
{
    for (const OptionRow& row : OptionTable)
        if (!row.Name.empty() && (row.Name == name || (!row.ShortName.empty() && row.ShortName == name)))
            return &row;
    return nullptr;
}

std::string OptionList()
{
    std::string list;
    for (const OptionRow& row : OptionTable) {
        if (!row.Heading.empty())
            list.append(row.Heading).append("\n");
        if (row.Synopsis.empty() && row.Help.empty())
            continue;
        std::string lead = "  " + std::string(row.Synopsis);
        std::string_view help = row.Help;
        if (lead.size() >= row.Column) {
            list.append(lead).append("\n");
            lead.clear();
        }
        while (!help.empty()) {
            const std::size_t end = std::min(help.find('\n'), help.size());
            lead.resize(row.Column, ' ');
            list.append(lead).append(help.substr(0, end)).append("\n");
            lead.clear();
            help.remove_prefix(std::min(end + 1, help.size()));
        }
    }
    return list;
}

// The checks that need the whole line: what goes with what, and the ranges' values.
FlightToolOptions Finish(ParseState state)
{
    FlightToolOptions& options = state.Options;
    const bool anyMap = state.Map[0] || state.Map[1];
    if (options.Lagrange) {
        if (state.HasPreset || !state.Positional.empty() || !state.ScanOption.empty() ||
            !options.CsvPath.empty() || options.Target || anyMap || options.Part)
            Fail("--lagrange", "takes no launch, scan or CSV");
        return options;
    }
    if (state.HasPreset) {
        if (!state.Positional.empty())
            Fail("--preset", "give either --preset NAME or ALTITUDE VELOCITY ANGLE, not both");
        const LaunchPreset& preset = FindPreset(state.PresetName);
        options.PresetLabel = preset.Label;
        options.AltitudeText = preset.Altitude;
        options.VelocityText = preset.Velocity;
        options.AngleText = preset.Angle;
    } else {
        static const char* const Names[] = {"ALTITUDE", "VELOCITY", "ANGLE"};
        const std::vector<std::string>& positional = state.Positional;
        if (positional.size() > 3)
            Fail(Quoted(positional[3]), "unexpected argument (ALTITUDE VELOCITY ANGLE given already)");
        if (positional.size() < 3)
            Fail(Names[positional.size()], "missing (give ALTITUDE VELOCITY ANGLE or --preset NAME)");
        options.AltitudeText = positional[0];
        options.VelocityText = positional[1];
        options.AngleText = positional[2];
    }
    options.Launch.Altitude = Number("ALTITUDE", options.AltitudeText);
    options.Launch.Velocity = Number("VELOCITY", options.VelocityText);
    options.Launch.Angle = Number("ANGLE", options.AngleText);

    options.Map = anyMap;
    if (options.Map) {
        if (!state.Map[0] || !state.Map[1])
            Fail(state.Map[0] ? "--map-angle" : "--map-velocity",
                 "needs both --map-angle and --map-velocity");
        if (options.Scan)
            Fail(state.ScanOption, "not with a map (--map-angle, --map-velocity)");
        std::vector<double> angles = RangeValues("--map-angle", *state.Map[0]);
        std::vector<double> velocities = RangeValues("--map-velocity", *state.Map[1]);
        const std::size_t cells = angles.size() * velocities.size();
        if (cells > static_cast<std::size_t>(MaxScanValues)) {
            // Past a thousand values an axis makes the map large; one below it cannot.
            const auto large = [](std::size_t count) {
                return count * count > static_cast<std::size_t>(MaxScanValues);
            };
            const bool largeAngles = large(angles.size());
            const bool largeVelocities = large(velocities.size());
            Fail(largeAngles && largeVelocities ? "--map-angle and --map-velocity"
                 : largeAngles                  ? "--map-angle"
                                                : "--map-velocity",
                 "more than 1000000 cells (" + std::to_string(angles.size()) + " angles x " +
                     std::to_string(velocities.size()) + " velocities)");
        }
        options.Grid = LaunchGrid{options.Launch, std::move(angles), std::move(velocities)};
        if (!options.CsvPath.empty())
            Fail("--csv", "only for a single flight, not with a map");
        if (options.Target)
            Fail("--target-moon-km", "needs --scan-angle or --scan-velocity, not a map");
        if (!state.MaxDaysGiven)
            options.Setup.Limit.MaxDays = DefaultScanMaxDays;
    }
    if (options.Part) {
        if (!options.Scan && !options.Map)
            Fail("--shard", "needs a scan or a map");
        if (options.Target)
            Fail("--shard", "not with --target-moon-km (its bisection needs the whole scan)");
    }
    if (!options.Burns.empty()) {
        if (options.Scan || options.Map)
            Fail("--burn", "only for a single flight, not with a scan or map");
        const double maxDays = options.Setup.Limit.MaxDays;
        for (std::size_t i = 0; i < options.Burns.size(); ++i)
            if (maxDays > 0.0 && options.Burns[i].When == FlightBurn::AtTime &&
                options.Burns[i].Days > maxDays)
                Fail("--burn", Quoted(options.BurnTexts[i]) + " comes after the flight's limit of " +
                                   ShortestText(maxDays) + " days");
    }
    if (options.Scan) {
        options.ScanValues = RangeValues(state.ScanOption, state.Scan);
        if (!options.CsvPath.empty())
            Fail("--csv", "only for a single flight, not with " + state.ScanOption);
        if (options.Target && options.ScanValues.size() < 2)
            Fail("--target-moon-km", "needs a scan of at least two values");
        if (!state.MaxDaysGiven)
            options.Setup.Limit.MaxDays = DefaultScanMaxDays;
    } else if (options.Target) {
        Fail("--target-moon-km", "needs --scan-angle or --scan-velocity");
    }
    return options;
}

}  // namespace

FlightToolOptions ParseFlightToolOptions(const std::vector<std::string>& args)
{
    ParseState state;
    state.Options.Threads = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (!LooksLikeOption(arg)) {
            state.Positional.push_back(arg);
            continue;
        }
        // "--name=value" for the options with one value.
        std::optional<std::string> inlineValue;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
        }
        const OptionRow* row = FindOption(arg);
        if (!row)
            Fail(arg, "unknown option (see --help)");
        std::span<const std::string> values;
        if (row->Arity == 0) {
            if (inlineValue)
                Fail(arg, "takes no value");
        } else if (row->Arity == 1) {
            if (inlineValue) {
                values = std::span(&*inlineValue, 1);
            } else {
                if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)
                    Fail(arg, "needs " + std::string(row->ValueName));
                values = std::span(&args[++i], 1);
            }
        } else {
            if (inlineValue)
                Fail(arg, "takes three values FROM TO STEP, not '='");
            if (row->Admit)
                row->Admit(state, arg);
            if (i + 3 >= args.size())
                Fail(arg, "needs three values FROM TO STEP");
            values = std::span(&args[i + 1], 3);
            i += 3;
        }
        row->Apply(state, arg, values);
        // Help and version answer whatever else the line says.
        if (state.Options.Help || state.Options.Version)
            return state.Options;
    }
    return Finish(std::move(state));
}

std::vector<std::string> FlightToolOptionNames()
{
    std::vector<std::string> names;
    for (const OptionRow& row : OptionTable) {
        if (!row.ShortName.empty())
            names.emplace_back(row.ShortName);
        if (!row.Name.empty())
            names.emplace_back(row.Name);
    }
    return names;
}

std::string FlightToolHelp()
{
    return R"(Usage: orrimar-flight ALTITUDE VELOCITY ANGLE [options]
       orrimar-flight --preset NAME [options]

Flies a launch without a window, with exactly the window's rules (output points every
2pi/10000 time units = 3.93 min; a collision with the Moon or within 99 km of the
Earth's surface, or an escape out of the full view with escape energy, ends it), and
prints one summary line at the end.

)" + OptionList() +
           R"(
Summary line
  outcome=O index=N t=T step=S time="D - HH" error_jacobi="E" jacobi0="J" velocity="V"
  bar=B moon_min_km=M moon_min_time="D - HH" earth_min_km=K points=P
  O is collision-moon, collision-earth, escape, time-limit or integrator-CODE (the
  integrator stopped by itself with that code); N, T (time units) and the quoted texts
  are the last output point and the status bar at the end; S the last step number;
  M the closest approach to the Moon's surface over the output points in km (0 for a
  collision), K the same for the Earth after launch; P the output points drawn.

Examples
  orrimar-flight --preset "Swing by"
      the summary line of the "Swing by" preset (escape, 525 km above the Moon)
  orrimar-flight 100.17 10.98 226.5 --csv flight.csv --max-days 30
      the default launch's first 30 days, one CSV row per output point
  orrimar-flight 00100.00 +11.0085 +229.700 --no-full-view --view 800x600 --json
      the "Collision" launch in a smaller visible region, summary as JSON
  orrimar-flight --preset Collision --scan-angle 227 231 0.5 --target-moon-km 500
      the launch angles that pass 500 km above the Moon, refined, nearest first
  orrimar-flight --preset "Escape 58" --scan-velocity 10.9 11.1 0.01 --threads 2
      21 flights on two threads, one line each
  orrimar-flight --preset "Swing by" --burn perilune:-0.5 --max-days 30
      braked by 0.5 km/s at its closest approach: it orbits the Moon for the 30 days

Exit codes: 0 done; 1 no targeting result, the output could not be written, or the
run failed (one line); 2 bad arguments (one line naming the argument, nothing else
written). A CSV file is written under a temporary name beside it and renamed when
complete (through a symlink to the file it names; a FIFO or device directly); on failure,
SIGINT, SIGTERM or SIGHUP the file under the asked name is left as it was. Scans and maps
print each line as soon as it and all before it are done.
)";
}

}  // namespace orrimar
