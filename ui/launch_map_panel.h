// The "Launch map" panel: a region of launch angle × launch velocity at the given
// altitude flown cell by cell in background threads, shown as it fills in; zooming by a
// dragged rectangle, down to what the fields can express, with Back to the previous map
// (a bounded history: old maps are kept as their regions and flown again); a cell's
// launch chosen or flown by a click or double-click; the map saved as PNG or CSV.
#pragma once

#include "ui/launch_map_view.h"

#include <QElapsedTimer>
#include <QTimer>
#include <QWidget>

#include <atomic>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

class QCheckBox;
class QDoubleSpinBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSpinBox;

namespace orrimar {

class LaunchMapPanel : public QWidget {
    Q_OBJECT

public:
    // altitudeKm, angleDeg and velocityKms: the launch the map is centred on; the full
    // view's size (pixels) and "Full view" state, as the cells' flights use them;
    // flightRunning: whether a flight runs in the main window (then one core fewer).
    LaunchMapPanel(double altitudeKm, double angleDeg, double velocityKms, int viewWidth,
                   int viewHeight, bool fullView, std::function<bool()> flightRunning = {},
                   QWidget* parent = nullptr);
    ~LaunchMapPanel() override;

    // A new centre: the axes' spin boxes are set around it (the shown map stays).
    void setLaunch(double altitudeKm, double angleDeg, double velocityKms);
    // The spin boxes set to region exactly (its altitude included).
    void setRegion(const MapRegion& region);
    void setView(int viewWidth, int viewHeight, bool fullView);
    void setFlightRunning(std::function<bool()> flightRunning);

    // Compute: flies the region of the spin boxes, the map shown when it is the same
    // region (its cells not yet flown), otherwise a new map on the stack.
    void compute();
    // Stops the computation: no flight starts any more; returns when the threads ended.
    void cancel();
    // Back to the previous map of the stack.
    void back();
    // A finer map of cells a0…a1 × v0…v1 of the map shown, computed at once.
    void zoom(int a0, int a1, int v0, int v1);

    bool computing() const { return worker_.joinable(); }
    // Threads of the computation under way or last started.
    int threads() const { return threads_; }
    // The map shown (valid until it is popped by Back or replaced by Compute).
    const LaunchMapCells* map() const { return current_.get(); }
    // Maps Back can return to, the one shown included.
    int mapCount() const { return static_cast<int>(history_.size()) + (current_ ? 1 : 0); }
    // Past maps kept whole (the others are kept as their regions).
    int keptMaps() const;
    // The progress line under the map.
    QString progressText() const;

    // Back returns through at most this many maps, and keeps the cells of the latest ones
    // up to this many bytes.
    static constexpr std::size_t MaxHistory = 32;
    static constexpr std::size_t MaxKeptHistoryBytes = std::size_t{64} << 20;
    // What the spin boxes take: angles within ±AngleRange degrees, velocities within
    // ±VelocityRange km/s, 1 to MaxCellsPerAxis cells, MinDays to MaxDays days.
    static constexpr double AngleRange = 10000.0;
    static constexpr double VelocityRange = 100.0;
    static constexpr int MaxCellsPerAxis = 2000;
    static constexpr double MinDays = 0.1;
    static constexpr double MaxDays = 100000.0;
    // The region the spin boxes describe.
    MapRegion region() const;
    // The spin boxes as a first opening sets them around the launch (not while computing).
    void resetRegion();
    LaunchMapView* view() const { return view_; }

    // Save as…: the file chosen with a dialog; false when cancelled or failed (a failure
    // is said in an error box).
    bool saveCsvAs();
    bool savePngAs();
    bool saveCsv(const QString& path);
    bool savePng(const QString& path);
    // The map as saved: the map with its axes, the legend, and the region's parameters.
    QImage picture();

    // For tests: replaces the file dialog; returns the path, or empty for Cancel.
    void setSavePathHook(std::function<QString(const QString& caption, const QString& filter)> hook);

signals:
    // A cell clicked: its angle and velocity as the fields' texts.
    void cellChosen(const QString& angleText, const QString& velocityText);
    // A cell double-clicked: fly this launch.
    void flyRequested(const QString& angleText, const QString& velocityText);
    // The Compute button pressed, before its region is read: a host may set a new centre.
    void computeRequested();
    // A computation ended, completed or cancelled.
    void computationEnded();

protected:
    // Closing the panel's window cancels a computation (its threads joined).
    void closeEvent(QCloseEvent* event) override;
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void showRegion(const MapRegion& region);
    void showMap();
    void startWorker(int threads);
    void pushHistory(std::unique_ptr<LaunchMapCells> map);
    void updateStale();
    void finish();
    void poll();
    void takeResults();
    void updateButtons();
    void updateProgress();
    QString savePath(const QString& caption, const QString& filter);
    bool saveBytes(const QString& path, const QByteArray& bytes);
    QString parametersText() const;

    double altitude_;
    int viewWidth_;
    int viewHeight_;
    bool fullView_;
    std::function<bool()> flightRunning_;
    std::function<QString(const QString&, const QString&)> savePathHook_;

    // The map shown, and those before it (a map's cells dropped when over the bound: the
    // region stays, to be flown again).
    struct PastMap {
        MapRegion Region;
        std::unique_ptr<LaunchMapCells> Cells;
    };
    std::unique_ptr<LaunchMapCells> current_;
    std::deque<PastMap> history_;
    double launchAngle_ = 0.0;
    double launchVelocity_ = 0.0;
    QString note_;  // said once on the progress line (a zoom stopped at the resolution)
    // The region last written to the spin boxes, exactly (their decimals round); used
    // while the user has not edited them.
    MapRegion shownRegion_;
    bool edited_ = false;
    QWidget* watchedWindow_ = nullptr;

    // The computation: the worker thread flies the cells and queues the results; the
    // timer takes them on the window's thread a few times a second.
    std::thread worker_;
    std::atomic<bool> cancel_{false};
    std::atomic<bool> finished_{false};
    std::mutex mutex_;
    std::vector<std::pair<std::size_t, FlightSummary>> results_;  // guarded by mutex_
    std::string error_;                                             // guarded by mutex_
    QTimer pollTimer_;
    QElapsedTimer elapsed_;
    std::size_t runTotal_ = 0;
    std::size_t runFlown_ = 0;
    int threads_ = 0;

    QDoubleSpinBox* angleFrom_ = nullptr;
    QDoubleSpinBox* angleTo_ = nullptr;
    QDoubleSpinBox* velocityFrom_ = nullptr;
    QDoubleSpinBox* velocityTo_ = nullptr;
    QSpinBox* angleCells_ = nullptr;
    QSpinBox* velocityCells_ = nullptr;
    QDoubleSpinBox* days_ = nullptr;
    QCheckBox* exactEvents_ = nullptr;
    QLabel* altitudeLabel_ = nullptr;
    QPushButton* compute_ = nullptr;
    QPushButton* cancelButton_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* savePng_ = nullptr;
    QPushButton* saveCsv_ = nullptr;
    QProgressBar* progress_ = nullptr;
    QLabel* progressText_ = nullptr;
    LaunchMapView* view_ = nullptr;
    LaunchMapLegend* legend_ = nullptr;
};

}  // namespace orrimar
