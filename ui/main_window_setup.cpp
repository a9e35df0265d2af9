// The main window's construction: its actions, widgets, names and the texts a screen
// reader reads, built in small steps; what the window does is in main_window.cpp.
#include "ui/main_window.h"

#include "flight/launch_presets.h"
#include "flight/view_frames.h"
#include "ui/application.h"
#include "ui/explorer_window.h"
#include "ui/flight_drawing.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"
#include "ui/status_bar.h"
#include "ui/stepper_buttons.h"

#include <QAction>
#include <QActionGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QFrame>
#include <QGridLayout>
#include <QGroupBox>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QIcon>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>

#include <utility>

namespace orrimar {

namespace {

constexpr int ControlColumnWidth = 120;
constexpr int StatusBarHeight = 25;
constexpr int InsetPanelSize = InsetSize + 2;  // a one-pixel border round the inset's view
const QColor White(255, 255, 255);

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

// White paper with black ink, whatever the palette: the views draw in their own colours.
void GivePaper(QWidget* widget)
{
    QPalette paper = widget->palette();
    paper.setColor(QPalette::Window, White);
    paper.setColor(QPalette::WindowText, Qt::black);
    paper.setColor(QPalette::Text, Qt::black);
    widget->setPalette(paper);
    widget->setAutoFillBackground(true);
}

QFrame* InsetPanel(QWidget* parent, PaintBox*& box)
{
    auto* panel = new QFrame(parent);
    GivePaper(panel);
    panel->setFrameStyle(QFrame::Box | QFrame::Plain);
    panel->setLineWidth(1);
    panel->setGeometry(0, 0, InsetPanelSize, InsetPanelSize);
    box = new PaintBox(panel);
    box->setGeometry(1, 1, InsetSize, InsetSize);
    box->setFontPixelSize(13);
    return panel;
}

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
    // A white window under a light palette; a dark one keeps its own background, so that
    // its light text stays readable (the views keep their white paper either way).
    QPalette windowPalette = palette();
    if (windowPalette.color(QPalette::WindowText).lightness() < 128) {
        windowPalette.setColor(QPalette::Window, White);
        setPalette(windowPalette);
    }

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
    helpAction_ = NewAction(this, "helpAction", "Help", "Orrimar Help (F1)", {},
                            QKeySequence(QKeySequence::HelpContents));
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
    GivePaper(drawingArea_);
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
    // How the last flight ended, wrapped to the column's width; empty before the first.
    outcomeLabel_ = new QLabel(controlColumn_);
    outcomeLabel_->setWordWrap(true);
    outcomeLabel_->setTextFormat(Qt::PlainText);
    outcomeLabel_->setToolTip("How the last flight ended, and when (days - hours)");
    column->addWidget(outcomeLabel_);
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
        {{"Step", 40, Qt::AlignHCenter, "Step", "Number of the integration step",
          "Accepted integration steps so far (a count, no unit)"},
         {"Error Jacobi", 100, Qt::AlignHCenter, "Error Jacobi",
          "Error of the Jacobi constant so far",
          "Jacobi integral now minus at launch, in the model's units (Earth\u2013Moon "
          "distance and the Moon's angular speed): it stays constant in exact arithmetic, so "
          "this is the accuracy of the integration"},
         {"Jacobi 0", 90, Qt::AlignHCenter, "Jacobi 0", "Jacobi constant at the launch",
          "Jacobi integral of the launch state, in the model's units: the larger, the less "
          "energy and the smaller the region the craft can reach"},
         {"Time", 73, Qt::AlignHCenter, "Time", "Flight time in days and hours",
          "Flight time since launch: days - hours"},
         {"Velocity", 65, Qt::AlignHCenter, "Velocity", "Velocity of the craft in km/s",
          "Speed of the craft in the rotating Earth\u2013Moon frame, km/s"},
         {"", 50, Qt::AlignLeft, "Speed bar panel", "Holds the speed bar",
          "The speed as a bar: 0 to 15 km/s"}},
        StatusBarHeight, this);
    QFont statusFont = statusBar_->font();
    statusFont.setPixelSize(13);
    statusBar_->setFont(statusFont);
    speedBar_ = new QProgressBar(this);
    speedBar_->setRange(0, 150);
    speedBar_->setValue(0);
    speedBar_->setTextVisible(false);
    speedBar_->setToolTip("The craft's speed as a bar: 0 to 15 km/s");
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
        {outcomeLabel_, "outcomeLabel"},
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

}  // namespace orrimar
