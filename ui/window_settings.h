// What the main window remembers between runs: the launch in the fields, the preset list's
// choice, the speed slider, "Full view" and the window's geometry, and of the Explorer its
// geometry, whether it was open, its tab, the launch map's region and the planned burns.
// Every value read back is checked; a file that cannot be read or holds nonsense counts as
// empty.
#pragma once

#include "flight/flight_burn.h"
#include "flight/launch_map_cells.h"

#include <QByteArray>
#include <QList>
#include <QRect>
#include <QString>

#include <optional>
#include <vector>

class QSettings;
class QWidget;

namespace orrimar {

struct ExplorerState {
    QByteArray geometry;  // QWidget::saveGeometry(); empty for none
    std::optional<bool> open;
    std::optional<int> tab;
    // The launch map's axes, day limit and "Exact collisions"; its altitude is the fields'.
    std::optional<MapRegion> mapRegion;
    std::optional<std::vector<FlightBurn>> burns;

    bool empty() const { return geometry.isEmpty() && !open && !tab && !mapRegion && !burns; }
};

struct WindowState {
    // The fields' texts (blank positions as spaces); all three or none.
    QString altitude;
    QString velocity;
    QString angle;
    std::optional<int> preset;     // the preset list's index, -1 for none
    std::optional<int> speed;      // the speed slider's position
    std::optional<bool> fullView;
    QByteArray geometry;           // QWidget::saveGeometry(); empty for none
    ExplorerState explorer;        // empty when the Explorer was never opened
};

// The limits a value read back must keep to.
struct WindowStateLimits {
    int presetCount = 0;
    int speedMin = 0;
    int speedMax = 0;
    int explorerTabs = 0;
};

// Reads what an earlier run kept: the map's region within its spin boxes' ranges (each
// axis's "from" below its "to"), up to MaxFlightBurns burns as the Burns table takes them.
// On an unreadable file or any value out of its limits, returns nothing kept and sets
// problem to one line saying what was wrong.
WindowState readWindowState(const QSettings& settings, const WindowStateLimits& limits,
                            QString* problem);
// Keeps the state; launch texts only when given (all three), the rest as given. False
// when the file could not be written.
bool writeWindowState(QSettings& settings, const WindowState& state);

// Puts back a geometry kept by saveGeometry(), moved onto a screen by frameOnScreen();
// false when it is no geometry.
bool restoreGeometryOnScreen(QWidget* window, const QByteArray& geometry);

// A window's frame put back where it was, or moved onto the first screen when it lies
// off every one (a screen unplugged since): centred there, shrunk to fit.
QRect frameOnScreen(const QRect& frame, const QList<QRect>& screens);

}  // namespace orrimar
