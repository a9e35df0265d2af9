#include "ui/explorer_window.h"

#include "formats/decimal_text.h"
#include "ui/error_box.h"
#include "ui/flight_charts.h"
#include "ui/launch_map_panel.h"
#include "ui/moon_frame_view.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QSaveFile>
#include <QTabWidget>
#include <QTimer>
#include <QVBoxLayout>
#include <QtConcurrent/QtConcurrentRun>

#include <cmath>
#include <ostream>
#include <streambuf>

namespace orrimar {

namespace {

// Screen updates while following: at most five per second, whatever the flight's pace.
constexpr int RefreshMs = 200;
constexpr int ChartRefreshEvery = 5;  // refreshes

SavePathAsker& PathAsker()
{
    static SavePathAsker asker;
    return asker;
}

QString AskSavePath(QWidget* parent, const QString& caption, const QString& name,
                    const QString& filter)
{
    if (PathAsker())
        return PathAsker()(caption, name, filter);
    return QFileDialog::getSaveFileName(parent, caption, name, filter);
}

// A stream buffer writing through to a file being saved.
class DeviceBuffer : public std::streambuf {
public:
    explicit DeviceBuffer(QIODevice& device) : device_(device) { setp(buffer_, buffer_ + Size); }
    ~DeviceBuffer() override { sync(); }

protected:
    int overflow(int c) override
    {
        if (sync() != 0)
            return traits_type::eof();
        if (c != traits_type::eof()) {
            *pptr() = static_cast<char>(c);
            pbump(1);
        }
        return traits_type::not_eof(c);
    }
    int sync() override
    {
        const qint64 n = pptr() - pbase();
        if (n > 0 && device_.write(pbase(), n) != n)
            return -1;
        setp(buffer_, buffer_ + Size);
        return 0;
    }

private:
    static constexpr int Size = 1 << 16;
    QIODevice& device_;
    char buffer_[Size];
};

// Flies the launch headless and writes the tool's CSV under a temporary name, renamed
// when complete. Runs on a pool thread: touches nothing of the window.
QString WriteCsvFile(const QString& path, const CsvLaunch& launch)
{
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QString("Cannot write %1: %2").arg(path, file.errorString());
    try {
        auto buffer = std::make_unique<DeviceBuffer>(file);
        std::ostream csv(buffer.get());
        WriteFlightCsv(launch, csv);
        csv.flush();
        if (!csv) {
            file.cancelWriting();
            return QString("Writing %1 failed: %2").arg(path, file.errorString());
        }
    } catch (const std::exception& e) {
        file.cancelWriting();
        return QString("Writing %1 failed: %2").arg(path, QString::fromUtf8(e.what()));
    }
    if (!file.commit())
        return QString("Writing %1 failed: %2").arg(path, file.errorString());
    return QString();
}

QString Text(const std::string& s) { return QString::fromStdString(s); }
QString Km(double km) { return QString::number(km, 'f', 3) + " km"; }

}  // namespace

void setSavePathAsker(SavePathAsker asker) { PathAsker() = std::move(asker); }

ExplorerWindow::ExplorerWindow(std::function<QImage()> picture,
                               std::function<MapLaunch()> mapLaunch,
                               std::function<bool()> flightRunning, QWidget* parent)
    : QWidget(parent, Qt::Window), picture_(std::move(picture)), mapLaunch_(std::move(mapLaunch)),
      flightRunning_(std::move(flightRunning))
{
    setWindowTitle("Orrimar Explorer");
    setObjectName("explorerWindow");

    auto* side = new QVBoxLayout;
    noteLabel_ = new QLabel("No flight followed yet: press Start.", this);
    noteLabel_->setObjectName("explorerNote");
    noteLabel_->setWordWrap(true);
    reportLabel_ = new QLabel(this);
    reportLabel_->setObjectName("reportLabel");
    reportLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    reportLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // A fixed column: the report's changing texts must not resize the views beside it
    // (a resize renders the closed region again).
    reportLabel_->setFixedWidth(300);
    noteLabel_->setFixedWidth(300);
    pauseButton_ = new QPushButton("&Pause", this);
    pauseButton_->setObjectName("pauseButton");
    pauseButton_->setEnabled(false);
    pictureButton_ = new QPushButton("Save &picture…", this);
    pictureButton_->setObjectName("savePictureButton");
    csvButton_ = new QPushButton("Save flight as &CSV…", this);
    csvButton_->setObjectName("saveCsvButton");
    csvButton_->setEnabled(false);
    side->addWidget(noteLabel_);
    side->addWidget(reportLabel_, 1);
    side->addWidget(pauseButton_);
    side->addWidget(pictureButton_);
    side->addWidget(csvButton_);

    tabs_ = new QTabWidget(this);
    tabs_->setObjectName("explorerTabs");
    frameView_ = new MoonFrameView(tabs_);
    frameView_->setObjectName("moonFrameView");
    charts_ = new FlightCharts(tabs_);
    charts_->setObjectName("flightCharts");
    tabs_->addTab(frameView_, "The Moon's frame");
    tabs_->addTab(charts_, "Over time");
    const MapLaunch launch = mapLaunch_ ? mapLaunch_() : MapLaunch{};
    mapAltitude_ = launch.AltitudeKm;
    mapAngle_ = launch.AngleDeg;
    mapVelocity_ = launch.VelocityKms;
    mapPanel_ = new LaunchMapPanel(launch.AltitudeKm, launch.AngleDeg, launch.VelocityKms,
                                   launch.ViewWidth, launch.ViewHeight, launch.FullView,
                                   flightRunning_, tabs_);
    mapPanel_->setObjectName("launchMapPanel");
    tabs_->addTab(mapPanel_, "Launch map");
    connect(tabs_, &QTabWidget::currentChanged, this, [this](int index) {
        if (tabs_->widget(index) == mapPanel_)
            updateLaunchMap();
    });
    // Before Compute reads the spin boxes: the fields may have changed since the tab opened.
    connect(mapPanel_, &LaunchMapPanel::computeRequested, this, [this] { updateLaunchMap(); });
    // A launch chosen in the map is the map's own: it does not move the map's centre. A
    // flight refuses the choice, and the fields stay as they were.
    const auto chosen = [this](const QString& angle, const QString& velocity) {
        if (flightRunning_ && flightRunning_())
            return;
        mapAngle_ = LaunchValue(angle.toStdString());
        mapVelocity_ = LaunchValue(velocity.toStdString());
    };
    connect(mapPanel_, &LaunchMapPanel::cellChosen, this, chosen);
    connect(mapPanel_, &LaunchMapPanel::flyRequested, this, chosen);

    auto* row = new QHBoxLayout(this);
    row->addLayout(side);
    row->addWidget(tabs_, 1);
    resize(1000, 640);

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(RefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        if (dirty_)
            refresh();
    });
    refreshTimer_->start();
    connect(pauseButton_, &QPushButton::clicked, this, &ExplorerWindow::pauseClicked);
    connect(pictureButton_, &QPushButton::clicked, this, [this] { savePicture(); });
    connect(csvButton_, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(&csvJob_, &QFutureWatcher<QString>::finished, this, [this] {
        csvButton_->setEnabled(lastLaunch_.has_value());
        const QString error = csvJob_.result();
        if (!error.isEmpty())
            ShowErrorBox(error);
        emit csvSaved(error);
    });
    showReport();
}

// A CSV still being written finishes on its own (the pool waits for it at exit). The tabs
// going with the window must not call back into it; the map's threads are joined by the
// panel's destructor.
ExplorerWindow::~ExplorerWindow()
{
    csvJob_.disconnect();
    tabs_->disconnect(this);
    mapPanel_->disconnect(this);
}

void ExplorerWindow::closeEvent(QCloseEvent* event)
{
    // A map's flights would go on unseen: they stop with the window.
    mapPanel_->cancel();
    QWidget::closeEvent(event);
}

void ExplorerWindow::updateLaunchMap()
{
    if (!mapLaunch_ || mapPanel_->computing())
        return;
    const MapLaunch launch = mapLaunch_();
    mapPanel_->setView(launch.ViewWidth, launch.ViewHeight, launch.FullView);
    if (launch.AltitudeKm == mapAltitude_ && launch.AngleDeg == mapAngle_ &&
        launch.VelocityKms == mapVelocity_)
        return;
    mapAltitude_ = launch.AltitudeKm;
    mapAngle_ = launch.AngleDeg;
    mapVelocity_ = launch.VelocityKms;
    mapPanel_->setLaunch(launch.AltitudeKm, launch.AngleDeg, launch.VelocityKms);
}

void ExplorerWindow::followStep(const FlightStep& step)
{
    if (step.Nr == 0) {
        report_.Reset();
        frameView_->clearFlight();
        charts_->clear();
        following_ = true;
        pauseButton_->setEnabled(true);
        noteLabel_->setText("Following the flight.");
    }
    if (!following_)
        return;
    report_.AddStep(step);
    dirty_ = true;
}

void ExplorerWindow::followPoint(const FlightPoint& point)
{
    if (!following_)
        return;
    report_.AddPoint(point);
    if (report_.Points() == 1)
        frameView_->setJacobi0(report_.Jacobi0());
    frameView_->addPoint(point.State[1], point.State[3]);
    charts_->add(report_.Days(),
                 (point.MoonDistance - static_cast<double>(MoonRadius)) * static_cast<double>(DistanceUnitKm),
                 (point.EarthDistance - static_cast<double>(EarthRadius)) * static_cast<double>(DistanceUnitKm),
                 point.SpeedKms, point.JacobiDrift);
    dirty_ = true;
}

void ExplorerWindow::followEnd(const Dop853Result& result, bool cancelRequested,
                               const CsvLaunch& launch)
{
    if (!following_) {
        noteLabel_->setText("The next flight is followed from its launch.");
        return;
    }
    following_ = false;
    report_.Finish(result, cancelRequested);
    lastLaunch_ = launch;
    csvButton_->setEnabled(!csvJob_.isRunning());
    showPaused(false);
    pauseButton_->setEnabled(false);
    noteLabel_->setText("The last flight.");
    // The report and the frame at once; the charts, which take milliseconds to hand
    // their columns over, from the event loop, so that the flight's end is not held up.
    dirty_ = false;
    showReport();
    frameView_->update();
    QTimer::singleShot(0, charts_, [charts = charts_] { charts->refresh(); });
}

void ExplorerWindow::showPaused(bool paused)
{
    pauseButton_->setText(paused ? "&Resume" : "&Pause");
}

void ExplorerWindow::refresh()
{
    dirty_ = false;
    showReport();
    // The charts once a second while following: they cost the most to update.
    if (++refreshes_ % ChartRefreshEvery == 0 || !following_)
        charts_->refresh();
    frameView_->update();
}

QString ExplorerWindow::reportText() const
{
    const FlightReport& r = report_;
    if (!r.HasPoints())
        return "No flight yet.";
    QStringList lines;
    lines << "Ending: " + Text(r.EndingText());
    lines << "Flight time: " + Text(r.TimeText()) + " (" + QString::number(r.Days(), 'f', 4) +
                 " days)";
    lines << "Closest to the Moon's surface: " + Km(r.MoonMinKm()) + " at " +
                 Text(r.MoonMinTimeText());
    lines << "Lowest above the Earth after launch: " + Km(r.EarthMinKm());
    lines << "Farthest from the Earth's centre: " + Km(r.EarthMaxKm());
    lines << "Jacobi 0: " + Text(r.Jacobi0Text());
    lines << "Error Jacobi: " + Text(r.ErrorJacobiText()).trimmed();
    lines << "Accepted steps: " + QString::number(r.Steps());
    lines << "Output points: " + QString::number(r.Points());
    lines << "Speed: " + Text(r.VelocityText()).trimmed() + " km/s";
    return lines.join('\n');
}

void ExplorerWindow::showReport() { reportLabel_->setText(reportText()); }

void ExplorerWindow::savePicture()
{
    const QString path = AskSavePath(this, "Save picture", "orrimar.png", "PNG images (*.png)");
    if (path.isEmpty())
        return;
    const QImage image = picture_ ? picture_() : QImage();
    QSaveFile file(path);
    if (image.isNull() || !file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") ||
        !file.commit())
        ShowErrorBox(QString("Saving the picture as %1 failed: %2").arg(path, file.errorString()));
}

void ExplorerWindow::saveCsv()
{
    if (!lastLaunch_ || csvJob_.isRunning())
        return;
    const QString path =
        AskSavePath(this, "Save flight as CSV", "orrimar-flight.csv", "CSV files (*.csv)");
    if (path.isEmpty())
        return;
    csvButton_->setEnabled(false);
    csvJob_.setFuture(QtConcurrent::run(WriteCsvFile, path, *lastLaunch_));
}

}  // namespace orrimar
