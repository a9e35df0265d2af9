#include "cli/flight_tool.h"

#include "cli/output_file.h"

#include "formats/decimal_text.h"
#include "flight/flight_csv.h"
#include "flight/lagrange_points.h"
#include "flight/scan_range.h"
#include "orrimar_version.h"
#include "flight/integrator_message.h"
#include "flight/launch_presets.h"

#include <algorithm>
#include <cctype>
#include <charconv>
#include <cmath>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>
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

void ParseView(const std::string& text, FlightSetup& setup)
{
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

// An argument in a message: control characters written as escapes, so that a message
// stays one line whatever was typed.
std::string Printable(std::string_view text)
{
    std::string out;
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '\n')
            out += "\\n";
        else if (c == '\t')
            out += "\\t";
        else if (c == '\r')
            out += "\\r";
        else if (u < 0x20 || u == 0x7f) {
            static constexpr char hex[] = "0123456789abcdef";
            out += "\\x";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
}

int AllCores()
{
    return std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
}

std::string LaunchLine(const LaunchValues& launch)
{
    return "altitude_km=" + ShortestText(launch.Altitude) + " velocity_kms=" +
           ShortestText(launch.Velocity) + " angle_deg=" + ShortestText(launch.Angle);
}

std::string LaunchJson(const LaunchValues& launch)
{
    return "\"altitude_km\":" + JsonNumber(launch.Altitude, -1) +
           ",\"velocity_kms\":" + JsonNumber(launch.Velocity, -1) +
           ",\"angle_deg\":" + JsonNumber(launch.Angle, -1);
}

std::string RowText(const ScanRow& row, bool json)
{
    return json ? SummaryJson(row.Summary, LaunchJson(row.Launch))
                : LaunchLine(row.Launch) + " " + SummaryLine(row.Summary);
}

// Integrator failures from several flight threads, one whole line at a time.
class FailureLines {
public:
    explicit FailureLines(std::ostream& err) : err_(err) {}
    void Write(const Dop853Result& failure)
    {
        const std::lock_guard lock(mutex_);
        err_ << "DOP853: " << Dop853FailureText(failure) << '\n';
    }
    // For FlightSetup::OnIntegratorFailure; this object must outlive the flights.
    std::function<void(const Dop853Result&)> Sink()
    {
        return [this](const Dop853Result& failure) { Write(failure); };
    }

private:
    std::ostream& err_;
    std::mutex mutex_;
};

// "--csv 'x.csv': No such file or directory" (one line, on err).
void CsvProblem(std::ostream& err, const std::string& path, const std::string& reason)
{
    err << "orrimar-flight: --csv " << Printable(Quoted(path)) << ": " << reason << '\n';
}

// A line written and flushed at once, so that a run stopped at any time has printed whole
// lines in order; false once out cannot be written.
bool WriteLine(std::ostream& out, const std::string& line)
{
    out << line << '\n';
    out.flush();
    return static_cast<bool>(out);
}

int SingleFlight(const FlightToolOptions& options, std::ostream& out, std::ostream& err,
                 OutputFile* csvFile, FailureLines& failures)
{
    // Exactly as Start reads the fields.
    const CsvLaunch launch{options.AltitudeText,   options.VelocityText,
                           options.AngleText,      options.Setup.ViewWidth,
                           options.Setup.ViewHeight, options.Setup.FullView,
                           options.Setup.Limit};
    std::ostream* csv = csvFile ? &csvFile->Stream() : options.CsvPath == "-" ? &out : nullptr;
    FlightSummary summary;
    try {
        summary = csv ? WriteFlightCsv(launch, *csv) : [&] {
            const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
            return FlySummary(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle),
                              views, launch.Limit);
        }();
    } catch (const std::ios_base::failure&) {
        // The file stopped taking rows: the flight is not worth finishing.
        if (!csvFile)
            throw;
        CsvProblem(err, options.CsvPath, csvFile->Error());
        return 1;
    }
    if (summary.Integration.Code < 0)
        failures.Write(summary.Integration);
    if (csvFile && !csvFile->Commit()) {
        CsvProblem(err, options.CsvPath, csvFile->Error());
        return 1;
    }
    // With the CSV on standard output the summary keeps out of its way.
    std::ostream& summaryOut = options.CsvPath == "-" ? err : out;
    summaryOut << (options.Json ? SummaryJson(summary, LaunchJson(options.Launch))
                                : SummaryLine(summary))
               << '\n';
    return 0;
}

// A map's lines in cell order (by angle, then velocity), only the shard's cells with one,
// each printed as soon as it and all before it are flown.
int MapFlights(const FlightToolOptions& options, std::ostream& out, FailureLines& failures)
{
    FlightSetup setup = options.Setup;
    setup.OnIntegratorFailure = failures.Sink();
    const std::size_t first = options.Part ? static_cast<std::size_t>(options.Part->K - 1) : 0;
    const std::size_t stride = options.Part ? static_cast<std::size_t>(options.Part->N) : 1;
    const std::size_t cells = options.Grid.CellCount();
    const std::size_t count = cells > first ? (cells - first + stride - 1) / stride : 0;
    FlyLaunchesInOrder(
        count, [&](std::size_t i) { return options.Grid.Cell(first + i * stride); }, setup,
        options.Threads,
        [&](std::size_t, const ScanRow& row) { return WriteLine(out, RowText(row, options.Json)); });
    return 0;
}

int ScanFlights(const FlightToolOptions& options, std::ostream& out, std::ostream& err,
                FailureLines& failures)
{
    FlightSetup setup = options.Setup;
    setup.OnIntegratorFailure = failures.Sink();
    std::vector<double> values = options.ScanValues;
    if (options.Part) {
        std::vector<double> part;
        for (std::size_t i = 0; i < values.size(); ++i)
            if (options.Part->Holds(i))
                part.push_back(values[i]);
        values = std::move(part);
    }
    if (!options.Target) {
        FlyLaunchesInOrder(
            values.size(),
            [&](std::size_t i) { return WithParameter(options.Launch, options.ScanOf, values[i]); },
            setup, options.Threads,
            [&](std::size_t, const ScanRow& row) { return WriteLine(out, RowText(row, options.Json)); });
        return 0;
    }
    // Targeting needs every row before it can bracket.
    const std::vector<ScanRow> rows =
        RunScan(options.Launch, options.ScanOf, values, setup, options.Threads);
    const std::vector<TargetRow> found =
        FindTargets(rows, options.ScanOf, options.TargetMoonKm, setup, options.Threads);
    for (const TargetRow& target : found)
        out << RowText(target.Row, options.Json) << '\n';
    if (found.empty()) {
        err << "orrimar-flight: no neighbouring scanned values on both sides of "
            << FixedText(options.TargetMoonKm, 3) << " km above the Moon\n";
        return 1;
    }
    return 0;
}

}  // namespace

FlightToolOptions ParseFlightToolOptions(const std::vector<std::string>& args)
{
    FlightToolOptions options;
    options.Threads = AllCores();
    std::vector<std::string> positional;
    std::string presetName;
    bool hasPreset = false;
    bool maxDaysGiven = false;
    std::string scanOption;
    std::string rangeTexts[3];
    std::string mapTexts[2][3];  // angle, velocity: FROM TO STEP
    bool mapGiven[2] = {false, false};

    for (std::size_t i = 0; i < args.size(); ++i) {
        std::string arg = args[i];
        if (!LooksLikeOption(arg)) {
            positional.push_back(arg);
            continue;
        }
        // "--name=value" for the options with one value.
        std::string inlineValue;
        bool hasInline = false;
        if (const std::size_t eq = arg.find('='); arg.rfind("--", 0) == 0 && eq != std::string::npos) {
            inlineValue = arg.substr(eq + 1);
            arg.resize(eq);
            hasInline = true;
        }
        const auto value = [&](const char* what) -> std::string {
            if (hasInline)
                return inlineValue;
            if (i + 1 >= args.size() || args[i + 1].rfind("--", 0) == 0)
                Fail(arg, std::string("needs ") + what);
            return args[++i];
        };
        const auto noValue = [&] {
            if (hasInline)
                Fail(arg, "takes no value");
        };

        if (arg == "--help" || arg == "-h") {
            noValue();
            options.Help = true;
            return options;
        } else if (arg == "--version") {
            noValue();
            options.Version = true;
            return options;
        } else if (arg == "--lagrange") {
            noValue();
            options.Lagrange = true;
        } else if (arg == "--no-full-view") {
            noValue();
            options.Setup.FullView = false;
        } else if (arg == "--exact-events") {
            noValue();
            options.Setup.Limit.ExactEvents = true;
        } else if (arg == "--json") {
            noValue();
            options.Json = true;
        } else if (arg == "--view") {
            ParseView(value("a size WxH"), options.Setup);
        } else if (arg == "--preset") {
            presetName = value("a preset name");
            hasPreset = true;
        } else if (arg == "--max-days") {
            const std::string text = value("a number of days");
            options.Setup.Limit.MaxDays = Number(arg, text);
            if (!(options.Setup.Limit.MaxDays > 0.0))
                Fail(arg, Quoted(text) + " is not a positive number of days");
            maxDaysGiven = true;
        } else if (arg == "--csv") {
            options.CsvPath = value("a file name or -");
            if (options.CsvPath.empty())
                Fail(arg, "needs a file name or -");
        } else if (arg == "--threads") {
            const std::string text = value("a thread count");
            bool ok = false;
            options.Threads = WholeNumber(text, 1, MaxThreads, ok);
            if (!ok)
                Fail(arg, Quoted(text) + " is not a thread count of 1 to 4096");
        } else if (arg == "--target-moon-km") {
            const std::string text = value("a height in km");
            options.TargetMoonKm = Number(arg, text);
            if (options.TargetMoonKm < 0.0)
                Fail(arg, Quoted(text) + " is below the Moon's surface");
            options.Target = true;
        } else if (arg == "--shard") {
            const std::string text = value("a part K/N");
            options.Part = ParseShard(text);
            if (!options.Part)
                Fail(arg, Quoted(text) + " is not a part K/N with 1 <= K <= N");
        } else if (arg == "--map-angle" || arg == "--map-velocity") {
            if (hasInline)
                Fail(arg, "takes three values FROM TO STEP, not '='");
            const int axis = arg == "--map-angle" ? 0 : 1;
            if (mapGiven[axis])
                Fail(arg, "given twice");
            if (i + 3 >= args.size())
                Fail(arg, "needs three values FROM TO STEP");
            static const char* const parts[] = {" FROM", " TO", " STEP"};
            for (int k = 0; k < 3; ++k) {
                mapTexts[axis][k] = args[i + 1 + static_cast<std::size_t>(k)];
                Number(arg + parts[k], mapTexts[axis][k]);
            }
            i += 3;
            mapGiven[axis] = true;
        } else if (arg == "--scan-angle" || arg == "--scan-velocity") {
            if (hasInline)
                Fail(arg, "takes three values FROM TO STEP, not '='");
            if (!scanOption.empty())
                Fail(arg, "one scan at a time (" + scanOption + " given already)");
            if (i + 3 >= args.size())
                Fail(arg, "needs three values FROM TO STEP");
            static const char* const parts[] = {" FROM", " TO", " STEP"};
            for (int k = 0; k < 3; ++k) {
                rangeTexts[k] = args[i + 1 + static_cast<std::size_t>(k)];
                Number(arg + parts[k], rangeTexts[k]);
            }
            i += 3;
            scanOption = arg;
            options.Scan = true;
            options.ScanOf = arg == "--scan-angle" ? ScanParameter::Angle : ScanParameter::Velocity;
        } else {
            Fail(arg, "unknown option (see --help)");
        }
    }

    if (options.Lagrange) {
        if (hasPreset || !positional.empty() || !scanOption.empty() || !options.CsvPath.empty() ||
            options.Target || mapGiven[0] || mapGiven[1] || options.Part)
            Fail("--lagrange", "takes no launch, scan or CSV");
        return options;
    }
    if (hasPreset) {
        if (!positional.empty())
            Fail("--preset", "give either --preset NAME or ALTITUDE VELOCITY ANGLE, not both");
        const LaunchPreset& preset = FindPreset(presetName);
        options.PresetLabel = preset.Label;
        options.AltitudeText = preset.Altitude;
        options.VelocityText = preset.Velocity;
        options.AngleText = preset.Angle;
    } else {
        static const char* const names[] = {"ALTITUDE", "VELOCITY", "ANGLE"};
        if (positional.size() > 3)
            Fail(Quoted(positional[3]), "unexpected argument (ALTITUDE VELOCITY ANGLE given already)");
        if (positional.size() < 3)
            Fail(names[positional.size()], "missing (give ALTITUDE VELOCITY ANGLE or --preset NAME)");
        options.AltitudeText = positional[0];
        options.VelocityText = positional[1];
        options.AngleText = positional[2];
    }
    options.Launch.Altitude = Number("ALTITUDE", options.AltitudeText);
    options.Launch.Velocity = Number("VELOCITY", options.VelocityText);
    options.Launch.Angle = Number("ANGLE", options.AngleText);

    options.Map = mapGiven[0] || mapGiven[1];
    if (options.Map) {
        if (!mapGiven[0] || !mapGiven[1])
            Fail(mapGiven[0] ? "--map-angle" : "--map-velocity",
                 "needs both --map-angle and --map-velocity");
        if (options.Scan)
            Fail(scanOption, "not with a map (--map-angle, --map-velocity)");
        static const char* const names[] = {"--map-angle", "--map-velocity"};
        std::vector<double> axes[2];
        for (int axis = 0; axis < 2; ++axis) {
            try {
                axes[axis] = ScanValues(mapTexts[axis][0], mapTexts[axis][1], mapTexts[axis][2]);
            } catch (const std::invalid_argument& e) {
                Fail(names[axis], e.what());
            }
        }
        if (axes[0].size() * axes[1].size() > static_cast<std::size_t>(MaxScanValues))
            Fail("--map-angle", "more than 1000000 cells");
        options.Grid = LaunchGrid{options.Launch, std::move(axes[0]), std::move(axes[1])};
        if (!options.CsvPath.empty())
            Fail("--csv", "only for a single flight, not with a map");
        if (options.Target)
            Fail("--target-moon-km", "needs --scan-angle or --scan-velocity, not a map");
        if (!maxDaysGiven)
            options.Setup.Limit.MaxDays = DefaultScanMaxDays;
    }
    if (options.Part) {
        if (!options.Scan && !options.Map)
            Fail("--shard", "needs a scan or a map");
        if (options.Target)
            Fail("--shard", "not with --target-moon-km (its bisection needs the whole scan)");
    }
    if (options.Scan) {
        try {
            options.ScanValues = ScanValues(rangeTexts[0], rangeTexts[1], rangeTexts[2]);
        } catch (const std::invalid_argument& e) {
            Fail(scanOption, e.what());
        }
        if (!options.CsvPath.empty())
            Fail("--csv", "only for a single flight, not with " + scanOption);
        if (options.Target && options.ScanValues.size() < 2)
            Fail("--target-moon-km", "needs a scan of at least two values");
        if (!maxDaysGiven)
            options.Setup.Limit.MaxDays = DefaultScanMaxDays;
    } else if (options.Target) {
        Fail("--target-moon-km", "needs --scan-angle or --scan-velocity");
    }
    return options;
}

std::string FlightToolHelp()
{
    return R"(Usage: orrimar-flight ALTITUDE VELOCITY ANGLE [options]
       orrimar-flight --preset NAME [options]

Flies a launch without a window, with exactly the window's rules (output points every
2pi/10000 time units = 3.93 min; a collision with the Moon or within 99 km of the
Earth's surface, or an escape out of the full view with escape energy, ends it), and
prints one summary line at the end.

Launch
  ALTITUDE VELOCITY ANGLE   parking-orbit altitude (km), launch velocity (km/s) and
                            launch angle (degrees), as the fields hold them
                            (00100.17 +10.9800 +226.500) or as plain numbers
                            (100.17 10.98 226.5)
  --preset NAME             one of "Vantor xx", "Collision", "Swing by", "Escape 30",
                            "Escape 58"; case, blanks and '-' do not matter
View
  --view WxH                client size of the full view in pixels (default 528x628);
                            escapes are judged against it
  --no-full-view            as with "Full view" unchecked: the Earth-Moon region only,
                            so escapes are declared earlier
Flight
  --max-days D              stop a flight that has neither collided nor escaped once an
                            output point reaches D days, as Cancel would (the step under
                            way still draws its points; outcome time-limit). A single
                            flight has no limit without it; scans, maps and targeting
                            stop after 60 days unless given.
  --exact-events            collisions (99 km above the Earth, the Moon's surface) and
                            escapes end a flight when they happen, located between
                            output points on the integrator's dense output, not only at
                            output points. outcome, t, time, velocity and bar are then
                            the event's; index and points count it as the last point
                            (the next output point's index); moon_min_km and
                            earth_min_km include it. Without it, every line as before.
Output
  --csv FILE                one row per output point, launch point first, with a header:
                            index,t,days,earth_x_km,earth_y_km,moon_x_km,moon_y_km,
                            speed_kms,moon_distance_km,jacobi_drift (positions in the
                            non-rotating axes as drawn; speed as the Velocity panel).
                            FILE "-" is standard output; the summary then goes to
                            standard error. Single flights only.
  --json                    each summary as one JSON object on a line of its own, with
                            the launch as altitude_km, velocity_kms and angle_deg
Scans
  --scan-angle FROM TO STEP     fly the angle FROM, FROM+STEP, ... up to TO (degrees),
                                the other two parameters as given
  --scan-velocity FROM TO STEP  the same for the velocity (km/s)
                            One line per value, in order: altitude_km=..
                            velocity_kms=.. angle_deg=.. and the summary.
  --map-angle FROM TO STEP --map-velocity FROM TO STEP
                            a launch map: every angle with every velocity, the
                            altitude as given; lines ordered by angle, then velocity
  --shard K/N               with a scan or map: only the values (cells) with index i
                            where i mod N = K-1, in order; the N parts together are the
                            whole output (for job arrays on a cluster)
  --threads N               threads for scans, maps and targeting (default: all cores)
  --target-moon-km KM       with a scan: for every neighbouring pair of values between
                            which the closest approach crosses KM above the Moon's
                            surface (a collision counts as below), bisect down to 1e-6
                            of the scanned unit and print the launch nearer KM; best
                            (nearest KM) first, instead of the scan's lines
Information
  --lagrange                print the five Lagrange points of the rotating frame, one
                            line each: point=L1 x=.. y=.. jacobi=.. (distance units,
                            Earth at -mu, Moon at 1-mu; the Jacobi integral at rest)
  --version                 the version
  -h, --help                this text

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

Exit codes: 0 done; 1 no targeting result, the output could not be written, or the
run failed (one line); 2 bad arguments (one line naming the argument, nothing else
written). A CSV file is written under a temporary name beside it and renamed when
complete (through a symlink to the file it names; a FIFO or device directly); on failure,
SIGINT, SIGTERM or SIGHUP the file under the asked name is left as it was. Scans and maps
print each line as soon as it and all before it are done.
)";
}

namespace {

std::string UsageLines()
{
    const std::string help = FlightToolHelp();
    return help.substr(0, help.find("\n\n") + 1);
}

// Standard output flushed; false, with a line on err, when it could not be written.
bool Flushed(std::ostream& out, std::ostream& err)
{
    out.flush();
    if (out)
        return true;
    err << "orrimar-flight: writing standard output failed\n";
    return false;
}

int PrintLagrangePoints(std::ostream& out)
{
    for (const LagrangePoint& point : LagrangePoints())
        out << "point=" << point.Name << " x=" << ShortestText(point.X)
            << " y=" << ShortestText(point.Y) << " jacobi=" << ShortestText(point.Jacobi) << '\n';
    return 0;
}

// What ran out and what to reduce, for a run that found too little memory.
std::string OutOfMemoryText(const FlightToolOptions& options)
{
    if (options.Map)
        return "out of memory flying the map: use fewer --threads, or split it with --shard";
    if (options.Target)
        return "out of memory keeping the scan for --target-moon-km: scan fewer values "
               "(a larger STEP or a shorter range)";
    if (options.Scan)
        return "out of memory flying the scan: use fewer --threads, or split it with --shard";
    return "out of memory flying the launch: stop it sooner with --max-days";
}

int Run(const FlightToolOptions& options, std::ostream& out, std::ostream& err,
        PartialFiles* partials)
{
    if (options.Help) {
        out << FlightToolHelp();
        return Flushed(out, err) ? 0 : 1;
    }
    if (options.Version) {
        out << "orrimar-flight " << OrrimarVersion << '\n';
        return Flushed(out, err) ? 0 : 1;
    }
    if (options.Lagrange) {
        PrintLagrangePoints(out);
        return Flushed(out, err) ? 0 : 1;
    }

    // A path that cannot be written fails before anything is flown.
    std::optional<OutputFile> csvFile;
    if (!options.CsvPath.empty() && options.CsvPath != "-") {
        csvFile.emplace(options.CsvPath, partials);
        if (!csvFile->IsOpen()) {
            CsvProblem(err, options.CsvPath, csvFile->Error());
            return 1;
        }
    }

    FailureLines failures(err);
    const int code = options.Map    ? MapFlights(options, out, failures)
                     : options.Scan ? ScanFlights(options, out, err, failures)
                                    : SingleFlight(options, out, err, csvFile ? &*csvFile : nullptr, failures);
    if (!Flushed(out, err))
        return 1;
    return code;
}

}  // namespace

int RunFlightTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  PartialFiles* partials)
{
    try {
        if (args.empty()) {
            err << UsageLines();
            return 2;
        }
        FlightToolOptions options;
        try {
            options = ParseFlightToolOptions(args);
        } catch (const ToolArgumentError& e) {
            err << "orrimar-flight: " << Printable(e.what()) << '\n';
            return 2;
        }
        try {
            return Run(options, out, err, partials);
        } catch (const std::bad_alloc&) {
            err << "orrimar-flight: " << OutOfMemoryText(options) << '\n';
            return 1;
        }
    } catch (const std::exception& e) {
        err << "orrimar-flight: " << Printable(e.what()) << '\n';
        return 1;
    } catch (...) {
        err << "orrimar-flight: failed\n";
        return 1;
    }
}

}  // namespace orrimar
