#include "ui/main_window.h"

#include "plot/plot_frame.h"
#include "ui/about_dialog.h"
#include "ui/application.h"
#include "ui/config_sketch.h"
#include "fields/config_checks.h"
#include "flight/flight_run.h"
#include "flight/integrator_message.h"
#include "flight/launch_presets.h"
#include "formats/decimal_text.h"
#include "formats/number_format.h"
#include "fields/stepper.h"
#include "flight/view_frames.h"
#include "ui/error_box.h"
#include "ui/explorer_window.h"
#include "ui/launch_map_panel.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"
#include "ui/sounds.h"
#include "ui/status_bar.h"
#include "ui/stepper_buttons.h"

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
#include <QShortcut>
#include <QSlider>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>
#include <QWindow>

#include <algorithm>
#include <chrono>
#include <cmath>
#include <thread>
#include <tuple>
#include <utility>

namespace orrimar {

namespace {

constexpr int ControlColumnWidth = 120;
constexpr int StatusBarHeight = 25;
constexpr int InsetPanelSize = InsetSize + 2;  // a one-pixel border round the inset's view
const char* const TagProperty = "Tag";

const QColor Blue(0, 0, 255);
const QColor Black(0, 0, 0);
const QColor White(255, 255, 255);
const QColor Aqua(0, 255, 255);
const QColor Teal(0, 128, 128);

std::int64_t CounterNow()
{
    return std::chrono::steady_clock::now().time_since_epoch().count();
}

void SetTag(QWidget* widget, int tag) { widget->setProperty(TagProperty, tag); }

QToolButton* SpeedButton(const QString& caption, const QString& hint, const QString& icon,
                         QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setText(caption);
    button->setToolTip(hint);
    button->setToolButtonStyle(Qt::ToolButtonTextBesideIcon);
    button->setAutoRaise(true);
    button->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);
    if (!icon.isEmpty()) {
        QIcon glyph(":/icons/" + icon + ".png");
        const QString disabled = ":/icons/" + icon + "_disabled.png";
        if (QFile::exists(disabled))
            glyph.addFile(disabled, QSize(), QIcon::Disabled);
        button->setIcon(glyph);
        button->setIconSize(QSize(16, 16));
    }
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

// Whether a line from `from` to `to` drawn with a pen of the given width may touch a
// pixel of the rectangle: its bounding box, widened by the pen, meets it.
bool LineMayReach(PixelPoint from, PixelPoint to, int penWidth, const PixelRect& rect)
{
    const std::int64_t reach = std::max(penWidth, 1);
    const std::int64_t left = std::int64_t{std::min(from.X, to.X)} - reach;
    const std::int64_t right = std::int64_t{std::max(from.X, to.X)} + reach;
    const std::int64_t top = std::int64_t{std::min(from.Y, to.Y)} - reach;
    const std::int64_t bottom = std::int64_t{std::max(from.Y, to.Y)} + reach;
    return left < rect.Right && right >= rect.Left && top < rect.Bottom && bottom >= rect.Top;
}

// The window's side of a flight.
class WindowFlightDisplay : public FlightDisplay {
public:
    explicit WindowFlightDisplay(MainWindow& window) : window_(window) {}
    void ShowStep(const FlightStep& step) override { window_.showFlightStep(step); }
    void Pace() override { window_.paceFlight(); }
    void ShowPoint(const FlightPoint& point) override { window_.drawFlightPoint(point); }
    bool CancelRequested() const override { return window_.flightCancelRequested(); }

private:
    MainWindow& window_;
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
    createDrawingArea();
    createControlColumn();
    row->addWidget(drawingArea_, 1);
    row->addWidget(controlColumn_);
    createStatusBar();
    setObjectNames();
    setAccessibleTexts();
    createConnections();

    // Centred on the desktop with a client area of 652 × 657 when not maximised.
    resize(652, 657);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    setInitialState();
}

// The Explorer first: its map reads the fields and the full view until it is gone.
MainWindow::~MainWindow() { delete explorer_.data(); }

std::int64_t MainWindow::counterFrequency()
{
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
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
    SetTag(presetList_, 1);
    column->addWidget(presetList_);

    fullViewCheck_ = new QCheckBox("Full view", controlColumn_);
    fullViewCheck_->setChecked(true);
    fullViewCheck_->setToolTip(QString::fromUtf8("Show the whole Earth\u2013Moon system"));
    SetTag(fullViewCheck_, 1);
    column->addWidget(fullViewCheck_);

    column->addWidget(startStopGroup_ = createStartStopGroup());
    column->addWidget(displayGroup_ = createDisplayGroup());

    aboutButton_ = SpeedButton("About", "Programmautor", "about", controlColumn_);
    SetTag(aboutButton_, 1);
    column->addWidget(aboutButton_);

    exitButton_ = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), "&Exit",
                                  controlColumn_);
    SetTag(exitButton_, 1);
    column->addWidget(exitButton_);

    clipboardButton_ =
        SpeedButton("ClipBoard", "Copy the full view as a picture", QString(), controlColumn_);
    column->addWidget(clipboardButton_);
    explorerButton_ = SpeedButton("Explorer", "Explorer (Ctrl+E)", QString(), controlColumn_);
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
    startButton_ = SpeedButton("Start", "Start", "start", group);
    startButton_->setCheckable(true);
    cancelButton_ = SpeedButton("Cancel", "Abbruch", "cancel", group);
    configButton_ = SpeedButton("Config", "Startkonfiguration", "config", group);
    configButton_->setCheckable(true);
    for (QToolButton* button : {startButton_, cancelButton_, configButton_}) {
        SetTag(button, 1);
        buttons->addWidget(button);
    }
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
    connect(startButton_, &QToolButton::clicked, this, Guarded([this](bool) { startFlight(); }));
    connect(cancelButton_, &QToolButton::clicked, this, Guarded([this](bool) { cancelFlight(); }));
    connect(configButton_, &QToolButton::clicked, this,
            Guarded([this](bool) { showConfiguration(); }));
    connect(aboutButton_, &QToolButton::clicked, this, Guarded([this](bool) { showAbout(); }));
    connect(clipboardButton_, &QToolButton::clicked, this,
            Guarded([this](bool) { copyToClipboard(); }));
    connect(exitButton_, &QPushButton::clicked, this, &QWidget::close);
    connect(explorerButton_, &QToolButton::clicked, this, Guarded([this](bool) { showExplorer(); }));
    connect(new QShortcut(QKeySequence(Qt::CTRL | Qt::Key_E), this), &QShortcut::activated, this,
            Guarded([this] { showExplorer(); }));
    connect(new QShortcut(QKeySequence(Qt::Key_P), this), &QShortcut::activated, this,
            Guarded([this] { togglePause(); }));
    connect(presetList_, &QComboBox::activated, this,
            Guarded([this](int index) { applyPreset(index); }));
    const std::tuple<StepperButtons*, MaskedField*, LaunchField> steppers[] = {
        {altitudeStepper_, altitudeField_, LaunchField::Altitude},
        {velocityStepper_, velocityField_, LaunchField::Velocity},
        {angleStepper_, angleField_, LaunchField::Angle}};
    for (const auto& [stepper, edit, field] : steppers) {
        const auto step =
            Guarded([this, field](StepDirection direction) { stepField(field, direction); });
        connect(stepper, &StepperButtons::stepped, this, step);
        connect(edit, &MaskedField::stepRequested, this, step);
        edit->installEventFilter(this);
    }

    cancelShortcut_ = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    cancelShortcut_->setContext(Qt::WindowShortcut);
    cancelShortcut_->setEnabled(false);
    connect(cancelShortcut_, &QShortcut::activated, this, Guarded([this] { cancelFlight(); }));

    // Start and Config form a group in which at most one is down; both may be up.
    connect(startButton_, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            configButton_->setChecked(false);
    });
    connect(configButton_, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            startButton_->setChecked(false);
    });
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
    cancelButton_->setEnabled(false);
}

void MainWindow::toggleControls()
{
    for (QWidget* control : findChildren<QWidget*>()) {
        if (control->property(TagProperty).toInt() == 1)
            control->setEnabled(!control->isEnabled());
    }
    // Changed on the platform window directly: going through setWindowFlags would hide
    // and re-create the window at every flight.
    const Qt::WindowFlags flags = windowFlags() ^ Qt::WindowMaximizeButtonHint;
    overrideWindowFlags(flags);
    if (QWindow* handle = windowHandle())
        handle->setFlags(flags);
}

void MainWindow::cancelFlight() { cancelRequested_ = true; }

void MainWindow::showAbout() { ShowAboutBox(); }

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
        connect(explorer_, &ExplorerWindow::pauseClicked, this, Guarded([this] { togglePause(); }));
        LaunchMapPanel* map = explorer_->launchMap();
        connect(map, &LaunchMapPanel::cellChosen, this,
                Guarded([this](const QString& angle, const QString& velocity) {
                    chooseMapLaunch(angle, velocity, false);
                }));
        connect(map, &LaunchMapPanel::flyRequested, this,
                Guarded([this](const QString& angle, const QString& velocity) {
                    chooseMapLaunch(angle, velocity, true);
                }));
    } else {
        explorer_->updateLaunchMap();
    }
    explorer_->show();
    explorer_->raise();
    explorer_->activateWindow();
}

void MainWindow::togglePause()
{
    paused_ = flying_ && !paused_;
    if (explorer_)
        explorer_->showPaused(paused_);
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
    DrawConfigSketch(*fullView_, angle);
    configButton_->setChecked(false);
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
    if (flying_) {
        QApplication::beep();  // the fields are disabled while a flight runs
        return;
    }
    velocityField_->setFieldText(velocityText);
    angleField_->setFieldText(angleText);
    // Started once the map's double-click has returned: the flight's event loop must not
    // run inside the map's mouse handler, whose window may close meanwhile.
    if (fly)
        QTimer::singleShot(0, this, Guarded([this] {
                               if (!flying_)
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
        ShowErrorBox(QString::fromStdString(result.Error));
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
            QTimer::singleShot(0, this, Guarded([this] {
                                   ShowAboutBox();
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
    // During a flight Escape cancels it, also from a field that would claim Escape to undo
    // a change: left unclaimed here, the key goes to the window's shortcut.
    if (flying_ && event->type() == QEvent::ShortcutOverride &&
        static_cast<QKeyEvent*>(event)->key() == Qt::Key_Escape &&
        (watched == altitudeField_ || watched == velocityField_ || watched == angleField_)) {
        event->ignore();
        return true;
    }
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::placeLunocentricInset()
{
    lunocentricPanel_->move(fullView_->width() - lunocentricPanel_->width(), 0);
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (flying_) {
        // End the flight first; the window closes when it has returned.
        cancelRequested_ = true;
        closeAfterFlight_ = true;
        event->ignore();
        return;
    }
    moonBackground_.reset();
    // The Explorer's map stops its flights with its window.
    if (explorer_)
        explorer_->close();
    event->accept();
}

// --- The flight -------------------------------------------------------------------

void MainWindow::startFlight()
{
    if (flying_)
        return;  // one flight at a time
    startButton_->setChecked(false);
    // A field still being edited with a gap is refused before its text is flown.
    if (fieldsIncomplete())
        return;
    const std::string altitude = altitudeField_->fieldText().toStdString();
    const std::string velocity = velocityField_->fieldText().toStdString();
    const std::string angle = angleField_->fieldText().toStdString();
    startButton_->setChecked(true);

    WindowFlightDisplay display(*this);
    const FlightViews views{*fullView_, *lunocentricInset_, *geocentricInset_};
    FlightRun run(LaunchFromTexts(altitude, velocity, angle), views, display);
    statusBar_->setPanelText(2, QString::fromStdString(run.Jacobi0Text()));
    speedSlider_->setFocus();

    Canvas& full = fullView_->canvas();
    full.Brush.Color = White;
    full.FillRect(full.ClipRect());

    flying_ = true;
    cancelShortcut_->setEnabled(true);
    toggleControls();
    AtExit restore([this] { endFlight(); });
    cancelRequested_ = false;
    SetFullViewFrame(*fullView_, fullViewCheck_->isChecked());
    lunocentricPanel_->setVisible(!fullViewCheck_->isChecked());
    setUpViews();

    const double pixelsPerUnit = PixelsPerUnit();
    const int earthRadius = EarthDiscRadius(pixelsPerUnit);
    moonRadiusPx_ = MoonDiscRadius(pixelsPerUnit);
    full.Brush.Color = Aqua;
    SelectFrame(*fullView_);
    const PixelPoint c = XYToPixel(0.0, 0.0);
    full.Ellipse(c.X - earthRadius, c.Y - earthRadius, c.X + earthRadius, c.Y + earthRadius);

    nextPointDeadline_ = CounterNow();
    // Shown at most once per display frame while flying, and all of it at the end.
    const Dop853Result result = [&] {
        repaintPacer_->begin();
        AtExit shown([this] { repaintPacer_->end(); });
        return run.Fly();
    }();
    followFlightEnd(result, CsvLaunch{altitude, velocity, angle, fullView_->ClientWidth(),
                                      fullView_->ClientHeight(), fullViewCheck_->isChecked(), {}});
    if (result.Code < 0)
        ShowDop853Failure(Dop853FailureText(result));
}

void MainWindow::endFlight()
{
    moonBackground_.reset();
    toggleControls();
    startButton_->setChecked(false);
    flying_ = false;
    cancelShortcut_->setEnabled(false);
    if (closeAfterFlight_) {
        closeAfterFlight_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::followFlightEnd(const Dop853Result& result, const CsvLaunch& launch)
{
    paused_ = false;
    if (explorer_)
        explorer_->followEnd(result, cancelRequested_, launch);
}

void MainWindow::setUpViews()
{
    SetLunocentricFrame(*lunocentricInset_);
    QCoreApplication::processEvents();
    setUpInset(*lunocentricInset_, "Lunocentric", Teal, ViewMoonRadius);
    SetGeocentricFrame(*geocentricInset_);
    setUpInset(*geocentricInset_, "Geocentric", Aqua, ViewEarthRadius);
    SelectFrame(*fullView_);
}

void MainWindow::setUpInset(PaintBox& box, const QString& label, const QColor& disc, double radius)
{
    Canvas& canvas = box.canvas();
    canvas.FillRect(canvas.ClipRect());
    const int w = canvas.TextWidth(label);
    const int h = canvas.TextHeight(label);
    canvas.TextOut((box.ClientWidth() - w) / 2, h / 4, label);
    canvas.Pen.Color = Black;
    canvas.Brush.Color = disc;
    const PixelPoint p1 = XYToPixel(-radius, radius);
    const PixelPoint p2 = XYToPixel(radius, -radius);
    canvas.Ellipse(p1.X, p1.Y, p2.X, p2.Y);
    canvas.Pen.Color = Blue;
    canvas.Brush.Color = White;
}

void MainWindow::paceFlight()
{
    using namespace std::chrono_literals;
    std::int64_t now = 0;
    for (;;) {
        if (paused_) {
            // Paused: show everything drawn so far, then wait for events (Resume, Cancel,
            // closing) rather than spin; the point's deadline starts again from the resume.
            repaintPacer_->showPending();
            while (paused_ && !cancelRequested_ && !closeAfterFlight_)
                QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
            nextPointDeadline_ = CounterNow();
        }
        repaintPacer_->point();
        do {
            QCoreApplication::processEvents();
            now = CounterNow();
            if (closeAfterFlight_)
                break;  // closing: finish the flight without waiting
            // Sleep in slices of 0.2 ms while more than 0.3 ms are left, rather than spin;
            // events are still handled often.
            if (nextPointDeadline_ - now > counterFrequency() * 3 / 10000)
                std::this_thread::sleep_for(200us);
        } while (now < nextPointDeadline_ && !paused_);
        // A pause asked for while waiting holds this point back too.
        if (!paused_ || cancelRequested_ || closeAfterFlight_)
            break;
    }
    const double wait =
        (speedSlider_->maximum() - speedSlider_->value()) *
        static_cast<double>(counterFrequency()) * 0.0001;
    nextPointDeadline_ = now + static_cast<std::int64_t>(RoundHalfEven(wait));
}

void MainWindow::showFlightStep(const FlightStep& step)
{
    statusBar_->setPanelText(0, QString::fromStdString(step.StepText));
    statusBar_->setPanelText(1, QString::fromStdString(step.ErrorJacobiText));
    if (explorer_)
        explorer_->followStep(step);
}

void MainWindow::drawFlightPoint(const FlightPoint& point)
{
    lastPointIndex_ = point.Index;
    statusBar_->setPanelText(3, QString::fromStdString(point.TimeText));
    if (point.Index == 0) {
        moonBackground_ = std::make_unique<Bitmap>(2 * moonRadiusPx_, 2 * moonRadiusPx_);
        moonBufferRect_ = PixelRect{0, 0, 2 * moonRadiusPx_, 2 * moonRadiusPx_};
    }
    Canvas& full = fullView_->canvas();
    Canvas& luno = lunocentricInset_->canvas();
    Canvas& geo = geocentricInset_->canvas();
    full.Pen.Color = Blue;
    const int r = moonRadiusPx_;
    const PixelRect moonRect{point.Moon.X - r, point.Moon.Y - r, point.Moon.X + r,
                             point.Moon.Y + r};
    // A disc that has not moved a pixel, and that the new line does not reach, stays as
    // drawn over what it covers.
    const bool moonStays = point.Index != 0 && moonBackground_ && moonRect == moonScreenRect_ &&
                           !LineMayReach(full.PenPos(), point.Full, full.Pen.Width, moonRect);
    if (point.Index == 0 || !moonBackground_) {
        full.MoveTo(point.Full.X, point.Full.Y);
        luno.MoveTo(point.Luno.X, point.Luno.Y);
        geo.MoveTo(point.Geo.X, point.Geo.Y);
    } else {
        // Erase the previous Moon disc with what it covered, then draw on.
        if (!moonStays)
            full.CopyRect(moonScreenRect_, moonBackground_->GetCanvas(), moonBufferRect_);
        full.LineTo(point.Full.X, point.Full.Y);
        luno.LineTo(point.Luno.X, point.Luno.Y);
        geo.LineTo(point.Geo.X, point.Geo.Y);
    }
    full.Pen.Color = Black;
    full.Brush.Color = Teal;
    if (!moonStays) {
        moonScreenRect_ = moonRect;
        if (moonBackground_)
            moonBackground_->GetCanvas().CopyRect(moonBufferRect_, full, moonScreenRect_);
        full.Ellipse(moonScreenRect_);
    }

    statusBar_->setPanelText(4, QString::fromStdString(point.VelocityText));
    repaintPacer_->setSpeedBarValue(point.Bar);
    if (point.Colliding())
        PlayProgramSound(u"Coll");
    if (point.Escaping)
        PlayProgramSound(u"ESC");
    if (explorer_)
        explorer_->followPoint(point);
}

}  // namespace orrimar
