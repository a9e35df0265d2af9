// The main window: the drawing area with the full view and its two insets, the
// control column, the status bar with the speed bar, and the flight run.
#pragma once

#include "fields/stepper.h"
#include "flight/flight_csv.h"
#include "ui/canvas.h"

#include <QMainWindow>
#include <QPointer>

#include <cstdint>
#include <memory>

class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QShortcut;
class QSlider;
class QToolButton;

namespace orrimar {

class ExplorerWindow;
class MaskedField;
class PaintBox;
class RepaintPacer;
class StatusBar;
class StepperButtons;
struct FlightPoint;
struct FlightStep;

// The widgets carry object names by role ("fullView", "startButton", "altitudeField",
// ...) for findChild.
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // openingSequence: show the About box and then the configuration sketch after the
    // window's first resize (tests switch it off).
    explicit MainWindow(bool openingSequence = true, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Ticks per second of the pacing clock.
    static std::int64_t counterFrequency();

    // Flips the enabled state of every control tagged for it, and the maximise button.
    // Called in pairs around a flight.
    void toggleControls();
    bool flying() const { return flying_; }

    // The window's part of an output point: paces, draws, shows and sounds it.
    void paceFlight();
    void showFlightStep(const FlightStep& step);
    void drawFlightPoint(const FlightPoint& point);
    bool flightCancelRequested() const { return cancelRequested_; }
    // Index of the last output point drawn (-1 before the first flight).
    int lastPointIndex() const { return lastPointIndex_; }

    // The Explorer window, once opened (null before, or after it was destroyed).
    ExplorerWindow* explorer() const;
    // A paused flight waits in paceFlight(), handling events, until resumed.
    bool paused() const { return paused_; }
    // What ClipBoard copies: the full view with the insets over it.
    QImage fullViewPicture();

public slots:
    void showExplorer();
    void togglePause();

protected:
    void closeEvent(QCloseEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private slots:
    void startFlight();
    void cancelFlight();
    void showConfiguration();
    void showAbout();
    void copyToClipboard();
    void applyPreset(int index);
    void stepField(orrimar::LaunchField field, orrimar::StepDirection direction);
    // A launch chosen in the Explorer's map: written into the fields as a preset is, and
    // flown when fly; refused with a beep during a flight.
    void chooseMapLaunch(const QString& angleText, const QString& velocityText, bool fly);

private:
    void createDrawingArea();
    void createControlColumn();
    QGroupBox* createParamsGroup();
    QGroupBox* createStartStopGroup();
    QGroupBox* createDisplayGroup();
    void createStatusBar();
    void setObjectNames();
    void setAccessibleTexts();
    void createConnections();
    void setInitialState();
    void placeLunocentricInset();
    void setUpViews();
    void setUpInset(PaintBox& box, const QString& label, const QColor& disc, double radius);
    MaskedField* launchField(LaunchField field) const;
    StepperButtons* launchStepper(LaunchField field) const;
    bool fieldsIncomplete();
    void endFlight();
    void followFlightEnd(const Dop853Result& result, const CsvLaunch& launch);

    // Drawing area.
    QFrame* drawingArea_ = nullptr;
    PaintBox* fullView_ = nullptr;
    QFrame* lunocentricPanel_ = nullptr;
    PaintBox* lunocentricInset_ = nullptr;
    QFrame* geocentricPanel_ = nullptr;
    PaintBox* geocentricInset_ = nullptr;

    // Control column.
    QFrame* controlColumn_ = nullptr;
    QGroupBox* paramsGroup_ = nullptr;
    QLabel* altitudeLabel_ = nullptr;
    QLabel* velocityLabel_ = nullptr;
    QLabel* angleLabel_ = nullptr;
    MaskedField* altitudeField_ = nullptr;
    MaskedField* velocityField_ = nullptr;
    MaskedField* angleField_ = nullptr;
    StepperButtons* altitudeStepper_ = nullptr;
    StepperButtons* velocityStepper_ = nullptr;
    StepperButtons* angleStepper_ = nullptr;
    QComboBox* presetList_ = nullptr;
    QCheckBox* fullViewCheck_ = nullptr;
    QGroupBox* startStopGroup_ = nullptr;
    QToolButton* startButton_ = nullptr;
    QToolButton* cancelButton_ = nullptr;
    QToolButton* configButton_ = nullptr;
    QGroupBox* displayGroup_ = nullptr;
    QSlider* speedSlider_ = nullptr;
    QLabel* slowLabel_ = nullptr;
    QLabel* arrowLabel_ = nullptr;
    QLabel* fastLabel_ = nullptr;
    QToolButton* aboutButton_ = nullptr;
    QPushButton* exitButton_ = nullptr;
    QToolButton* clipboardButton_ = nullptr;
    QToolButton* explorerButton_ = nullptr;
    QPointer<ExplorerWindow> explorer_;  // a child window: destroyed with this one
    bool paused_ = false;

    StatusBar* statusBar_ = nullptr;
    RepaintPacer* repaintPacer_ = nullptr;  // "repaintPacer"
    QShortcut* cancelShortcut_ = nullptr;  // Escape, during a flight
    QProgressBar* speedBar_ = nullptr;

    bool firstResizeDone_ = false;
    std::unique_ptr<Bitmap> moonBackground_;
    bool cancelRequested_ = false;
    bool stepReportOpen_ = false;  // a step's error box is on the screen
    int moonRadiusPx_ = 0;

    std::int64_t nextPointDeadline_ = 0;
    PixelRect moonBufferRect_;
    PixelRect moonScreenRect_;

    bool openingSequence_;
    bool flying_ = false;
    bool closeAfterFlight_ = false;  // the window was closed during a flight
    int lastPointIndex_ = -1;
};

}  // namespace orrimar
