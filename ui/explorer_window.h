// The Explorer: a tool window of the main window that follows the flight it flies, point
// by point, and explains it: a report of how it went, the flight in the Moon's rotating
// frame with the region it cannot enter, and its distances, speed and Jacobi drift over
// time. What it shows is a flight's record, so a finished flight can be shown again as
// if followed; "Save flight as CSV…" writes that record's points off the window's
// thread. Its "Launch map" tab flies a region of launches around the main window's fields.
#pragma once

#include "flight/flight_burn.h"
#include "flight/flight_preview.h"
#include "flight/flight_record.h"
#include "ui/burns_log.h"

#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <memory>
#include <vector>

class QLabel;
class QPushButton;
class QSplitter;
class QTabWidget;
class QTimer;

namespace orrimar {

class BurnsPanel;
class FlightCharts;
class LaunchMapPanel;
class MoonFrameView;
class PreviewRunner;

// The main window's launch as its fields read at Start, and its full view: what the
// launch map is centred on and flies its cells in.
struct MapLaunch {
    double AltitudeKm = 0.0;
    double AngleDeg = 0.0;
    double VelocityKms = 0.0;
    int ViewWidth = 0;
    int ViewHeight = 0;
    bool FullView = true;
};

// Asks for a file to write: (caption, suggested name, filter) -> path, empty when
// cancelled. The standard dialog unless replaced (tests replace it).
using SavePathAsker =
    std::function<QString(const QString& caption, const QString& name, const QString& filter)>;
void setSavePathAsker(SavePathAsker asker);

class ExplorerWindow : public QWidget {
    Q_OBJECT

public:
    // picture: the main window's view (unused: "Save picture…" saves what the Explorer
    // shows); mapLaunch: the main window's launch and view now (defaults when empty);
    // flightRunning: whether it flies. With a parent it is a tool window above it.
    explicit ExplorerWindow(std::function<QImage()> picture,
                            std::function<MapLaunch()> mapLaunch = {},
                            std::function<bool()> flightRunning = {}, QWidget* parent = nullptr);
    ~ExplorerWindow() override;

    // The main window's flight, as it shows it. A step numbered 0 begins a flight; a
    // flight under way when the Explorer opened is followed from the next one.
    void followStep(const FlightStep& step);
    void followPoint(const FlightPoint& point);
    void followEnd(const Dop853Result& result, bool cancelRequested, const CsvLaunch& launch);
    void showPaused(bool paused);
    // A finished flight's record shown as if it had been followed (nothing while a
    // flight is followed).
    void showFlight(std::shared_ptr<const FlightRecord> record);

    bool following() const { return following_; }
    const FlightReport& report() const { return record_->Report(); }
    // The flight shown: the one followed, or the last one given.
    std::shared_ptr<const FlightRecord> flight() const { return record_; }
    // The report as shown, one "Caption: value" per line.
    QString reportText() const;
    bool csvSaving() const { return csvJob_.isRunning(); }
    LaunchMapPanel* launchMap() const { return mapPanel_; }
    // The map centred on the main window's launch, if it changed since the map last took
    // it, and flown in its current view; nothing while the map computes.
    void updateLaunchMap();

    // The burns planned after launch (Start flies them), and their panel.
    std::vector<FlightBurn> burns() const;
    void setBurns(std::vector<FlightBurn> burns);
    BurnsPanel* burnsPanel() const { return burnsPanel_; }
    // The Moon's frame shows the predicted flight of the main window's launch with the
    // burns, computed again off the window's thread; none while launchValid is false.
    void updatePreview(bool launchValid);
    PreviewRunner* previewRunner() const { return previewRunner_; }
    const PreviewResult* preview() const;

    // The tab in front: 0 the Moon's frame, 1 over time, 2 the launch map.
    static constexpr int TabCount = 3;
    int currentTab() const;
    void setCurrentTab(int index);

    // What "Save picture…" saves: the tab in front as on screen (the launch map with its
    // legend and parameters).
    QImage picture() const;

public slots:
    void savePicture();
    void saveCsv();

signals:
    void pauseClicked();
    // A CSV export ended: empty when written, else the failure's text.
    void csvSaved(const QString& error);

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void refresh();
    void showReport();
    void updateCsvButton();

    // The record shown; while following, live_ is the same one, being filled.
    std::shared_ptr<const FlightRecord> record_;
    std::shared_ptr<FlightRecord> live_;
    bool following_ = false;
    bool dirty_ = false;
    int refreshes_ = 0;
    std::function<MapLaunch()> mapLaunch_;
    std::function<bool()> flightRunning_;
    // The centre last given to the map (or chosen in it): unchanged fields keep the
    // spin boxes as the user left them.
    double mapAltitude_ = 0.0;
    double mapAngle_ = 0.0;
    double mapVelocity_ = 0.0;

    QLabel* noteLabel_ = nullptr;
    QLabel* reportLabel_ = nullptr;
    QSplitter* splitter_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* pictureButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    MoonFrameView* frameView_ = nullptr;
    FlightCharts* charts_ = nullptr;
    LaunchMapPanel* mapPanel_ = nullptr;
    BurnsPanel* burnsPanel_ = nullptr;
    PreviewRunner* previewRunner_ = nullptr;
    bool launchValid_ = false;
    BurnsLog burnsLog_;  // the followed flight's burns
    QTimer* refreshTimer_ = nullptr;
    QFutureWatcher<QString> csvJob_;
};

}  // namespace orrimar
