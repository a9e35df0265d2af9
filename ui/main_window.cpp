// The main window's behaviour: its slots, the flight it starts and ends through its
// controller, keys, resizing and closing; its construction is in main_window_setup.cpp.
#include "ui/main_window.h"

#include "ui/about_dialog.h"
#include "ui/application.h"
#include "ui/config_sketch.h"
#include "fields/config_checks.h"
#include "flight/integrator_message.h"
#include "flight/launch_presets.h"
#include "formats/decimal_text.h"
#include "formats/number_format.h"
#include "fields/stepper.h"
#include "ui/flight_drawing.h"
#include "ui/flight_outcome.h"
#include "ui/help_window.h"
#include "ui/error_box.h"
#include "flight/flight_record.h"
#include "ui/explorer_window.h"
#include "ui/launch_map_panel.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"
#include "ui/status_bar.h"
#include "ui/stepper_buttons.h"
#include "ui/window_settings.h"
#include "fields/saved_launch.h"

#include <QAccessible>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QSettings>
#include <QSlider>
#include <QTimer>
#include <QToolButton>
#include <QWindow>

#include <cstdio>

#include <algorithm>
#include <chrono>
#include <tuple>
#include <utility>

namespace orrimar {

namespace {

// Ticks per second of the clock the flight is paced by.
std::int64_t CounterFrequency()
{
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
}

// A scope that runs its action on every way out, exceptions included.
template <typename Fn>
class AtExit {
public:
    explicit AtExit(Fn fn) : fn_(std::move(fn)) {}
    ~AtExit() { fn_(); }
    AtExit(const AtExit&) = delete;
    AtExit& operator=(const AtExit&) = delete;

private:
    Fn fn_;
};

}  // namespace

void MainWindow::createConnections()
{
    const std::pair<QAction*, void (MainWindow::*)()> handlers[] = {
        {startAction_, &MainWindow::startFlight},
        {cancelAction_, &MainWindow::cancelFlight},
        {configAction_, &MainWindow::showConfiguration},
        {clipboardAction_, &MainWindow::copyToClipboard},
        {explorerAction_, &MainWindow::showExplorer},
        {pauseAction_, &MainWindow::togglePause},
        {aboutAction_, &MainWindow::showAbout},
        {helpAction_, &MainWindow::showHelp},
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this,
                guarded([this, handler](bool) { (this->*handler)(); }));
    connect(exitAction_, &QAction::triggered, this, &QWidget::close);
    connect(exitButton_, &QPushButton::clicked, exitAction_, &QAction::trigger);
    connect(exitAction_, &QAction::enabledChanged, exitButton_, &QWidget::setEnabled);
    // A button set down or up by itself takes its action along (the group then acts).
    connect(startButton_, &QToolButton::toggled, startAction_, &QAction::setChecked);
    connect(configButton_, &QToolButton::toggled, configAction_, &QAction::setChecked);

    connect(presetList_, &QComboBox::activated, this,
            guarded([this](int index) { applyPreset(index); }));
    const std::tuple<StepperButtons*, MaskedField*, LaunchField> steppers[] = {
        {altitudeStepper_, altitudeField_, LaunchField::Altitude},
        {velocityStepper_, velocityField_, LaunchField::Velocity},
        {angleStepper_, angleField_, LaunchField::Angle}};
    for (const auto& [stepper, edit, field] : steppers) {
        const auto step =
            guarded([this, field](StepDirection direction) { stepField(field, direction); });
        connect(stepper, &StepperButtons::stepped, this, step);
        connect(edit, &MaskedField::stepRequested, this, step);
        edit->installEventFilter(this);
        // Typed, stepped, a preset or a map click: every change passes through the text.
        connect(edit, &QLineEdit::textChanged, this, [this] { planChanged(); });
    }
    connect(fullViewCheck_, &QCheckBox::toggled, this, [this] { planChanged(); });
}

void MainWindow::connectController()
{
    // The slider's wait from one point to the next: 0.1 ms per position below the top.
    controller_->setPointInterval([this] {
        const double wait = (speedSlider_->maximum() - speedSlider_->value()) *
                            static_cast<double>(CounterFrequency()) * 0.0001;
        return static_cast<std::int64_t>(RoundHalfEven(wait));
    });
    connect(controller_, &FlightController::stateChanged, this,
            [this](FlightController::State state) { showControlsFor(state); });
    connect(controller_, &FlightController::stepReady, this,
            guarded([this](const FlightStep& step) {
                drawing_->drawStep(step);
                if (recording_)
                    recording_->AddStep(step);
            }));
    connect(controller_, &FlightController::pointReady, this,
            guarded([this](const FlightPoint& point) {
                repaintPacer_->point();
                drawing_->drawPoint(point);
                if (recording_)
                    recording_->AddPoint(point);
            }));
    // Paused: everything drawn so far shows.
    connect(controller_, &FlightController::pausedChanged, this, [this](bool paused) {
        if (paused)
            repaintPacer_->showPending();
        // A flight that ended paused has said how it ended already.
        if (controller_->flying())
            showOutcome(paused ? "Paused" : "Flying");
    });
    connect(controller_, &FlightController::flightEnded, this,
            guarded([this](const Dop853Result& result, bool cancelRequested,
                           const CsvLaunch& launch) {
                if (recording_) {
                    recording_->Finish(result, cancelRequested, launch);
                    lastFlight_ = std::move(recording_);
                    showOutcome(flightOutcomeText(lastFlight_->Report()));
                }
                endFlight(result);
            }));
}

void MainWindow::connectExplorer()
{
    // After the window's own connections: the window draws a point, then the Explorer
    // follows it.
    connect(controller_, &FlightController::stepReady, explorer_, &ExplorerWindow::followStep);
    connect(controller_, &FlightController::pointReady, explorer_, &ExplorerWindow::followPoint);
    connect(controller_, &FlightController::flightEnded, explorer_, &ExplorerWindow::followEnd);
    connect(controller_, &FlightController::pausedChanged, explorer_, &ExplorerWindow::showPaused);
    connect(explorer_, &ExplorerWindow::pauseClicked, this, guarded([this] { togglePause(); }));
    // Pause (P) and Cancel (Escape) work in the Explorer too.
    explorer_->addAction(pauseAction_);
    explorer_->addAction(helpAction_);
    explorer_->addAction(cancelAction_);
}

void MainWindow::setInitialState()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    int panelsWidth = 0;
    for (int i = 0; i <= 4; ++i)
        panelsWidth += statusBar_->panelWidth(i);
    speedBar_->setParent(statusBar_);
    speedBar_->move(panelsWidth + 5, 5);
    speedBar_->show();
    showControlsFor(FlightController::State::Idle);
}

void MainWindow::showControlsFor(FlightController::State state)
{
    const bool idle = state == FlightController::State::Idle;
    for (QAction* action : {startAction_, configAction_, aboutAction_, exitAction_})
        action->setEnabled(idle);
    presetList_->setEnabled(idle);
    fullViewCheck_->setEnabled(idle);
    cancelAction_->setEnabled(!idle);
    // Changed on the platform window directly: going through setWindowFlags would hide
    // and re-create the window at every flight.
    const Qt::WindowFlags flags = idle ? windowFlags() | Qt::WindowMaximizeButtonHint
                                       : windowFlags() & ~Qt::WindowMaximizeButtonHint;
    if (flags == windowFlags())
        return;
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle())
        handle->setFlags(flags);
}

void MainWindow::cancelFlight() { controller_->cancel(); }

void MainWindow::showAbout() { showAboutBox(); }

QImage MainWindow::fullViewPicture()
{
    // At the window's narrowest the full view has no area: there is no picture.
    if (fullView_->width() <= 0 || fullView_->height() <= 0)
        return {};
    // What the window shows over the full view, the insets on top of it included, in the
    // screen's device pixels: on a HiDPI screen the sharp picture, its device pixel ratio
    // telling its logical size.
    return drawingArea_->grab(fullView_->geometry()).toImage();
}

void MainWindow::copyToClipboard()
{
    // Without a picture the clipboard keeps what it holds.
    const QImage picture = fullViewPicture();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
}

ExplorerWindow* MainWindow::explorer() const { return explorer_.data(); }

void MainWindow::createExplorer()
{
    const auto mapLaunch = [this] {
        // As Start reads the fields, and the view its flight is drawn in.
        return MapLaunch{LaunchValue(altitudeField_->fieldText().toStdString()),
                         LaunchValue(angleField_->fieldText().toStdString()),
                         LaunchValue(velocityField_->fieldText().toStdString()),
                         fullView_->ClientWidth(), fullView_->ClientHeight(),
                         fullViewCheck_->isChecked()};
    };
    explorer_ = new ExplorerWindow([this] { return fullViewPicture(); }, mapLaunch,
                                   [this] { return flying(); }, this);
    connectExplorer();
    // Opened after a flight: it shows that flight as if it had followed it.
    if (lastFlight_ && !flying())
        explorer_->showFlight(lastFlight_);
    LaunchMapPanel* map = explorer_->launchMap();
    connect(map, &LaunchMapPanel::cellChosen, this,
            guarded([this](const QString& angle, const QString& velocity) {
                chooseMapLaunch(angle, velocity, false);
            }));
    connect(map, &LaunchMapPanel::flyRequested, this,
            guarded([this](const QString& angle, const QString& velocity) {
                chooseMapLaunch(angle, velocity, true);
            }));
    // What the last run kept of it, read when the window started.
    if (!pendingExplorer_.empty()) {
        applyExplorerState(pendingExplorer_);
        pendingExplorer_ = {};
    }
    planChanged();
}

void MainWindow::showExplorer()
{
    if (!explorer_)
        createExplorer();
    else
        explorer_->updateLaunchMap();
    explorer_->show();
    explorer_->raise();
    explorer_->activateWindow();
}

void MainWindow::togglePause() { controller_->togglePause(); }

void MainWindow::planChanged()
{
    if (!explorer_)
        return;
    bool valid = true;
    for (MaskedField* field : {altitudeField_, velocityField_, angleField_})
        valid = valid && field->editMask().IsComplete(field->fieldText().toStdString());
    explorer_->updatePreview(valid);
}

bool MainWindow::fieldsIncomplete()
{
    for (MaskedField* field : {altitudeField_, velocityField_, angleField_})
        if (field->refuseIncomplete())
            return true;
    return false;
}

void MainWindow::showConfiguration()
{
    // A refused field gets the focus; nothing is drawn and the button stays down.
    if (fieldsIncomplete())
        return;
    double angle = 0.0;
    switch (CheckConfigTexts(altitudeField_->fieldText().toStdString(),
                             velocityField_->fieldText().toStdString(),
                             angleField_->fieldText().toStdString(), angle)) {
    case ConfigRefusal::Altitude:
        altitudeField_->setFocus();
        return;
    case ConfigRefusal::Velocity:
        velocityField_->setFocus();
        return;
    case ConfigRefusal::Angle:
        angleField_->setFocus();
        return;
    case ConfigRefusal::None:
        break;
    }
    drawConfigSketch(*fullView_, angle);
    configAction_->setChecked(false);
}

void MainWindow::applyPreset(int index)
{
    if (index < 0 || index >= static_cast<int>(LaunchPresets.size()))
        return;
    const LaunchPreset& preset = LaunchPresets[static_cast<std::size_t>(index)];
    speedSlider_->setFocus();
    auto text = [](std::string_view s) {
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    };
    altitudeField_->setFieldText(text(preset.Altitude));
    velocityField_->setFieldText(text(preset.Velocity));
    angleField_->setFieldText(text(preset.Angle));
}

void MainWindow::chooseMapLaunch(const QString& angleText, const QString& velocityText, bool fly)
{
    if (flying()) {
        QApplication::beep();  // the fields are disabled while a flight runs
        return;
    }
    velocityField_->setFieldText(velocityText);
    angleField_->setFieldText(angleText);
    // Started once the map's double-click has returned, as a click on Start.
    if (fly)
        QTimer::singleShot(0, this, guarded([this] {
                               if (!flying())
                                   startButton_->click();
                           }));
}

MaskedField* MainWindow::launchField(LaunchField field) const
{
    switch (field) {
    case LaunchField::Altitude:
        return altitudeField_;
    case LaunchField::Velocity:
        return velocityField_;
    case LaunchField::Angle:
        return angleField_;
    }
    return altitudeField_;
}

StepperButtons* MainWindow::launchStepper(LaunchField field) const
{
    switch (field) {
    case LaunchField::Altitude:
        return altitudeStepper_;
    case LaunchField::Velocity:
        return velocityStepper_;
    case LaunchField::Angle:
        return angleStepper_;
    }
    return altitudeStepper_;
}

void MainWindow::stepField(LaunchField field, StepDirection direction)
{
    if (stepReportOpen_)
        return;  // one report per press; repeats wait for the box to close
    MaskedField* edit = launchField(field);
    const StepResult result = StepFieldText(field, edit->fieldText().toStdString(), direction);
    switch (result.Outcome) {
    case StepOutcome::Stepped:
        edit->setFieldText(QString::fromStdString(result.Text));
        break;
    case StepOutcome::NotANumber: {
        // The box's modal loop keeps the mouse release from a held arrow, whose repeat
        // would open box inside box: the hold ends here.
        launchStepper(field)->releaseArrows();
        stepReportOpen_ = true;
        AtExit closed([this] { stepReportOpen_ = false; });
        showErrorBox(QString::fromStdString(result.Error));
        break;
    }
    case StepOutcome::Refused:
        QApplication::beep();
        break;
    }
}

// --- Resizing and closing -------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    placeLunocentricInset();
    if (!firstResizeDone_) {
        firstResizeDone_ = true;
        // Open when the last run closed: beside the window again, which keeps the focus.
        if (reopenExplorer_)
            QTimer::singleShot(0, this, guarded([this] {
                                   if (explorer_)
                                       explorer_->show();
                               }));
        if (openingSequence_) {
            // After the window is on the screen: the About box, then the sketch.
            QTimer::singleShot(0, this, guarded([this] {
                                   showAboutBox();
                                   configButton_->click();
                               }));
        }
    }
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The full view's size follows the window through the layout, after the window's
    // own resize: keep the lunocentric inset at its right edge then too.
    if (watched == fullView_ && event->type() == QEvent::Resize)
        placeLunocentricInset();
    // The window's keys reach it from a launch field too: P and Ctrl+E, which a line edit
    // would claim (a letter, the end of the line) though the field takes no letter, and
    // during a flight Escape, which it would claim to undo a change. Left unclaimed here,
    // they go to the actions.
    if (event->type() == QEvent::ShortcutOverride && isLaunchField(watched)) {
        const QKeySequence pressed(static_cast<QKeyEvent*>(event)->keyCombination());
        for (const QAction* action : {pauseAction_, explorerAction_, cancelAction_}) {
            if (action->isEnabled() && action->shortcut() == pressed) {
                event->ignore();
                return true;
            }
        }
    }
    return QMainWindow::eventFilter(watched, event);
}

bool MainWindow::isLaunchField(const QObject* object) const
{
    return object == altitudeField_ || object == velocityField_ || object == angleField_;
}

void MainWindow::placeLunocentricInset()
{
    lunocentricPanel_->move(fullView_->width() - lunocentricPanel_->width(), 0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    // A flight ends at once, drawing nothing more.
    controller_->abort();
    drawing_->end();
    // Whether the Explorer is open is kept before it closes; its map stops its flights with
    // its window.
    const WindowState state = currentState();
    if (explorer_)
        explorer_->close();
    if (settings_ && !writeWindowState(*settings_, state))
        std::fprintf(stderr, "orrimar: settings could not be kept in %s\n",
                     settings_->fileName().toLocal8Bit().constData());
    event->accept();
}

QString MainWindow::restoreSettings(QSettings* settings)
{
    settings_ = settings;
    defaults_ = currentState();
    defaults_.geometry.clear();
    if (settings == nullptr)
        return {};
    QString problem;
    const WindowState state = readWindowState(
        *settings,
        {static_cast<int>(LaunchPresets.size()), speedSlider_->minimum(), speedSlider_->maximum(),
         ExplorerWindow::TabCount},
        &problem);
    restoreGeometryOnScreen(this, state.geometry);
    applyState(state);
    // The Explorer is made now, after the fields it centres its map on, when it opens at
    // start or holds burns (Start flies them even while it is closed); otherwise when it is
    // first opened.
    pendingExplorer_ = state.explorer;
    reopenExplorer_ = state.explorer.open.value_or(false);
    if (reopenExplorer_ || (state.explorer.burns && !state.explorer.burns->empty())) {
        if (explorer_)
            applyExplorerState(std::exchange(pendingExplorer_, {}));
        else
            createExplorer();
    }
    return problem;
}

void MainWindow::applyState(const WindowState& state)
{
    if (!state.altitude.isEmpty()) {
        altitudeField_->setFieldText(state.altitude);
        velocityField_->setFieldText(state.velocity);
        angleField_->setFieldText(state.angle);
    }
    if (state.preset)
        presetList_->setCurrentIndex(*state.preset);
    if (state.speed)
        speedSlider_->setValue(*state.speed);
    if (state.fullView)
        fullViewCheck_->setChecked(*state.fullView);
}

void MainWindow::applyExplorerState(const ExplorerState& state)
{
    if (restoreGeometryOnScreen(explorer_, state.geometry))
        keptExplorerGeometry_ = state.geometry;
    LaunchMapPanel* map = explorer_->launchMap();
    if (state.mapRegion) {
        MapRegion region = *state.mapRegion;
        region.Altitude = map->region().Altitude;
        map->setRegion(region);
    }
    if (state.burns)
        explorer_->setBurns(*state.burns);
    if (state.tab)
        explorer_->setCurrentTab(*state.tab);
}

void MainWindow::resetSettings()
{
    if (settings_)
        settings_->clear();
    // The fields stay as they are during a flight: they are disabled then.
    if (!flying())
        applyState(defaults_);
    // The Explorer stays where it is, as the window does; what it shows starts afresh.
    pendingExplorer_ = {};
    // A place read back for an Explorer not shown since is forgotten too.
    keptExplorerGeometry_.clear();
    if (explorer_) {
        explorer_->setCurrentTab(0);
        explorer_->setBurns({});
        explorer_->launchMap()->resetRegion();
    }
}

void MainWindow::showHelp()
{
    if (!help_) {
        help_ = new HelpWindow(this);
        connect(help_, &HelpWindow::resetRequested, this, &MainWindow::resetSettings);
    }
    help_->show();
    help_->raise();
    help_->activateWindow();
}

WindowState MainWindow::currentState() const
{
    WindowState state;
    // The launch only as a start would take it: a half-typed field is not kept.
    const QString altitude = altitudeField_->fieldText();
    const QString velocity = velocityField_->fieldText();
    const QString angle = angleField_->fieldText();
    if (LaunchTextsRestorable(altitude.toStdString(), velocity.toStdString(),
                              angle.toStdString())) {
        state.altitude = altitude;
        state.velocity = velocity;
        state.angle = angle;
    }
    state.preset = presetList_->currentIndex();
    state.speed = speedSlider_->value();
    state.fullView = fullViewCheck_->isChecked();
    state.geometry = saveGeometry();
    if (explorer_) {
        ExplorerState& explorer = state.explorer;
        // An Explorer never shown in this run has only the geometry it was given (none
        // lets the window system place it when it first opens).
        explorer.geometry =
            explorer_->windowHandle() ? explorer_->saveGeometry() : keptExplorerGeometry_;
        explorer.open = explorer_->isVisible();
        explorer.tab = explorer_->currentTab();
        explorer.mapRegion = explorer_->launchMap()->region();
        explorer.burns = explorer_->burns();
    } else {
        state.explorer = pendingExplorer_;
    }
    return state;
}

// --- The flight -------------------------------------------------------------------

void MainWindow::startFlight()
{
    if (flying())
        return;  // one flight at a time
    startAction_->setChecked(false);
    // A field still being edited with a gap is refused before its text is flown.
    if (fieldsIncomplete())
        return;
    const std::string altitude = altitudeField_->fieldText().toStdString();
    const std::string velocity = velocityField_->fieldText().toStdString();
    const std::string angle = angleField_->fieldText().toStdString();
    startAction_->setChecked(true);
    speedSlider_->setFocus();

    drawing_->clear();
    showControlsFor(FlightController::State::Flying);
    const bool fullView = fullViewCheck_->isChecked();
    lunocentricPanel_->setVisible(!fullView);
    try {
        drawing_->begin(fullView);
        recording_ = std::make_shared<FlightRecord>();
        // Shown at most once per display frame while flying, and all of it at the end.
        repaintPacer_->begin();
        controller_->start(CsvLaunch{altitude, velocity, angle, fullView_->ClientWidth(),
                                     fullView_->ClientHeight(), fullView, {},
                                     explorer_ ? explorer_->burns() : std::vector<FlightBurn>{}});
    } catch (...) {
        repaintPacer_->end();
        drawing_->end();
        startAction_->setChecked(false);
        showControlsFor(FlightController::State::Idle);
        throw;
    }
    statusBar_->setPanelText(2, QString::fromStdString(controller_->jacobi0Text()));
    showOutcome("Flying");
}

void MainWindow::endFlight(const Dop853Result& result)
{
    repaintPacer_->end();
    drawing_->end();
    startAction_->setChecked(false);
    if (result.Code < 0)
        QTimer::singleShot(0, this, guarded([text = Dop853FailureText(result)] {
                               showDop853Failure(text);
                           }));
}

void MainWindow::showOutcome(const QString& text)
{
    if (text == outcomeLabel_->text())
        return;
    outcomeLabel_->setText(text);
    // Named after its text, so that a screen reader reading the column says it too; the
    // alert makes one speak the change without the focus moving there.
    outcomeLabel_->setAccessibleName(text);
    if (QAccessible::isActive()) {
        QAccessibleEvent alert(outcomeLabel_, QAccessible::Alert);
        QAccessible::updateAccessibility(&alert);
    }
}

void MainWindow::drawFlightPoint(const FlightPoint& point) { drawing_->drawPoint(point); }

int MainWindow::lastPointIndex() const { return drawing_->lastPointIndex(); }

}  // namespace orrimar
