#include "ui/window_settings.h"

#include "fields/saved_launch.h"

#include <QSettings>

namespace orrimar {

namespace {

const char AltitudeKey[] = "launch/altitude";
const char VelocityKey[] = "launch/velocity";
const char AngleKey[] = "launch/angle";
const char PresetKey[] = "launch/preset";
const char SpeedKey[] = "display/speed";
const char FullViewKey[] = "display/fullView";
const char GeometryKey[] = "mainWindow/geometry";

// An integer within [low, high], or the reason it is not.
std::optional<int> ReadInt(const QSettings& settings, const char* key, int low, int high,
                           QString* problem)
{
    if (!settings.contains(key))
        return std::nullopt;
    bool ok = false;
    const int value = settings.value(key).toString().toInt(&ok);
    if (!ok || value < low || value > high) {
        *problem = QString("%1 is not a whole number from %2 to %3").arg(key).arg(low).arg(high);
        return std::nullopt;
    }
    return value;
}

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
        if (why.isEmpty())
            state.preset = ReadInt(settings, PresetKey, -1, limits.presetCount - 1, &why);
        if (why.isEmpty())
            state.speed = ReadInt(settings, SpeedKey, limits.speedMin, limits.speedMax, &why);
        if (why.isEmpty() && settings.contains(FullViewKey)) {
            const QString fullView = settings.value(FullViewKey).toString();
            if (fullView == "true" || fullView == "false")
                state.fullView = fullView == "true";
            else
                why = QString(FullViewKey) + " is neither true nor false";
        }
        if (why.isEmpty() && settings.contains(GeometryKey)) {
            const QVariant geometry = settings.value(GeometryKey);
            if (geometry.typeId() == QMetaType::QByteArray)
                state.geometry = geometry.toByteArray();
            else
                why = QString(GeometryKey) + " is no saved geometry";
        }
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
    settings.sync();
    return settings.status() == QSettings::NoError;
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
