#include "cli/flight_tool.h"

#include "formats/decimal_text.h"
#include "flight/flight_csv.h"
#include "flight/lagrange_points.h"
#include "orrimar_version.h"
#include "flight/integrator_message.h"

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <mutex>
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

int SingleFlight(const FlightToolOptions& options, std::ostream& out, std::ostream& err,
                 std::ostream* csv, FailureLines& failures)
{
    // Exactly as Start reads the fields.
    const CsvLaunch launch{options.AltitudeText,   options.VelocityText,
                           options.AngleText,      options.Setup.ViewWidth,
                           options.Setup.ViewHeight, options.Setup.FullView,
                           options.Setup.Limit};
    const FlightSummary summary = csv ? WriteFlightCsv(launch, *csv) : [&] {
        const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
        return FlySummary(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle),
                          views, launch.Limit);
    }();
    if (summary.Integration.Code < 0)
        failures.Write(summary.Integration);
    // With the CSV on standard output the summary keeps out of its way.
    std::ostream& summaryOut = options.CsvPath == "-" ? err : out;
    summaryOut << (options.Json ? SummaryJson(summary, LaunchJson(options.Launch))
                                : SummaryLine(summary))
               << '\n';
    if (csv)
        csv->flush();
    if (csv && !*csv) {
        err << "orrimar-flight: --csv: writing " << Quoted(options.CsvPath) << " failed\n";
        return 1;
    }
    return 0;
}

// A map's lines in cell order (by angle, then velocity), only the shard's cells with one.
int MapFlights(const FlightToolOptions& options, std::ostream& out, FailureLines& failures)
{
    FlightSetup setup = options.Setup;
    setup.OnIntegratorFailure = failures.Sink();
    std::vector<LaunchValues> launches;
    for (std::size_t i = 0; i < options.Grid.CellCount(); ++i)
        if (!options.Part || options.Part->Holds(i))
            launches.push_back(options.Grid.Cell(i));
    std::vector<FlightSummary> summaries(launches.size());
    FlyLaunches(launches, setup, options.Threads,
                [&](std::size_t i, const FlightSummary& summary) { summaries[i] = summary; });
    for (std::size_t i = 0; i < launches.size(); ++i)
        out << RowText(ScanRow{launches[i], summaries[i]}, options.Json) << '\n';
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
    const std::vector<ScanRow> rows =
        RunScan(options.Launch, options.ScanOf, values, setup, options.Threads);
    if (!options.Target) {
        for (const ScanRow& row : rows)
            out << RowText(row, options.Json) << '\n';
        return 0;
    }
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

// A file written under a temporary name beside its own and renamed when complete, so that
// an interrupted run never leaves a truncated file under the asked name.
class AtomicFile {
public:
    explicit AtomicFile(const std::string& path) : path_(path)
    {
        const std::filesystem::path target(path);
        std::string hidden = ".";
        hidden.append(target.filename().string()).append(".part");
        temporary_ = (target.parent_path() / hidden).string();
        stream_.open(temporary_, std::ios::binary | std::ios::trunc);
    }
    ~AtomicFile()
    {
        if (!committed_ && stream_.is_open()) {
            stream_.close();
            std::remove(temporary_.c_str());
        }
    }
    AtomicFile(const AtomicFile&) = delete;
    AtomicFile& operator=(const AtomicFile&) = delete;

    bool IsOpen() const { return stream_.is_open(); }
    std::ostream& Stream() { return stream_; }
    // Closes the file and gives it its name; false when anything failed.
    bool Commit()
    {
        stream_.close();
        if (!stream_)
            return false;
        std::error_code error;
        std::filesystem::rename(temporary_, path_, error);
        committed_ = !error;
        return committed_;
    }

private:
    std::string path_;
    std::string temporary_;
    std::ofstream stream_;
    bool committed_ = false;
};

int Run(const FlightToolOptions& options, std::ostream& out, std::ostream& err)
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

    std::optional<AtomicFile> csvFile;
    std::ostream* csv = nullptr;
    if (options.CsvPath == "-") {
        csv = &out;
    } else if (!options.CsvPath.empty()) {
        csvFile.emplace(options.CsvPath);
        if (!csvFile->IsOpen()) {
            err << "orrimar-flight: --csv: cannot write " << Printable(Quoted(options.CsvPath)) << '\n';
            return 1;
        }
        csv = &csvFile->Stream();
    }

    FailureLines failures(err);
    int code = options.Map    ? MapFlights(options, out, failures)
               : options.Scan ? ScanFlights(options, out, err, failures)
                              : SingleFlight(options, out, err, csv, failures);
    if (csvFile && code == 0 && !csvFile->Commit()) {
        err << "orrimar-flight: --csv: writing " << Printable(Quoted(options.CsvPath)) << " failed\n";
        code = 1;
    }
    if (!Flushed(out, err))
        return 1;
    return code;
}

}  // namespace

int RunFlightTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err)
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
        return Run(options, out, err);
    } catch (const std::exception& e) {
        err << "orrimar-flight: " << Printable(e.what()) << '\n';
        return 1;
    } catch (...) {
        err << "orrimar-flight: failed\n";
        return 1;
    }
}

}  // namespace orrimar
