// What the main window keeps between runs: a round trip through a settings file, files
// that are unreadable or hold nonsense (ignored whole, with one line saying why), the help
// window's reset, and a frame left off every screen.
#include "ui/main_window.h"
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
