#include "ui/launch_map_panel.h"

#include "ui/error_box.h"
#include "ui/save_file.h"

#include <QBuffer>
#include <QCheckBox>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QPainter>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QSpinBox>
#include <QVBoxLayout>

#include <algorithm>
#include <cmath>

namespace orrimar {

namespace {

constexpr int PollMilliseconds = 200;  // results taken and the map repainted 5 times a second

QDoubleSpinBox* NumberBox(int decimals, double range, double step, const QString& suffix,
                          const QString& name)
{
    auto* box = new QDoubleSpinBox;
    box->setDecimals(decimals);
    box->setRange(-range, range);
    box->setSingleStep(step);
    box->setSuffix(suffix);
    box->setAccessibleName(name);
    return box;
}

QSpinBox* CountBox(const QString& name)
{
    auto* box = new QSpinBox;
    box->setRange(1, LaunchMapPanel::MaxCellsPerAxis);
    box->setSuffix(QObject::tr(" cells"));
    box->setAccessibleName(name);
    return box;
}

QString DurationText(double seconds)
{
    const long long s = std::llround(std::max(0.0, seconds));
    if (s < 60)
        return QObject::tr("%1 s").arg(s);
    if (s < 3600)
        return QObject::tr("%1 min %2 s").arg(s / 60).arg(s % 60);
    return QObject::tr("%1 h %2 min").arg(s / 3600).arg(s % 3600 / 60);
}

}  // namespace

LaunchMapPanel::LaunchMapPanel(double altitudeKm, double angleDeg, double velocityKms,
                               int viewWidth, int viewHeight, bool fullView,
                               std::function<bool()> flightRunning, QWidget* parent)
    : QWidget(parent), altitude_(altitudeKm), viewWidth_(viewWidth), viewHeight_(viewHeight),
      fullView_(fullView), flightRunning_(std::move(flightRunning))
{
    buildControls();
    showRegion(RegionAround(altitudeKm, angleDeg, velocityKms));
    setLaunch(altitudeKm, angleDeg, velocityKms);
    pollTimer_.setInterval(PollMilliseconds);
    connect(&pollTimer_, &QTimer::timeout, this, &LaunchMapPanel::poll);
    updateButtons();
    updateProgress();
}

LaunchMapPanel::~LaunchMapPanel()
{
    // No flight starts any more; the ones under way end within one flight's time.
    cancel_ = true;
    if (worker_.joinable())
        worker_.join();
}

void LaunchMapPanel::buildControls()
{
    angleFrom_ = NumberBox(4, AngleRange, 0.1, tr(" °"), tr("Launch angle from"));
    angleTo_ = NumberBox(4, AngleRange, 0.1, tr(" °"), tr("Launch angle to"));
    velocityFrom_ = NumberBox(6, VelocityRange, 0.001, tr(" km/s"), tr("Launch velocity from"));
    velocityTo_ = NumberBox(6, VelocityRange, 0.001, tr(" km/s"), tr("Launch velocity to"));
    angleCells_ = CountBox(tr("Cells along the launch angle"));
    velocityCells_ = CountBox(tr("Cells along the launch velocity"));
    days_ = NumberBox(1, MaxDays, 1.0, tr(" days"), tr("Stop each flight after"));
    days_->setMinimum(MinDays);
    exactEvents_ = new QCheckBox(tr("E&xact collisions"));
    exactEvents_->setObjectName("exactEventsCheck");
    exactEvents_->setToolTip(tr("Find collisions and escapes between the output points, where "
                                "they happen, instead of at the output points as the window does"));
    altitudeLabel_ = new QLabel;

    auto* grid = new QGridLayout;
    grid->addWidget(new QLabel(tr("Launch angle")), 0, 0);
    grid->addWidget(angleFrom_, 0, 1);
    grid->addWidget(new QLabel(tr("to")), 0, 2);
    grid->addWidget(angleTo_, 0, 3);
    grid->addWidget(angleCells_, 0, 4);
    grid->addWidget(altitudeLabel_, 0, 5);
    grid->addWidget(new QLabel(tr("Launch velocity")), 1, 0);
    grid->addWidget(velocityFrom_, 1, 1);
    grid->addWidget(new QLabel(tr("to")), 1, 2);
    grid->addWidget(velocityTo_, 1, 3);
    grid->addWidget(velocityCells_, 1, 4);
    // A row of their own: the Explorer fits a 1024-pixel-wide screen with the map in front.
    grid->addWidget(new QLabel(tr("Stop after")), 2, 0);
    grid->addWidget(days_, 2, 1);
    grid->addWidget(exactEvents_, 2, 3, 1, 3);
    connect(exactEvents_, &QCheckBox::toggled, this, [this] {
        edited_ = true;
        updateStale();
    });
    for (QDoubleSpinBox* box : {angleFrom_, angleTo_, velocityFrom_, velocityTo_, days_})
        connect(box, &QDoubleSpinBox::valueChanged, this, [this] {
            edited_ = true;
            updateStale();
        });
    for (QSpinBox* box : {angleCells_, velocityCells_})
        connect(box, &QSpinBox::valueChanged, this, [this] {
            edited_ = true;
            updateStale();
        });

    compute_ = new QPushButton(tr("&Compute"));
    cancelButton_ = new QPushButton(tr("Cance&l"));
    back_ = new QPushButton(tr("&Back"));
    savePng_ = new QPushButton(tr("Save map as P&NG…"));
    saveCsv_ = new QPushButton(tr("Save map as C&SV…"));
    back_->setToolTip(tr("Return to the map before the last zoom"));
    connect(compute_, &QPushButton::clicked, this, [this] {
        emit computeRequested();
        compute();
    });
    connect(cancelButton_, &QPushButton::clicked, this, &LaunchMapPanel::cancel);
    connect(back_, &QPushButton::clicked, this, &LaunchMapPanel::back);
    connect(savePng_, &QPushButton::clicked, this, &LaunchMapPanel::savePngAs);
    connect(saveCsv_, &QPushButton::clicked, this, &LaunchMapPanel::saveCsvAs);
    auto* buttons = new QHBoxLayout;
    for (QPushButton* button : {compute_, cancelButton_, back_, savePng_, saveCsv_})
        buttons->addWidget(button);
    buttons->addStretch();

    view_ = new LaunchMapView;
    view_->setToolTip(QString());
    connect(view_, &LaunchMapView::cellsSelected, this, &LaunchMapPanel::zoom);
    const auto fieldTexts = [this](int cell) {
        const FieldTexts texts = CellFieldTexts(map()->Grid.Cell(static_cast<std::size_t>(cell)));
        return std::pair{QString::fromStdString(texts.Angle), QString::fromStdString(texts.Velocity)};
    };
    connect(view_, &LaunchMapView::cellClicked, this, [this, fieldTexts](int cell) {
        view_->setChosenCell(cell);
        const auto [angle, velocity] = fieldTexts(cell);
        emit cellChosen(angle, velocity);
    });
    connect(view_, &LaunchMapView::cellDoubleClicked, this, [this, fieldTexts](int cell) {
        const auto [angle, velocity] = fieldTexts(cell);
        emit flyRequested(angle, velocity);
    });

    progress_ = new QProgressBar;
    progress_->setAccessibleName(tr("Cells flown"));
    progressText_ = new QLabel;
    auto* progressRow = new QHBoxLayout;
    progressRow->addWidget(progress_, 1);
    progressRow->addWidget(progressText_, 1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->addWidget(view_, 1);
    legend_ = new LaunchMapLegend;
    layout->addWidget(legend_);
    layout->addLayout(progressRow);
}

void LaunchMapPanel::setLaunch(double altitudeKm, double angleDeg, double velocityKms)
{
    // Keeps the spans, cell counts and day limit of the spin boxes.
    const MapRegion current = region();
    altitude_ = altitudeKm;
    launchAngle_ = angleDeg;
    launchVelocity_ = velocityKms;
    view_->setLaunchMark(angleDeg, velocityKms);
    altitudeLabel_->setText(tr("at altitude %1 km").arg(altitudeKm, 0, 'f', 2));
    showRegion(RegionAround(altitudeKm, angleDeg, velocityKms,
                            (current.Angle.To - current.Angle.From) / 2,
                            (current.Velocity.To - current.Velocity.From) / 2,
                            current.Angle.Count, current.Velocity.Count, current.MaxDays));
    updateStale();
}

void LaunchMapPanel::setRegion(const MapRegion& region)
{
    altitude_ = region.Altitude;
    altitudeLabel_->setText(tr("at altitude %1 km").arg(region.Altitude, 0, 'f', 2));
    showRegion(region);
    updateStale();
}

void LaunchMapPanel::resetRegion()
{
    if (computing())
        return;
    showRegion(RegionAround(altitude_, launchAngle_, launchVelocity_));
    updateStale();
}

void LaunchMapPanel::closeEvent(QCloseEvent* event)
{
    cancel();
    QWidget::closeEvent(event);
}

void LaunchMapPanel::showEvent(QShowEvent* event)
{
    // Hosted in a tab, the panel is not told of its window's closing: watch the window.
    QWidget* top = window();
    if (top != this && top != watchedWindow_) {
        if (watchedWindow_)
            watchedWindow_->removeEventFilter(this);
        watchedWindow_ = top;
        watchedWindow_->installEventFilter(this);
        connect(watchedWindow_, &QObject::destroyed, this, [this] { watchedWindow_ = nullptr; });
    }
    QWidget::showEvent(event);
}

bool LaunchMapPanel::eventFilter(QObject* watched, QEvent* event)
{
    if (watched == watchedWindow_ && event->type() == QEvent::Close)
        cancel();
    return QWidget::eventFilter(watched, event);
}

void LaunchMapPanel::setView(int viewWidth, int viewHeight, bool fullView)
{
    viewWidth_ = viewWidth;
    viewHeight_ = viewHeight;
    fullView_ = fullView;
}

void LaunchMapPanel::setFlightRunning(std::function<bool()> flightRunning)
{
    flightRunning_ = std::move(flightRunning);
}

void LaunchMapPanel::setSavePathHook(std::function<QString(const QString&, const QString&)> hook)
{
    savePathHook_ = std::move(hook);
}

MapRegion LaunchMapPanel::region() const
{
    if (!edited_) {
        MapRegion region = shownRegion_;
        region.Altitude = altitude_;
        return region;
    }
    return MapRegion{altitude_,
                     MapAxis{angleFrom_->value(), angleTo_->value(), angleCells_->value()},
                     MapAxis{velocityFrom_->value(), velocityTo_->value(), velocityCells_->value()},
                     days_->value(), exactEvents_->isChecked()};
}

void LaunchMapPanel::showRegion(const MapRegion& region)
{
    const QSignalBlocker b1(angleFrom_), b2(angleTo_), b3(velocityFrom_), b4(velocityTo_),
        b5(angleCells_), b6(velocityCells_), b7(days_), b8(exactEvents_);
    angleFrom_->setValue(region.Angle.From);
    angleTo_->setValue(region.Angle.To);
    velocityFrom_->setValue(region.Velocity.From);
    velocityTo_->setValue(region.Velocity.To);
    angleCells_->setValue(region.Angle.Count);
    velocityCells_->setValue(region.Velocity.Count);
    days_->setValue(region.MaxDays);
    exactEvents_->setChecked(region.ExactEvents);
    shownRegion_ = region;
    edited_ = false;
}

void LaunchMapPanel::showMap()
{
    view_->setMap(map());
    view_->setChosenCell(-1);
    updateStale();
    updateButtons();
    updateProgress();
}

void LaunchMapPanel::updateStale()
{
    view_->setStale(current_ && !computing() && !(current_->Region == region())
                        ? tr("This map is not the one the settings ask for: press Compute for theirs")
                        : QString());
    // Before the first map the line counts the cells the spin boxes ask for.
    if (!current_)
        updateProgress();
}

int LaunchMapPanel::keptMaps() const
{
    return static_cast<int>(std::count_if(history_.begin(), history_.end(),
                                          [](const PastMap& past) { return past.Cells != nullptr; }));
}

void LaunchMapPanel::pushHistory(std::unique_ptr<LaunchMapCells> map)
{
    const MapRegion region = map->Region;
    history_.push_back(PastMap{region, std::move(map)});
    if (history_.size() > MaxHistory)
        history_.pop_front();
    // The latest maps keep their cells; older ones only their regions.
    std::size_t bytes = 0;
    for (auto past = history_.rbegin(); past != history_.rend(); ++past) {
        if (!past->Cells)
            continue;
        bytes += past->Cells->KeptBytes();
        if (bytes > MaxKeptHistoryBytes)
            past->Cells.reset();
    }
}

void LaunchMapPanel::compute()
{
    if (computing())
        return;
    const MapRegion wanted = region();
    if (!(wanted.Angle.To > wanted.Angle.From) || !(wanted.Velocity.To > wanted.Velocity.From)) {
        showErrorBox(tr("The map needs each axis's \"to\" above its \"from\""));
        return;
    }
    if (!current_ || !(current_->Region == wanted)) {
        // A map of which nothing was flown is replaced rather than kept for Back.
        if (current_ && current_->FlownCount > 0)
            pushHistory(std::move(current_));
        current_ = std::make_unique<LaunchMapCells>(wanted);
        showRegion(wanted);
        showMap();
    }
    if (current_->FlownCount == current_->Grid.CellCount())
        return;
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    startWorker(MapThreads(std::max(1, cores), flightRunning_ && flightRunning_()));
}

void LaunchMapPanel::startWorker(int threads)
{
    const LaunchMapCells& map = *current_;
    // The cells still to fly, one bit each: the worker never reads the map itself.
    std::vector<bool> toFly(map.Grid.CellCount());
    for (std::size_t i = 0; i < toFly.size(); ++i)
        toFly[i] = !map.Flown(i);
    FlightSetup setup;
    setup.ViewWidth = viewWidth_;
    setup.ViewHeight = viewHeight_;
    setup.FullView = fullView_;
    setup.Limit.MaxDays = map.Region.MaxDays;
    setup.Limit.ExactEvents = map.Region.ExactEvents;

    cancel_ = false;
    finished_ = false;
    {
        const std::lock_guard lock(mutex_);
        results_.clear();
        error_.clear();
    }
    threads_ = threads;
    runTotal_ = map.Grid.CellCount() - map.FlownCount;
    runFlown_ = 0;
    elapsed_.start();
    // The worker touches only the queue, the error and the flags, never a widget; the
    // cells' launches are made as they are flown, so memory does not grow with the map.
    worker_ = std::thread([this, toFly = std::move(toFly), grid = map.Grid, setup, threads] {
        try {
            ParallelFlights(static_cast<int>(toFly.size()), threads, setup,
                            [&](int i, const HeadlessViews& views) {
                                const auto cell = static_cast<std::size_t>(i);
                                if (!toFly[cell] || cancel_)
                                    return;
                                const FlightSummary summary = FlyLaunch(grid.Cell(cell), views, setup);
                                const std::lock_guard lock(mutex_);
                                results_.emplace_back(cell, summary);
                            });
        } catch (const std::exception& e) {
            const std::lock_guard lock(mutex_);
            error_ = e.what();
        }
        finished_ = true;
    });
    pollTimer_.start();
    updateStale();
    updateButtons();
    updateProgress();
}

void LaunchMapPanel::poll()
{
    takeResults();
    if (finished_)
        finish();
    else
        updateProgress();
}

void LaunchMapPanel::takeResults()
{
    std::vector<std::pair<std::size_t, FlightSummary>> results;
    {
        const std::lock_guard lock(mutex_);
        results.swap(results_);
    }
    if (results.empty() || !current_)
        return;
    std::vector<std::size_t> cells;
    cells.reserve(results.size());
    for (auto& [cell, summary] : results) {
        current_->Set(cell, summary);
        cells.push_back(cell);
    }
    runFlown_ += results.size();
    view_->updateCells(cells);
}

void LaunchMapPanel::cancel()
{
    if (!computing())
        return;
    cancel_ = true;
    finish();
}

void LaunchMapPanel::finish()
{
    worker_.join();
    pollTimer_.stop();
    takeResults();
    std::string error;
    {
        const std::lock_guard lock(mutex_);
        error.swap(error_);
    }
    updateStale();
    updateButtons();
    updateProgress();
    emit computationEnded();
    if (!error.empty())
        showErrorBox(tr("The launch map stopped: %1").arg(QString::fromStdString(error)));
}

void LaunchMapPanel::back()
{
    cancel();
    if (history_.empty())
        return;
    PastMap past = std::move(history_.back());
    history_.pop_back();
    const bool kept = past.Cells != nullptr;
    current_ = kept ? std::move(past.Cells) : std::make_unique<LaunchMapCells>(past.Region);
    note_.clear();
    showRegion(current_->Region);
    showMap();
    // A map kept only as its region is flown again.
    if (!kept)
        compute();
}

void LaunchMapPanel::zoom(int a0, int a1, int v0, int v1)
{
    if (!current_)
        return;
    cancel();
    const ZoomResult zoomed = ZoomRegionWithin(current_->Region, a0, a1, v0, v1);
    note_ = zoomed.Limited ? tr("Zoom stopped at the fields' resolution: cells of %1° and %2 km/s at least")
                                 .arg(AngleResolution)
                                 .arg(VelocityResolution)
                           : QString();
    if (zoomed.Region == current_->Region) {
        updateProgress();
        return;
    }
    showRegion(zoomed.Region);
    compute();
}

void LaunchMapPanel::updateButtons()
{
    const bool busy = computing();
    compute_->setEnabled(!busy);
    cancelButton_->setEnabled(busy);
    back_->setEnabled(!history_.empty());
    savePng_->setEnabled(current_ != nullptr);
    saveCsv_->setEnabled(current_ != nullptr);
    for (QWidget* box : std::initializer_list<QWidget*>{angleFrom_, angleTo_, velocityFrom_,
                                                        velocityTo_, angleCells_, velocityCells_, days_,
                                                        exactEvents_})
        box->setEnabled(!busy);
}

QString LaunchMapPanel::progressText() const { return progressText_->text(); }

void LaunchMapPanel::updateProgress()
{
    const LaunchMapCells* shown = map();
    // Before the first Compute: the cells the settings ask for.
    const std::size_t total = shown ? shown->Grid.CellCount() : region().CellCount();
    const std::size_t flown = shown ? shown->FlownCount : 0;
    progress_->setRange(0, static_cast<int>(std::max<std::size_t>(total, 1)));
    progress_->setValue(static_cast<int>(flown));
    progress_->setFormat(tr("%1 of %2 cells").arg(flown).arg(total));
    QString text;
    if (!shown) {
        text = tr("Press Compute to fly the map's %1 launches").arg(total);
    } else if (computing()) {
        const double seconds = elapsed_.elapsed() / 1000.0;
        text = runFlown_ == 0 ? tr("Flying…")
                              : tr("About %1 left").arg(DurationText(
                                    seconds * static_cast<double>(runTotal_ - runFlown_) / runFlown_));
    } else if (flown < total) {
        text = tr("Stopped: %1 cells not flown (Compute goes on)").arg(total - flown);
    } else {
        text = tr("Done");
    }
    progressText_->setText(note_.isEmpty() ? text : note_ + ". " + text);
}

QString LaunchMapPanel::savePath(const QString& caption, const QString& filter)
{
    if (savePathHook_)
        return savePathHook_(caption, filter);
    return QFileDialog::getSaveFileName(this, caption, QString(), filter);
}

bool LaunchMapPanel::saveBytes(const QString& path, const QByteArray& bytes)
{
    const QString reason = saveFile(path, [&bytes](QIODevice& device) {
        return device.write(bytes) == bytes.size();
    });
    if (reason.isEmpty())
        return true;
    showErrorBox(tr("The map could not be saved as %1: %2").arg(path, reason));
    return false;
}

bool LaunchMapPanel::saveCsv(const QString& path)
{
    const LaunchMapCells* shown = map();
    if (!shown)
        return false;
    // Row by row: a map of millions of cells is never one string in memory.
    const QString reason = saveFile(path, [shown](QIODevice& device) {
        std::string text = MapCsvHeader() + "\n";
        for (std::size_t i = 0; i < shown->Grid.CellCount(); ++i) {
            text += (shown->Flown(i) ? MapCsvRow(shown->Grid.Cell(i), shown->Summary(i))
                                     : MapCsvRowNotFlown(shown->Grid.Cell(i))) +
                    "\n";
            if (text.size() > (1u << 16) || i + 1 == shown->Grid.CellCount()) {
                if (device.write(text.data(), static_cast<qint64>(text.size())) !=
                    static_cast<qint64>(text.size()))
                    return false;
                text.clear();
            }
        }
        return true;
    });
    if (reason.isEmpty())
        return true;
    showErrorBox(tr("The map could not be saved as %1: %2").arg(path, reason));
    return false;
}

QString LaunchMapPanel::parametersText() const
{
    const MapRegion r = map() ? map()->Region : region();
    return tr("Altitude %1 km; angle %2° to %3° in %4 cells; velocity %5 to %6 km/s in %7 cells; "
              "each flight stopped after %8 days%9")
        .arg(r.Altitude, 0, 'f', 2)
        .arg(r.Angle.From, 0, 'f', 4)
        .arg(r.Angle.To, 0, 'f', 4)
        .arg(r.Angle.Count)
        .arg(r.Velocity.From, 0, 'f', 6)
        .arg(r.Velocity.To, 0, 'f', 6)
        .arg(r.Velocity.Count)
        .arg(r.MaxDays, 0, 'f', 1)
        .arg(r.ExactEvents ? tr("; exact collisions") : QString());
}

QImage LaunchMapPanel::picture()
{
    // Behind another tab the map has no size of its own yet: the one it would be shown at.
    if (!view_->isVisible())
        view_->resize(view_->size().expandedTo(view_->sizeHint()));
    if (!legend_->isVisible())
        legend_->resize(view_->width(), legend_->sizeHint().height());
    const QImage mapImage = view_->grab().toImage();
    const QSize legendSize(mapImage.width(), legend_->sizeHint().height());
    const QFontMetrics metrics(font());
    const QString parameters = parametersText();
    const QRect textBox = metrics.boundingRect(QRect(0, 0, mapImage.width() - 8, 1000),
                                               Qt::TextWordWrap, parameters);
    QImage image(mapImage.width(), mapImage.height() + legendSize.height() + textBox.height() + 8,
                 QImage::Format_RGB32);
    image.fill(palette().window().color());
    QPainter painter(&image);
    painter.drawImage(0, 0, mapImage);
    legend_->render(&painter, QPoint(0, mapImage.height()), QRegion(QRect(QPoint(), legendSize)));
    painter.setPen(palette().windowText().color());
    painter.setFont(font());
    painter.drawText(QRect(4, mapImage.height() + legendSize.height() + 4, mapImage.width() - 8,
                           textBox.height()),
                     Qt::TextWordWrap, parameters);
    return image;
}

bool LaunchMapPanel::savePng(const QString& path)
{
    if (!map())
        return false;
    QByteArray bytes;
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::WriteOnly);
    if (!picture().save(&buffer, "PNG")) {
        showErrorBox(tr("The map could not be saved as %1: the picture could not be made").arg(path));
        return false;
    }
    return saveBytes(path, bytes);
}

bool LaunchMapPanel::saveCsvAs()
{
    const QString path = savePath(tr("Save map as CSV"), tr("CSV files (*.csv)"));
    return !path.isEmpty() && saveCsv(withExtension(path, "csv"));
}

bool LaunchMapPanel::savePngAs()
{
    const QString path = savePath(tr("Save map as PNG"), tr("PNG images (*.png)"));
    return !path.isEmpty() && savePng(withExtension(path, "png"));
}

}  // namespace orrimar
