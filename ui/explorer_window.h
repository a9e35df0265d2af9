// The Explorer: a second window that follows the flight the main window flies, point by
// point, and explains it: a report of how it went, the flight in the Moon's rotating
// frame with the region it cannot enter, and its distances, speed and Jacobi drift over
// time. It never flies a launch itself to follow it; only "Save flight as CSV…" flies
// the last launch again off the window's thread, to write the tool's file.
#pragma once

#include "flight/flight_csv.h"
#include "flight/flight_report.h"

#include <QFutureWatcher>
#include <QImage>
#include <QString>
#include <QWidget>

#include <functional>
#include <optional>

class QLabel;
class QPushButton;
class QTabWidget;
class QTimer;

namespace orrimar {

class FlightCharts;
class MoonFrameView;

// Asks for a file to write: (caption, suggested name, filter) -> path, empty when
// cancelled. The standard dialog unless replaced (tests replace it).
using SavePathAsker =
    std::function<QString(const QString& caption, const QString& name, const QString& filter)>;
void SetSavePathAsker(SavePathAsker asker);

class ExplorerWindow : public QWidget {
    Q_OBJECT

public:
    // picture: what ClipBoard copies, for "Save picture…".
    explicit ExplorerWindow(std::function<QImage()> picture, QWidget* parent = nullptr);
    ~ExplorerWindow() override;

    // The main window's flight, as it shows it. A step numbered 0 begins a flight; a
    // flight under way when the Explorer opened is followed from the next one.
    void followStep(const FlightStep& step);
    void followPoint(const FlightPoint& point);
    void followEnd(const Dop853Result& result, bool cancelRequested, const CsvLaunch& launch);
    void showPaused(bool paused);

    bool following() const { return following_; }
    const FlightReport& report() const { return report_; }
    // The report as shown, one "Caption: value" per line.
    QString reportText() const;
    bool csvSaving() const { return csvJob_.isRunning(); }

public slots:
    void savePicture();
    void saveCsv();

signals:
    void pauseClicked();
    // A CSV export ended: empty when written, else the failure's text.
    void csvSaved(const QString& error);

private:
    void refresh();
    void showReport();

    std::function<QImage()> picture_;
    FlightReport report_;
    bool following_ = false;
    bool dirty_ = false;
    int refreshes_ = 0;
    std::optional<CsvLaunch> lastLaunch_;

    QLabel* noteLabel_ = nullptr;
    QLabel* reportLabel_ = nullptr;
    QPushButton* pauseButton_ = nullptr;
    QPushButton* pictureButton_ = nullptr;
    QPushButton* csvButton_ = nullptr;
    QTabWidget* tabs_ = nullptr;
    MoonFrameView* frameView_ = nullptr;
    FlightCharts* charts_ = nullptr;
    QTimer* refreshTimer_ = nullptr;
    QFutureWatcher<QString> csvJob_;
};

}  // namespace orrimar
