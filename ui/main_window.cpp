#include "ui/main_window.h"

#include "plot/plot_frame.h"
#include "ui/about_dialog.h"
#include "ui/application.h"
#include "ui/config_sketch.h"
#include "fields/config_checks.h"
#include "flight/flight_run.h"
#include "flight/integrator_message.h"
#include "flight/launch_presets.h"
#include "formats/number_format.h"
#include "fields/stepper.h"
#include "flight/view_frames.h"
#include "ui/error_box.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/sounds.h"
#include "ui/status_bar.h"

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

#include <chrono>
#include <cmath>
#include <thread>

namespace orrimar {

namespace {

constexpr int ControlColumnWidth = 120;
constexpr int StatusBarHeight = 25;
constexpr int InsetSize = 182;  // panel with a one-pixel border round a 180 × 180 view
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
    panel->setGeometry(0, 0, InsetSize, InsetSize);
    box = new PaintBox(panel);
    box->setGeometry(1, 1, InsetSize - 2, InsetSize - 2);
    box->SetFontPixelSize(13);
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

// The window's side of a flight.
class WindowFlightDisplay : public FlightDisplay {
public:
    explicit WindowFlightDisplay(MainWindow& window) : window_(window) {}
    void ShowStep(const FlightStep& step) override { window_.ShowFlightStep(step); }
    void Pace() override { window_.PaceFlight(); }
    void ShowPoint(const FlightPoint& point) override { window_.DrawFlightPoint(point); }
    bool CancelRequested() const override { return window_.FlightCancelRequested(); }

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
    CreateDrawingArea();
    CreateControlColumn();
    row->addWidget(Panel1, 1);
    row->addWidget(Panel4);
    CreateStatusBar();
    ConnectHandlers();

    // Centred on the desktop with a client area of 652 × 657 when not maximised.
    resize(652, 657);
    if (const QScreen* screen = QGuiApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
    FormCreate();
}

MainWindow::~MainWindow() = default;

std::int64_t MainWindow::CounterFrequency()
{
    using Period = std::chrono::steady_clock::period;
    return Period::den / Period::num;
}

void MainWindow::CreateDrawingArea()
{
    Panel1 = new QFrame(centralWidget());
    Panel1->setFrameStyle(QFrame::Box | QFrame::Plain);
    Panel1->setLineWidth(1);
    Panel1->setAutoFillBackground(true);
    auto* fill = new QGridLayout(Panel1);
    fill->setContentsMargins(1, 1, 1, 1);
    PBox1 = new PaintBox(Panel1);
    PBox1->SetFontPixelSize(11);
    fill->addWidget(PBox1);
    PBox1->installEventFilter(this);

    Panel3 = InsetPanel(Panel1, PBox3);
    Panel3->move(0, 0);
    Panel2 = InsetPanel(Panel1, PBox2);
    Panel2->move(291, 0);
    Panel3->raise();
    Panel2->raise();
}

void MainWindow::CreateControlColumn()
{
    Panel4 = new QFrame(centralWidget());
    Panel4->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    Panel4->setFixedWidth(ControlColumnWidth);
    auto* column = new QVBoxLayout(Panel4);
    column->setContentsMargins(4, 4, 4, 4);
    column->setSpacing(6);

    column->addWidget(GroupBox1 = CreateParams());

    ComboBox1 = new QComboBox(Panel4);
    for (const LaunchPreset& preset : LaunchPresets)
        ComboBox1->addItem(QString::fromUtf8(preset.Label.data(),
                                             static_cast<qsizetype>(preset.Label.size())));
    ComboBox1->setCurrentIndex(-1);
    SetTag(ComboBox1, 1);
    column->addWidget(ComboBox1);

    CheckBox1 = new QCheckBox("Full view", Panel4);
    CheckBox1->setChecked(true);
    SetTag(CheckBox1, 1);
    column->addWidget(CheckBox1);

    column->addWidget(GroupBox2 = CreateStartStop());
    column->addWidget(GroupBox20 = CreateDisplay());

    BttnAbout = SpeedButton("About", "Programmautor", "about", Panel4);
    SetTag(BttnAbout, 1);
    column->addWidget(BttnAbout);

    BttnExit = new QPushButton(style()->standardIcon(QStyle::SP_DialogCloseButton), "&Exit", Panel4);
    SetTag(BttnExit, 1);
    column->addWidget(BttnExit);

    BttnClipBoard = SpeedButton("ClipBoard", QString(), QString(), Panel4);
    column->addWidget(BttnClipBoard);
    column->addStretch(1);
}

QGroupBox* MainWindow::CreateParams()
{
    auto* group = new QGroupBox("Params", Panel4);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    grid->setHorizontalSpacing(1);
    grid->setVerticalSpacing(1);
    auto addField = [&](int row, QLabel*& label, const QString& caption, MaskEdit*& edit,
                        std::string_view mask, const char* text, UpDown*& stepper) {
        label = new QLabel(caption, group);
        edit = new MaskEdit(mask, group);
        edit->SetText(text);
        stepper = new UpDown(group);
        stepper->setFixedHeight(edit->sizeHint().height());
        grid->addWidget(label, 2 * row, 0, 1, 2);
        grid->addWidget(edit, 2 * row + 1, 0);
        grid->addWidget(stepper, 2 * row + 1, 1);
    };
    addField(0, Label1, "Altitude [km]", MaskEdit1, AltitudeMask, "00100.17", UpDown1);
    addField(1, Label2, "Velocity [km/s]", MaskEdit2, VelocityMask, "+10.9800", UpDown2);
    addField(2, Label3, QString::fromUtf8("Angle [\u00ba]"), MaskEdit3, AngleMask, "+226.500", UpDown3);
    MaskEdit1->setToolTip("> 100 km");
    return group;
}

QGroupBox* MainWindow::CreateStartStop()
{
    auto* group = new QGroupBox("Start - Stop", Panel4);
    auto* buttons = new QVBoxLayout(group);
    buttons->setContentsMargins(4, 4, 4, 4);
    buttons->setSpacing(2);
    BttnStart = SpeedButton("Start", "Start", "start", group);
    BttnStart->setCheckable(true);
    BttnTerm = SpeedButton("Cancel", "Abbruch", "cancel", group);
    BttnConf = SpeedButton("Config", "Startkonfiguration", "config", group);
    BttnConf->setCheckable(true);
    for (QToolButton* button : {BttnStart, BttnTerm, BttnConf}) {
        SetTag(button, 1);
        buttons->addWidget(button);
    }
    return group;
}

QGroupBox* MainWindow::CreateDisplay()
{
    auto* group = new QGroupBox("Display", Panel4);
    auto* grid = new QGridLayout(group);
    grid->setContentsMargins(4, 4, 4, 4);
    TrackBar1 = new QSlider(Qt::Horizontal, group);
    TrackBar1->setRange(0, 95);
    TrackBar1->setValue(42);
    TrackBar1->setPageStep(1);
    TrackBar1->setTickPosition(QSlider::NoTicks);
    SlowLabel = new QLabel("Slow", group);
    ArrowImage = new QLabel(group);
    ArrowImage->setPixmap(QPixmap(":/icons/arrow.png"));
    ArrowImage->setAlignment(Qt::AlignCenter);
    FastLabel = new QLabel("Fast", group);
    FastLabel->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    grid->addWidget(TrackBar1, 0, 0, 1, 3);
    grid->addWidget(SlowLabel, 1, 0);
    grid->addWidget(ArrowImage, 1, 1);
    grid->addWidget(FastLabel, 1, 2);
    return group;
}

void MainWindow::CreateStatusBar()
{
    StatusBar1 = new StatusBar({{"Step", 40, Qt::AlignHCenter},
                                {"Error Jacobi", 100, Qt::AlignHCenter},
                                {"Jacobi 0", 90, Qt::AlignHCenter},
                                {"Time", 73, Qt::AlignHCenter},
                                {"Velocity", 65, Qt::AlignHCenter},
                                {"", 50, Qt::AlignLeft}},
                               StatusBarHeight, this);
    QFont statusFont = StatusBar1->font();
    statusFont.setPixelSize(13);
    StatusBar1->setFont(statusFont);
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setRange(0, 150);
    ProgressBar1->setValue(0);
    ProgressBar1->setTextVisible(false);
    ProgressBar1->setFixedSize(150, 17);
    // The drawing area and the control column above, the status bar below.
    QWidget* columns = takeCentralWidget();
    auto* outer = new QWidget(this);
    auto* stack = new QVBoxLayout(outer);
    stack->setContentsMargins(0, 0, 0, 0);
    stack->setSpacing(0);
    stack->addWidget(columns, 1);
    stack->addWidget(StatusBar1);
    setCentralWidget(outer);
}

void MainWindow::ConnectHandlers()
{
    connect(BttnStart, &QToolButton::clicked, this, Guarded([this](bool) { BttnStartClick(); }));
    connect(BttnTerm, &QToolButton::clicked, this, Guarded([this](bool) { BttnTermClick(); }));
    connect(BttnConf, &QToolButton::clicked, this, Guarded([this](bool) { BttnConfClick(); }));
    connect(BttnAbout, &QToolButton::clicked, this, Guarded([this](bool) { BttnAboutClick(); }));
    connect(BttnClipBoard, &QToolButton::clicked, this,
            Guarded([this](bool) { BttnClipBoardClick(); }));
    connect(BttnExit, &QPushButton::clicked, this, &QWidget::close);
    connect(ComboBox1, &QComboBox::activated, this,
            Guarded([this](int index) { ComboBox1Change(index); }));
    connect(UpDown1, &UpDown::Click, this, Guarded([this](TUDBtnType b) { UpDown1Click(b); }));
    connect(UpDown2, &UpDown::Click, this, Guarded([this](TUDBtnType b) { UpDown2Click(b); }));
    connect(UpDown3, &UpDown::Click, this, Guarded([this](TUDBtnType b) { UpDown3Click(b); }));

    // Start and Config form a group in which at most one is down; both may be up.
    connect(BttnStart, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            BttnConf->setChecked(false);
    });
    connect(BttnConf, &QToolButton::toggled, this, [this](bool down) {
        if (down)
            BttnStart->setChecked(false);
    });
}

void MainWindow::FormCreate()
{
    setWindowState(windowState() | Qt::WindowMaximized);
    int panelsWidth = 0;
    for (int i = 0; i <= 4; ++i)
        panelsWidth += StatusBar1->PanelWidth(i);
    ProgressBar1->setParent(StatusBar1);
    ProgressBar1->move(panelsWidth + 5, 5);
    ProgressBar1->show();
    BttnTerm->setEnabled(false);
}

void MainWindow::ToggleControls()
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

void MainWindow::BttnTermClick() { CancelRequested = true; }

void MainWindow::BttnAboutClick() { ShowAboutBox(); }

void MainWindow::BttnClipBoardClick()
{
    // What the window shows over the full view, the insets on top of it included.
    QImage picture = Panel1->grab(PBox1->geometry()).toImage();
    if (picture.size() != PBox1->size())
        picture = picture.scaled(PBox1->size());
    QGuiApplication::clipboard()->setImage(picture);
}

bool MainWindow::FieldsIncomplete()
{
    for (MaskEdit* field : {MaskEdit1, MaskEdit2, MaskEdit3})
        if (field->RefuseIncomplete())
            return true;
    return false;
}

void MainWindow::BttnConfClick()
{
    // A refused field gets the focus; nothing is drawn and the button stays down.
    if (FieldsIncomplete())
        return;
    double angle = 0.0;
    switch (CheckConfigTexts(MaskEdit1->Text().toStdString(), MaskEdit2->Text().toStdString(),
                             MaskEdit3->Text().toStdString(), angle)) {
    case ConfigRefusal::Altitude:
        MaskEdit1->setFocus();
        return;
    case ConfigRefusal::Velocity:
        MaskEdit2->setFocus();
        return;
    case ConfigRefusal::Angle:
        MaskEdit3->setFocus();
        return;
    case ConfigRefusal::None:
        break;
    }
    DrawConfigSketch(*PBox1, angle);
    BttnConf->setChecked(false);
}

void MainWindow::ComboBox1Change(int index)
{
    if (index < 0 || index >= static_cast<int>(LaunchPresets.size()))
        return;
    const LaunchPreset& preset = LaunchPresets[static_cast<std::size_t>(index)];
    TrackBar1->setFocus();
    auto text = [](std::string_view s) {
        return QString::fromUtf8(s.data(), static_cast<qsizetype>(s.size()));
    };
    MaskEdit1->SetText(text(preset.Altitude));
    MaskEdit2->SetText(text(preset.Velocity));
    MaskEdit3->SetText(text(preset.Angle));
}

void MainWindow::UpDown1Click(TUDBtnType button) { StepField(*MaskEdit1, 0, button); }
void MainWindow::UpDown2Click(TUDBtnType button) { StepField(*MaskEdit2, 1, button); }
void MainWindow::UpDown3Click(TUDBtnType button) { StepField(*MaskEdit3, 2, button); }

void MainWindow::StepField(MaskEdit& field, int which, TUDBtnType button)
{
    static constexpr LaunchField fields[] = {LaunchField::Altitude, LaunchField::Velocity,
                                              LaunchField::Angle};
    const StepResult result =
        StepFieldText(fields[which], field.Text().toStdString(),
                      button == TUDBtnType::btNext ? StepDirection::Up : StepDirection::Down);
    switch (result.Outcome) {
    case StepOutcome::Stepped:
        field.SetText(QString::fromStdString(result.Text));
        break;
    case StepOutcome::NotANumber:
        ShowErrorBox(QString::fromStdString(result.Error));
        break;
    case StepOutcome::Refused:
        QApplication::beep();
        break;
    }
}

// --- Resizing and closing -------------------------------------------------------

void MainWindow::resizeEvent(QResizeEvent* event)
{
    QMainWindow::resizeEvent(event);
    FormResize();
}

bool MainWindow::eventFilter(QObject* watched, QEvent* event)
{
    // The full view's size follows the window through the layout, after the window's
    // own resize: keep the lunocentric inset at its right edge then too.
    if (watched == PBox1 && event->type() == QEvent::Resize)
        Panel2->move(PBox1->width() - Panel2->width(), 0);
    return QMainWindow::eventFilter(watched, event);
}

void MainWindow::FormResize()
{
    Panel2->move(PBox1->width() - Panel2->width(), 0);
    if (!FirstResizeDone) {
        FirstResizeDone = true;
        if (openingSequence_) {
            // After the window is on the screen: the About box, then the sketch.
            QTimer::singleShot(0, this, Guarded([this] {
                                   ShowAboutBox();
                                   BttnConf->click();
                               }));
        }
    }
}

void MainWindow::closeEvent(QCloseEvent* event)
{
    if (flying_) {
        // End the flight first; the window closes when it has returned.
        CancelRequested = true;
        closeAfterFlight_ = true;
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

void MainWindow::FormClose() { MoonBackground.reset(); }

// --- The flight -------------------------------------------------------------------

void MainWindow::BttnStartClick()
{
    if (flying_)
        return;  // one flight at a time
    BttnStart->setChecked(false);
    // A field still being edited with a gap is refused before its text is flown.
    if (FieldsIncomplete())
        return;
    const std::string altitude = MaskEdit1->Text().toStdString();
    const std::string velocity = MaskEdit2->Text().toStdString();
    const std::string angle = MaskEdit3->Text().toStdString();
    BttnStart->setChecked(true);

    WindowFlightDisplay display(*this);
    const FlightViews views{*PBox1, *PBox2, *PBox3};
    FlightRun run(LaunchFromTexts(altitude, velocity, angle), views, display);
    StatusBar1->SetPanelText(2, QString::fromStdString(run.Jacobi0Text()));
    TrackBar1->setFocus();

    Canvas& full = PBox1->GetCanvas();
    full.Brush.Color = White;
    full.FillRect(full.ClipRect());

    flying_ = true;
    ToggleControls();
    AtExit restore([this] { EndFlight(); });
    CancelRequested = false;
    SetFullViewFrame(*PBox1, CheckBox1->isChecked());
    Panel2->setVisible(!CheckBox1->isChecked());
    SetupViews();

    const double pixelsPerUnit = PixelsPerUnit();
    const int earthRadius = EarthDiscRadius(pixelsPerUnit);
    MoonRadiusPx = MoonDiscRadius(pixelsPerUnit);
    full.Brush.Color = Aqua;
    SelectFrame(*PBox1);
    const PixelPoint c = XYToPixel(0.0, 0.0);
    full.Ellipse(c.X - earthRadius, c.Y - earthRadius, c.X + earthRadius, c.Y + earthRadius);

    OutputInterval = FlightOutputInterval;
    NextPointDeadline = CounterNow();
    const Dop853Result result = run.Fly();
    if (result.Code < 0)
        ShowDop853Failure(Dop853FailureText(result));
}

void MainWindow::EndFlight()
{
    MoonBackground.reset();
    ToggleControls();
    BttnStart->setChecked(false);
    flying_ = false;
    if (closeAfterFlight_) {
        closeAfterFlight_ = false;
        QTimer::singleShot(0, this, &QWidget::close);
    }
}

void MainWindow::SetupViews()
{
    SetLunocentricFrame(*PBox2);
    QCoreApplication::processEvents();
    SetupInset(*PBox2, "Lunocentric", Teal, ViewMoonRadius);
    SetGeocentricFrame(*PBox3);
    SetupInset(*PBox3, "Geocentric", Aqua, ViewEarthRadius);
    SelectFrame(*PBox1);
}

void MainWindow::SetupInset(PaintBox& box, const QString& label, const QColor& disc, double radius)
{
    Canvas& canvas = box.GetCanvas();
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

void MainWindow::PaceFlight()
{
    using namespace std::chrono_literals;
    std::int64_t now = 0;
    do {
        QCoreApplication::processEvents();
        now = CounterNow();
        if (closeAfterFlight_)
            break;  // closing: finish the flight without waiting
        // Sleep in slices of 0.2 ms while more than 0.3 ms are left, rather than spin;
    // events are still handled often.
        if (NextPointDeadline - now > CounterFrequency() * 3 / 10000)
            std::this_thread::sleep_for(200us);
    } while (now < NextPointDeadline);
    const double wait =
        (TrackBar1->maximum() - TrackBar1->value()) * static_cast<double>(CounterFrequency()) * 0.0001;
    NextPointDeadline = now + static_cast<std::int64_t>(RoundHalfEven(wait));
}

void MainWindow::ShowFlightStep(const FlightStep& step)
{
    StatusBar1->SetPanelText(0, QString::fromStdString(step.StepText));
    StatusBar1->SetPanelText(1, QString::fromStdString(step.ErrorJacobiText));
}

void MainWindow::DrawFlightPoint(const FlightPoint& point)
{
    lastPointIndex_ = point.Index;
    StatusBar1->SetPanelText(3, QString::fromStdString(point.TimeText));
    if (point.Index == 0) {
        MoonBackground = std::make_unique<Bitmap>(2 * MoonRadiusPx, 2 * MoonRadiusPx);
        MoonBufferRect = PixelRect{0, 0, 2 * MoonRadiusPx, 2 * MoonRadiusPx};
    }
    Canvas& full = PBox1->GetCanvas();
    Canvas& luno = PBox2->GetCanvas();
    Canvas& geo = PBox3->GetCanvas();
    full.Pen.Color = Blue;
    if (point.Index == 0 || !MoonBackground) {
        full.MoveTo(point.Full.X, point.Full.Y);
        luno.MoveTo(point.Luno.X, point.Luno.Y);
        geo.MoveTo(point.Geo.X, point.Geo.Y);
    } else {
        // Erase the previous Moon disc with what it covered, then draw on.
        full.CopyRect(MoonScreenRect, MoonBackground->GetCanvas(), MoonBufferRect);
        full.LineTo(point.Full.X, point.Full.Y);
        luno.LineTo(point.Luno.X, point.Luno.Y);
        geo.LineTo(point.Geo.X, point.Geo.Y);
    }
    const int r = MoonRadiusPx;
    MoonScreenRect = PixelRect{point.Moon.X - r, point.Moon.Y - r, point.Moon.X + r, point.Moon.Y + r};
    if (MoonBackground)
        MoonBackground->GetCanvas().CopyRect(MoonBufferRect, full, MoonScreenRect);
    full.Pen.Color = Black;
    full.Brush.Color = Teal;
    full.Ellipse(MoonScreenRect);

    StatusBar1->SetPanelText(4, QString::fromStdString(point.VelocityText));
    ProgressBar1->setValue(point.Bar);
    if (point.Colliding())
        PlayProgramSound(u"Coll");
    if (point.Escaping)
        PlayProgramSound(u"ESC");
}

}  // namespace orrimar
