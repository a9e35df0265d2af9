#include "ui/main_window.h"

#include "plot/plot_frame.h"
#include "ui/about_dialog.h"
#include "ui/application.h"
#include "ui/config_sketch.h"
#include "fields/config_checks.h"
#include "flight/integrator_message.h"
#include "flight/launch_presets.h"
#include "formats/decimal_text.h"
#include "formats/number_format.h"
#include "fields/stepper.h"
#include "flight/view_frames.h"
#include "ui/flight_drawing.h"
#include "ui/error_box.h"
#include "ui/explorer_window.h"
#include "ui/launch_map_panel.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"
#include "ui/status_bar.h"
#include "ui/stepper_buttons.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCloseEvent>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeyEvent>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QResizeEvent>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <tuple>
#include <utility>

namespace orrimar {

namespace {

constexpr int ControlColumnWidth = 120;
constexpr int StatusBarHeight = 25;
constexpr int InsetPanelSize = InsetSize + 2;  // a one-pixel border round the inset's view
const QColor White(255, 255, 255);

// Ticks per second of the clock the flight is paced by.
std::int64_t CounterFrequency()
{
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
}

// An action of the window, with its button picture (and its greyed form) when it has one.
QAction* NewAction(QWidget* window, const char* name, const QString& text, const QString& tip,
                   const QString& icon = {}, const QKeySequence& shortcut = {})
{
    auto* action = new QAction(text, window);
    action->setObjectName(QLatin1String(name));
    action->setToolTip(tip);
    action->setShortcut(shortcut);
    if (!icon.isEmpty()) {
        QIcon glyph(":/icons/" + icon + ".png");
        const QString disabled = ":/icons/" + icon + "_disabled.png";
        if (QFile::exists(disabled))
            glyph.addFile(disabled, QSize(), QIcon::Disabled);
        action->setIcon(glyph);
    }
    // Its shortcut reaches the window from every widget in it.
    window->addAction(action);
    return action;
}

// A flat button showing an action: its caption beside its picture.
QToolButton* SpeedButton(QAction* action, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setDefaultAction(action);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (!action->icon().isNull())
        button->setIconSize(QSize(16, 16));
    return button;
}

QFrame* InsetPanel(QWidget* parent, PaintBox*& box)
{
    auto* panel = new QFrame(parent);
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setAutoFillBackground(true);
    panel->setGeometry(0, 0, InsetPanelSize, InsetPanelSize);
    box = new PaintBox(panel);
    box->setGeometry(1, 1, InsetSize, InsetSize);
    box->setFontPixelSize(13);
    return panel;
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

MainWindow::MainWindow(bool openingSequence, QWidget* parent)
    : QMainWindow(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                              Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                              Qt::WindowCloseButtonHint),
      openingSequence_(openingSequence)
{
    setWindowTitle("Orrimar - terminated by user, collision or escape");
    QFont windowFont = font();
    windowFont.setPixelSize(11);
    setFont(windowFont);
    QPalette windowPalette = palette();
    windowPalette.setColor(QPalette::Window, White);
    setPalette(windowPalette);

    auto* central = new QWidget(this);
    auto* row = new QHBoxLayout(central);
    row->setContentsMargins(0, 0, 0, 0);
    row->setSpacing(0);
    setCentralWidget(central);
    controller_ = new FlightController(this);
    controller_->setObjectName("flightController");
    createActions();
    createDrawingArea();
    createControlColumn();
    row->addWidget(drawingArea_, 1);
    row->addWidget(controlColumn_);
    createStatusBar();
    setObjectNames();
    setAccessibleTexts();
    createConnections();
    connectController();

    // Centred on the desktop with a client area of 652 × 657 when not maximised.
    resize(652, 657);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setInitialState();
}

// The Explorer first: its map reads the fields and the full view until it is gone. A
// flight still running ends quietly with its controller.
MainWindow::~MainWindow() { delete explorer_.data(); }

void MainWindow::createActions()
{
    startAction_ = NewAction(this, "startAction", "Start", "Start", "start");
    startAction_->setCheckable(true);
    cancelAction_ = NewAction(this, "cancelAction", "Cancel", "Abbruch", "cancel",
                              QKeySequence(Qt::Key_Escape));
    configAction_ = NewAction(this, "configAction", "Config", "Startkonfiguration", "config");
    configAction_->setCheckable(true);
    clipboardAction_ =
        NewAction(this, "clipboardAction", "ClipBoard", "Copy the full view as a picture");
    explorerAction_ = NewAction(this, "explorerAction", "Explorer", "Explorer (Ctrl+E)", {},
                                QKeySequence(Qt::CTRL | Qt::Key_E));
    pauseAction_ = NewAction(this, "pauseAction", "Pause", "Pause or resume the flight (P)", {},
                             QKeySequence(Qt::Key_P));
    aboutAction_ = NewAction(this, "aboutAction", "About", "Programmautor", "about");
    exitAction_ = NewAction(this, "exitAction", "&Exit", "Close the program");
    // Start and Config form a group in which at most one is down; both may be up.
    auto* startOrConfig = new QActionGroup(this);
    startOrConfig->setExclusionPolicy(QActionGroup::ExclusionPolicy::ExclusiveOptional);
    startOrConfig->addAction(startAction_);
    startOrConfig->addAction(configAction_);
}

void MainWindow::createDrawingArea()
{
    drawingArea_ = new QFrame(centralWidget());
    drawingArea_->setFrameStyle(QFrame::Box | QFrame::Plain);
    drawingArea_->setLineWidth(1);
    drawingArea_->setAutoFillBackground(true);
    auto* fill = new QGridLayout(drawingArea_);
    fill->setContentsMargins(1, 1, 1, 1);
    fullView_ = new PaintBox(drawingArea_);
    fullView_->setFontPixelSize(11);
    fill->addWidget(fullView_);
    fullView_->installEventFilter(this);

    geocentricPanel_ = InsetPanel(drawingArea_, geocentricInset_);
    geocentricPanel_->move(0, 0);
    lunocentricPanel_ = InsetPanel(drawingArea_, lunocentricInset_);
    lunocentricPanel_->move(291, 0);
    geocentricPanel_->raise();
    lunocentricPanel_->raise();
}

void MainWindow::createControlColumn()
{
    controlColumn_ = new QFrame(centralWidget());
    controlColumn_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    controlColumn_->setFixedWidth(ControlColumnWidth);
    auto* column = new QVBoxLayout(controlColumn_);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(6);

    column->addWidget(paramsGroup_ = createParamsGroup());

    presetList_ = new QComboBox(controlColumn_);
    for (const LaunchPreset& preset : LaunchPresets)
        presetList_->addItem(QString::fromUtf8(preset.Label.data(),
                                             static_cast<qsizetype>(preset.Label.size())));
    presetList_->setCurrentIndex(-1);
    presetList_->setToolTip("Preset flights");
    column->addWidget(presetList_);

    fullViewCheck_ = new QCheckBox("Full view", controlColumn_);
    fullViewCheck_->setChecked(true);
    fullViewCheck_->setToolTip(QString::fromUtf8("Show the whole Earth\u2013Moon system"));
    column->addWidget(fullViewCheck_);

    column->addWidget(startStopGroup_ = createStartStopGroup());
    column->addWidget(displayGroup_ = createDisplayGroup());

    aboutButton_ = SpeedButton(aboutAction_, controlColumn_);
    column->addWidget(aboutButton_);

    // A push button (it has no default action): it triggers Exit and follows its state.
    exitButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton),
                                  exitAction_->text(), controlColumn_);
    column->addWidget(exitButton_);

    clipboardButton_ = SpeedButton(clipboardAction_, controlColumn_);
    column->addWidget(clipboardButton_);
    explorerButton_ = SpeedButton(explorerAction_, controlColumn_);
    column->addWidget(explorerButton_);
    column->addStretch(1);
}

QGroupBox* MainWindow::createParamsGroup()
{
    auto* group = new QGroupBox("Params", controlColumn_);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(1);
    auto addField = [&](int row, QLabel*& label, const QString& caption, MaskedField*& field,
                        std::string_view mask, const char* text, StepperButtons*& stepper) {
        label = new QLabel(caption, group);
        field = new MaskedField(mask, group);
        field->setFieldText(text);
        stepper = new StepperButtons(group);
        stepper->setFixedHeight(field->sizeHint().height());
        grid->addWidget(label, 2 * row, 0, 1, 2);
        grid->addWidget(field, 2 * row + 1, 0);
        grid->addWidget(stepper, 2 * row + 1, 1);
    };
    addField(0, altitudeLabel_, "Altitude [km]", altitudeField_, AltitudeMask, "00100.17",
             altitudeStepper_);
    addField(1, velocityLabel_, "Velocity [km/s]", velocityField_, VelocityMask, "+10.9800",
             velocityStepper_);
    addField(2, angleLabel_, QString::fromUtf8("Angle [\u00ba]"), angleField_, AngleMask,
             "+226.500", angleStepper_);
    altitudeField_->setToolTip("> 100 km");
    return group;
}

QGroupBox* MainWindow::createStartStopGroup()
{
    auto* group = new QGroupBox("Start - Stop", controlColumn_);
    auto* buttons = new QVBoxLayout(group);
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->setSpacing(2);
    startButton_ = SpeedButton(startAction_, group);
    cancelButton_ = SpeedButton(cancelAction_, group);
    configButton_ = SpeedButton(configAction_, group);
    for (QToolButton* button : {startButton_, cancelButton_, configButton_})
        buttons->addWidget(button);
    return group;
}

QGroupBox* MainWindow::createDisplayGroup()
{
    auto* group = new QGroupBox("Display", controlColumn_);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    speedSlider_ = new QSlider(Qt::Horizontal, group);
    speedSlider_->setRange(0, 95);
    speedSlider_->setValue(42);
    speedSlider_->setPageStep(1);
    speedSlider_->setTickPosition(QSlider::NoTicks);
    speedSlider_->setToolTip("Speed of the flight: slow to fast");
    slowLabel_ = new QLabel("Slow", group);
    arrowLabel_ = new QLabel(group);
    arrowLabel_->setPixmap(QPixmap(":/icons/arrow.png"));
    arrowLabel_->setAlignment(Qt::AlignCenter);
    fastLabel_ = new QLabel("Fast", group);
    fastLabel_->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(speedSlider_, 0, 0, 1, 3);
    grid->addWidget(slowLabel_, 1, 0);
    grid->addWidget(arrowLabel_, 1, 1);
    grid->addWidget(fastLabel_, 1, 2);
    return group;
}

void MainWindow::createStatusBar()
{
    statusBar_ = new StatusBar(
        {{"Step", 40, Qt::AlignHCenter, "Step", "Number of the integration step"},
         {"Error Jacobi", 100, Qt::AlignHCenter, "Error Jacobi",
          "Error of the Jacobi constant so far"},
         {"Jacobi 0", 90, Qt::AlignHCenter, "Jacobi 0", "Jacobi constant at the launch"},
         {"Time", 73, Qt::AlignHCenter, "Time", "Flight time in days and hours"},
         {"Velocity", 65, Qt::AlignHCenter, "Velocity", "Velocity of the craft in km/s"},
         {"", 50, Qt::AlignLeft, "Speed bar panel", "Holds the speed bar"}},
        StatusBarHeight, this);
    QFont statusFont = statusBar_->font();
    statusFont.setPixelSize(13);
    statusBar_->setFont(statusFont);
    speedBar_ = new QProgressBar(this);
    speedBar_->setRange(0, 150);
    speedBar_->setValue(0);
    speedBar_->setTextVisible(false);
    speedBar_->setFixedSize(150, 17);
    // The drawing area and the control column above, the status bar below.
    QWidget* columns = takeCentralWidget();
    auto* outer = new QWidget(this);
    auto* stack = new QVBoxLayout(outer);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(columns, 1);
    stack->addWidget(statusBar_);
    setCentralWidget(outer);
    repaintPacer_ = new RepaintPacer({fullView_, lunocentricInset_, geocentricInset_},
                                     *statusBar_, *speedBar_, this);
    repaintPacer_->setObjectName("repaintPacer");
    drawing_ = std::make_unique<FlightDrawing>(*fullView_, *lunocentricInset_, *geocentricInset_,
                                               *statusBar_, *repaintPacer_);
}

void MainWindow::setObjectNames()
{
    const std::pair<QObject*, const char*> roles[] = {
        {drawingArea_, "drawingArea"},
        {fullView_, "fullView"},
        {lunocentricPanel_, "lunocentricPanel"},
        {lunocentricInset_, "lunocentricInset"},
        {geocentricPanel_, "geocentricPanel"},
        {geocentricInset_, "geocentricInset"},
        {controlColumn_, "controlColumn"},
        {paramsGroup_, "paramsGroup"},
        {altitudeLabel_, "altitudeLabel"},
        {velocityLabel_, "velocityLabel"},
        {angleLabel_, "angleLabel"},
        {altitudeField_, "altitudeField"},
        {velocityField_, "velocityField"},
        {angleField_, "angleField"},
        {altitudeStepper_, "altitudeStepper"},
        {velocityStepper_, "velocityStepper"},
        {angleStepper_, "angleStepper"},
        {presetList_, "presetList"},
        {fullViewCheck_, "fullViewCheck"},
        {startStopGroup_, "startStopGroup"},
        {startButton_, "startButton"},
        {cancelButton_, "cancelButton"},
        {configButton_, "configButton"},
        {displayGroup_, "displayGroup"},
        {speedSlider_, "speedSlider"},
        {slowLabel_, "slowLabel"},
        {arrowLabel_, "arrowLabel"},
        {fastLabel_, "fastLabel"},
        {aboutButton_, "aboutButton"},
        {exitButton_, "exitButton"},
        {clipboardButton_, "clipboardButton"},
        {explorerButton_, "explorerButton"},
        {statusBar_, "statusBar"},
        {speedBar_, "speedBar"},
    };
    for (const auto& [object, name] : roles)
        object->setObjectName(QLatin1String(name));
}

void MainWindow::setAccessibleTexts()
{
    // The captions a screen reader would not find on its own (fields named after their
    // group, bare arrows, unlabelled views), and a line on what each control does.
    struct Texts {
        QWidget* widget;
        QString name;
        const char* description;
    };
    const Texts texts[] = {
        {altitudeField_, "Altitude [km]",
         "Altitude of the parking orbit above the Earth, more than 100 km; Up and Down step it"},
        {velocityField_, "Velocity [km/s]", "Launch velocity; Up and Down step it"},
        {angleField_, QString::fromUtf8("Angle [\u00ba]"), "Launch angle; Up and Down step it"},
        {altitudeStepper_->upButton(), "Altitude up", "Raises the altitude by one step"},
        {altitudeStepper_->downButton(), "Altitude down", "Lowers the altitude by one step"},
        {velocityStepper_->upButton(), "Velocity up", "Raises the velocity by one step"},
        {velocityStepper_->downButton(), "Velocity down", "Lowers the velocity by one step"},
        {angleStepper_->upButton(), "Angle up", "Raises the angle by one step"},
        {angleStepper_->downButton(), "Angle down", "Lowers the angle by one step"},
        {presetList_, "Preset flights", "Fills the fields with the values of a preset flight"},
        {fullViewCheck_, "Full view", "Shows the whole Earth\u2013Moon system"},
        {startButton_, "Start", "Starts the flight"},
        {cancelButton_, "Cancel", "Cancels the running flight (Escape)"},
        {configButton_, "Config", "Draws the launch configuration"},
        {speedSlider_, "Speed", "Speed of the flight: slow to fast"},
        {aboutButton_, "About", "About the program and its author"},
        {exitButton_, "Exit", "Closes the program"},
        {clipboardButton_, "ClipBoard", "Copies the full view as a picture"},
        {fullView_, "Flight view", "The flight in the Earth\u2013Moon system"},
        {lunocentricInset_, "Lunocentric view", "The flight near the Moon"},
        {geocentricInset_, "Geocentric view", "The flight near the Earth"},
        {speedBar_, "Speed bar", "Velocity of the craft as a bar"},
    };
    for (const Texts& t : texts) {
        t.widget->setAccessibleName(t.name);
        t.widget->setAccessibleDescription(QString::fromUtf8(t.description));
    }
}

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
    };
    for (const auto& [action, handler] : handlers)
        connect(action, &QAction::triggered, this, guarded([this, handler](bool) { (this->*handler)(); }));
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
    }
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
            guarded([this](const FlightStep& step) { drawing_->drawStep(step); }));
    connect(controller_, &FlightController::pointReady, this,
            guarded([this](const FlightPoint& point) {
                repaintPacer_->point();
                drawing_->drawPoint(point);
            }));
    // Paused: everything drawn so far shows.
    connect(controller_, &FlightController::pausedChanged, this, [this](bool paused) {
        if (paused)
            repaintPacer_->showPending();
    });
    connect(controller_, &FlightController::flightEnded, this,
            guarded([this](const Dop853Result& result, bool, const CsvLaunch&) { endFlight(result); }));
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
    // What the window shows over the full view, the insets on top of it included.
    QImage picture = drawingArea_->grab(fullView_->geometry()).toImage();
    if (picture.size() != fullView_->size())
        picture = picture.scaled(fullView_->size());
    return picture;
}

void MainWindow::copyToClipboard()
{
    // Without a picture the clipboard keeps what it holds.
    const QImage picture = fullViewPicture();
    if (!picture.isNull())
        QGuiApplication::clipboard()->setImage(picture);
}

ExplorerWindow* MainWindow::explorer() const { return explorer_.data(); }

void MainWindow::showExplorer()
{
    if (!explorer_) {
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
        LaunchMapPanel* map = explorer_->launchMap();
        connect(map, &LaunchMapPanel::cellChosen, this,
                guarded([this](const QString& angle, const QString& velocity) {
                    chooseMapLaunch(angle, velocity, false);
                }));
        connect(map, &LaunchMapPanel::flyRequested, this,
                guarded([this](const QString& angle, const QString& velocity) {
                    chooseMapLaunch(angle, velocity, true);
                }));
    } else {
        explorer_->updateLaunchMap();
    }
    explorer_->show();
    explorer_->raise();
    explorer_->activateWindow();
}

void MainWindow::togglePause() { controller_->togglePause(); }

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
    // The Explorer's map stops its flights with its window.
    if (explorer_)
        explorer_->close();
    event->accept();
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
        // Shown at most once per display frame while flying, and all of it at the end.
        repaintPacer_->begin();
        controller_->start(CsvLaunch{altitude, velocity, angle, fullView_->ClientWidth(),
                                     fullView_->ClientHeight(), fullView, {}});
    } catch (...) {
        repaintPacer_->end();
        drawing_->end();
        startAction_->setChecked(false);
        showControlsFor(FlightController::State::Idle);
        throw;
    }
    statusBar_->setPanelText(2, QString::fromStdString(controller_->jacobi0Text()));
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

void MainWindow::drawFlightPoint(const FlightPoint& point) { drawing_->drawPoint(point); }

int MainWindow::lastPointIndex() const { return drawing_->lastPointIndex(); }

}  // namespace orrimar
