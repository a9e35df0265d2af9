#include "cli/flight_tool.h"

#include "cli/output_file.h"

#include "formats/decimal_text.h"
#include "flight/flight_csv.h"
#include "flight/lagrange_points.h"
#include "orrimar_version.h"
#include "flight/integrator_message.h"

#include <algorithm>
#include <cmath>
#include <functional>
#include <mutex>
#include <new>
#include <optional>
#include <ostream>

namespace orrimar {

namespace {

std::string Quoted(const std::string& text) { return "'" + text + "'"; }

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
            static constexpr char Hex[] = "0123456789abcdef";
            out += "\\x";
            out += Hex[u >> 4];
            out += Hex[u & 15];
        } else {
            out += c;
        }
    }
    return out;
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
                           options.Setup.Limit,    options.Burns};
    std::ostream* csv = csvFile ? &csvFile->Stream() : options.CsvPath == "-" ? &out : nullptr;
    FlightSummary summary;
    try {
        summary = csv ? WriteFlightCsv(launch, *csv) : [&] {
            const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
            return FlySummary(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle),
                              views, launch.Limit, {}, launch.Burns);
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
    // A burn whose moment never came: the plan is wrong, and nothing is kept of it.
    if (summary.BurnsDone.size() < options.Burns.size()) {
        std::vector<bool> made(options.Burns.size(), false);
        for (const FlightBurnDone& done : summary.BurnsDone)
            made[static_cast<std::size_t>(done.Nr)] = true;
        const std::size_t missing =
            static_cast<std::size_t>(std::find(made.begin(), made.end(), false) - made.begin());
        err << "orrimar-flight: --burn: " << Printable(Quoted(options.BurnTexts[missing]))
            << ": the flight ended (" << OutcomeText(summary) << " at "
            << FixedText(static_cast<double>(summary.T * DaysPerTimeUnit), 3)
            << " days) before it\n";
        return 2;
    }
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
