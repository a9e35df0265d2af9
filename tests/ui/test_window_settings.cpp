// What the main window keeps between runs: a round trip through a settings file, the
// Explorer's state and the planned burns too, files that are unreadable or hold nonsense
// (ignored whole, with one line saying why), the help window's reset, and a frame left off
// every screen.
#include "support/widget_parts.h"
#include "ui/explorer_window.h"
#include "ui/launch_map_panel.h"
#include "ui/main_window.h"
#include "ui/preview_runner.h"
#include "ui/masked_field.h"
#include "ui/window_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QFile>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <memory>
#include <QTextBrowser>
#include <QtTest>

using namespace orrimar;

class TestWindowSettings : public QObject {
    Q_OBJECT

    QTemporaryDir dir_;
    QString path() const { return dir_.filePath("orrimar.conf"); }
    template <typename T> static T* Part(MainWindow& w, const char* name) { return w.findChild<T*>(name); }
    static QString Field(MainWindow& w, const char* name) { return Part<MaskedField>(w, name)->fieldText(); }

private slots:
    void init() { QFile::remove(path()); }

    void KeptStateComesBackAndF1ResetsIt()
    {
        QSettings settings(path(), QSettings::IniFormat);
        auto first = std::make_unique<MainWindow>(false);
        const int defaultSpeed = Part<QSlider>(*first, "speedSlider")->value();
        const QString defaultAngle = Field(*first, "angleField");
        QCOMPARE(first->restoreSettings(&settings), QString());  // nothing kept yet
        Part<MaskedField>(*first, "velocityField")->setFieldText("-10.5000");
        Part<MaskedField>(*first, "angleField")->setFieldText("+ 12.250");
        Part<QComboBox>(*first, "presetList")->setCurrentIndex(3);
        Part<QSlider>(*first, "speedSlider")->setValue(7);
        Part<QCheckBox>(*first, "fullViewCheck")->setChecked(false);
        first->close();
        MainWindow second(false);
        QCOMPARE(second.restoreSettings(&settings), QString());
        QCOMPARE(Field(second, "velocityField") + Field(second, "angleField"), QString("-10.5000+ 12.250"));
        QCOMPARE(Part<QComboBox>(second, "presetList")->currentIndex(), 3);
        QCOMPARE(Part<QSlider>(second, "speedSlider")->value(), 7);
        QVERIFY(!Part<QCheckBox>(second, "fullViewCheck")->isChecked());

        second.show();
        QVERIFY(QTest::qWaitForWindowExposed(&second));
        QTest::keyClick(&second, Qt::Key_F1);
        auto* help = second.findChild<QDialog*>("helpWindow");
        QVERIFY(help && help->isVisible() && help->windowTitle() == "Orrimar Help");
        const QString page = help->findChild<QTextBrowser*>()->toPlainText();
        for (const char* words : {"Escape", "Up", "Down", "P", "Ctrl+E", "F1", "Alt+E",
                                  "at least 100", "99 km", "v²/2"})
            QVERIFY2(page.contains(QString::fromUtf8(words)), words);
        help->findChild<QPushButton*>("resetSettingsButton")->click();
        QVERIFY(settings.allKeys().isEmpty());
        QCOMPARE(Part<QSlider>(second, "speedSlider")->value(), defaultSpeed);
        QCOMPARE(Field(second, "angleField"), defaultAngle);
    }

    void ExplorerAndBurnsComeBackOpenAndResetForgetsThem()
    {
        QSettings settings(path(), QSettings::IniFormat);
        // Doubles that only their shortest text gives back exactly.
        const std::vector<FlightBurn> plan =
            ParseBurnPlan("0.30000000000000004:1e-07:-2.5 perilune:-0.5:0.1 perigee:99.99:0");
        MapRegion region{0.0, {224.51254, 228.5, 40}, {10.9602, 11.0, 25}, 12.5, true};
        QRect frame(130, 90, 600, 420);
        auto first = std::make_unique<MainWindow>(false);
        first->restoreSettings(&settings);
        first->show();
        first->showExplorer();
        first->explorer()->setCurrentTab(2);
        frame.setSize(frame.size().expandedTo(first->explorer()->minimumSizeHint()));
        first->explorer()->setGeometry(frame);
        region.Altitude = first->explorer()->launchMap()->region().Altitude;
        first->explorer()->launchMap()->setRegion(region);
        first->explorer()->setBurns(plan);
        first->close();

        auto second = std::make_unique<MainWindow>(false);
        QCOMPARE(second->restoreSettings(&settings), QString());
        ExplorerWindow* explorer = second->explorer();
        QVERIFY(explorer && !explorer->isVisible());
        QCOMPARE(BurnPlanText(explorer->burns()), BurnPlanText(plan));
        QVERIFY(explorer->launchMap()->region() == region);
        QCOMPARE(explorer->currentTab(), 2);
        second->show();
        QTRY_VERIFY(explorer->isVisible());  // open again beside the window
        QCOMPARE(explorer->geometry(), frame);
        QTRY_VERIFY_WITH_TIMEOUT(explorer->preview() && !explorer->previewRunner()->busy(),
                                 test::Patience);
        QVERIFY(!explorer->preview()->Burns.empty());  // the preview flies the kept plan

        second->resetSettings();
        QVERIFY(explorer->burns().empty() && explorer->currentTab() == 0);
        QVERIFY(!(explorer->launchMap()->region() == region));
        explorer->close();
        second->close();
        MainWindow third(false);
        QCOMPARE(third.restoreSettings(&settings), QString());
        third.show();
        QCoreApplication::processEvents();
        QVERIFY(!third.explorer());  // closed when the last run ended, nothing planned in it
        third.showExplorer();
        QCOMPARE(third.explorer()->geometry(), frame);
        QVERIFY(third.explorer()->burns().empty() && third.explorer()->currentTab() == 0);

        // Burns planned in a closed Explorer make it again at start, hidden with its kept
        // place; starting from the defaults then forgets that place too.
        third.explorer()->setBurns(plan);
        third.explorer()->close();
        third.close();
        auto fourth = std::make_unique<MainWindow>(false);
        QCOMPARE(fourth->restoreSettings(&settings), QString());
        QVERIFY(fourth->explorer() && !fourth->explorer()->isVisible());
        fourth->resetSettings();
        fourth->close();
        MainWindow fifth(false);
        QCOMPARE(fifth.restoreSettings(&settings), QString());
        fifth.showExplorer();
        QVERIFY(fifth.explorer()->geometry() != frame);
    }

    void NonsenseIsIgnoredWithOneLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        QTest::newRow("below 100 km")
            << QByteArray("[launch]\naltitude=00050.00\nvelocity=+11.0000\nangle=+  1.000\n") << "launch";
        QTest::newRow("one field of three") << QByteArray("[launch]\naltitude=00150.00\n") << "launch";
        QTest::newRow("preset out of range") << QByteArray("[launch]\npreset=5\n") << "preset";
        QTest::newRow("speed a word") << QByteArray("[display]\nspeed=fast\n") << "speed";
        QTest::newRow("speed too high") << QByteArray("[display]\nspeed=96\n") << "speed";
        QTest::newRow("full view maybe") << QByteArray("[display]\nfullView=maybe\n") << "fullView";
        QTest::newRow("geometry a text") << QByteArray("[mainWindow]\ngeometry=here\n") << "geometry";
        QTest::newRow("unreadable") << QByteArray("[launch\n\x01\xff\xfe=\n[[[\n") << "cannot be read";
        QTest::newRow("explorer tab 3") << QByteArray("[explorer]\ntab=3\n") << "tab";
        QTest::newRow("explorer open maybe") << QByteArray("[explorer]\nopen=maybe\n") << "open";
        const QByteArray map = "[launchMap]\nangleFrom=220\nangleTo=230\nangleCells=10\nvelocityFrom=10.9\n"
                               "velocityTo=11\nvelocityCells=10\ndays=30\nexactCollisions=false\n";
        QTest::newRow("map incomplete") << QByteArray("[launchMap]\nangleFrom=220\n") << "incomplete";
        QTest::newRow("map no cells") << QByteArray(map).replace("angleCells=10", "angleCells=0") << "angleCells";
        QTest::newRow("map reversed") << QByteArray(map).replace("angleTo=230", "angleTo=210") << "angleFrom";
        QTest::newRow("map days nan") << QByteArray(map).replace("days=30", "days=nan") << "days";
        QTest::newRow("map velocity 1e9") << QByteArray(map).replace("To=11", "To=1e9") << "velocityTo";
        QTest::newRow("nine burns") << QByteArray("[explorer]\nburns=1:0 2:0 3:0 4:0 5:0 6:0 7:0 8:0 9:0\n") << "more than 8";
        QTest::newRow("burn at sunrise") << QByteArray("[explorer]\nburns=perilune:-0.5 sunrise:1\n") << "sunrise";
        QTest::newRow("burn of nan") << QByteArray("[explorer]\nburns=perigee:nan\n") << "along";
        QTest::newRow("burn of 150 km/s") << QByteArray("[explorer]\nburns=2:0:-150\n") << "100 km/s";
        QTest::newRow("burns a list") << QByteArray("[explorer]\nburns=1:0.1, 2:0.3\n") << "one line";
    }
    void NonsenseIsIgnoredWithOneLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        QFile out(path());
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[display]\nspeed=3\n" + file);  // a sound value before the bad one
        out.close();
        QSettings settings(path(), QSettings::IniFormat);
        MainWindow window(false);
        const int defaultSpeed = Part<QSlider>(window, "speedSlider")->value();
        const QString problem = window.restoreSettings(&settings);
        QVERIFY2(problem.contains(why) && problem.contains(path()) && !problem.contains('\n'),
                 qPrintable(problem));
        QCOMPARE(Part<QSlider>(window, "speedSlider")->value(), defaultSpeed);
    }

    void FramesOffEveryScreenAreMovedOntoOne()
    {
        const QList<QRect> screens = {QRect(0, 0, 1024, 700), QRect(1024, 0, 800, 600)};
        for (const QRect& kept : {QRect(100, 50, 600, 400), QRect(1500, 500, 600, 400)})
            QCOMPARE(frameOnScreen(kept, screens), kept);
        QCOMPARE(frameOnScreen(QRect(3000, 2000, 600, 400), screens), QRect(212, 150, 600, 400));
        QCOMPARE(frameOnScreen(QRect(-5000, 0, 2000, 900), screens), QRect(0, 0, 1024, 700));
    }
};

QTEST_MAIN(TestWindowSettings)
#include "test_window_settings.moc"
