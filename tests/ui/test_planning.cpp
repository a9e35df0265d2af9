// Planning in the Explorer: the preview of the fields' launch with its burns against the
// flight Start flies in the window and against the tool's summary and CSV for the same
// burns, the
// preview following the fields (none for an unfinished text), and the burns table
// refusing bad input without losing the burns it has.
#include "support/widget_parts.h"
#include "flight/flight_csv.h"
#include "flight/flight_summary.h"
#include "flight/launch_presets.h"
#include "support/report_line.h"
#include "ui/application.h"
#include "ui/burns_panel.h"
#include "ui/error_box.h"
#include "ui/explorer_window.h"
#include "ui/main_window.h"
#include "ui/masked_field.h"
#include "ui/moon_frame_view.h"
#include "ui/paint_box.h"
#include "ui/preview_drawing.h"
#include "ui/preview_runner.h"

#include <QFile>
#include <QLabel>
#include <QPushButton>
#include <QPointer>
#include <QSlider>
#include <QTableWidget>
#include <QTemporaryDir>
#include <QtTest>

#include <sstream>

using namespace orrimar;
using orrimar::test::Part;
using orrimar::test::Patience;

namespace {

constexpr int SwingBy = 2;

}  // namespace

class TestPlanning : public QObject {
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
        QVERIFY(QMetaObject::invokeMethod(window_, "applyPreset", Q_ARG(int, SwingBy)));
        window_->showExplorer();
        explorer_ = window_->explorer();
    }
    void cleanup()
    {
        delete window_;
        window_ = nullptr;
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('\n')));
    }

    // Start flies what the preview showed, and the tool's --burn flies the same, its
    // "Save flight as CSV…" the tool's --csv: one plan hitting the Moon after a timed burn,
    // one escaping after a perilune burn.
    void FlightIsThePreviewAndTheTools_data()
    {
        QTest::addColumn<QString>("burns");
        QTest::newRow("timed") << "1:0.02:0.01";
        QTest::newRow("perilune, two") << "perilune:-0.2:0.1 6:0.01";
    }
    void FlightIsThePreviewAndTheTools()
    {
        QFETCH(QString, burns);
        std::vector<FlightBurn> plan;
        for (const QString& text : burns.split(' '))
            plan.push_back(ParseBurn(text.toStdString()));
        explorer_->setBurns(plan);
        QTRY_VERIFY_WITH_TIMEOUT(explorer_->preview() && !explorer_->previewRunner()->busy(),
                                 Patience);
        const PreviewResult preview = *explorer_->preview();
        QVERIFY(preview.Outcome != FlightOutcome::TimeLimit);  // the window's flight ends too

        QVERIFY(QMetaObject::invokeMethod(window_, "startFlight"));
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flying(), Patience);
        const FlightReport& report = explorer_->report();
        QVERIFY(report.Finished());

        const LaunchPreset& p = LaunchPresets[SwingBy];
        const auto* fullView = Part<PaintBox>(*window_, "fullView");
        const HeadlessViews views(fullView->width(), fullView->height(), true);
        const FlightSummary tool =
            FlySummary(LaunchFromTexts(p.Altitude, p.Velocity, p.Angle), views, {}, {}, plan);
        const QString line = QString::fromStdString(SummaryLine(tool));
        QVERIFY2(line.startsWith(QString::fromStdString(test::ReportLine(report)) + " burns="),
                 qPrintable(line + "\n" + QString::fromStdString(test::ReportLine(report))));

        QCOMPARE(preview.Points, report.Points());
        QCOMPARE(preview.End.Index, window_->lastPointIndex());
        QCOMPARE(preview.Outcome, tool.Outcome);
        QCOMPARE(preview.Burns.size(), tool.BurnsDone.size());
        const QString text = Part<QLabel>(*explorer_, "reportLabel")->text();
        double total = 0.0;
        for (std::size_t i = 0; i < tool.BurnsDone.size(); ++i)
            total += BurnDvKms(plan[i]);
        QVERIFY2(text.contains(QString("Total Δv: %1 km/s").arg(total, 0, 'f', 4)), qPrintable(text));
        QVERIFY2(line.endsWith(QString("dv_kms=%1").arg(total, 0, 'f', 4)), qPrintable(line));

        QTemporaryDir dir;
        savePath_ = dir.filePath("plan.csv");
        QSignalSpy saved(explorer_.data(), &ExplorerWindow::csvSaved);
        Part<QPushButton>(*explorer_, "saveCsvButton")->click();
        QVERIFY(saved.wait(Patience));
        QCOMPARE(saved.at(0).at(0).toString(), QString());
        QFile file(savePath_);
        QVERIFY(file.open(QIODevice::ReadOnly));
        std::ostringstream csv;
        WriteFlightCsv({std::string(p.Altitude), std::string(p.Velocity), std::string(p.Angle),
                        fullView->width(), fullView->height(), true, {}, plan},
                       csv);
        QVERIFY(file.readAll() == QByteArray::fromStdString(csv.str()));
    }

    // Stepping a field moves the preview, stepping back restores it; a text with a gap
    // shows none, and the completed text shows it again.
    void PreviewFollowsTheFields()
    {
        auto settle = [this] {
            QTRY_VERIFY_WITH_TIMEOUT(!explorer_->previewRunner()->busy(), Patience);
        };
        settle();
        QVERIFY(explorer_->preview());
        const PreviewResult before = *explorer_->preview();
        auto* angle = Part<MaskedField>(*window_, "angleField");
        angle->setFocus();
        QTest::keyClick(angle, Qt::Key_Up);
        settle();
        QVERIFY(explorer_->preview());
        QVERIFY(explorer_->preview()->Moon.Km != before.Moon.Km);

        // Start refuses a required digit missing: so does the preview.
        auto* altitude = Part<MaskedField>(*window_, "altitudeField");
        const QString whole = altitude->fieldText();
        altitude->setFieldText("001 0.00");
        settle();
        QVERIFY(!explorer_->preview());
        altitude->setFieldText(whole);
        settle();
        QVERIFY(explorer_->preview());
        QTest::keyClick(angle, Qt::Key_Down);
        settle();
        QCOMPARE(explorer_->preview()->End.T, before.End.T);
        QCOMPARE(explorer_->preview()->Moon.Km, before.Moon.Km);
    }

    // A burn's handle is its Δv: its tip gives the burn's along and left back, and the
    // tip dragged 30 pixels changes the Δv by 0.3 km/s in that direction.
    void DraggedHandleIsTheBurnsDv()
    {
        explorer_->setBurns({ParseBurn("perilune:-0.3:0.1")});
        QTRY_VERIFY_WITH_TIMEOUT(explorer_->preview() && !explorer_->previewRunner()->busy(),
                                 Patience);
        auto* view = Part<MoonFrameView>(*explorer_, "moonFrameView");
        const auto toPixel = [view](double x, double y) { return view->toPixel(x, y); };
        const std::vector<BurnHandle> handles = burnHandles(*explorer_->preview(), toPixel);
        QCOMPARE(handles.size(), std::size_t{1});
        const BurnHandle h = handles[0];
        const QPointF dv = handleDv(h, h.Tip);
        QVERIFY2(std::abs(dv.x() + 0.3) < 1e-9 && std::abs(dv.y() - 0.1) < 1e-9,
                 qPrintable(QString("%1 %2").arg(dv.x()).arg(dv.y())));
        // Along the motion, on the screen: the tangent with y pointing down.
        const QPoint from = h.Tip.toPoint();
        const QPointF step(30.0 * h.TangentX, -30.0 * h.TangentY);
        const QPoint to = (QPointF(from) + step).toPoint();
        QTest::mousePress(view, Qt::LeftButton, {}, from);
        QMouseEvent move(QEvent::MouseMove, QPointF(to), view->mapToGlobal(QPointF(to)),
                         Qt::NoButton, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(view, &move);
        QTest::mouseRelease(view, Qt::LeftButton, {}, to);
        const FlightBurn b = explorer_->burns()[0];
        const QPointF expected = handleDv(h, QPointF(to));
        QCOMPARE(b.AlongKms, std::round(expected.x() * 1e4) / 1e4);
        QCOMPARE(b.LeftKms, std::round(expected.y() * 1e4) / 1e4);
        QVERIFY(std::abs(b.AlongKms - 0.0) < 0.02 && std::abs(b.LeftKms - 0.1) < 0.02);
    }

    // A bad cell is put back and said why; the burns kept stay as they were.
    void BurnsPanelRefusesBadInput()
    {
        BurnsPanel* panel = explorer_->burnsPanel();
        panel->setBurns({ParseBurn("perilune:-0.5")});
        QTableWidget* table = panel->table();
        const struct {
            int Column;
            const char* Text;
        } bad[] = {{0, "perilunar"}, {0, "-1"}, {0, ""}, {1, "fast"}, {1, "nan"},
                   {2, "inf"},       {2, "1:2"}, {0, "1e400"}};
        for (const auto& cell : bad) {
            table->item(0, cell.Column)->setText(cell.Text);
            QVERIFY2(panel->message().contains("refused"), cell.Text);
            QCOMPARE(panel->burns().size(), std::size_t{1});
            QCOMPARE(panel->burns()[0].When, FlightBurn::AtPerilune);
            QCOMPARE(panel->burns()[0].AlongKms, -0.5);
            QCOMPARE(table->item(0, 0)->text(), QString("perilune"));
            QCOMPARE(table->item(0, 1)->text(), QString("-0.5"));
        }
        table->item(0, 0)->setText("2.5");
        QVERIFY(panel->message().isEmpty());
        QCOMPARE(panel->burns()[0].When, FlightBurn::AtTime);
        QCOMPARE(panel->burns()[0].Days, 2.5);
        for (int i = 1; i < MaxFlightBurns; ++i)
            panel->addBurn();
        QCOMPARE(panel->burns().size(), std::size_t{MaxFlightBurns});
        panel->addBurn();
        QCOMPARE(panel->burns().size(), std::size_t{MaxFlightBurns});
        QVERIFY(panel->message().contains("At most 8"));
        QVERIFY(errors_.isEmpty());
    }

private:
    MainWindow* window_ = nullptr;
    QPointer<ExplorerWindow> explorer_;
    QStringList errors_;
    QString savePath_;
};

QTEST_MAIN(TestPlanning)
#include "test_planning.moc"
