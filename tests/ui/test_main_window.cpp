// The main window headless: its state at start, the control toggling around a
// flight, presets, steppers, the error box, the clipboard, and whole flights drawn
// in the three views.
#include "ui/application.h"
#include "ui/canvas.h"
#include "flight/flight_run.h"
#include "flight/view_frames.h"
#include "ui/error_box.h"
#include "ui/main_window.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/status_bar.h"
#include "support/pixels.h"

#include <QCheckBox>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QProgressBar>
#include <QPushButton>
#include <QSlider>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <stdexcept>

using namespace orrimar;

namespace {

int CountColour(const QImage& image, QColor colour) { return test::CountColour(image, colour.rgb()); }

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        UseDotDecimalSeparator();
        SetErrorBoxHandler([this](const QString& text) { errors_.append(text); });
    }
    void init()
    {
        errors_.clear();
        window_ = new MainWindow(false);
        window_->show();
        QVERIFY(QTest::qWaitForWindowExposed(window_));
    }
    void cleanup()
    {
        delete window_;
        window_ = nullptr;
    }

    void InitialState()
    {
        QVERIFY(window_->windowState() & Qt::WindowMaximized);
        QCOMPARE(window_->windowTitle(), QString("Orrimar - terminated by user, collision or escape"));
        QVERIFY(!window_->BttnTerm->isEnabled());
        QVERIFY(window_->BttnStart->isEnabled());
        QVERIFY(window_->CheckBox1->isChecked());
        QCOMPARE(window_->MaskEdit1->Text(), QString("00100.17"));
        QCOMPARE(window_->MaskEdit2->Text(), QString("+10.9800"));
        QCOMPARE(window_->MaskEdit3->Text(), QString("+226.500"));
        QCOMPARE(window_->ComboBox1->currentIndex(), -1);
        QCOMPARE(window_->ComboBox1->count(), 5);
        QCOMPARE(window_->ProgressBar1->parentWidget(), window_->StatusBar1);
        QCOMPARE(window_->ProgressBar1->pos(), QPoint(373, 5));
        QCOMPARE(window_->ProgressBar1->size(), QSize(150, 17));
        QCOMPARE(window_->ProgressBar1->maximum(), 150);
        const QStringList headings{"Step", "Error Jacobi", "Jacobi 0", "Time", "Velocity", ""};
        for (int i = 0; i < headings.size(); ++i)
            QCOMPARE(window_->StatusBar1->PanelText(i), headings[i]);
        QCOMPARE(window_->StatusBar1->height(), 25);
        QCOMPARE(window_->Panel4->width(), 120);
        QCOMPARE(window_->TrackBar1->value(), 42);
        QCOMPARE(window_->TrackBar1->maximum(), 95);
        QCOMPARE(window_->BttnTerm->toolTip(), QString("Abbruch"));
        QCOMPARE(window_->BttnConf->toolTip(), QString("Startkonfiguration"));
        QCOMPARE(window_->BttnAbout->toolTip(), QString("Programmautor"));
        QCOMPARE(window_->PBox2->size(), QSize(180, 180));
        QCOMPARE(window_->PBox3->size(), QSize(180, 180));
        // The lunocentric inset sits at the full view's right edge.
        QCOMPARE(window_->Panel2->geometry().right() + 1, window_->PBox1->width());
    }

    void ToggleControlsFlipsExactlyTheTaggedControls()
    {
        QWidget* const tagged[] = {window_->BttnStart, window_->BttnConf, window_->BttnAbout,
                                   window_->BttnExit, window_->ComboBox1, window_->CheckBox1};
        QWidget* const untouched[] = {window_->MaskEdit1, window_->MaskEdit2, window_->MaskEdit3,
                                      window_->UpDown1,   window_->UpDown2,   window_->UpDown3,
                                      window_->TrackBar1, window_->BttnClipBoard};
        window_->ToggleControls();
        for (QWidget* w : tagged)
            QVERIFY2(!w->isEnabled(), qPrintable(w->metaObject()->className()));
        for (QWidget* w : untouched)
            QVERIFY(w->isEnabled());
        QVERIFY(window_->BttnTerm->isEnabled());
        QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
        window_->ToggleControls();
        for (QWidget* w : tagged)
            QVERIFY(w->isEnabled());
        QVERIFY(!window_->BttnTerm->isEnabled());
        QVERIFY(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
    }

    void StartAndConfigAreOneGroupThatMayBeAllUp()
    {
        window_->BttnStart->setChecked(true);
        window_->BttnConf->setChecked(true);
        QVERIFY(!window_->BttnStart->isChecked());
        window_->BttnConf->setChecked(false);
        QVERIFY(!window_->BttnStart->isChecked() && !window_->BttnConf->isChecked());
    }

    void PresetsFillTheFieldsAndMoveTheFocus()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        window_->ComboBox1->setCurrentIndex(1);
        window_->ComboBox1Change(1);
        QCOMPARE(window_->MaskEdit1->Text(), QString("00100.00"));
        QCOMPARE(window_->MaskEdit2->Text(), QString("+11.0085"));
        QCOMPARE(window_->MaskEdit3->Text(), QString("+229.700"));
        QCOMPARE(QApplication::focusWidget(), window_->TrackBar1);
        window_->ComboBox1Change(4);
        QCOMPARE(window_->MaskEdit3->Text(), QString("+226.500"));
        window_->ComboBox1Change(-1);  // nothing picked: nothing changes
        QCOMPARE(window_->MaskEdit3->Text(), QString("+226.500"));
    }

    void SteppersChangeTheLastDecimalPlace()
    {
        window_->UpDown1Click(TUDBtnType::btNext);
        QCOMPARE(window_->MaskEdit1->Text(), QString("00100.18"));
        window_->UpDown2Click(TUDBtnType::btPrev);
        QCOMPARE(window_->MaskEdit2->Text(), QString("+10.9799"));
        window_->UpDown3Click(TUDBtnType::btNext);
        QCOMPARE(window_->MaskEdit3->Text(), QString("+226.501"));
        window_->MaskEdit3->SetText("+000.000");
        window_->UpDown3Click(TUDBtnType::btPrev);
        QCOMPARE(window_->MaskEdit3->Text(), QString("-000.001"));
        window_->MaskEdit2->SetText("+00.0000");
        window_->UpDown2Click(TUDBtnType::btPrev);
        QCOMPARE(window_->MaskEdit2->Text(), QString("-00.0001"));
        QVERIFY(errors_.isEmpty());
    }

    void SteppingATextWithAGapReportsAndKeepsIt()
    {
        window_->MaskEdit2->SetText("+1_.9800");
        const QString before = window_->MaskEdit2->Text();
        window_->UpDown2Click(TUDBtnType::btNext);
        QCOMPARE(window_->MaskEdit2->Text(), before);
        QCOMPARE(errors_.size(), 1);
        QCOMPARE(errors_[0], "'" + before + "' ist kein gültiger Gleitkommawert.");
    }

    void ExceptionsBecomeErrorBoxesWithTheFinalDotRule()
    {
        RunGuarded([] { throw std::runtime_error("PaintBox 7 not found"); });
        RunGuarded([] { throw std::runtime_error("Already a sentence."); });
        RunGuarded([] { throw std::runtime_error("Gone!"); });
        QCOMPARE(errors_, (QStringList{"PaintBox 7 not found.", "Already a sentence.", "Gone!"}));
    }

    // The copy holds what the window shows over the full view, insets included.
    void ClipboardHoldsTheFullViewsPixels()
    {
        QTimer::singleShot(0, window_, [this] { window_->BttnTermClick(); });
        window_->BttnStartClick();  // draws the Earth in the geocentric inset
        window_->PBox1->GetCanvas().Brush.Color = QColor(0, 0, 255);
        window_->PBox1->GetCanvas().FillRect(PixelRect{300, 300, 310, 310});
        window_->BttnClipBoardClick();
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), window_->PBox1->size());
        QCOMPARE(QColor(copied.pixel(305, 305)), QColor(0, 0, 255));
        QCOMPARE(QColor(copied.pixel(315, 315)), QColor(255, 255, 255));
        QCOMPARE(QColor(copied.pixel(91, 91)), QColor(0, 255, 255));  // the inset's Earth
    }

    // A field left with a gap while Start or Config reads it is refused first.
    void StartAndConfigRefuseAFieldBeingEditedWithAGap()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        window_->MaskEdit2->setFocus();
        window_->MaskEdit2->setCursorPosition(2);
        QTest::keyClick(window_->MaskEdit2, Qt::Key_Delete);
        QCOMPARE(window_->MaskEdit2->Text(), QString("+1 .9800"));
        const QString message = MaskEdit::InvalidInputMessage();
        window_->BttnStartClick();
        QVERIFY(!window_->Flying());
        QCOMPARE(window_->StatusBar1->PanelText(0), QString("Step"));  // no flight
        QCOMPARE(errors_.size(), 1);
        QVERIFY(errors_[0].startsWith("Ungültiger Eingabewert."));
        QCOMPARE(QApplication::focusWidget(), window_->MaskEdit2);
        QCOMPARE(window_->MaskEdit2->cursorPosition(), 2);

        const QImage before = window_->PBox1->Snapshot();
        window_->BttnConf->click();
        QCOMPARE(errors_.size(), 2);
        QCOMPARE(window_->PBox1->Snapshot(), before);
    }

    // Picking a preset sets complete texts: the gap the user left is no error any more.
    void PresetOverAFieldWithAGapGivesNoError()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        window_->MaskEdit2->setFocus();
        window_->MaskEdit2->setCursorPosition(2);
        QTest::keyClick(window_->MaskEdit2, Qt::Key_Delete);
        window_->ComboBox1Change(1);
        QTest::qWait(50);
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('|')));
        QCOMPARE(window_->MaskEdit2->Text(), QString("+11.0085"));
        QCOMPARE(QApplication::focusWidget(), window_->TrackBar1);
    }

    void CollisionFlightDrawsAndRestoresTheControls()
    {
        window_->TrackBar1->setValue(95);
        window_->ComboBox1Change(1);  // "Collision"
        window_->BttnStartClick();
        QVERIFY(!window_->Flying());
        QVERIFY(window_->BttnStart->isEnabled());
        QVERIFY(!window_->BttnStart->isChecked());
        QVERIFY(!window_->BttnTerm->isEnabled());
        QCOMPARE(window_->StatusBar1->PanelText(2), QString("2.04165"));
        QVERIFY(window_->StatusBar1->PanelText(0).toInt() > 10);
        QVERIFY(window_->ProgressBar1->value() > 0);
        const QImage full = window_->PBox1->Snapshot();
        QVERIFY(CountColour(full, QColor(0, 0, 255)) > 200);  // the trajectory
        QVERIFY(CountColour(window_->PBox3->Snapshot(), QColor(0, 0, 255)) > 20);
        // Only the last Moon disc is left: the earlier ones were erased as it moved.
        const int teal = CountColour(full, QColor(0, 128, 128));
        QVERIFY2(teal > 0 && teal <= 64, qPrintable(QString::number(teal)));
        QVERIFY(!window_->Panel2->isVisible());
    }

    void InsetsShowTheirBodiesAndLabels()
    {
        window_->TrackBar1->setValue(95);
        window_->CheckBox1->setChecked(false);
        QTimer::singleShot(0, window_, [this] { window_->BttnTermClick(); });
        window_->BttnStartClick();
        QVERIFY(window_->Panel2->isVisible());
        const QImage luno = window_->PBox2->Snapshot();
        const QImage geo = window_->PBox3->Snapshot();
        QCOMPARE(QColor(luno.pixel(90, 90)), QColor(0, 128, 128));   // Moon at the centre
        QCOMPARE(QColor(luno.pixel(72, 90)), QColor(0, 0, 0));       // its outline
        QCOMPARE(QColor(luno.pixel(70, 90)), QColor(255, 255, 255));
        QCOMPARE(QColor(geo.pixel(90, 90)), QColor(0, 255, 255));    // Earth
        QCOMPARE(QColor(geo.pixel(68, 90)), QColor(0, 0, 0));
        // The labels are dark text at the top centre.
        QVERIFY(CountColour(luno.copy(0, 0, 180, 20), QColor(255, 255, 255)) < 180 * 20);
        QVERIFY(CountColour(geo.copy(0, 0, 180, 20), QColor(255, 255, 255)) < 180 * 20);
    }

    // Events are handled at every output point even without waiting: a Cancel
    // queued before Start ends the flight after its first step's points.
    void CancelAtFullSpeedEndsTheFlightEarly()
    {
        window_->TrackBar1->setValue(95);
        QTimer::singleShot(0, window_, [this] { window_->BttnTerm->click(); });
        window_->BttnStartClick();
        QVERIFY(!window_->Flying());
        QVERIFY(window_->StatusBar1->PanelText(0).toInt() <= 2);
        // The drawing and the panels keep what the flight showed.
        QCOMPARE(window_->StatusBar1->PanelText(3), QString("0 - 00"));
        QCOMPARE(window_->StatusBar1->PanelText(4), QString(" 10.9540"));
        QCOMPARE(window_->ProgressBar1->value(), 110);
    }

    // The Moon disc is drawn over the trajectory and erased with what it covered.
    void MovingMoonLeavesNoTraceAndKeepsTheLineUnderIt()
    {
        QTimer::singleShot(0, window_, [this] { window_->BttnTermClick(); });
        window_->BttnStartClick();  // sets the views up; the Moon's radius is 4 here
        Canvas& full = window_->PBox1->GetCanvas();
        full.Brush.Color = Qt::white;
        full.FillRect(full.ClipRect());
        auto point = [](int index, PixelPoint craft, PixelPoint moon) {
            FlightPoint p;
            p.Index = index;
            p.Full = craft;
            p.Moon = moon;
            p.TimeText = "0 - 00";
            p.VelocityText = "  1.0000";
            return p;
        };
        window_->DrawFlightPoint(point(0, {50, 100}, {300, 300}));
        window_->DrawFlightPoint(point(1, {150, 100}, {100, 100}));
        QCOMPARE(QColor(full.Image().pixel(100, 100)), QColor(0, 128, 128));
        window_->DrawFlightPoint(point(2, {200, 100}, {300, 200}));
        const QImage image = full.Image();
        for (int x = 50; x < 200; ++x)
            QCOMPARE(QColor(image.pixel(x, 100)), QColor(0, 0, 255));
        QCOMPARE(CountColour(image.copy(90, 90, 20, 20), QColor(0, 128, 128)), 0);
        QCOMPARE(CountColour(image.copy(290, 290, 20, 20), QColor(0, 128, 128)), 0);
        QVERIFY(CountColour(image.copy(290, 190, 20, 20), QColor(0, 128, 128)) > 0);
    }

    void ConfigRefusesLowAltitudeAndSlowVelocity()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        const QImage before = window_->PBox1->Snapshot();
        window_->MaskEdit1->SetText("00099.99");
        window_->BttnConf->click();
        QCOMPARE(window_->PBox1->Snapshot(), before);
        QCOMPARE(QApplication::focusWidget(), window_->MaskEdit1);
        QVERIFY(window_->BttnConf->isChecked());  // not released

        window_->MaskEdit1->SetText("00100.00");
        window_->MaskEdit2->SetText("+09.9999");
        window_->BttnConf->setChecked(false);
        window_->BttnConf->click();
        QCOMPARE(window_->PBox1->Snapshot(), before);
        QCOMPARE(QApplication::focusWidget(), window_->MaskEdit2);

        window_->MaskEdit2->SetText("-10.0000");  // drawn like +10
        window_->BttnConf->setChecked(false);
        window_->BttnConf->click();
        QVERIFY(!window_->BttnConf->isChecked());
        QVERIFY(CountColour(window_->PBox1->Snapshot(), QColor(192, 192, 192)) > 1000);  // Earth
    }

    void ConfigAfterAFlightReplacesItsDrawing()
    {
        window_->TrackBar1->setValue(95);
        window_->ComboBox1Change(1);
        window_->BttnStartClick();
        QVERIFY(CountColour(window_->PBox1->Snapshot(), QColor(0, 0, 255)) > 200);
        window_->BttnConf->click();
        const QImage sketch = window_->PBox1->Snapshot();
        QCOMPARE(CountColour(sketch, QColor(0, 0, 255)), 0);
        QCOMPARE(CountColour(sketch, QColor(0, 128, 128)), 0);
        QVERIFY(CountColour(sketch, QColor(0, 0, 128)) > 20);  // the blast-off dot
    }

    void ClosingDuringAFlightEndsItFirst()
    {
        window_->TrackBar1->setValue(0);  // slow: the close arrives mid-flight
        QSignalSpy destroyed(window_, &QObject::destroyed);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        QTimer::singleShot(50, window_, [this] { window_->close(); });
        window_->BttnStartClick();
        QVERIFY(!window_->Flying());
        QTRY_COMPARE(destroyed.count(), 1);
        window_ = nullptr;
    }

    void ASecondStartInsideAFlightIsIgnored()
    {
        window_->TrackBar1->setValue(95);
        int nested = 0;
        QTimer::singleShot(0, window_, [this, &nested] {
            window_->BttnStartClick();  // returns at once
            ++nested;
            window_->BttnTermClick();
        });
        window_->BttnStartClick();
        QCOMPARE(nested, 1);
        QVERIFY(!window_->Flying());
        QVERIFY(window_->BttnStart->isEnabled());
    }

private:
    MainWindow* window_ = nullptr;
    QStringList errors_;
};

// The opening sequence: the About box once, then the sketch; later resizes show
// neither again.
class TestOpeningSequence : public QObject {
    Q_OBJECT

private slots:
    void AboutBoxThenSketchOnce()
    {
        int aboutBoxes = 0;
        QTimer closer;
        connect(&closer, &QTimer::timeout, [&] {
            if (QWidget* modal = QApplication::activeModalWidget()) {
                ++aboutBoxes;
                modal->close();
            }
        });
        closer.start(20);
        MainWindow window(true);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        QTRY_COMPARE(aboutBoxes, 1);
        QTRY_VERIFY(CountColour(window.PBox1->Snapshot(), QColor(192, 192, 192)) > 1000);
        window.resize(window.width() - 50, window.height() - 40);
        window.resize(window.width() + 50, window.height() + 40);
        QTest::qWait(200);
        QCOMPARE(aboutBoxes, 1);
    }
};

int main(int argc, char* argv[])
{
    QApplication app(argc, argv);
    int failures = 0;
    {
        TestMainWindow test;
        failures += QTest::qExec(&test, argc, argv);
    }
    {
        TestOpeningSequence test;
        failures += QTest::qExec(&test, argc, argv);
    }
    return failures;
}

#include "test_main_window.moc"
