// The Explorer following the main window's flights: opening it, its report against the
// tool's summary for the five presets, pausing and resuming, both exports against the
// tool's CSV and the tab shown, a finished flight's record shown again and its CSV, closing either window mid-flight, the launch map's tab
// following the fields, filling them and flying its cells, and the rotating-frame view's
// closed region and zoom.
#include "support/widget_parts.h"
#include "cli/flight_tool.h"
#include "formats/decimal_text.h"
#include "formats/number_format.h"
#include "flight/flight_summary.h"
#include "flight/lagrange_points.h"
#include "flight/launch_presets.h"
#include "support/report_line.h"
#include "ui/application.h"
#include "ui/error_box.h"
#include "ui/explorer_window.h"
#include "ui/flight_charts.h"
#include "ui/launch_map_panel.h"
#include "ui/main_window.h"
#include "ui/masked_field.h"
#include "ui/moon_frame_view.h"
#include "ui/paint_box.h"

#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLabel>
#include <QGuiApplication>
#include <QPointer>
#include <QPushButton>
#include <QSignalSpy>
#include <QSlider>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <QCheckBox>
#include <QRegularExpression>

#include <memory>
#include <sstream>

using namespace orrimar;
using orrimar::test::Part;
using orrimar::test::Patience;

namespace {


// The map's centre is the launch: spans kept by a new centre may round in the last bit.
bool CentredOn(const MapRegion& region, const LaunchPreset& p)
{
    const auto near = [](double a, double b) { return std::abs(a - b) < 1e-9; };
    return region.Altitude == LaunchValue(p.Altitude) &&
           near((region.Angle.From + region.Angle.To) / 2, LaunchValue(p.Angle)) &&
           near((region.Velocity.From + region.Velocity.To) / 2, LaunchValue(p.Velocity));
}

QPushButton* ButtonWithText(const QWidget& parent, const QString& text)
{
    for (QPushButton* button : parent.findChildren<QPushButton*>())
        if (button->text() == text)
            return button;
    qFatal("No button %s", qPrintable(text));
    return nullptr;
}

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

}  // namespace

class TestExplorer : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useDotDecimalSeparator();
        setErrorBoxHandler([this](const QString& text) { errors_.append(text); });
        setSavePathAsker([this](const QString&, const QString&, const QString&) { return savePath_; });
    }
    void init()
    {
        errors_.clear();
        window_ = new MainWindow(false);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
        Part<QSlider>(*window_, "speedSlider")->setValue(95);  // fastest
    }
    void cleanup()
    {
        delete window_;
        window_ = nullptr;
    }

    void OpensOnceFromTheButtonAndCtrlE()
    {
        QCOMPARE(window_->explorer(), nullptr);
        Part<QToolButton>(*window_, "explorerButton")->click();
        QPointer<ExplorerWindow> explorer = window_->explorer();
        QVERIFY(explorer && explorer->isVisible());
        QCOMPARE(explorer->windowTitle(), QString("Orrimar Explorer"));
        QVERIFY(!explorer->isModal());
        explorer->close();
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        QTest::keyClick(window_, Qt::Key_E, Qt::ControlModifier);
        QCOMPARE(window_->explorer(), explorer.data());  // created once
        QVERIFY(explorer->isVisible());
    }

    // Every number of the report is the tool's for the same launch and view.
    void ReportIsTheToolsSummaryForEveryPreset()
    {
        ExplorerWindow* explorer = openExplorer();
        const auto* fullView = Part<PaintBox>(*window_, "fullView");
        for (int i = 0; i < static_cast<int>(LaunchPresets.size()); ++i) {
            const LaunchPreset& p = LaunchPresets[static_cast<std::size_t>(i)];
            applyPreset(i);
            fly();
            const HeadlessViews views(fullView->width(), fullView->height(), true);
            const FlightSummary summary =
                FlySummary(LaunchFromTexts(p.Altitude, p.Velocity, p.Angle), views);
            const FlightReport& report = explorer->report();
            QVERIFY(report.Finished());
            QCOMPARE(QString::fromStdString(test::ReportLine(report)),
                     QString::fromStdString(SummaryLine(summary)));
            QCOMPARE(report.Points(), window_->lastPointIndex() + 1);
            // Followed, not flown again: every point reached the plots.
            auto* frame = Part<MoonFrameView>(*explorer, "moonFrameView");
            QCOMPARE(frame->trajectory().Added(), static_cast<std::size_t>(summary.Points));
            auto* charts = Part<FlightCharts>(*explorer, "flightCharts");
            Part<QTabWidget>(*explorer, "explorerTabs")->setCurrentWidget(charts);
            for (int s = 0; s < FlightCharts::SeriesCount; ++s) {
                const auto series = static_cast<FlightCharts::Series>(s);
                QTRY_VERIFY(charts->plottedPoints(series) > 0);  // caught up from the event loop
                QVERIFY(charts->plottedPoints(series) <= 1000);
            }
            const QString text = Part<QLabel>(*explorer, "reportLabel")->text();
            QVERIFY2(text.contains("Ending: " + QString::fromStdString(report.EndingText())),
                     qPrintable(text));
        }
    }

    // Opened after a flight, the Explorer shows that flight as one that followed it does:
    // the whole report, the trajectory and the CSV's points.
    void OpenedAfterAFlightShowsIt()
    {
        applyPreset(1);  // "Collision"
        fly();
        ExplorerWindow* late = openExplorer();
        const QString lateText = late->reportText();
        const std::size_t lateTrajectory = late->flight()->Trajectory().Added();
        QVERIFY(late->flight()->Finished());
        QVERIFY(Part<QPushButton>(*late, "saveCsvButton")->isEnabled());
        fly();  // the same launch, followed this time
        QCOMPARE(lateText, late->reportText());
        QCOMPARE(lateTrajectory, late->flight()->Trajectory().Added());
        QCOMPARE(late->report().Points(), window_->lastPointIndex() + 1);
    }

    void PausedFlightResumesAsTheSameFlight()
    {
        applyPreset(4);  // "Escape 58": long enough to be caught mid-flight
        fly();
        const int unpausedLast = window_->lastPointIndex();

        ExplorerWindow* explorer = openExplorer();
        auto* pause = Part<QPushButton>(*explorer, "pauseButton");
        int atPause = -1, later = -1;
        bool pausedSeen = false;
        // Pause once the flight is under way (a busy machine may take a while to start it),
        // look at it paused, then resume.
        QTimer poll;
        poll.setInterval(1);
        connect(&poll, &QTimer::timeout, window_, [&] {
            const int drawn = window_->lastPointIndex();
            if (!window_->flying() || drawn < 10 || drawn >= unpausedLast - 100)
                return;
            poll.stop();
            pause->click();
            QTimer::singleShot(60, window_, [&] {
                atPause = window_->lastPointIndex();
                pausedSeen = window_->paused() && pause->text() == "&Resume";
                Part<QSlider>(*window_, "speedSlider")->setValue(90);  // usable while paused
                QMetaObject::invokeMethod(window_, "copyToClipboard");
                QTimer::singleShot(100, window_, [&] {
                    later = window_->lastPointIndex();
                    Part<QSlider>(*window_, "speedSlider")->setValue(95);
                    window_->togglePause();  // the key P's slot
                });
            });
        });
        poll.start();
        fly();
        QVERIFY(pausedSeen);
        QVERIFY(atPause >= 0 && atPause < unpausedLast);
        QCOMPARE(later, atPause);  // nothing drawn while paused
        QCOMPARE(window_->lastPointIndex(), unpausedLast);
        QVERIFY(!window_->paused());
        const LaunchPreset& p = LaunchPresets[4];
        const auto* fullView = Part<PaintBox>(*window_, "fullView");
        const FlightSummary summary = FlySummary(LaunchFromTexts(p.Altitude, p.Velocity, p.Angle),
                                                 HeadlessViews(fullView->width(), fullView->height(), true));
        QCOMPARE(QString::fromStdString(test::ReportLine(explorer->report())),
                 QString::fromStdString(SummaryLine(summary)));
    }

    void CancelEndsAPausedFlight()
    {
        ExplorerWindow* explorer = openExplorer();
        QTimer::singleShot(0, window_, [this] { window_->togglePause(); });
        QTimer::singleShot(50, window_, [this] {
            Part<QToolButton>(*window_, "cancelButton")->click();
        });
        fly();
        QVERIFY(!window_->flying() && !window_->paused());
        QCOMPARE(QString::fromStdString(explorer->report().EndingText()), QString("cancelled"));
        window_->togglePause();  // no flight: nothing to pause
        QVERIFY(!window_->paused());
    }

    // The CSV's bytes are the tool's for the same launch and view; the picture is the
    // tab in front.
    void ExportsEqualTheToolsCsvAndTheClipboard()
    {
        QTemporaryDir dir;
        ExplorerWindow* explorer = openExplorer();
        auto* fullViewCheck = window_->findChild<QWidget*>("fullViewCheck");
        QMetaObject::invokeMethod(fullViewCheck, "setChecked", Q_ARG(bool, false));
        applyPreset(1);
        fly();

        savePath_ = dir.filePath("window.csv");
        QSignalSpy saved(explorer, &ExplorerWindow::csvSaved);
        Part<QPushButton>(*explorer, "saveCsvButton")->click();
        QVERIFY(saved.wait(20000));
        QCOMPARE(saved.at(0).at(0).toString(), QString());
        const auto* fullView = Part<PaintBox>(*window_, "fullView");
        const LaunchPreset& p = LaunchPresets[1];
        const QString toolPath = dir.filePath("tool.csv");
        std::ostringstream out, err;
        const int code = RunFlightTool({std::string(p.Altitude), std::string(p.Velocity),
                                        std::string(p.Angle), "--view",
                                        std::to_string(fullView->width()) + "x" +
                                            std::to_string(fullView->height()),
                                        "--no-full-view", "--csv", toolPath.toStdString()},
                                       out, err);
        QCOMPARE(code, 0);
        const QByteArray csv = FileBytes(savePath_);
        QVERIFY(csv.count('\n') > 1000);
        QCOMPARE(csv, FileBytes(toolPath));

        // The picture is the tab in front, as on screen, under the name given the extension.
        auto* tabs = Part<QTabWidget>(*explorer, "explorerTabs");
        for (QWidget* tab : {static_cast<QWidget*>(Part<MoonFrameView>(*explorer, "moonFrameView")),
                             static_cast<QWidget*>(Part<FlightCharts>(*explorer, "flightCharts"))}) {
            tabs->setCurrentWidget(tab);
            savePath_ = dir.filePath("picture");
            Part<QPushButton>(*explorer, "savePictureButton")->click();
            QImage written(savePath_ + ".png");
            QCOMPARE(written.size(), tab->size());
            QCOMPARE(written.convertToFormat(QImage::Format_RGB32),
                     tab->grab().toImage().convertToFormat(QImage::Format_RGB32));
            QVERIFY(QFile::remove(savePath_ + ".png"));
        }

        // A file that cannot be written is said in the error box.
        QVERIFY(errors_.isEmpty());
        savePath_ = dir.filePath("missing/dir/flight.csv");
        QSignalSpy failed(explorer, &ExplorerWindow::csvSaved);
        Part<QPushButton>(*explorer, "saveCsvButton")->click();
        QVERIFY(failed.wait(20000));
        QVERIFY(!failed.at(0).at(0).toString().isEmpty());
        QCOMPARE(errors_.size(), 1);
        QVERIFY(!QFile::exists(savePath_));
    }

    void ClosingOrDestroyingTheExplorerMidFlightIsSafe()
    {
        Part<QSlider>(*window_, "speedSlider")->setValue(80);
        ExplorerWindow* explorer = openExplorer();
        // Once the flight is under way (a busy machine may take a while to start it):
        // close, destroy, reopen and close the Explorer, then cancel.
        QTimer poll;
        poll.setInterval(1);
        connect(&poll, &QTimer::timeout, window_, [&] {
            if (!window_->flying() || window_->lastPointIndex() < 2)
                return;
            poll.stop();
            explorer->close();
            QTimer::singleShot(30, window_, [&] { delete explorer; });
            QTimer::singleShot(60, window_, [this] { window_->showExplorer(); });
            QTimer::singleShot(90, window_, [this] { window_->explorer()->close(); });
            QTimer::singleShot(120, window_, [this] { Part<QToolButton>(*window_, "cancelButton")->click(); });
        });
        poll.start();
        fly();
        QVERIFY(!window_->flying());
        // Opened mid-flight: it waits for the next flight's launch.
        QVERIFY(window_->explorer() && !window_->explorer()->report().HasPoints());
    }

    void ClosingTheMainWindowMidFlightTakesTheExplorerAlong()
    {
        Part<QSlider>(*window_, "speedSlider")->setValue(0);  // slow: the close arrives mid-flight
        QPointer<ExplorerWindow> explorer = openExplorer();
        QSignalSpy destroyed(window_, &QObject::destroyed);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        QTimer::singleShot(50, window_, [this] { window_->togglePause(); });
        QTimer::singleShot(100, window_, [this] { window_->close(); });
        fly();
        QTRY_COMPARE(destroyed.count(), 1);
        QVERIFY(explorer.isNull());
        window_ = nullptr;
    }

    // The map is centred on the fields as Start reads them when the Explorer opens, its
    // tab opens or Compute is pressed after they changed; a clicked cell fills the fields
    // in their formats, a double-clicked one is flown as Start flies it.
    void LaunchMapFollowsTheFieldsAndFliesItsCells()
    {
        applyPreset(4);
        ExplorerWindow* explorer = openExplorer();
        auto* tabs = Part<QTabWidget>(*explorer, "explorerTabs");
        auto* map = Part<LaunchMapPanel>(*explorer, "launchMapPanel");
        QCOMPARE(tabs->count(), 3);
        QCOMPARE(tabs->indexOf(map), 2);
        QCOMPARE(tabs->tabText(2), QString("Launch map"));
        QVERIFY(CentredOn(map->region(), LaunchPresets[4]));
        QCOMPARE(map->region().Angle.Count, 160);

        applyPreset(0);
        tabs->setCurrentWidget(map);
        QVERIFY(CentredOn(map->region(), LaunchPresets[0]));
        applyPreset(1);
        ButtonWithText(*map, "&Compute")->click();
        QVERIFY(map->computing());
        QVERIFY(CentredOn(map->map()->Region, LaunchPresets[1]));
        map->cancel();

        const LaunchPreset& p = LaunchPresets[1];
        map->setRegion(RegionAround(LaunchValue(p.Altitude), LaunchValue(p.Angle),
                                    LaunchValue(p.Velocity), 1.0, 0.01, 2, 2, 2.0));
        map->compute();
        QTRY_VERIFY_WITH_TIMEOUT(!map->computing(), Patience);
        LaunchMapView* view = map->view();
        QSignalSpy chosen(map, &LaunchMapPanel::cellChosen);
        QTest::mouseClick(view, Qt::LeftButton, {}, view->cellRect(3).center());
        QCOMPARE(chosen.count(), 1);
        const auto expectFields = [this, &p](const LaunchValues& cell) {
            const QString angle = QString::fromStdString(FormatFloat("+000.000;-000.000", cell.Angle));
            const QString velocity =
                QString::fromStdString(FormatFloat("+00.0000;-00.0000", cell.Velocity));
            QCOMPARE(field("angleField")->fieldText(), angle);
            QCOMPARE(field("velocityField")->fieldText(), velocity);
            QCOMPARE(field("altitudeField")->fieldText(), QString::fromUtf8(p.Altitude.data(), 8));
            QVERIFY(!field("velocityField")->changedByUser() && !field("angleField")->changedByUser());
        };
        expectFields(map->map()->Grid.Cell(3));
        if (QTest::currentTestFailed())
            return;
        // The map's own choice keeps its region when the tab opens again.
        const MapRegion region = map->region();
        tabs->setCurrentIndex(0);
        tabs->setCurrentWidget(map);
        QCOMPARE(map->region(), region);

        QTest::mouseDClick(view, Qt::LeftButton, {}, view->cellRect(0).center());
        QTRY_VERIFY_WITH_TIMEOUT(explorer->report().Finished() && !window_->flying(), Patience);
        expectFields(map->map()->Grid.Cell(0));
        if (QTest::currentTestFailed())
            return;
        const auto* fullView = Part<PaintBox>(*window_, "fullView");
        const FlightSummary summary = FlySummary(
            LaunchFromTexts(p.Altitude, field("velocityField")->fieldText().toStdString(),
                            field("angleField")->fieldText().toStdString()),
            HeadlessViews(fullView->width(), fullView->height(), true));
        QCOMPARE(QString::fromStdString(test::ReportLine(explorer->report())),
                 QString::fromStdString(SummaryLine(summary)));
        QCOMPARE(window_->lastPointIndex() + 1, summary.Points);
    }

    // During a flight the fields are disabled: the map's clicks change nothing and fly
    // nothing.
    void LaunchMapChoicesAreRefusedDuringAFlight()
    {
        applyPreset(4);
        ExplorerWindow* explorer = openExplorer();
        auto* map = Part<LaunchMapPanel>(*explorer, "launchMapPanel");
        Part<QTabWidget>(*explorer, "explorerTabs")->setCurrentWidget(map);
        map->setRegion(RegionAround(100.17, 226.5, 10.98, 1.0, 0.01, 2, 2, 2.0));
        map->compute();
        QTRY_VERIFY_WITH_TIMEOUT(!map->computing(), Patience);
        LaunchMapView* view = map->view();
        QSignalSpy chosen(map, &LaunchMapPanel::cellChosen);
        QTimer::singleShot(0, window_, [&] {
            QVERIFY(window_->flying());
            QTest::mouseClick(view, Qt::LeftButton, {}, view->cellRect(3).center());
            QTest::mouseDClick(view, Qt::LeftButton, {}, view->cellRect(0).center());
            Part<QToolButton>(*window_, "cancelButton")->click();
        });
        fly();
        QVERIFY(chosen.count() >= 1);
        const int cancelledAt = window_->lastPointIndex();
        QCoreApplication::processEvents();  // a fly queued by mistake would run here
        QVERIFY(!window_->flying());
        QCOMPARE(window_->lastPointIndex(), cancelledAt);
        QCOMPARE(field("velocityField")->fieldText(), QString("+10.9800"));
        QCOMPARE(field("angleField")->fieldText(), QString("+226.500"));
    }

    // The map's threads end with either window: closed, destroyed, or the main window
    // closed and deleted.
    void ClosingEitherWindowDuringAMapComputationEndsIt()
    {
        QPointer<ExplorerWindow> explorer = openExplorer();
        auto* map = Part<LaunchMapPanel>(*explorer, "launchMapPanel");
        Part<QTabWidget>(*explorer, "explorerTabs")->setCurrentWidget(map);
        map->setRegion(RegionAround(100.17, 226.5, 10.98, 1.0, 0.01, 4, 4, 30.0));
        map->compute();
        QVERIFY(map->computing());
        explorer->close();
        QVERIFY(!map->computing());

        window_->showExplorer();
        map->setRegion(RegionAround(100.17, 226.5, 10.98, 1.0, 0.01, 4, 4, 20.0));
        map->compute();
        QVERIFY(map->computing());
        delete explorer.data();
        QCOMPARE(window_->explorer(), nullptr);

        map = Part<LaunchMapPanel>(*openExplorer(), "launchMapPanel");
        map->setRegion(RegionAround(100.17, 226.5, 10.98, 1.0, 0.01, 4, 4, 30.0));
        map->compute();
        QVERIFY(map->computing());
        QPointer<LaunchMapPanel> panel = map;
        QSignalSpy destroyed(window_, &QObject::destroyed);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        window_->close();
        QVERIFY(panel.isNull() || !panel->computing());
        QTRY_COMPARE(destroyed.count(), 1);
        QVERIFY(panel.isNull());
        window_ = nullptr;
    }

private:
    // Starts a flight as Start does and waits for its end: the flight runs from the
    // event loop. The window may be gone by then (closed mid-flight).
    void fly()
    {
        QVERIFY(QMetaObject::invokeMethod(window_, "startFlight"));
        const QPointer<MainWindow> window = window_;
        QTRY_VERIFY_WITH_TIMEOUT(!window || !window->flying(), Patience);
    }
    ExplorerWindow* openExplorer()
    {
        window_->showExplorer();
        return window_->explorer();
    }
    MaskedField* field(const char* name) const { return Part<MaskedField>(*window_, name); }
    void applyPreset(int index)
    {
        QVERIFY(QMetaObject::invokeMethod(window_, "applyPreset", Q_ARG(int, index)));
    }

    MainWindow* window_ = nullptr;
    QStringList errors_;
    QString savePath_;
};

// The rotating frame's view alone: the shaded region is where the zero-velocity Jacobi
// integral is below the flight's, the zoom keeps the point under the cursor.
class TestMoonFrameView : public QObject {
    Q_OBJECT

private slots:
    void ShadingIsTheClosedRegion()
    {
        MoonFrameView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        QVERIFY(view.shading().isNull() || qAlpha(view.shading().pixel(200, 150)) == 0);
        // Between L1's and L2's: the craft may pass L1 but not L2.
        const auto lagrange = LagrangePoints();
        const double jacobi0 = (lagrange[0].Jacobi + lagrange[1].Jacobi) / 2;
        int closedCount = 0;
        view.setJacobi0(jacobi0);
        const QImage shading = view.shading();
        QCOMPARE(shading.size(), view.size());
        int checked = 0;
        for (int j = 5; j < 300; j += 17)
            for (int i = 3; i < 400; i += 13) {
                const QPointF p = view.toFrame(QPointF(i + 0.5, j + 0.5));
                const bool closed = ZeroVelocityJacobi(p.x(), p.y()) < jacobi0;
                QCOMPARE(qAlpha(shading.pixel(i, j)) != 0, closed);
                closedCount += closed;
                ++checked;
            }
        QVERIFY(checked > 500);
        QVERIFY(closedCount > checked / 100 && closedCount < checked * 99 / 100);
        const int renders = view.shadingRenders();
        view.repaint();
        view.repaint();
        QCOMPARE(view.shadingRenders(), renders);  // unchanged view: not rendered again
        view.setJacobi0(jacobi0);
        QCOMPARE(view.shadingRenders(), renders);

        for (int k = 0; k < 100000; ++k)
            view.addPoint(k * 1e-5, 0.0);
        QVERIFY(view.trajectory().Kept().size() <= view.trajectory().Capacity());
    }

    void WheelZoomsAboutTheCursorAndDoubleClickResets()
    {
        MoonFrameView view;
        view.resize(400, 300);
        view.show();
        QVERIFY(QTest::qWaitForWindowExposed(&view));
        const double restScale = view.scale();
        QCOMPARE(view.toPixel(0.0, 0.0), QPointF(200.0, 150.0));
        const QPointF cursor(300.0, 100.0);
        const QPointF under = view.toFrame(cursor);
        QWheelEvent wheel(cursor, view.mapToGlobal(cursor), QPoint(), QPoint(0, 240), Qt::NoButton,
                          Qt::NoModifier, Qt::NoScrollPhase, false);
        QApplication::sendEvent(&view, &wheel);
        QCOMPARE(view.scale(), restScale * 1.5625);
        const QPointF after = view.toPixel(under.x(), under.y());
        QVERIFY(std::abs(after.x() - cursor.x()) < 1e-9 && std::abs(after.y() - cursor.y()) < 1e-9);
        QTest::mousePress(&view, Qt::LeftButton, {}, QPoint(100, 100));
        QTest::mouseMove(&view, QPoint(130, 90));
        QTest::mouseRelease(&view, Qt::LeftButton, {}, QPoint(130, 90));
        QTest::mouseDClick(&view, Qt::LeftButton, {}, QPoint(10, 10));
        QCOMPARE(view.scale(), restScale);
        QCOMPARE(view.toPixel(0.0, 0.0), QPointF(200.0, 150.0));
    }
};

// A flight fed to an Explorer as the window feeds it, Cancel pressed after some steps.
class ExplorerDisplay : public FlightDisplay {
public:
    ExplorerDisplay(ExplorerWindow& explorer, int cancelAtStep) : explorer_(explorer), cancelAt_(cancelAtStep) {}
    void ShowStep(const FlightStep& step) override
    {
        explorer_.followStep(step);
        steps_ = step.Nr;
    }
    void Pace() override {}
    void ShowPoint(const FlightPoint& point) override
    {
        explorer_.followPoint(point);
        csvEnabledWhileFlying = csvEnabledWhileFlying ||
                                Part<QPushButton>(explorer_, "saveCsvButton")->isEnabled();
    }
    bool CancelRequested() const override { return steps_ >= cancelAt_; }
    bool csvEnabledWhileFlying = false;

private:
    ExplorerWindow& explorer_;
    int cancelAt_;
    int steps_ = 0;
};

class TestFlightShown : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        setErrorBoxHandler([this](const QString& text) { errors_.append(text); });
        setSavePathAsker([this](const QString&, const QString&, const QString&) { return savePath_; });
    }

    // The whole report of a cancelled flight, word for word; an Explorer opened after it
    // and given its record shows the same, and saves exactly the points drawn.
    void ARecordShowsAndSavesTheFlightAsFollowed()
    {
        const LaunchPreset& p = LaunchPresets[4];
        CsvLaunch launch;
        launch.Altitude = std::string(p.Altitude);
        launch.Velocity = std::string(p.Velocity);
        launch.Angle = std::string(p.Angle);
        ExplorerWindow followed({});
        const HeadlessViews views(launch.ViewWidth, launch.ViewHeight, launch.FullView);
        ExplorerDisplay display(followed, 300);
        FlightRun run(LaunchFromTexts(launch.Altitude, launch.Velocity, launch.Angle), views.Get(), display);
        followed.followEnd(run.Fly(), true, launch);
        QVERIFY(!display.csvEnabledWhileFlying);
        QCOMPARE(followed.reportText(), QString("Ending: cancelled\n"
                                                "Flight time: 43 - 02 (43.0945 days)\n"
                                                "Closest to the Moon's surface: 38950.684 km at 30 - 19\n"
                                                "Lowest above the Earth after launch: 345.511 km\n"
                                                "Farthest from the Earth's centre: 400234.307 km\n"
                                                "Jacobi 0: 2.64671\n"
                                                "Error Jacobi: 7.365E-007\n"
                                                "Accepted steps: 300\n"
                                                "Output points: 15774\n"
                                                "Speed: 0.6332 km/s"));

        ExplorerWindow opened({});
        QCOMPARE(opened.reportText(), QString("No flight yet."));
        QVERIFY(!Part<QPushButton>(opened, "saveCsvButton")->isEnabled());
        opened.show();
        opened.showFlight(followed.flight());
        QCOMPARE(opened.reportText(), followed.reportText());
        QCOMPARE(Part<QLabel>(opened, "reportLabel")->text(), followed.reportText());
        auto* frame = Part<MoonFrameView>(opened, "moonFrameView");
        QCOMPARE(frame->trajectory().Added(), static_cast<std::size_t>(followed.report().Points()));
        auto* charts = Part<FlightCharts>(opened, "flightCharts");
        Part<QTabWidget>(opened, "explorerTabs")->setCurrentWidget(charts);
        for (int s = 0; s < FlightCharts::SeriesCount; ++s) {
            const auto series = static_cast<FlightCharts::Series>(s);
            QCOMPARE(charts->range(series).Columns().size(),
                     followed.flight()->Over(static_cast<FlightRecord::Series>(s)).Columns().size());
            QVERIFY(charts->plottedPoints(series) > 0);
            // Distances and speeds never below zero; the log axes above it.
            QVERIFY(charts->yRange(series).first >= 0.0);
            QVERIFY(charts->yRange(series).first < charts->range(series).Overall().Max);
        }
        // The drift's log axis starts from the data, not from a fixed floor.
        QVERIFY(charts->yRange(FlightCharts::JacobiDrift).first >= 1e-17);

        QTemporaryDir dir;
        savePath_ = dir.filePath("cancelled");
        QSignalSpy saved(&opened, &ExplorerWindow::csvSaved);
        auto* csvButton = Part<QPushButton>(opened, "saveCsvButton");
        QVERIFY(csvButton->isEnabled());
        csvButton->click();
        QVERIFY(saved.wait(20000));
        QCOMPARE(saved.at(0).at(0).toString(), QString());
        std::ostringstream whole;
        WriteFlightCsv(launch, whole);
        QFile file(savePath_ + ".csv");
        QVERIFY(file.open(QIODevice::ReadOnly));
        const QByteArray written = file.readAll();
        QCOMPARE(written.count('\n'), followed.report().Points() + 1);
        QVERIFY(QByteArray::fromStdString(whole.str()).startsWith(written));
        QVERIFY(errors_.isEmpty());
    }

    // Every save that fails says which file and why, and leaves nothing behind.
    void FailedSavesNameTheFileAndTheReason_data()
    {
        QTest::addColumn<QString>("path");
        QTest::addColumn<QString>("reason");
        QTest::newRow("missing folder") << "missing/x" << "No such file or directory";
        QTest::newRow("a folder") << "." << "Is a directory";
        QTest::newRow("full device") << "/dev/full" << "No space left on device";
    }
    void FailedSavesNameTheFileAndTheReason()
    {
        QFETCH(QString, path);
        QFETCH(QString, reason);
        QTemporaryDir dir;
        const QString target = path.startsWith('/') ? path : dir.filePath(path);
        ExplorerWindow explorer({});
        explorer.show();
        LaunchMapPanel* map = explorer.launchMap();
        map->setRegion(RegionAround(100.17, 226.5, 10.98, 1.0, 0.01, 2, 2, 0.5));
        map->compute();
        QTRY_VERIFY_WITH_TIMEOUT(!map->computing(), Patience);
        map->setSavePathHook([&](const QString&, const QString&) { return target; });
        savePath_ = target;
        errors_.clear();
        explorer.savePicture();
        QVERIFY(!map->savePngAs());
        QVERIFY(!map->saveCsvAs());
        QCOMPARE(errors_.size(), 3);
        for (const QString& error : std::as_const(errors_)) {
            QVERIFY2(error.contains(target) && error.contains(reason), qPrintable(error));
            QVERIFY2(!error.contains("Unknown error") && !error.contains("canceled"), qPrintable(error));
        }
        QCOMPARE(QDir(dir.path()).entryList(QDir::NoDotAndDotDot | QDir::AllEntries), QStringList());
    }

    // Within the window every mnemonic is one key.
    void MnemonicsAreUnique()
    {
        ExplorerWindow explorer({});
        QStringList keys;
        for (const QAbstractButton* button : explorer.findChildren<QAbstractButton*>()) {
            const QRegularExpressionMatch m = QRegularExpression("&([^&])").match(button->text());
            if (m.hasMatch()) {
                QVERIFY2(!keys.contains(m.captured(1).toLower()), qPrintable(button->text()));
                keys << m.captured(1).toLower();
            }
        }
        QVERIFY(keys.size() >= 8);
    }

private:
    QStringList errors_;
    QString savePath_;
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int failures = 0;
    {
        TestExplorer test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        TestMoonFrameView test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        TestFlightShown test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}

#include "test_explorer.moc"
