#include "ui/explorer_window.h"

#include "formats/decimal_text.h"
#include "ui/burns_panel.h"
#include "ui/error_box.h"
#include "ui/flight_charts.h"
#include "ui/launch_map_panel.h"
#include "ui/moon_frame_view.h"
#include "ui/preview_runner.h"
#include "ui/save_file.h"

#include <QCloseEvent>
#include <QFileDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QScrollArea>
#include <QSplitter>
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

// A stream buffer writing through to a file being saved; a failed write fails the stream.
class DeviceBuffer : public std::streambuf {
public:
    explicit DeviceBuffer(QIODevice& device) : device_(device) { setp(buffer_, buffer_ + Size); }

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

// Writes the record's CSV. Runs on a pool thread: touches nothing of the window, and the
// record, finished, no longer changes.
QString WriteCsvFile(const QString& path, std::shared_ptr<const FlightRecord> record)
{
    QString failure;
    const QString reason = saveFile(path, [&](QIODevice& device) {
        try {
            auto buffer = std::make_unique<DeviceBuffer>(device);
            std::ostream csv(buffer.get());
            record->WriteCsv(csv);
            csv.flush();
            return static_cast<bool>(csv);
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
            return false;
        }
    });
    if (reason.isEmpty() && failure.isEmpty())
        return QString();
    return QString("Saving the flight as %1 failed: %2").arg(path, failure.isEmpty() ? reason : failure);
}

QString Text(const std::string& s) { return QString::fromStdString(s); }
QString Km(double km) { return QString::number(km, 'f', 3) + " km"; }

}  // namespace

void setSavePathAsker(SavePathAsker asker) { PathAsker() = std::move(asker); }

ExplorerWindow::ExplorerWindow(std::function<QImage()>, std::function<MapLaunch()> mapLaunch,
                               std::function<bool()> flightRunning, QWidget* parent)
    // A tool window stays above its main window (Start there does not bury it), and moves
    // freely, to another screen too.
    : QWidget(parent, parent ? Qt::Tool : Qt::Window), mapLaunch_(std::move(mapLaunch)),
      flightRunning_(std::move(flightRunning))
{
    setWindowTitle("Orrimar Explorer");
    setObjectName("explorerWindow");
    record_ = std::make_shared<const FlightRecord>();

    auto* sidePanel = new QWidget(this);
    auto* side = new QVBoxLayout(sidePanel);
    side->setContentsMargins(0, 0, 0, 0);
    noteLabel_ = new QLabel("No flight followed yet: press Start.", sidePanel);
    noteLabel_->setObjectName("explorerNote");
    noteLabel_->setWordWrap(true);
    reportLabel_ = new QLabel;
    reportLabel_->setObjectName("reportLabel");
    reportLabel_->setTextInteractionFlags(Qt::TextSelectableByMouse);
    reportLabel_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    // Long lines wrap at the column's width, which the splitter sets (the report's
    // changing texts never resize the views beside it: that renders the shading again).
    reportLabel_->setWordWrap(true);
    auto* reportScroll = new QScrollArea(sidePanel);
    reportScroll->setWidget(reportLabel_);
    reportScroll->setWidgetResizable(true);
    reportScroll->setFrameShape(QFrame::NoFrame);
    reportScroll->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    pauseButton_ = new QPushButton("&Pause", sidePanel);
    pauseButton_->setObjectName("pauseButton");
    pauseButton_->setEnabled(false);
    pictureButton_ = new QPushButton("Save p&icture…", sidePanel);
    pictureButton_->setObjectName("savePictureButton");
    csvButton_ = new QPushButton("Save flight as CS&V…", sidePanel);
    csvButton_->setObjectName("saveCsvButton");
    csvButton_->setEnabled(false);
    side->addWidget(noteLabel_);
    side->addWidget(reportScroll, 1);
    burnsPanel_ = new BurnsPanel(sidePanel);
    burnsPanel_->setObjectName("burnsPanel");
    side->addWidget(burnsPanel_);
    side->addWidget(pauseButton_);
    side->addWidget(pictureButton_);
    side->addWidget(csvButton_);
    sidePanel->setMinimumWidth(170);

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
    Q_ASSERT(tabs_->count() == TabCount);
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

    previewRunner_ = new PreviewRunner(this);
    connect(previewRunner_, &PreviewRunner::ready, frameView_, &MoonFrameView::setPreview);
    connect(burnsPanel_, &BurnsPanel::burnsChanged, this, [this] { updatePreview(launchValid_); });
    connect(frameView_, &MoonFrameView::burnDragged, burnsPanel_, &BurnsPanel::setBurnDv);

    splitter_ = new QSplitter(Qt::Horizontal, this);
    splitter_->setObjectName("explorerSplitter");
    splitter_->setChildrenCollapsible(false);
    splitter_->addWidget(sidePanel);
    splitter_->addWidget(tabs_);
    splitter_->setStretchFactor(1, 1);
    auto* row = new QHBoxLayout(this);
    row->addWidget(splitter_);
    // The report's longest lines whole at the default size, and the window within a
    // 1024 × 700 screen.
    splitter_->setSizes({330, 670});
    resize(1000, 640);

    refreshTimer_ = new QTimer(this);
    refreshTimer_->setInterval(RefreshMs);
    connect(refreshTimer_, &QTimer::timeout, this, [this] {
        if (dirty_)
            refresh();
        // Fields changed while the map is in front: the map says it no longer matches.
        if (tabs_->currentWidget() == mapPanel_ && isVisible())
            updateLaunchMap();
    });
    refreshTimer_->start();
    connect(pauseButton_, &QPushButton::clicked, this, &ExplorerWindow::pauseClicked);
    connect(pictureButton_, &QPushButton::clicked, this, [this] { savePicture(); });
    connect(csvButton_, &QPushButton::clicked, this, [this] { saveCsv(); });
    connect(&csvJob_, &QFutureWatcher<QString>::finished, this, [this] {
        updateCsvButton();
        const QString error = csvJob_.result();
        if (!error.isEmpty())
            showErrorBox(error);
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
        // A new record: a CSV still being written keeps the one before.
        live_ = std::make_shared<FlightRecord>();
        record_ = live_;
        frameView_->clearFlight();
        charts_->clear();
        // Start flies the burns planned now.
        burnsLog_.begin(burnsPanel_->burns());
        following_ = true;
        pauseButton_->setEnabled(true);
        updateCsvButton();
        noteLabel_->setText("Following the flight.");
    }
    if (!following_)
        return;
    live_->AddStep(step);
    dirty_ = true;
}

void ExplorerWindow::followPoint(const FlightPoint& point)
{
    if (!following_)
        return;
    live_->AddPoint(point);
    if (live_->Report().Points() == 1)
        frameView_->setJacobi0(live_->Report().Jacobi0());
    frameView_->addPoint(point.State[1], point.State[3]);
    burnsLog_.add(point);
    if (burnsLog_.burnedAt())
        frameView_->addBurnMark(point.State[1], point.State[3]);
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
    live_->Finish(result, cancelRequested, launch);
    live_.reset();
    updateCsvButton();
    showPaused(false);
    pauseButton_->setEnabled(false);
    noteLabel_->setText("The last flight.");
    // The report and the frame at once; the charts, which take milliseconds to hand
    // their columns over, from the event loop, so that the flight's end is not held up.
    dirty_ = false;
    showReport();
    frameView_->update();
    QTimer::singleShot(0, charts_, [this] { charts_->show(*record_); });
}

void ExplorerWindow::showFlight(std::shared_ptr<const FlightRecord> record)
{
    if (following_ || !record)
        return;
    record_ = std::move(record);
    burnsLog_.begin({});
    frameView_->clearFlight();
    frameView_->setTrajectory(record_->Trajectory());
    if (record_->Report().HasPoints())
        frameView_->setJacobi0(record_->Report().Jacobi0());
    charts_->show(*record_);
    noteLabel_->setText(record_->Finished() ? "The last flight." : "No flight followed yet: press Start.");
    updateCsvButton();
    showReport();
}

void ExplorerWindow::updateCsvButton()
{
    // Only a finished flight, and one file at a time.
    csvButton_->setEnabled(!following_ && record_->Finished() && record_->Launch() &&
                           !csvJob_.isRunning());
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
        charts_->show(*record_);
    frameView_->update();
}

QString ExplorerWindow::reportText() const
{
    const FlightReport& r = record_->Report();
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
    lines << burnsLog_.lines();
    return lines.join('\n');
}

std::vector<FlightBurn> ExplorerWindow::burns() const { return burnsPanel_->burns(); }

void ExplorerWindow::setBurns(std::vector<FlightBurn> burns)
{
    burnsPanel_->setBurns(std::move(burns));
}

const PreviewResult* ExplorerWindow::preview() const { return frameView_->preview(); }

void ExplorerWindow::updatePreview(bool launchValid)
{
    launchValid_ = launchValid;
    const MapLaunch launch = mapLaunch_ ? mapLaunch_() : MapLaunch{};
    const bool finite = std::isfinite(launch.AltitudeKm) && std::isfinite(launch.AngleDeg) &&
                        std::isfinite(launch.VelocityKms);
    if (!launchValid || !finite || launch.ViewWidth <= 0 || launch.ViewHeight <= 0) {
        previewRunner_->clear();
        return;
    }
    PreviewRequest request;
    request.Launch = LaunchState(launch.AltitudeKm, launch.VelocityKms, launch.AngleDeg);
    request.Burns = burns();
    request.ViewWidth = launch.ViewWidth;
    request.ViewHeight = launch.ViewHeight;
    request.FullView = launch.FullView;
    previewRunner_->request(std::move(request));
}

int ExplorerWindow::currentTab() const { return tabs_->currentIndex(); }

void ExplorerWindow::setCurrentTab(int index) { tabs_->setCurrentIndex(index); }

void ExplorerWindow::showReport() { reportLabel_->setText(reportText()); }

QImage ExplorerWindow::picture() const
{
    if (tabs_->currentWidget() == mapPanel_)
        return mapPanel_->picture();
    return tabs_->currentWidget()->grab().toImage();
}

void ExplorerWindow::savePicture()
{
    QString path = AskSavePath(this, "Save picture", "orrimar.png", "PNG images (*.png)");
    if (path.isEmpty())
        return;
    path = withExtension(path, "png");
    const QImage image = picture();
    const QString reason =
        saveFile(path, [&image](QIODevice& device) { return image.save(&device, "PNG"); });
    if (!reason.isEmpty())
        showErrorBox(QString("Saving the picture as %1 failed: %2").arg(path, reason));
}

void ExplorerWindow::saveCsv()
{
    if (following_ || !record_->Finished() || !record_->Launch() || csvJob_.isRunning())
        return;
    QString path =
        AskSavePath(this, "Save flight as CSV", "orrimar-flight.csv", "CSV files (*.csv)");
    if (path.isEmpty())
        return;
    path = withExtension(path, "csv");
    csvButton_->setEnabled(false);
    csvJob_.setFuture(QtConcurrent::run(WriteCsvFile, path, record_));
}

}  // namespace orrimar
