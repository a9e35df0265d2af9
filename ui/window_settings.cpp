#include "ui/window_settings.h"

#include "fields/saved_launch.h"
#include "ui/burns_panel.h"
#include "ui/launch_map_panel.h"

#include <QGuiApplication>
#include <QLocale>
#include <QScreen>
#include <QSettings>
#include <QWidget>

#include <cmath>
#include <stdexcept>

namespace orrimar {

namespace {

const char AltitudeKey[] = "launch/altitude";
const char VelocityKey[] = "launch/velocity";
const char AngleKey[] = "launch/angle";
const char PresetKey[] = "launch/preset";
const char SpeedKey[] = "display/speed";
const char FullViewKey[] = "display/fullView";
const char GeometryKey[] = "mainWindow/geometry";
const char ExplorerGeometryKey[] = "explorer/geometry";
const char ExplorerOpenKey[] = "explorer/open";
const char ExplorerTabKey[] = "explorer/tab";
const char BurnsKey[] = "explorer/burns";
const char AngleFromKey[] = "launchMap/angleFrom";
const char AngleToKey[] = "launchMap/angleTo";
const char AngleCellsKey[] = "launchMap/angleCells";
const char VelocityFromKey[] = "launchMap/velocityFrom";
const char VelocityToKey[] = "launchMap/velocityTo";
const char VelocityCellsKey[] = "launchMap/velocityCells";
const char DaysKey[] = "launchMap/days";
const char ExactKey[] = "launchMap/exactCollisions";
const char* const MapKeys[] = {AngleFromKey,    AngleToKey, AngleCellsKey, VelocityFromKey,
                               VelocityToKey, VelocityCellsKey, DaysKey,  ExactKey};

// Each reader leaves problem alone and returns nothing when it is set already (the first
// thing wrong is the one said), or when the key is absent.

// An integer within [low, high], or the reason it is not.
std::optional<int> ReadInt(const QSettings& settings, const char* key, int low, int high,
                           QString* problem)
{
    if (!problem->isEmpty() || !settings.contains(key))
        return std::nullopt;
    bool ok = false;
    const int value = settings.value(key).toString().toInt(&ok);
    if (!ok || value < low || value > high) {
        *problem = QString("%1 is not a whole number from %2 to %3").arg(key).arg(low).arg(high);
        return std::nullopt;
    }
    return value;
}

// A finite number within [low, high].
std::optional<double> ReadNumber(const QSettings& settings, const char* key, double low,
                                 double high, QString* problem)
{
    if (!problem->isEmpty() || !settings.contains(key))
        return std::nullopt;
    bool ok = false;
    const double value = settings.value(key).toString().toDouble(&ok);
    if (!ok || !(value >= low && value <= high)) {
        *problem = QString("%1 is not a number from %2 to %3").arg(key).arg(low).arg(high);
        return std::nullopt;
    }
    return value;
}

std::optional<bool> ReadBool(const QSettings& settings, const char* key, QString* problem)
{
    if (!problem->isEmpty() || !settings.contains(key))
        return std::nullopt;
    const QString value = settings.value(key).toString();
    if (value == "true" || value == "false")
        return value == "true";
    *problem = QString(key) + " is neither true nor false";
    return std::nullopt;
}

QByteArray ReadGeometry(const QSettings& settings, const char* key, QString* problem)
{
    if (!problem->isEmpty() || !settings.contains(key))
        return {};
    const QVariant geometry = settings.value(key);
    if (geometry.typeId() == QMetaType::QByteArray)
        return geometry.toByteArray();
    *problem = QString(key) + " is no saved geometry";
    return {};
}

// The map's region as its spin boxes would take it, all of it or none (its altitude is
// left at 0: the fields give it).
std::optional<MapRegion> ReadMapRegion(const QSettings& settings, QString* problem)
{
    int present = 0;
    for (const char* key : MapKeys)
        present += settings.contains(key) ? 1 : 0;
    if (!problem->isEmpty() || present == 0)
        return std::nullopt;
    if (present < static_cast<int>(std::size(MapKeys))) {
        *problem = "the launch map's region is incomplete";
        return std::nullopt;
    }
    using Panel = LaunchMapPanel;
    const auto angle = [&](const char* key) {
        return ReadNumber(settings, key, -Panel::AngleRange, Panel::AngleRange, problem);
    };
    const auto velocity = [&](const char* key) {
        return ReadNumber(settings, key, -Panel::VelocityRange, Panel::VelocityRange, problem);
    };
    const auto cells = [&](const char* key) {
        return ReadInt(settings, key, 1, Panel::MaxCellsPerAxis, problem);
    };
    MapRegion region;
    region.Angle.From = angle(AngleFromKey).value_or(0.0);
    region.Angle.To = angle(AngleToKey).value_or(0.0);
    region.Angle.Count = cells(AngleCellsKey).value_or(0);
    region.Velocity.From = velocity(VelocityFromKey).value_or(0.0);
    region.Velocity.To = velocity(VelocityToKey).value_or(0.0);
    region.Velocity.Count = cells(VelocityCellsKey).value_or(0);
    region.MaxDays =
        ReadNumber(settings, DaysKey, Panel::MinDays, Panel::MaxDays, problem).value_or(0.0);
    region.ExactEvents = ReadBool(settings, ExactKey, problem).value_or(false);
    if (problem->isEmpty() && !(region.Angle.From < region.Angle.To))
        *problem = QString(AngleFromKey) + " is not below " + AngleToKey;
    if (problem->isEmpty() && !(region.Velocity.From < region.Velocity.To))
        *problem = QString(VelocityFromKey) + " is not below " + VelocityToKey;
    if (!problem->isEmpty())
        return std::nullopt;
    return region;
}

// Up to MaxFlightBurns burns as the Burns table takes them.
std::optional<std::vector<FlightBurn>> ReadBurns(const QSettings& settings, QString* problem)
{
    if (!problem->isEmpty() || !settings.contains(BurnsKey))
        return std::nullopt;
    const QVariant plan = settings.value(BurnsKey);
    try {
        if (plan.typeId() != QMetaType::QString)
            throw std::invalid_argument("not one line of burns");
        std::vector<FlightBurn> burns = ParseBurnPlan(plan.toString().toStdString());
        for (const FlightBurn& burn : burns)
            if (const QString why = BurnsPanel::refusal(burn); !why.isEmpty())
                throw std::invalid_argument(why.toStdString());
        return burns;
    } catch (const std::invalid_argument& e) {
        *problem = QString(BurnsKey) + ": " + QString::fromUtf8(e.what());
        return std::nullopt;
    }
}

ExplorerState ReadExplorerState(const QSettings& settings, const WindowStateLimits& limits,
                                QString* problem)
{
    ExplorerState state;
    state.geometry = ReadGeometry(settings, ExplorerGeometryKey, problem);
    state.open = ReadBool(settings, ExplorerOpenKey, problem);
    state.tab = ReadInt(settings, ExplorerTabKey, 0, limits.explorerTabs - 1, problem);
    state.mapRegion = ReadMapRegion(settings, problem);
    state.burns = ReadBurns(settings, problem);
    return state;
}

QString Number(double value) { return QString::number(value, 'g', QLocale::FloatingPointShortest); }

}  // namespace

WindowState readWindowState(const QSettings& settings, const WindowStateLimits& limits,
                            QString* problem)
{
    QString why;
    if (settings.status() != QSettings::NoError) {
        why = "the file cannot be read";
    } else {
        WindowState state;
        const bool anyLaunch = settings.contains(AltitudeKey) ||
                               settings.contains(VelocityKey) || settings.contains(AngleKey);
        if (anyLaunch) {
            state.altitude = settings.value(AltitudeKey).toString();
            state.velocity = settings.value(VelocityKey).toString();
            state.angle = settings.value(AngleKey).toString();
            if (!LaunchTextsRestorable(state.altitude.toStdString(),
                                       state.velocity.toStdString(),
                                       state.angle.toStdString()))
                why = "the launch is not one the fields take";
        }
        state.preset = ReadInt(settings, PresetKey, -1, limits.presetCount - 1, &why);
        state.speed = ReadInt(settings, SpeedKey, limits.speedMin, limits.speedMax, &why);
        state.fullView = ReadBool(settings, FullViewKey, &why);
        state.geometry = ReadGeometry(settings, GeometryKey, &why);
        state.explorer = ReadExplorerState(settings, limits, &why);
        if (why.isEmpty())
            return state;
    }
    if (problem != nullptr)
        *problem = "settings in " + settings.fileName() + " ignored: " + why;
    return {};
}

bool writeWindowState(QSettings& settings, const WindowState& state)
{
    if (!state.altitude.isEmpty() && !state.velocity.isEmpty() && !state.angle.isEmpty()) {
        settings.setValue(AltitudeKey, state.altitude);
        settings.setValue(VelocityKey, state.velocity);
        settings.setValue(AngleKey, state.angle);
    }
    if (state.preset)
        settings.setValue(PresetKey, *state.preset);
    if (state.speed)
        settings.setValue(SpeedKey, *state.speed);
    if (state.fullView)
        settings.setValue(FullViewKey, *state.fullView);
    if (!state.geometry.isEmpty())
        settings.setValue(GeometryKey, state.geometry);
    const ExplorerState& explorer = state.explorer;
    if (!explorer.geometry.isEmpty())
        settings.setValue(ExplorerGeometryKey, explorer.geometry);
    if (explorer.open)
        settings.setValue(ExplorerOpenKey, *explorer.open);
    if (explorer.tab)
        settings.setValue(ExplorerTabKey, *explorer.tab);
    if (const std::optional<MapRegion>& region = explorer.mapRegion) {
        // The shortest texts that read back as the same numbers.
        settings.setValue(AngleFromKey, Number(region->Angle.From));
        settings.setValue(AngleToKey, Number(region->Angle.To));
        settings.setValue(AngleCellsKey, region->Angle.Count);
        settings.setValue(VelocityFromKey, Number(region->Velocity.From));
        settings.setValue(VelocityToKey, Number(region->Velocity.To));
        settings.setValue(VelocityCellsKey, region->Velocity.Count);
        settings.setValue(DaysKey, Number(region->MaxDays));
        settings.setValue(ExactKey, region->ExactEvents);
    }
    if (explorer.burns)
        settings.setValue(BurnsKey, QString::fromStdString(BurnPlanText(*explorer.burns)));
    settings.sync();
    return settings.status() == QSettings::NoError;
}

bool restoreGeometryOnScreen(QWidget* window, const QByteArray& geometry)
{
    if (geometry.isEmpty() || !window->restoreGeometry(geometry))
        return false;
    QList<QRect> screens;
    for (const QScreen* screen : QGuiApplication::screens())
        screens << screen->availableGeometry();
    const QRect frame = window->frameGeometry();
    const QRect placed = frameOnScreen(frame, screens);
    if (placed != frame) {
        window->resize(placed.size() - (frame.size() - window->size()));
        window->move(placed.topLeft());
    }
    return true;
}

QRect frameOnScreen(const QRect& frame, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return frame;
    for (const QRect& screen : screens) {
        // Enough of the title bar on a screen to grab it.
        const QRect grip = screen.intersected(frame);
        if (grip.width() >= 50 && grip.height() >= 20)
            return frame;
    }
    const QRect& first = screens.first();
    QRect moved(QPoint(), frame.size().boundedTo(first.size()));
    moved.moveCenter(first.center());
    return moved;
}

}  // namespace orrimar
