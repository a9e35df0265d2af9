// The launch map panel: its cells are the single flights of their launches, clicks give
// the fields' texts, a dragged rectangle zooms and Back returns, the CSV holds one row per
// cell, and Cancel or destruction during a computation leave no thread running.
#include "support/widget_parts.h"
#include "ui/error_box.h"
#include "ui/launch_map_panel.h"

#include "formats/number_format.h"
#include "model/earth_moon.h"

#include <QCheckBox>
#include <QApplication>
#include <QFile>
#include <QImage>
#include <QMouseEvent>
#include <QSignalSpy>
#include <QProgressBar>
#include <QSpinBox>
#include <QTemporaryDir>
#include <QTest>

#include <algorithm>
#include <memory>
#include <thread>

using namespace orrimar;
using orrimar::test::Part;
using orrimar::test::Patience;

namespace {


// "Escape 58" and a small map around it.
LaunchMapPanel* NewPanel(bool fullView = true)
{
    return new LaunchMapPanel(100.17, 226.5, 10.98, 500, 600, fullView, [] { return false; });
}

void Drag(QWidget* widget, QPoint from, QPoint to)
{
    QMouseEvent press(QEvent::MouseButtonPress, from, widget->mapToGlobal(from), Qt::LeftButton,
                      Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &press);
    QMouseEvent move(QEvent::MouseMove, to, widget->mapToGlobal(to), Qt::NoButton, Qt::LeftButton,
                     Qt::NoModifier);
    QApplication::sendEvent(widget, &move);
    QMouseEvent release(QEvent::MouseButtonRelease, to, widget->mapToGlobal(to), Qt::LeftButton,
                        Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(widget, &release);
}

}  // namespace

class TestLaunchMapPanel : public QObject {
    Q_OBJECT

private slots:
    void init()
    {
        setErrorBoxHandler([this](const QString& text) { errors_ << text; });
        errors_.clear();
    }
    void cleanup() { setErrorBoxHandler({}); }

    void defaultsAroundTheLaunch()
    {
        const std::unique_ptr<LaunchMapPanel> panel(NewPanel());
        const MapRegion region = panel->region();
        QCOMPARE(region, RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 160, 100, 30.0));
        QVERIFY(!panel->computing());
        QCOMPARE(panel->map(), nullptr);
    }

    // A perigee that dips below 99 km between two output points: a time limit as the window
    // judges, an Earth collision with "Exact collisions", and the tooltip says which rule.
    void exactCollisionsCheckBox()
    {
        const std::unique_ptr<LaunchMapPanel> panel(NewPanel(false));
        panel->setRegion(RegionAround(100.17, 224.6625, 10.9658, 0.0005, 0.00005, 1, 1, 30.0));
        auto* exact = panel->findChild<QCheckBox*>("exactEventsCheck");
        QVERIFY(exact);
        const char* const expected[] = {"time-limit", "collision-earth"};
        for (const bool on : {false, true}) {
            exact->setChecked(on);
            QCOMPARE(panel->region().ExactEvents, on);
            panel->compute();
            QTRY_VERIFY_WITH_TIMEOUT(!panel->computing(), Patience);
            QCOMPARE(OutcomeText(panel->map()->Summary(0)), std::string(expected[on]));
            const QString tip = panel->view()->cellToolTip(0);
            QVERIFY2(tip.contains(on ? "located between output points" : "judged at the output points"),
                     qPrintable(tip));
        }
    }

    void cellsAreSingleFlightsAndClicksGiveFieldTexts()
    {
        const std::unique_ptr<LaunchMapPanel> panel(NewPanel(false));
        panel->resize(800, 600);
        panel->show();
        panel->setRegion(RegionAround(100.17, 226.5, 10.98, 2.0, 0.02, 3, 2, 30.0));
        QSignalSpy ended(panel.get(), &LaunchMapPanel::computationEnded);
        panel->compute();
        QVERIFY(panel->computing());
        QTRY_VERIFY_WITH_TIMEOUT(!panel->computing(), Patience);
        QCOMPARE(ended.count(), 1);
        const LaunchMapCells* map = panel->map();
        QVERIFY(map);
        QCOMPARE(map->FlownCount, std::size_t{6});

        // The same view (500 × 600, not full) and day limit as the single flight.
        const HeadlessViews views(500, 600, false);
        for (const std::size_t i : {std::size_t{0}, std::size_t{4}}) {
            const LaunchValues launch = map->Grid.Cell(i);
            QCOMPARE(launch.Angle, 224.5 + (static_cast<double>(i / 2) + 0.5) * 4.0 / 3.0);
            const FlightSummary single = FlySummary(
                LaunchState(launch.Altitude, launch.Velocity, launch.Angle), views, FlightLimit{30.0});
            QCOMPARE(SummaryLine(map->Summary(i)), SummaryLine(single));
            QVERIFY(panel->view()->cellToolTip(i).contains(QString::fromStdString(OutcomeText(single))));
        }

        // Cell 3: the second angle, the higher velocity (drawn in the upper row).
        LaunchMapView* view = panel->view();
        const QRect cell = view->cellRect(3);
        QVERIFY(cell.height() > 20 && cell.width() > 20);
        QCOMPARE(view->cellAt(cell.center()), 3);
        QCOMPARE(view->cellAt(view->cellRect(2).center()), 2);
        QVERIFY(view->cellRect(3).bottom() < view->cellRect(2).top());
        QSignalSpy chosen(panel.get(), &LaunchMapPanel::cellChosen);
        QSignalSpy fly(panel.get(), &LaunchMapPanel::flyRequested);
        QTest::mouseClick(view, Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(chosen.count(), 1);
        const LaunchValues launch = map->Grid.Cell(3);
        QCOMPARE(chosen[0][0].toString(),
                 QString::fromStdString(FormatFloat("+000.000;-000.000", launch.Angle)));
        QCOMPARE(chosen[0][1].toString(),
                 QString::fromStdString(FormatFloat("+00.0000;-00.0000", launch.Velocity)));
        QTest::mouseDClick(view, Qt::LeftButton, Qt::NoModifier, cell.center());
        QCOMPARE(fly.count(), 1);
        QCOMPARE(fly[0], chosen[0]);
        // Cell 0's angle, 225.1666…°, has more decimals than its field; cell 3's, 226.5°, not.
        QVERIFY(view->cellToolTip(0).contains("off the cell's centre"));
        QVERIFY(!view->cellToolTip(3).contains("off the cell's centre"));

        // Dragging over cells 0…1 of the angle and both velocities zooms into them; Back
        // returns to the whole map, its cells kept.
        Drag(view, view->cellRect(0).center(), view->cellRect(3).center());
        QCOMPARE(panel->mapCount(), 2);
        QCOMPARE(panel->map()->Region.Angle.From, 224.5);
        QVERIFY(std::abs(panel->map()->Region.Angle.To - (224.5 + 2 * 4.0 / 3.0)) < 1e-12);
        panel->back();
        QVERIFY(!panel->computing());
        QCOMPARE(panel->mapCount(), 1);
        QCOMPARE(panel->map(), map);
        QCOMPARE(map->FlownCount, std::size_t{6});

        // Saved as CSV (one row per cell) and PNG through the dialog's hook.
        QTemporaryDir dir;
        QString next;
        panel->setSavePathHook([&](const QString&, const QString&) { return next; });
        next = dir.filePath("map.csv");
        QVERIFY(panel->saveCsvAs());
        QFile csv(next);
        QVERIFY(csv.open(QIODevice::ReadOnly));
        const QStringList lines = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
        QCOMPARE(lines.size(), 7);
        QCOMPARE(lines[0], "altitude_km,velocity_kms,angle_deg,outcome,index,t,step,time,"
                           "error_jacobi,jacobi0,velocity,bar,moon_min_km,moon_min_time,"
                           "earth_min_km,points");
        QCOMPARE(lines[5], QString::fromStdString(MapCsvRow(map->Grid.Cell(4), map->Summary(4))));
        next = dir.filePath("map.png");
        QVERIFY(panel->savePngAs());
        QVERIFY(!QImage(next).isNull());
        next.clear();
        QVERIFY(!panel->saveCsvAs());  // cancelled dialog
        next = dir.filePath("missing/map.csv");
        QVERIFY(!panel->saveCsvAs());
        QCOMPARE(errors_.size(), 1);
        QVERIFY(errors_[0].contains("missing/map.csv"));
    }

    // Flown cells coloured by their shade, the others not; one core fewer while the window
    // flies; edited spin boxes make a new map, kept for Back; a new centre keeps the spans.
    void coloursThreadsAndSpinBoxes()
    {
        bool windowFlies = true;
        LaunchMapPanel panel(100.17, 226.5, 10.98, 528, 628, true, [&] { return windowFlies; });
        panel.setRegion(RegionAround(100.17, 226.5, 10.98, 1.0, 0.01, 2, 2, 2.0));
        panel.compute();
        const int cores = std::max(1, static_cast<int>(std::thread::hardware_concurrency()));
        QCOMPARE(panel.threads(), std::max(1, cores - 1));
        QTRY_VERIFY_WITH_TIMEOUT(!panel.computing(), Patience);
        const LaunchMapCells* first = panel.map();
        const QImage& image = panel.view()->cellImage();
        QCOMPARE(image.size(), QSize(2, 2));
        for (std::size_t i = 0; i < 4; ++i)  // cell i: angle i / 2, velocity i % 2 (upwards)
            QCOMPARE(image.pixel(static_cast<int>(i / 2), 1 - static_cast<int>(i % 2)),
                     cellColour(MapCellShade(first->Summary(i))));

        auto* angleCells = panel.findChild<QSpinBox*>();
        QVERIFY(angleCells);
        QCOMPARE(angleCells->accessibleName(), QString("Cells along the launch angle"));
        angleCells->setValue(3);
        QCOMPARE(panel.region().Angle.Count, 3);
        QCOMPARE(panel.region().Angle.From, 225.5);
        windowFlies = false;
        panel.compute();
        QCOMPARE(panel.threads(), cores);
        panel.cancel();
        QCOMPARE(panel.mapCount(), 2);
        QCOMPARE(panel.view()->cellImage().size(), QSize(3, 2));
        for (std::size_t i = 0; i < 6; ++i)
            if (!panel.map()->Flown(i))
                QCOMPARE(panel.view()->cellImage().pixel(static_cast<int>(i / 2), 1 - static_cast<int>(i % 2)),
                         NotFlownColour);
        panel.back();
        QCOMPARE(panel.map(), first);
        QCOMPARE(panel.region(), first->Region);

        panel.setLaunch(200.0, 100.0, 11.0);
        QCOMPARE(panel.region(), RegionAround(200.0, 100.0, 11.0, 1.0, 0.01, 2, 2, 2.0));
    }

    void cancelStopsTheThreads()
    {
        const std::unique_ptr<LaunchMapPanel> panel(NewPanel());
        panel->compute();  // 16,000 cells
        QTRY_VERIFY_WITH_TIMEOUT(panel->map()->FlownCount > 0, Patience);
        panel->cancel();
        QVERIFY(!panel->computing());
        const std::size_t flown = panel->map()->FlownCount;
        QVERIFY(flown < panel->map()->Grid.CellCount());
        // Nothing more arrives: no flight was left running.
        QTest::qWait(300);
        QCOMPARE(panel->map()->FlownCount, flown);
        // Compute goes on with the cells not flown.
        panel->compute();
        QVERIFY(panel->computing());
        QCOMPARE(panel->mapCount(), 1);
        panel->cancel();
        QVERIFY(panel->map()->FlownCount >= flown);
    }

    void destroyingOrClosingDuringAComputationEndsIt()
    {
        auto* panel = NewPanel();
        panel->compute();
        QTRY_VERIFY_WITH_TIMEOUT(panel->map()->FlownCount > 0, Patience);
        delete panel;  // joins the worker; a thread left running would fail the sanitizer build

        QWidget window;
        auto* hosted = NewPanel();
        hosted->setParent(&window);
        window.show();
        hosted->compute();
        QVERIFY(hosted->computing());
        window.close();
        QVERIFY(!hosted->computing());

        const std::unique_ptr<LaunchMapPanel> immediate(NewPanel());
        immediate->compute();
    }

    // Before Compute the progress counts the cells asked for; a map the settings no longer
    // describe is dimmed; zooming stops at the fields' resolution; Back's history is bounded.
    void progressStaleMapsZoomLimitAndHistory()
    {
        const std::unique_ptr<LaunchMapPanel> panel(NewPanel());
        QCOMPARE(panel->findChild<QProgressBar*>()->text(), QString("0 of 16000 cells"));
        QVERIFY(panel->progressText().contains("16000"));

        panel->setRegion(RegionAround(100.17, 226.5, 10.98, 0.001, 0.0001, 2, 2, 0.2));
        panel->compute();
        QTRY_VERIFY_WITH_TIMEOUT(!panel->computing(), Patience);
        QVERIFY(!panel->view()->stale());
        panel->setLaunch(100.17, 227.0, 10.98);
        QVERIFY(panel->view()->stale());
        panel->setLaunch(100.17, 226.5, 10.98);
        QVERIFY(!panel->view()->stale());
        // Cells of 0.001° and 0.0001 km/s: no finer map.
        const MapRegion finest = panel->map()->Region;
        panel->zoom(0, 0, 0, 0);
        QCOMPARE(panel->map()->Region, finest);
        QCOMPARE(panel->mapCount(), 1);
        QVERIFY(panel->progressText().contains("resolution"));
        QVERIFY(errors_.isEmpty());

        const int maps = static_cast<int>(LaunchMapPanel::MaxHistory) + 8;
        for (int k = 1; k < maps; ++k) {
            panel->setRegion(RegionAround(100.17, 226.5 + k, 10.98, 0.01, 0.001, 1, 1, 0.1));
            panel->compute();
            QTRY_VERIFY_WITH_TIMEOUT(!panel->computing(), Patience);
        }
        QCOMPARE(panel->mapCount(), static_cast<int>(LaunchMapPanel::MaxHistory) + 1);
        while (panel->mapCount() > 1)
            panel->back();
        QTRY_VERIFY_WITH_TIMEOUT(!panel->computing(), Patience);
        QCOMPARE(panel->map()->Region.Angle.From, 226.5 + (maps - 1 - 32) - 0.01);
    }

private:
    QStringList errors_;
};

QTEST_MAIN(TestLaunchMapPanel)
#include "test_launch_map_panel.moc"
