// The main window headless: its state at start, the control toggling around a
// flight, presets, steppers and their keys, the error box, the clipboard, the names a
// screen reader reads, and whole flights drawn in the three views.
#include "ui/application.h"
#include "ui/canvas.h"
#include "flight/flight_run.h"
#include "flight/view_frames.h"
#include "ui/error_box.h"
#include "ui/explorer_window.h"
#include "ui/flight_controller.h"
#include "ui/main_window.h"
#include "ui/masked_field.h"
#include "ui/paint_box.h"
#include "ui/repaint_pacer.h"
#include "ui/status_bar.h"
#include "ui/stepper_buttons.h"
#include "support/pixels.h"

#include <QAccessible>
#include <QCheckBox>
#include <QFrame>
#include <QClipboard>
#include <QComboBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QSlider>
#include <QSignalSpy>
#include <QTimer>
#include <QToolButton>
#include <QtTest>

#include <functional>
#include <stdexcept>
#include <utility>

using namespace orrimar;

namespace {

int CountColour(const QImage& image, QColor colour) { return test::CountColour(image, colour.rgb()); }

// A widget of the window by its object name; the test program stops when it is missing.
template <typename T>
T* Part(const MainWindow& window, const char* name)
{
    T* part = window.findChild<T*>(QLatin1String(name));
    if (part == nullptr)
        qFatal("The main window has no %s", name);
    return part;
}

}  // namespace

class TestMainWindow : public QObject {
    Q_OBJECT

private slots:
    void initTestCase()
    {
        useDotDecimalSeparator();
        setErrorBoxHandler([this](const QString& text) {
            errors_.append(text);
            if (whileErrorShown_)
                whileErrorShown_();
        });
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
        whileErrorShown_ = nullptr;
        delete window_;
        window_ = nullptr;
    }

    void InitialState()
    {
        QVERIFY(window_->windowState() & Qt::WindowMaximized);
        QCOMPARE(window_->windowTitle(), QString("Orrimar - terminated by user, collision or escape"));
        QVERIFY(!cancelButton()->isEnabled());
        QVERIFY(startButton()->isEnabled());
        QVERIFY(fullViewCheck()->isChecked());
        QCOMPARE(altitudeField()->fieldText(), QString("00100.17"));
        QCOMPARE(velocityField()->fieldText(), QString("+10.9800"));
        QCOMPARE(angleField()->fieldText(), QString("+226.500"));
        QCOMPARE(presetList()->currentIndex(), -1);
        QCOMPARE(presetList()->count(), 5);
        QCOMPARE(speedBar()->parentWidget(), statusBar());
        QCOMPARE(speedBar()->pos(), QPoint(373, 5));
        QCOMPARE(speedBar()->size(), QSize(150, 17));
        QCOMPARE(speedBar()->maximum(), 150);
        const QStringList headings{"Step", "Error Jacobi", "Jacobi 0", "Time", "Velocity", ""};
        for (int i = 0; i < headings.size(); ++i)
            QCOMPARE(statusBar()->panelText(i), headings[i]);
        QCOMPARE(statusBar()->height(), 25);
        QCOMPARE(controlColumn()->width(), 120);
        QCOMPARE(speedSlider()->value(), 42);
        QCOMPARE(speedSlider()->maximum(), 95);
        QCOMPARE(cancelButton()->toolTip(), QString("Abbruch"));
        QCOMPARE(configButton()->toolTip(), QString("Startkonfiguration"));
        QCOMPARE(aboutButton()->toolTip(), QString("Programmautor"));
        QCOMPARE(lunocentricInset()->size(), QSize(180, 180));
        QCOMPARE(geocentricInset()->size(), QSize(180, 180));
        // The lunocentric inset sits at the full view's right edge.
        QCOMPARE(lunocentricPanel()->geometry().right() + 1, fullView()->width());
    }

    void ToggleControlsFlipsExactlyTheTaggedControls()
    {
        QWidget* const tagged[] = {startButton(), configButton(), aboutButton(),
                                   exitButton(), presetList(), fullViewCheck()};
        QWidget* const untouched[] = {altitudeField(), velocityField(), angleField(),
                                      altitudeStepper(),   velocityStepper(),   angleStepper(),
                                      speedSlider(), clipboardButton()};
        window_->showControlsFor(FlightController::State::Flying);
        for (QWidget* w : tagged)
            QVERIFY2(!w->isEnabled(), qPrintable(w->metaObject()->className()));
        for (QWidget* w : untouched)
            QVERIFY(w->isEnabled());
        QVERIFY(cancelButton()->isEnabled());
        QVERIFY(!(window_->windowFlags() & Qt::WindowMaximizeButtonHint));
        window_->showControlsFor(FlightController::State::Idle);
        for (QWidget* w : tagged)
            QVERIFY(w->isEnabled());
        QVERIFY(!cancelButton()->isEnabled());
        QVERIFY(window_->windowFlags() & Qt::WindowMaximizeButtonHint);
    }

    void StartAndConfigAreOneGroupThatMayBeAllUp()
    {
        startButton()->setChecked(true);
        configButton()->setChecked(true);
        QVERIFY(!startButton()->isChecked());
        configButton()->setChecked(false);
        QVERIFY(!startButton()->isChecked() && !configButton()->isChecked());
    }

    void PresetsFillTheFieldsAndMoveTheFocus()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        presetList()->setCurrentIndex(1);
        ApplyPreset(1);
        QCOMPARE(altitudeField()->fieldText(), QString("00100.00"));
        QCOMPARE(velocityField()->fieldText(), QString("+11.0085"));
        QCOMPARE(angleField()->fieldText(), QString("+229.700"));
        QCOMPARE(QApplication::focusWidget(), speedSlider());
        ApplyPreset(4);
        QCOMPARE(angleField()->fieldText(), QString("+226.500"));
        ApplyPreset(-1);  // nothing picked: nothing changes
        QCOMPARE(angleField()->fieldText(), QString("+226.500"));
    }

    void SteppersChangeTheLastDecimalPlace()
    {
        altitudeStepper()->upButton()->click();
        QCOMPARE(altitudeField()->fieldText(), QString("00100.18"));
        velocityStepper()->downButton()->click();
        QCOMPARE(velocityField()->fieldText(), QString("+10.9799"));
        angleStepper()->upButton()->click();
        QCOMPARE(angleField()->fieldText(), QString("+226.501"));
        angleField()->setFieldText("+000.000");
        angleStepper()->downButton()->click();
        QCOMPARE(angleField()->fieldText(), QString("-000.001"));
        velocityField()->setFieldText("+00.0000");
        velocityStepper()->downButton()->click();
        QCOMPARE(velocityField()->fieldText(), QString("-00.0001"));
        QVERIFY(errors_.isEmpty());
    }

    void SteppingATextWithAGapReportsAndKeepsIt()
    {
        velocityField()->setFieldText("+1_.9800");
        const QString before = velocityField()->fieldText();
        velocityStepper()->upButton()->click();
        QCOMPARE(velocityField()->fieldText(), before);
        QCOMPARE(errors_.size(), 1);
        QCOMPARE(errors_[0], "'" + before + "' ist kein gültiger Gleitkommawert.");
    }

    // Up and Down in a field take the arrows' path: the same step, refusal or report.
    void UpAndDownKeysStepTheFieldsAsTheArrowsDo()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        struct Case {
            const char* field;
            const char* stepper;
            const char* text;
            Qt::Key key;
            const char* stepped;  // the text afterwards
            bool reported;        // the text is no number
        };
        const Case cases[] = {
            {"altitudeField", "altitudeStepper", "00100.17", Qt::Key_Up, "00100.18", false},
            {"altitudeField", "altitudeStepper", "99999.99", Qt::Key_Up, "99999.99", false},
            {"altitudeField", "altitudeStepper", "00000.01", Qt::Key_Down, "00000.01", false},
            {"velocityField", "velocityStepper", "+00.0000", Qt::Key_Down, "-00.0001", false},
            {"velocityField", "velocityStepper", "+1_.9800", Qt::Key_Up, "+1 .9800", true},
            {"angleField", "angleStepper", "+226.500", Qt::Key_Up, "+226.501", false},
            {"angleField", "angleStepper", "-999.999", Qt::Key_Down, "-999.999", false},
        };
        for (const Case& c : cases) {
            const QString context = QString("%1 %2").arg(c.field, c.text);
            MaskedField* field = Part<MaskedField>(*window_, c.field);
            StepperButtons* stepper = Stepper(c.stepper);
            field->setFieldText(c.text);
            (c.key == Qt::Key_Up ? stepper->upButton() : stepper->downButton())->click();
            const QString byArrow = field->fieldText();
            const QStringList arrowReports = errors_;
            errors_.clear();

            field->setFieldText(c.text);
            field->setFocus();
            QTest::keyClick(field, c.key);
            QVERIFY2(field->fieldText() == byArrow, qPrintable(context));
            QVERIFY2(errors_ == arrowReports, qPrintable(context));
            QVERIFY2(field->fieldText() == QString(c.stepped), qPrintable(context));
            QVERIFY2(errors_.size() == (c.reported ? 1 : 0), qPrintable(context));
            if (c.reported)
                QCOMPARE(errors_[0], "'" + field->fieldText() + "' ist kein gültiger Gleitkommawert.");
            errors_.clear();
        }
    }

    // Holding an arrow over a text that is no number reports it once: the repeat stops
    // when the box opens, instead of opening box after box, each in the last one's loop.
    void HoldingAnArrowOverATextThatIsNoNumberReportsOnce()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        velocityField()->setFocus();
        for (const Qt::Key key : {Qt::Key_Home, Qt::Key_Right, Qt::Key_Delete})
            QTest::keyClick(velocityField(), key);
        QCOMPARE(velocityField()->text(), QString("+_0.9800"));

        QToolButton* up = velocityStepper()->upButton();
        up->setAutoRepeatDelay(1);  // the hold starts repeating at once
        up->setAutoRepeatInterval(1);
        int open = 0;
        int nested = 0;
        whileErrorShown_ = [&] {
            if (open > 0) {
                ++nested;
                return;
            }
            ++open;
            QTest::qWait(100);  // the box is open; the mouse is still held
            --open;
        };
        QTest::mousePress(up, Qt::LeftButton);
        QTRY_VERIFY(!errors_.isEmpty());
        QTest::qWait(50);
        QTest::mouseRelease(up, Qt::LeftButton);
        QCOMPARE(nested, 0);
        QCOMPARE(errors_, QStringList{"'+ 0.9800' ist kein gültiger Gleitkommawert."});
        QVERIFY(!up->isDown());
        QCOMPARE(velocityField()->text(), QString("+_0.9800"));

        // The next press is a press of its own again.
        whileErrorShown_ = nullptr;
        up->click();
        QCOMPARE(errors_.size(), 2);
    }

    // Escape ends a flight as Cancel does, from a field with a change to undo too; with
    // no flight, Escape in that field undoes the change.
    void EscapeCancelsAFlight()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        speedSlider()->setValue(95);
        ApplyPreset(1);  // a collision, many steps when nothing stops it
        QTimer::singleShot(0, window_, [] {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Escape);
        });
        Fly();
        QVERIFY(!window_->flying());
        QVERIFY2(statusBar()->panelText(0).toInt() <= 2, qPrintable(statusBar()->panelText(0)));

        statusBar()->setPanelText(0, "Step");
        QTimer::singleShot(0, window_, [this] {
            angleField()->setFocus();
            angleField()->setCursorPosition(8);
            QTest::keyClick(angleField(), Qt::Key_Backspace);
            QTest::keyClick(angleField(), Qt::Key_Escape);
        });
        Fly();
        QVERIFY(!window_->flying());
        QVERIFY2(statusBar()->panelText(0).toInt() <= 2, qPrintable(statusBar()->panelText(0)));
        QCOMPARE(angleField()->text(), QString("+229.70_"));  // the change stays

        statusBar()->setPanelText(0, "Step");
        QTest::keyClick(angleField(), Qt::Key_Escape);
        QCOMPARE(angleField()->text(), QString("+229.700"));
        QCOMPARE(statusBar()->panelText(0), QString("Step"));
        QVERIFY(errors_.isEmpty());
    }

    // P and Ctrl+E reach the window from a launch field, which takes no letter, and P and
    // Escape reach it from the Explorer: typed as a user types them, into the focused widget.
    void WindowKeysWorkFromAFieldAndFromTheExplorer()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        speedSlider()->setValue(0);  // slow: the keys arrive mid-flight
        Invoke("startFlight");
        velocityField()->setFocus();
        velocityField()->setCursorPosition(2);
        const QString text = velocityField()->text();
        QTest::keyClick(velocityField(), Qt::Key_P);
        QVERIFY(window_->paused());
        QTest::keyClick(velocityField(), Qt::Key_P);
        QVERIFY(window_->flying() && !window_->paused());
        QTest::keyClick(velocityField(), Qt::Key_E, Qt::ControlModifier);
        ExplorerWindow* explorer = window_->explorer();
        QVERIFY(explorer && explorer->isVisible());
        QCOMPARE(velocityField()->text(), text);
        QCOMPARE(velocityField()->cursorPosition(), 2);  // not moved to the end

        explorer->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(explorer));
        QWidget* focus = explorer->focusWidget() ? explorer->focusWidget() : explorer;
        QTest::keyClick(focus, Qt::Key_P);
        QVERIFY(window_->paused());
        QTest::keyClick(focus, Qt::Key_Escape);
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flying(), 120000);
        QCOMPARE(QString::fromStdString(explorer->report().EndingText()), QString("cancelled"));
        QVERIFY(errors_.isEmpty());
    }

    // Every control has a name a screen reader reads, and a description.
    void EveryControlHasAnAccessibleName()
    {
        const QList<QLabel*> panels = statusBar()->findChildren<QLabel*>(Qt::FindDirectChildrenOnly);
        QCOMPARE(panels.size(), 6);
        const std::pair<QWidget*, QString> names[] = {
            {altitudeField(), "Altitude [km]"},
            {velocityField(), "Velocity [km/s]"},
            {angleField(), QString::fromUtf8("Angle [\u00ba]")},
            {altitudeStepper()->upButton(), "Altitude up"},
            {altitudeStepper()->downButton(), "Altitude down"},
            {velocityStepper()->upButton(), "Velocity up"},
            {velocityStepper()->downButton(), "Velocity down"},
            {angleStepper()->upButton(), "Angle up"},
            {angleStepper()->downButton(), "Angle down"},
            {presetList(), "Preset flights"},
            {fullViewCheck(), "Full view"},
            {startButton(), "Start"},
            {cancelButton(), "Cancel"},
            {configButton(), "Config"},
            {speedSlider(), "Speed"},
            {aboutButton(), "About"},
            {exitButton(), "Exit"},
            {clipboardButton(), "ClipBoard"},
            {panels[0], "Step"},
            {panels[1], "Error Jacobi"},
            {panels[2], "Jacobi 0"},
            {panels[3], "Time"},
            {panels[4], "Velocity"},
        };
        for (const auto& [widget, name] : names) {
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            QVERIFY(accessible != nullptr);
            QCOMPARE(accessible->text(QAccessible::Name), name);
            QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(), qPrintable(name));
        }
        // The names stay when the panels show a flight's values.
        statusBar()->setPanelText(0, "17");
        QCOMPARE(QAccessible::queryAccessibleInterface(panels[0])->text(QAccessible::Name),
                 QString("Step"));

        // No control of the window is left without.
        for (QWidget* widget : window_->findChildren<QWidget*>()) {
            const bool control = qobject_cast<QAbstractButton*>(widget) ||
                                 qobject_cast<QLineEdit*>(widget) ||
                                 qobject_cast<QComboBox*>(widget) ||
                                 qobject_cast<QAbstractSlider*>(widget) ||
                                 qobject_cast<QProgressBar*>(widget) ||
                                 qobject_cast<PaintBox*>(widget) || widget->parent() == statusBar();
            if (!control || widget->window() != window_)
                continue;
            QAccessibleInterface* accessible = QAccessible::queryAccessibleInterface(widget);
            const QString what = widget->metaObject()->className() + (" " + widget->objectName());
            QVERIFY2(!accessible->text(QAccessible::Name).isEmpty(), qPrintable(what));
            QVERIFY2(!accessible->text(QAccessible::Description).isEmpty(), qPrintable(what));
        }

        QCOMPARE(clipboardButton()->toolTip(), QString("Copy the full view as a picture"));
        QCOMPARE(speedSlider()->toolTip(), QString("Speed of the flight: slow to fast"));
        QCOMPARE(presetList()->toolTip(), QString("Preset flights"));
        QCOMPARE(fullViewCheck()->toolTip(), QString::fromUtf8("Show the whole Earth\u2013Moon system"));
        QCOMPARE(altitudeField()->toolTip(), QString("> 100 km"));
        QCOMPARE(startButton()->toolTip(), QString("Start"));
        // The status bar's bare numbers explain themselves on hovering, with their units.
        const QList<QLabel*> statusPanels = statusBar()->findChildren<QLabel*>();
        QCOMPARE(statusPanels.size(), statusBar()->panelCount());
        const QStringList units = {"no unit", "model's units", "model's units", "days - hours",
                                   "km/s", "km/s"};
        for (int i = 0; i < statusBar()->panelCount(); ++i)
            QVERIFY2(statusPanels[i]->toolTip().contains(units[i]),
                     qPrintable(statusPanels[i]->toolTip()));
        QVERIFY(speedBar()->toolTip().contains("km/s"));
    }

    void ExceptionsBecomeErrorBoxesWithTheFinalDotRule()
    {
        runGuarded([] { throw std::runtime_error("PaintBox 7 not found"); });
        runGuarded([] { throw std::runtime_error("Already a sentence."); });
        runGuarded([] { throw std::runtime_error("Gone!"); });
        QCOMPARE(errors_, (QStringList{"PaintBox 7 not found.", "Already a sentence.", "Gone!"}));
    }

    // The copy holds what the window shows over the full view, insets included.
    void ClipboardHoldsTheFullViewsPixels()
    {
        QTimer::singleShot(0, window_, [this] { Invoke("cancelFlight"); });
        Fly();  // draws the Earth in the geocentric inset
        fullView()->canvas().brush.color = QColor(0, 0, 255);
        fullView()->canvas().fillRect(PixelRect{300, 300, 310, 310});
        Invoke("copyToClipboard");
        const QImage copied = QGuiApplication::clipboard()->image();
        QCOMPARE(copied.size(), fullView()->size());
        QCOMPARE(QColor(copied.pixel(305, 305)), QColor(0, 0, 255));
        QCOMPARE(QColor(copied.pixel(315, 315)), QColor(255, 255, 255));
        QCOMPARE(QColor(copied.pixel(91, 91)), QColor(0, 255, 255));  // the inset's Earth
    }

    // With the window at its narrowest the full view has no width: nothing to copy,
    // and the clipboard keeps what it held.
    void ClipboardLeftAloneWhenTheFullViewIsEmpty()
    {
        window_->setWindowState(Qt::WindowNoState);
        window_->resize(1, window_->height());
        QTRY_COMPARE(fullView()->width(), 0);
        QGuiApplication::clipboard()->setText("kept");
        QTest::failOnWarning(QRegularExpression(".*"));
        Invoke("copyToClipboard");
        QCOMPARE(QGuiApplication::clipboard()->text(), QString("kept"));
        QVERIFY(QGuiApplication::clipboard()->image().isNull());
    }

    // A field left with a gap while Start or Config reads it is refused first.
    void StartAndConfigRefuseAFieldBeingEditedWithAGap()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        velocityField()->setFocus();
        velocityField()->setCursorPosition(2);
        QTest::keyClick(velocityField(), Qt::Key_Delete);
        QCOMPARE(velocityField()->fieldText(), QString("+1 .9800"));
        const QString message = MaskedField::invalidInputMessage();
        Fly();
        QVERIFY(!window_->flying());
        QCOMPARE(statusBar()->panelText(0), QString("Step"));  // no flight
        QCOMPARE(errors_.size(), 1);
        QVERIFY(errors_[0].startsWith("Ungültiger Eingabewert."));
        QCOMPARE(QApplication::focusWidget(), velocityField());
        QCOMPARE(velocityField()->cursorPosition(), 2);

        const QImage before = fullView()->snapshot();
        configButton()->click();
        QCOMPARE(errors_.size(), 2);
        QCOMPARE(fullView()->snapshot(), before);
    }

    // Picking a preset sets complete texts: the gap the user left is no error any more.
    void PresetOverAFieldWithAGapGivesNoError()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        velocityField()->setFocus();
        velocityField()->setCursorPosition(2);
        QTest::keyClick(velocityField(), Qt::Key_Delete);
        ApplyPreset(1);
        QTest::qWait(50);
        QVERIFY2(errors_.isEmpty(), qPrintable(errors_.join('|')));
        QCOMPARE(velocityField()->fieldText(), QString("+11.0085"));
        QCOMPARE(QApplication::focusWidget(), speedSlider());
    }

    void CollisionFlightDrawsAndRestoresTheControls()
    {
        speedSlider()->setValue(95);
        ApplyPreset(1);  // "Collision"
        Fly();
        QVERIFY(!window_->flying());
        QVERIFY(startButton()->isEnabled());
        QVERIFY(!startButton()->isChecked());
        QVERIFY(!cancelButton()->isEnabled());
        QCOMPARE(statusBar()->panelText(2), QString("2.04165"));
        QVERIFY(statusBar()->panelText(0).toInt() > 10);
        QVERIFY(speedBar()->value() > 0);
        const QImage full = fullView()->snapshot();
        QVERIFY(CountColour(full, QColor(0, 0, 255)) > 200);  // the trajectory
        QVERIFY(CountColour(geocentricInset()->snapshot(), QColor(0, 0, 255)) > 20);
        // Only the last Moon disc is left: the earlier ones were erased as it moved.
        const int teal = CountColour(full, QColor(0, 128, 128));
        QVERIFY2(teal > 0 && teal <= 64, qPrintable(QString::number(teal)));
        QVERIFY(!lunocentricPanel()->isVisible());
    }

    // The line under Start/Cancel/Config says how each preset ends, in the report's numbers
    // (orrimar-flight's summary of the same launch), and is what a screen reader reads.
    void OutcomeLineSaysHowTheFlightEnded_data()
    {
        QTest::addColumn<int>("preset");
        QTest::addColumn<QString>("outcome");
        QTest::newRow("Vantor xx") << 0 << "Collision with the Earth at 19 - 09";
        QTest::newRow("Collision") << 1 << "Collision with the Moon at 3 - 04";
        QTest::newRow("Swing by") << 2 << "Escaped at 4 - 19, closest to the Moon 525.5 km";
        QTest::newRow("Escape 30") << 3 << "Escaped at 36 - 01, closest to the Moon 1081.1 km";
        QTest::newRow("Escape 58") << 4 << "Escaped at 65 - 09, closest to the Moon 331.9 km";
    }
    void OutcomeLineSaysHowTheFlightEnded()
    {
        QFETCH(int, preset);
        QFETCH(QString, outcome);
        QCOMPARE(outcomeLabel()->text(), QString());  // nothing flown yet
        speedSlider()->setValue(speedSlider()->maximum());
        ApplyPreset(preset);
        Fly();
        QCOMPARE(outcomeLabel()->text(), outcome);
        QCOMPARE(outcomeLabel()->accessibleName(), outcome);
    }

    // Paused while paused, then the moment of the cancel.
    void OutcomeLineFollowsPauseAndCancel()
    {
        speedSlider()->setValue(0);
        ApplyPreset(1);
        Invoke("startFlight");
        QCOMPARE(outcomeLabel()->text(), QString("Flying"));
        window_->togglePause();
        QCOMPARE(outcomeLabel()->text(), QString("Paused"));
        window_->togglePause();
        QCOMPARE(outcomeLabel()->text(), QString("Flying"));
        window_->togglePause();  // cancelled while paused, as Escape on a paused flight does
        Invoke("cancelFlight");
        QTRY_VERIFY_WITH_TIMEOUT(!window_->flying(), 120000);
        const QString text = outcomeLabel()->text();
        QVERIFY2(QRegularExpression("^Cancelled at \\d+ - \\d\\d$").match(text).hasMatch(),
                 qPrintable(text));
    }

    void InsetsShowTheirBodiesAndLabels()
    {
        speedSlider()->setValue(95);
        fullViewCheck()->setChecked(false);
        QTimer::singleShot(0, window_, [this] { Invoke("cancelFlight"); });
        Fly();
        QVERIFY(lunocentricPanel()->isVisible());
        const QImage luno = lunocentricInset()->snapshot();
        const QImage geo = geocentricInset()->snapshot();
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
        speedSlider()->setValue(95);
        QTimer::singleShot(0, window_, [this] { cancelButton()->click(); });
        Fly();
        QVERIFY(!window_->flying());
        QVERIFY(statusBar()->panelText(0).toInt() <= 2);
        // The drawing and the panels keep what the flight showed.
        QCOMPARE(statusBar()->panelText(3), QString("0 - 00"));
        QCOMPARE(statusBar()->panelText(4), QString(" 10.9540"));
        QCOMPARE(speedBar()->value(), 110);
    }

    // The Moon disc is drawn over the trajectory and erased with what it covered.
    void MovingMoonLeavesNoTraceAndKeepsTheLineUnderIt()
    {
        Canvas& full = clearedFullView();
        const auto point = DiscTestPoint;
        window_->drawFlightPoint(point(0, {50, 100}, {300, 300}));
        window_->drawFlightPoint(point(1, {150, 100}, {100, 100}));
        QCOMPARE(QColor(full.image().pixel(100, 100)), QColor(0, 128, 128));
        window_->drawFlightPoint(point(2, {200, 100}, {300, 200}));
        const QImage image = full.image();
        for (int x = 50; x < 200; ++x)
            QCOMPARE(QColor(image.pixel(x, 100)), QColor(0, 0, 255));
        QCOMPARE(CountColour(image.copy(90, 90, 20, 20), QColor(0, 128, 128)), 0);
        QCOMPARE(CountColour(image.copy(290, 290, 20, 20), QColor(0, 128, 128)), 0);
        QVERIFY(CountColour(image.copy(290, 190, 20, 20), QColor(0, 128, 128)) > 0);
    }

    // Repaints paced to display frames end with the pictures that repaints at every
    // point leave: on the screen, in the clipboard and in the status bar.
    void PacedRepaintsEndWithTheSamePictures()
    {
        RepaintPacer* pacer = Part<RepaintPacer>(*window_, "repaintPacer");
        const std::int64_t frame = pacer->frameInterval();
        QVERIFY(frame > 0);
        speedSlider()->setValue(95);
        struct Pictures {
            QImage screen, clipboard, status;
        };
        auto fly = [&](int preset, std::int64_t interval) {
            pacer->setFrameInterval(interval);
            ApplyPreset(preset);
            Fly();
            QCoreApplication::processEvents();
            Invoke("copyToClipboard");
            return Pictures{OnScreen(*fullView()), QGuiApplication::clipboard()->image(),
                            OnScreen(*statusBar())};
        };
        for (int preset = 0; preset < presetList()->count(); ++preset) {
            const Pictures perPoint = fly(preset, 0);
            QVERIFY(CountColour(perPoint.screen, QColor(0, 0, 255)) > 100);
            // A frame's time, and a frame longer than the flight: shown at the end only.
            for (const std::int64_t interval : {frame, std::int64_t{100'000'000}}) {
                const Pictures paced = fly(preset, interval);
                const QString context = QString("preset %1, frame %2 us").arg(preset).arg(interval);
                QVERIFY2(paced.screen == perPoint.screen, qPrintable(context));
                QVERIFY2(paced.clipboard == perPoint.clipboard, qPrintable(context));
                QVERIFY2(paced.status == perPoint.status, qPrintable(context));
            }
        }
        pacer->setFrameInterval(frame);
    }

    // A disc that stays in place keeps lying over the line, also where a new piece of
    // the line runs under it.
    void UnmovedMoonStaysOverTheLine()
    {
        Canvas& full = clearedFullView();
        const auto point = DiscTestPoint;
        window_->drawFlightPoint(point(0, {50, 100}, {100, 100}));
        window_->drawFlightPoint(point(1, {60, 100}, {100, 100}));   // clear of the disc
        window_->drawFlightPoint(point(2, {150, 100}, {100, 100}));  // right under it
        window_->drawFlightPoint(point(3, {160, 100}, {100, 100}));
        const QImage image = full.image();
        QCOMPARE(QColor(image.pixel(100, 100)), QColor(0, 128, 128));  // disc over the line
        QCOMPARE(QColor(image.pixel(96, 100)), QColor(0, 0, 0));       // its outline
        for (int x : {50, 90, 110, 159})
            QCOMPARE(QColor(image.pixel(x, 100)), QColor(0, 0, 255));
        const QColor teal(0, 128, 128);
        QCOMPARE(CountColour(image, teal), CountColour(image.copy(92, 92, 16, 16), teal));
        window_->drawFlightPoint(point(4, {170, 100}, {300, 300}));  // moved: the line shows
        QCOMPARE(QColor(full.image().pixel(100, 100)), QColor(0, 0, 255));
    }

    void ConfigRefusesLowAltitudeAndSlowVelocity()
    {
        window_->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(window_));
        const QImage before = fullView()->snapshot();
        altitudeField()->setFieldText("00099.99");
        configButton()->click();
        QCOMPARE(fullView()->snapshot(), before);
        QCOMPARE(QApplication::focusWidget(), altitudeField());
        QVERIFY(configButton()->isChecked());  // not released

        altitudeField()->setFieldText("00100.00");
        velocityField()->setFieldText("+09.9999");
        configButton()->setChecked(false);
        configButton()->click();
        QCOMPARE(fullView()->snapshot(), before);
        QCOMPARE(QApplication::focusWidget(), velocityField());

        velocityField()->setFieldText("-10.0000");  // drawn like +10
        configButton()->setChecked(false);
        configButton()->click();
        QVERIFY(!configButton()->isChecked());
        QVERIFY(CountColour(fullView()->snapshot(), QColor(192, 192, 192)) > 1000);  // Earth
    }

    void ConfigAfterAFlightReplacesItsDrawing()
    {
        speedSlider()->setValue(95);
        ApplyPreset(1);
        Fly();
        QVERIFY(CountColour(fullView()->snapshot(), QColor(0, 0, 255)) > 200);
        configButton()->click();
        const QImage sketch = fullView()->snapshot();
        QCOMPARE(CountColour(sketch, QColor(0, 0, 255)), 0);
        QCOMPARE(CountColour(sketch, QColor(0, 128, 128)), 0);
        QVERIFY(CountColour(sketch, QColor(0, 0, 128)) > 20);  // the blast-off dot
    }

    void ClosingDuringAFlightEndsItFirst()
    {
        speedSlider()->setValue(0);  // slow: the close arrives mid-flight
        QSignalSpy destroyed(window_, &QObject::destroyed);
        window_->setAttribute(Qt::WA_DeleteOnClose);
        QTimer::singleShot(50, window_, [this] { window_->close(); });
        const QPointer<MainWindow> window = window_;
        Fly();
        QVERIFY(!window || !window->flying());
        QTRY_COMPARE(destroyed.count(), 1);
        window_ = nullptr;
    }

    void ASecondStartInsideAFlightIsIgnored()
    {
        speedSlider()->setValue(95);
        int nested = 0;
        QTimer::singleShot(0, window_, [this, &nested] {
            Invoke("startFlight");  // returns at once
            ++nested;
            Invoke("cancelFlight");
        });
        Fly();
        QCOMPARE(nested, 1);
        QVERIFY(!window_->flying());
        QVERIFY(startButton()->isEnabled());
    }

private:
    // What the screen shows of a widget: the window's flushed pixels, not a fresh render.
    QImage OnScreen(QWidget& widget) const
    {
        const QPoint at = widget.mapTo(window_, QPoint(0, 0));
        return window_->screen()
            ->grabWindow(window_->winId(), at.x(), at.y(), widget.width(), widget.height())
            .toImage();
    }
    // Starts a flight as Start does and waits for its end: the flight runs from the
    // event loop. The window may be gone by then (closed mid-flight).
    void Fly()
    {
        Invoke("startFlight");
        const QPointer<MainWindow> window = window_;
        QTRY_VERIFY_WITH_TIMEOUT(!window || !window->flying(), 120000);
    }
    // Runs one of the window's slots as its button or list would.
    void Invoke(const char* slot) { QVERIFY2(QMetaObject::invokeMethod(window_, slot), slot); }
    void ApplyPreset(int index)
    {
        QVERIFY(QMetaObject::invokeMethod(window_, "applyPreset", Q_ARG(int, index)));
    }

    PaintBox* fullView() const { return Part<PaintBox>(*window_, "fullView"); }

    // The full view after a cancelled flight set its frames up (the Moon's radius is 4
    // here), wiped white: points drawn into it by hand are all it shows.
    Canvas& clearedFullView()
    {
        QTimer::singleShot(0, window_, [this] { Invoke("cancelFlight"); });
        Fly();
        Canvas& full = fullView()->canvas();
        full.brush.color = Qt::white;
        full.fillRect(full.clipRect());
        return full;
    }

    // A point with the craft and the Moon at the given full-view pixels.
    static FlightPoint DiscTestPoint(int index, PixelPoint craft, PixelPoint moon)
    {
        FlightPoint p;
        p.Index = index;
        p.Full = craft;
        p.Moon = moon;
        p.TimeText = "0 - 00";
        p.VelocityText = "  1.0000";
        return p;
    }

    PaintBox* lunocentricInset() const { return Part<PaintBox>(*window_, "lunocentricInset"); }
    PaintBox* geocentricInset() const { return Part<PaintBox>(*window_, "geocentricInset"); }
    QFrame* lunocentricPanel() const { return Part<QFrame>(*window_, "lunocentricPanel"); }
    QFrame* controlColumn() const { return Part<QFrame>(*window_, "controlColumn"); }
    MaskedField* altitudeField() const { return Part<MaskedField>(*window_, "altitudeField"); }
    MaskedField* velocityField() const { return Part<MaskedField>(*window_, "velocityField"); }
    MaskedField* angleField() const { return Part<MaskedField>(*window_, "angleField"); }
    StepperButtons* altitudeStepper() const { return Stepper("altitudeStepper"); }
    StepperButtons* velocityStepper() const { return Stepper("velocityStepper"); }
    StepperButtons* angleStepper() const { return Stepper("angleStepper"); }
    StepperButtons* Stepper(const char* name) const { return Part<StepperButtons>(*window_, name); }
    QComboBox* presetList() const { return Part<QComboBox>(*window_, "presetList"); }
    QCheckBox* fullViewCheck() const { return Part<QCheckBox>(*window_, "fullViewCheck"); }
    QToolButton* startButton() const { return Part<QToolButton>(*window_, "startButton"); }
    QToolButton* cancelButton() const { return Part<QToolButton>(*window_, "cancelButton"); }
    QToolButton* configButton() const { return Part<QToolButton>(*window_, "configButton"); }
    QLabel* outcomeLabel() const { return Part<QLabel>(*window_, "outcomeLabel"); }
    QSlider* speedSlider() const { return Part<QSlider>(*window_, "speedSlider"); }
    QToolButton* aboutButton() const { return Part<QToolButton>(*window_, "aboutButton"); }
    QPushButton* exitButton() const { return Part<QPushButton>(*window_, "exitButton"); }
    QToolButton* clipboardButton() const { return Part<QToolButton>(*window_, "clipboardButton"); }
    StatusBar* statusBar() const { return Part<StatusBar>(*window_, "statusBar"); }
    QProgressBar* speedBar() const { return Part<QProgressBar>(*window_, "speedBar"); }

    MainWindow* window_ = nullptr;
    QStringList errors_;
    // Runs while a captured error box is "open", as its modal loop would.
    std::function<void()> whileErrorShown_;
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
        PaintBox* fullView = Part<PaintBox>(window, "fullView");
        QTRY_VERIFY(CountColour(fullView->snapshot(), QColor(192, 192, 192)) > 1000);
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
