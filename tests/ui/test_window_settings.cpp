// What the main window keeps between runs: a round trip through a settings file, files
// that are unreadable or hold nonsense (ignored, with one line saying why), and a frame
// left off every screen.
#include "ui/main_window.h"
#include "ui/masked_field.h"
#include "ui/window_settings.h"

#include <QCheckBox>
#include <QComboBox>
#include <QDialog>
#include <QPushButton>
#include <QTextBrowser>
#include <QFile>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>
#include <QtTest>

using namespace orrimar;

class TestWindowSettings : public QObject {
    Q_OBJECT

private slots:
    void KeptStateComesBackInANewWindow()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("orrimar.conf"), QSettings::IniFormat);
        {
            MainWindow first(false);
            QVERIFY(first.restoreSettings(&settings).isEmpty());  // nothing kept yet
            first.findChild<MaskedField*>("altitudeField")->setFieldText("00250.50");
            first.findChild<MaskedField*>("velocityField")->setFieldText("-10.5000");
            first.findChild<MaskedField*>("angleField")->setFieldText("+ 12.250");
            first.findChild<QComboBox*>("presetList")->setCurrentIndex(3);
            first.findChild<QSlider*>("speedSlider")->setValue(7);
            first.findChild<QCheckBox*>("fullViewCheck")->setChecked(false);
            first.close();
        }
        MainWindow second(false);
        QCOMPARE(second.restoreSettings(&settings), QString());
        QCOMPARE(second.findChild<MaskedField*>("altitudeField")->fieldText(), QString("00250.50"));
        QCOMPARE(second.findChild<MaskedField*>("velocityField")->fieldText(), QString("-10.5000"));
        QCOMPARE(second.findChild<MaskedField*>("angleField")->fieldText(), QString("+ 12.250"));
        QCOMPARE(second.findChild<QComboBox*>("presetList")->currentIndex(), 3);
        QCOMPARE(second.findChild<QSlider*>("speedSlider")->value(), 7);
        QVERIFY(!second.findChild<QCheckBox*>("fullViewCheck")->isChecked());

        // A half-typed launch is not kept: the last whole one stays.
        second.findChild<MaskedField*>("angleField")->setFieldText("+   .   ");
        second.close();
        MainWindow third(false);
        QCOMPARE(third.restoreSettings(&settings), QString());
        QCOMPARE(third.findChild<MaskedField*>("angleField")->fieldText(), QString("+ 12.250"));
    }

    void NonsenseIsIgnoredWithOneLine_data()
    {
        QTest::addColumn<QByteArray>("file");
        QTest::addColumn<QString>("why");
        QTest::newRow("letters in a field")
            << QByteArray("[launch]\naltitude=00x00.00\nvelocity=+11.0000\nangle=+  1.000\n")
            << "launch";
        QTest::newRow("below 100 km")
            << QByteArray("[launch]\naltitude=00050.00\nvelocity=+11.0000\nangle=+  1.000\n")
            << "launch";
        QTest::newRow("one field of three")
            << QByteArray("[launch]\naltitude=00150.00\n") << "launch";
        QTest::newRow("preset out of range") << QByteArray("[launch]\npreset=5\n") << "preset";
        QTest::newRow("speed a word") << QByteArray("[display]\nspeed=fast\n") << "speed";
        QTest::newRow("speed too high") << QByteArray("[display]\nspeed=96\n") << "speed";
        QTest::newRow("full view maybe")
            << QByteArray("[display]\nfullView=maybe\n") << "fullView";
        QTest::newRow("geometry a text")
            << QByteArray("[mainWindow]\ngeometry=here\n") << "geometry";
    }
    void NonsenseIsIgnoredWithOneLine()
    {
        QFETCH(QByteArray, file);
        QFETCH(QString, why);
        QTemporaryDir dir;
        const QString path = dir.filePath("orrimar.conf");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[display]\nspeed=3\n");  // a sound value beside the bad one
        out.write(file);
        out.close();
        QSettings settings(path, QSettings::IniFormat);
        MainWindow window(false);
        const int defaultSpeed = window.findChild<QSlider*>("speedSlider")->value();
        const QString problem = window.restoreSettings(&settings);
        QVERIFY2(problem.contains(why) && problem.contains(path) && !problem.contains('\n'),
                 qPrintable(problem));
        // Nothing of the file is taken: the window starts from its defaults.
        QCOMPARE(window.findChild<QSlider*>("speedSlider")->value(), defaultSpeed);
        QCOMPARE(window.findChild<QComboBox*>("presetList")->currentIndex(), -1);
    }

    void UnreadableFileIsIgnored()
    {
        QTemporaryDir dir;
        const QString path = dir.filePath("orrimar.conf");
        QFile out(path);
        QVERIFY(out.open(QIODevice::WriteOnly));
        out.write("[launch\n\x01\xff\xfe=\n[[[\n");
        out.close();
        QSettings settings(path, QSettings::IniFormat);
        MainWindow window(false);
        const QString problem = window.restoreSettings(&settings);
        QVERIFY2(problem.contains("cannot be read"), qPrintable(problem));
    }

    // F1 opens the help with every key on it; its button forgets what was kept and puts the
    // controls back as a first start shows them.
    void HelpListsTheKeysAndStartsFromTheDefaults()
    {
        QTemporaryDir dir;
        QSettings settings(dir.filePath("orrimar.conf"), QSettings::IniFormat);
        settings.setValue("display/speed", 5);
        MainWindow window(false);
        const int defaultSpeed = window.findChild<QSlider*>("speedSlider")->value();
        const QString defaultAngle = window.findChild<MaskedField*>("angleField")->fieldText();
        QVERIFY(window.restoreSettings(&settings).isEmpty());
        QCOMPARE(window.findChild<QSlider*>("speedSlider")->value(), 5);
        window.findChild<MaskedField*>("angleField")->setFieldText("+ 33.000");

        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTest::keyClick(&window, Qt::Key_F1);
        auto* help = window.findChild<QDialog*>("helpWindow");
        QVERIFY(help && help->isVisible());
        QCOMPARE(help->windowTitle(), QString("Orrimar Help"));
        const QString page = help->findChild<QTextBrowser*>("helpBrowser")->toPlainText();
        for (const char* key : {"Escape", "Up", "Down", "P", "Ctrl+E", "F1", "Alt+E",
                                "at least 100", "99 km", "v²/2"})
            QVERIFY2(page.contains(QString::fromUtf8(key)), key);
        QVERIFY(QFile::exists(":/help/window.png"));

        help->findChild<QPushButton*>("resetSettingsButton")->click();
        QVERIFY(settings.allKeys().isEmpty());
        QCOMPARE(window.findChild<QSlider*>("speedSlider")->value(), defaultSpeed);
        QCOMPARE(window.findChild<MaskedField*>("angleField")->fieldText(), defaultAngle);
    }

    void FramesOffEveryScreenAreMovedOntoOne()
    {
        const QList<QRect> screens = {QRect(0, 0, 1024, 700), QRect(1024, 0, 800, 600)};
        const QRect onFirst(100, 50, 600, 400);
        QCOMPARE(frameOnScreen(onFirst, screens), onFirst);
        const QRect onSecond(1500, 500, 600, 400);  // partly on the second screen
        QCOMPARE(frameOnScreen(onSecond, screens), onSecond);
        QCOMPARE(frameOnScreen(QRect(3000, 2000, 600, 400), screens), QRect(212, 150, 600, 400));
        QCOMPARE(frameOnScreen(QRect(-5000, 0, 2000, 900), screens), QRect(0, 0, 1024, 700));
        QCOMPARE(frameOnScreen(onFirst, {}), onFirst);
    }
};

QTEST_MAIN(TestWindowSettings)
#include "test_window_settings.moc"
