// The main window: the drawing area with the full view and its two insets, the
// control column, the status bar with the speed bar. A FlightController runs the flight;
// the window draws what it hands over, and so does the Explorer.
#pragma once

#include "fields/stepper.h"
#include "ui/flight_controller.h"
#include "ui/window_settings.h"

#include <QMainWindow>
#include <QPointer>

#include <memory>

class QAction;
class QCheckBox;
class QComboBox;
class QFrame;
class QGroupBox;
class QLabel;
class QProgressBar;
class QPushButton;
class QSettings;
class QSlider;
class QToolButton;

namespace orrimar {

class FlightRecord;

class ExplorerWindow;
class HelpWindow;
class FlightDrawing;
class MaskedField;
class PaintBox;
class RepaintPacer;
class StatusBar;
class StepperButtons;
struct FlightPoint;

// The widgets carry object names by role ("fullView", "startButton", "altitudeField",
// ...) for findChild; so do the actions ("startAction", "pauseAction", ...).
class MainWindow : public QMainWindow {
    Q_OBJECT

public:
    // openingSequence: show the About box and then the configuration sketch after the
    // window's first resize (tests switch it off).
    explicit MainWindow(bool openingSequence = true, QWidget* parent = nullptr);
    ~MainWindow() override;

    // The controls' enabled states and the maximise button for a flight's state: while
    // a flight runs, only what acts on it (and on the view) stays enabled.
    void showControlsFor(FlightController::State state);
    bool flying() const { return controller_->flying(); }
    bool paused() const { return controller_->paused(); }
    FlightController* flightController() const { return controller_; }

    // Draws one output point as the flight does (for tests of the drawing).
    void drawFlightPoint(const FlightPoint& point);
    // Index of the last output point drawn (-1 before the first flight).
    int lastPointIndex() const;

    // The Explorer window, once opened (null before, or after it was destroyed).
    ExplorerWindow* explorer() const;
    // What ClipBoard copies: the full view with the insets over it.
    QImage fullViewPicture();

    // Takes back what an earlier run kept in settings, and keeps the window's state there
    // when it closes (settings must outlive the window). Returns one line on what was
    // wrong with them when they were ignored, else an empty text.
    QString restoreSettings(QSettings* settings);
    // What the window would keep now.
    WindowState currentState() const;

public slots:
    void showExplorer();
    void showHelp();
    // Forgets the kept settings and puts the launch, preset, speed and Full view, and the
    // Explorer's tab, map region and burns, back to what a first start shows.
    void resetSettings();
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
    void createActions();
    void createDrawingArea();
    void createControlColumn();
    QGroupBox* createParamsGroup();
    QGroupBox* createStartStopGroup();
    QGroupBox* createDisplayGroup();
    void createStatusBar();
    void setObjectNames();
    void setAccessibleTexts();
    void createConnections();
    void connectController();
    void createExplorer();
    void connectExplorer();
    void setInitialState();
    void placeLunocentricInset();
    MaskedField* launchField(LaunchField field) const;
    StepperButtons* launchStepper(LaunchField field) const;
    bool fieldsIncomplete();
    // The fields or the view changed: the Explorer's preview follows.
    void planChanged();
    bool isLaunchField(const QObject* object) const;
    void endFlight(const Dop853Result& result);
    // Writes the line on how the flight went and announces it to screen readers.
    void showOutcome(const QString& text);
    void applyState(const WindowState& state);
    void applyExplorerState(const ExplorerState& state);

    // Actions, shared by the buttons and the keys.
    QAction* startAction_ = nullptr;
    QAction* cancelAction_ = nullptr;   // Escape
    QAction* helpAction_ = nullptr;     // F1
    QAction* configAction_ = nullptr;
    QAction* clipboardAction_ = nullptr;
    QAction* explorerAction_ = nullptr;  // Ctrl+E
    QAction* pauseAction_ = nullptr;     // P
    QAction* aboutAction_ = nullptr;
    QAction* exitAction_ = nullptr;

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
    QLabel* outcomeLabel_ = nullptr;  // how the last flight ended
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

    StatusBar* statusBar_ = nullptr;
    RepaintPacer* repaintPacer_ = nullptr;  // "repaintPacer"
    QProgressBar* speedBar_ = nullptr;

    FlightController* controller_ = nullptr;  // "flightController"
    std::unique_ptr<FlightDrawing> drawing_;
    // What the window's flights leave for an Explorer opened later: the flight being flown,
    // then the last one that ended.
    std::shared_ptr<FlightRecord> recording_;
    std::shared_ptr<const FlightRecord> lastFlight_;

    bool firstResizeDone_ = false;
    bool stepReportOpen_ = false;  // a step's error box is on the screen
    bool openingSequence_;
    QSettings* settings_ = nullptr;  // where the window's state is kept on closing
    WindowState defaults_;           // the controls as built, for resetSettings()
    QPointer<HelpWindow> help_;
    bool reopenExplorer_ = false;      // the Explorer was open when the last run closed
    ExplorerState pendingExplorer_;    // what it kept, until it is made
    QByteArray keptExplorerGeometry_;  // its geometry read back from the settings
};

}  // namespace orrimar
