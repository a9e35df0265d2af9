#include "flight/flight_summary.h"

#include "flight/flight_report.h"
#include "flight/view_frames.h"
#include "formats/decimal_text.h"
#include "formats/number_format.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <limits>
#include <optional>

namespace orrimar {

namespace {

// Keeps what the summary needs while the flight runs, and stops it at the day limit.
class SummaryDisplay : public FlightDisplay {
public:
    SummaryDisplay(FlightLimit limit, const FlightPointObserver& observer)
        : limit_(limit), observer_(observer)
    {
    }

    // Texts only for the summary's end; the CSV needs the measures.
    FlightNeeds Needs() const override
    {
        FlightNeeds needs;
        needs.Texts = false;
        needs.Pixels = false;
        needs.Measures = static_cast<bool>(observer_);
        needs.EveryPoint = static_cast<bool>(observer_);
        needs.ExactEvents = limit_.ExactEvents;
        return needs;
    }
    void ShowStep(const FlightStep& step) override { report_.AddStep(step); }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override
    {
        report_.AddPoint(point);
        CheckLimit(point.T);
        if (observer_)
            observer_(point, point.JacobiDrift);
    }
    void SkipPoints(int count, double lastT) override
    {
        report_.SkipPoints(count);
        CheckLimit(lastT);
    }
    bool CancelRequested() const override { return limitReached_; }

    FlightSummary Summary(const FlightRun& run, const Dop853Result& integration) const
    {
        const int code = integration.Code;
        FlightPoint last = run.LastPoint();
        FillPointTexts(last);
        FlightSummary s;
        s.IntegratorCode = code;
        s.Integration = integration;
        if (run.EndedByPoint()) {
            s.Outcome = last.CollidesMoon    ? FlightOutcome::CollisionMoon
                        : last.CollidesEarth ? FlightOutcome::CollisionEarth
                                             : FlightOutcome::Escape;
        } else if (limitReached_ && code == Dop853Stopped) {
            s.Outcome = FlightOutcome::TimeLimit;
        } else {
            s.Outcome = FlightOutcome::Integrator;
        }
        s.Index = last.Index;
        s.T = last.T;
        s.Step = report_.Steps();
        s.TimeText = last.TimeText;
        s.ErrorJacobiText = FormatExp13_4(report_.LastStep().ErrorJacobi);
        s.Jacobi0Text = run.Jacobi0Text();
        s.VelocityText = last.VelocityText;
        s.Bar = last.Bar;
        s.MoonMinKm = report_.MoonMinKm();
        s.MoonMinT = report_.MoonMinT();
        s.MoonMinTime = report_.MoonMinTimeText();
        s.EarthMinKm = report_.EarthMinKm();
        s.Points = report_.Points();
        return s;
    }

private:
    void CheckLimit(double t)
    {
        if (limit_.MaxDays > 0.0 && static_cast<double>(t * DaysPerTimeUnit) >= limit_.MaxDays)
            limitReached_ = true;
    }

    FlightLimit limit_;
    const FlightPointObserver& observer_;
    FlightReport report_;  // the closest approaches and counts, as a window reports them
    bool limitReached_ = false;
};

std::string IntText(long long value) { return std::to_string(value); }

}  // namespace

HeadlessViews::HeadlessViews(int fullWidth, int fullHeight, bool fullViewChecked,
                             const FrameTurnTable* turns)
    : full_(fullWidth, fullHeight), luno_(InsetSize, InsetSize), geo_(InsetSize, InsetSize),
      turns_(turns)
{
    SetFullViewFrame(full_, fullViewChecked);
    SetLunocentricFrame(luno_);
    SetGeocentricFrame(geo_);
}

std::string OutcomeText(const FlightSummary& summary)
{
    switch (summary.Outcome) {
    case FlightOutcome::CollisionMoon:
        return "collision-moon";
    case FlightOutcome::CollisionEarth:
        return "collision-earth";
    case FlightOutcome::Escape:
        return "escape";
    case FlightOutcome::TimeLimit:
        return "time-limit";
    case FlightOutcome::Integrator:
        break;
    }
    return "integrator-" + IntText(summary.IntegratorCode);
}

FlightSummary FlySummary(const EarthMoonState& launch, const HeadlessViews& views,
                         FlightLimit limit, const FlightPointObserver& observer,
                         const std::vector<FlightBurn>& burns)
{
    SummaryDisplay display(limit, observer);
    FlightRun run(launch, views.Get(), display);
    if (!burns.empty())
        run.SetBurns(burns);
    const Dop853Result integration = run.Fly();
    FlightSummary summary = display.Summary(run, integration);
    if (!burns.empty()) {
        summary.HasBurns = true;
        summary.BurnsDone = run.BurnsDone();
        for (const FlightBurnDone& done : summary.BurnsDone)
            summary.BurnDvKms += BurnDvKms(burns[static_cast<std::size_t>(done.Nr)]);
    }
    return summary;
}

std::string SummaryLine(const FlightSummary& s)
{
    std::string line;
    line.reserve(256);
    line += "outcome=" + OutcomeText(s);
    line += " index=" + IntText(s.Index);
    line += " t=" + FixedText(s.T, 9);
    line += " step=" + IntText(s.Step);
    line += " time=\"" + s.TimeText + "\"";
    line += " error_jacobi=\"" + s.ErrorJacobiText + "\"";
    line += " jacobi0=\"" + s.Jacobi0Text + "\"";
    line += " velocity=\"" + s.VelocityText + "\"";
    line += " bar=" + IntText(s.Bar);
    line += " moon_min_km=" + FixedText(s.MoonMinKm, 3);
    line += " moon_min_time=\"" + s.MoonMinTime + "\"";
    line += " earth_min_km=" + FixedText(s.EarthMinKm, 3);
    line += " points=" + IntText(s.Points);
    if (s.HasBurns) {
        line += " burns=" + IntText(static_cast<long long>(s.BurnsDone.size()));
        line += " dv_kms=" + FixedText(s.BurnDvKms, 4);
    }
    return line;
}

std::string SummaryJson(const FlightSummary& s, const std::string& extraFields)
{
    std::string json = "{";
    if (!extraFields.empty())
        json += extraFields + ",";
    json += "\"outcome\":" + JsonString(OutcomeText(s));
    json += ",\"index\":" + IntText(s.Index);
    json += ",\"t\":" + JsonNumber(s.T, 9);
    json += ",\"step\":" + IntText(s.Step);
    json += ",\"time\":" + JsonNumber(static_cast<double>(s.T * DaysPerTimeUnit), 6);
    json += ",\"time_text\":" + JsonString(s.TimeText);
    json += ",\"error_jacobi\":" + JsonNumberOfText(s.ErrorJacobiText);
    json += ",\"error_jacobi_text\":" + JsonString(s.ErrorJacobiText);
    json += ",\"jacobi0\":" + JsonNumberOfText(s.Jacobi0Text);
    json += ",\"jacobi0_text\":" + JsonString(s.Jacobi0Text);
    json += ",\"velocity\":" + JsonNumberOfText(s.VelocityText);
    json += ",\"velocity_text\":" + JsonString(s.VelocityText);
    json += ",\"bar\":" + IntText(s.Bar);
    json += ",\"moon_min_km\":" + JsonNumber(s.MoonMinKm, 3);
    json += ",\"moon_min_time\":" +
            (s.MoonMinTime.empty() ? std::string("null")
                                   : JsonNumber(static_cast<double>(s.MoonMinT * DaysPerTimeUnit), 6));
    json += ",\"moon_min_time_text\":" + JsonString(s.MoonMinTime);
    json += ",\"earth_min_km\":" + JsonNumber(s.EarthMinKm, 3);
    json += ",\"points\":" + IntText(s.Points);
    if (s.HasBurns) {
        json += ",\"burns\":" + IntText(static_cast<long long>(s.BurnsDone.size()));
        json += ",\"dv_kms\":" + JsonNumber(s.BurnDvKms, 4);
    }
    json += "}";
    return json;
}

std::string CsvHeader()
{
    return "index,t,days,earth_x_km,earth_y_km,moon_x_km,moon_y_km,speed_kms,"
           "moon_distance_km,jacobi_drift";
}

std::string CsvRow(const FlightPoint& p, double jacobiDrift)
{
    // Written straight into the row: one allocation per row instead of one per field.
    const GeocentricPicture& g = p.Picture;
    std::string row;
    row.reserve(160);
    char buffer[400];
    const auto append = [&](std::to_chars_result written) {
        row.append(buffer, written.ptr);
    };
    const auto fixed = [&](double value, int decimals) {
        row += ',';
        append(std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed,
                             decimals));
    };
    const auto km = [&fixed](double units) {
        fixed(static_cast<double>(units * DistanceUnitKm), 3);
    };
    append(std::to_chars(buffer, buffer + sizeof buffer, p.Index));
    fixed(p.T, 9);
    fixed(static_cast<double>(p.T * DaysPerTimeUnit), 6);
    km(g.Craft.X);
    km(g.Craft.Y);
    km(g.Craft.X - g.Moon.X);
    km(g.Craft.Y - g.Moon.Y);
    fixed(p.SpeedKms, 6);
    km(p.MoonDistance);
    row += ',';
    append(std::to_chars(buffer, buffer + sizeof buffer, jacobiDrift,
                         std::chars_format::scientific, 6));
    return row;
}

std::string FixedText(double value, int decimals)
{
    // 309 integer digits at most, a sign, a point and the decimals.
    char buffer[400];
    const auto end =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, decimals);
    return std::string(buffer, end.ptr);
}

std::string ShortestText(double value)
{
    char buffer[400];
    const auto end = std::to_chars(buffer, buffer + sizeof buffer, value);
    return std::string(buffer, end.ptr);
}

std::string JsonNumber(double value, int decimals)
{
    if (!std::isfinite(value))
        return "null";
    return decimals < 0 ? ShortestText(value) : FixedText(value, decimals);
}

std::string JsonNumberOfText(const std::string& text)
{
    // The shown digits, blanks left out, when they already form a JSON number
    // ("   8.659E-009" gives 8.659E-009); otherwise the value they read as.
    const std::size_t first = text.find_first_not_of(' ');
    const std::size_t last = text.find_last_not_of(' ');
    const std::string digits = first == std::string::npos ? "" : text.substr(first, last - first + 1);
    std::size_t i = 0;
    const auto run = [&] {
        const std::size_t start = i;
        while (i < digits.size() && digits[i] >= '0' && digits[i] <= '9')
            ++i;
        return i > start;
    };
    if (i < digits.size() && digits[i] == '-')
        ++i;
    bool valid = i < digits.size() && (digits[i] == '0' ? (++i, true) : run());
    if (valid && i < digits.size() && digits[i] == '.')
        valid = (++i, run());
    if (valid && i < digits.size() && (digits[i] == 'E' || digits[i] == 'e')) {
        ++i;
        if (i < digits.size() && (digits[i] == '+' || digits[i] == '-'))
            ++i;
        valid = run();
    }
    if (valid && i == digits.size())
        return digits;
    double value = 0.0;
    return TryStrToFloat(text, value) ? JsonNumber(value, -1) : "null";
}

std::string JsonString(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text) {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (u < 0x20) {
            static constexpr char hex[] = "0123456789abcdef";
            out += "\\u00";
            out += hex[u >> 4];
            out += hex[u & 15];
        } else {
            out += c;
        }
    }
    return out + "\"";
}

}  // namespace orrimar
