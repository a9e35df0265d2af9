// Typing into the masked parameter fields on the offscreen platform.
#include "ui/error_box.h"
#include "ui/masked_field.h"

#include <QApplication>
#include <QClipboard>
#include <QLineEdit>
#include <QSignalSpy>
#include <QStringList>
#include <QTest>
#include <QVBoxLayout>
#include <QWidget>

#include <memory>

using orrimar::MaskedField;

class TestMaskedField : public QObject {
    Q_OBJECT

private slots:
    void init();
    void cleanup();

    void startsBlankAndReadsBlanksAsSpaces();
    void refusedCharactersBeepAndChangeNothing();
    void typingOvertypesAndSkipsThePoint();
    void pointBeforeThePointJumpsToIt();
    void escapeRestoresTheTextOfFocusIn();
    void leavingWithAGapReturnsWithTheMessage();
    void enterWithAGapReportsAndStays();
    void unchangedOrAngleFieldsLeaveFreely();
    void twoFailingFieldsDoNotSendTheFocusToAndFro();
    void closingTheWindowReportsNothing();
    void pasteKeepsTheMask();
    void textSetPastTheModelIsNormalised();

private:
    void Focus(QWidget* widget);

    std::unique_ptr<QWidget> window_;
    MaskedField* altitude_ = nullptr;
    MaskedField* velocity_ = nullptr;
    MaskedField* angle_ = nullptr;
    QLineEdit* other_ = nullptr;
    QStringList messages_;
};

const QString invalidInput =
    QStringLiteral("Ungültiger Eingabewert. Mit der Taste ESC machen Sie die Änderungen rückgängig.");

void TestMaskedField::init()
{
    messages_.clear();
    orrimar::setErrorBoxHandler([this](const QString& text) { messages_ << text; });
    window_ = std::make_unique<QWidget>();
    auto* layout = new QVBoxLayout(window_.get());
    altitude_ = new MaskedField(orrimar::AltitudeMask);
    velocity_ = new MaskedField(orrimar::VelocityMask);
    angle_ = new MaskedField(orrimar::AngleMask);
    other_ = new QLineEdit;
    for (QWidget* w : {static_cast<QWidget*>(altitude_), static_cast<QWidget*>(velocity_),
                       static_cast<QWidget*>(angle_), static_cast<QWidget*>(other_)})
        layout->addWidget(w);
    altitude_->setFieldText("00100.17");
    velocity_->setFieldText("+10.9800");
    angle_->setFieldText("+226.500");
    window_->show();
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
}

void TestMaskedField::cleanup()
{
    window_.reset();
    orrimar::setErrorBoxHandler({});
}

void TestMaskedField::Focus(QWidget* widget)
{
    widget->setFocus(Qt::OtherFocusReason);
    QTRY_VERIFY(widget->hasFocus());
}

void TestMaskedField::startsBlankAndReadsBlanksAsSpaces()
{
    MaskedField fresh(orrimar::VelocityMask);
    QCOMPARE(fresh.text(), QStringLiteral("___.____"));
    QCOMPARE(fresh.fieldText(), QStringLiteral("   .    "));
    fresh.setFieldText(" 10.98 0");
    QCOMPARE(fresh.text(), QStringLiteral("_10.98_0"));
    QCOMPARE(fresh.fieldText(), QStringLiteral(" 10.98 0"));
    QVERIFY(!fresh.changedByUser());
}

void TestMaskedField::refusedCharactersBeepAndChangeNothing()
{
    Focus(altitude_);
    QSignalSpy beeps(altitude_, &MaskedField::beeped);
    altitude_->setCursorPosition(0);
    QTest::keyClicks(altitude_, "a+- ,");
    QCOMPARE(beeps.count(), 5);
    QCOMPARE(altitude_->text(), QStringLiteral("00100.17"));
    QCOMPARE(altitude_->cursorPosition(), 0);
    QVERIFY(!altitude_->changedByUser());

    altitude_->setCursorPosition(8);
    QTest::keyClick(altitude_, '5');  // the field is full: no ninth character
    QCOMPARE(beeps.count(), 6);
    QCOMPARE(altitude_->text().size(), 8);

    Focus(velocity_);
    velocity_->setCursorPosition(0);
    QTest::keyClick(velocity_, '-');  // "#" takes a sign
    QCOMPARE(velocity_->text(), QStringLiteral("-10.9800"));
}

void TestMaskedField::typingOvertypesAndSkipsThePoint()
{
    Focus(altitude_);
    altitude_->setCursorPosition(3);
    QTest::keyClicks(altitude_, "456");
    QCOMPARE(altitude_->text(), QStringLiteral("00145.67"));
    QCOMPARE(altitude_->cursorPosition(), 7);
    QVERIFY(altitude_->changedByUser());

    QTest::keyClick(altitude_, Qt::Key_Backspace);
    QTest::keyClick(altitude_, Qt::Key_Backspace);  // past the point: the digit before it
    QCOMPARE(altitude_->text(), QStringLiteral("0014_._7"));
    QCOMPARE(altitude_->cursorPosition(), 4);
}

void TestMaskedField::pointBeforeThePointJumpsToIt()
{
    Focus(velocity_);
    QSignalSpy beeps(velocity_, &MaskedField::beeped);
    velocity_->setCursorPosition(1);
    QTest::keyClick(velocity_, '.');
    QCOMPARE(velocity_->cursorPosition(), 4);
    QTest::keyClicks(velocity_, "5");
    QCOMPARE(velocity_->text(), QStringLiteral("+10.5800"));
    QTest::keyClick(velocity_, '.');  // among the decimals: refused
    QCOMPARE(beeps.count(), 1);

    // Typing a whole value from the start over a full selection.
    QTest::keyClick(velocity_, 'A', Qt::ControlModifier);
    QTest::keyClicks(velocity_, "+11.0085");
    QCOMPARE(velocity_->text(), QStringLiteral("+11.0085"));
    QCOMPARE(beeps.count(), 1);
}

void TestMaskedField::escapeRestoresTheTextOfFocusIn()
{
    Focus(velocity_);
    velocity_->setCursorPosition(4);
    QTest::keyClicks(velocity_, "77");
    QCOMPARE(velocity_->text(), QStringLiteral("+10.7700"));
    QTest::keyClick(velocity_, Qt::Key_Escape);
    QCOMPARE(velocity_->text(), QStringLiteral("+10.9800"));
    QVERIFY(!velocity_->changedByUser());

    // A text set by the program while the field has the focus is not what Escape restores.
    velocity_->setFieldText("+11.0088");
    velocity_->setCursorPosition(7);
    QTest::keyClick(velocity_, '1');
    QTest::keyClick(velocity_, Qt::Key_Escape);
    QCOMPARE(velocity_->text(), QStringLiteral("+10.9800"));
}

void TestMaskedField::leavingWithAGapReturnsWithTheMessage()
{
    Focus(velocity_);
    QSignalSpy beeps(velocity_, &MaskedField::beeped);
    velocity_->setCursorPosition(7);
    QTest::keyClick(velocity_, Qt::Key_Backspace);
    QCOMPARE(velocity_->text(), QStringLiteral("+10.98_0"));
    QCOMPARE(velocity_->fieldText(), QStringLiteral("+10.98 0"));

    QTest::keyClick(velocity_, Qt::Key_Tab);
    QTRY_COMPARE(messages_, QStringList{invalidInput});
    QVERIFY(velocity_->hasFocus());
    QCOMPARE(velocity_->cursorPosition(), 6);
    QCOMPARE(beeps.count(), 1);

    // Escape restores the text of the first focus-in; then the field may be left.
    QTest::keyClick(velocity_, Qt::Key_Escape);
    QCOMPARE(velocity_->text(), QStringLiteral("+10.9800"));
    QTest::keyClick(velocity_, Qt::Key_Tab);
    QTRY_VERIFY(angle_->hasFocus());
    QTest::qWait(20);
    QCOMPARE(messages_.size(), 1);
}

void TestMaskedField::enterWithAGapReportsAndStays()
{
    Focus(altitude_);
    altitude_->setCursorPosition(2);
    QTest::keyClick(altitude_, Qt::Key_Delete);
    QCOMPARE(altitude_->text(), QStringLiteral("00_00.17"));
    altitude_->setCursorPosition(8);
    QTest::keyClick(altitude_, Qt::Key_Return);
    QCOMPARE(messages_, QStringList{invalidInput});
    QVERIFY(altitude_->hasFocus());
    QCOMPARE(altitude_->cursorPosition(), 2);

    QTest::keyClick(altitude_, '3');
    QTest::keyClick(altitude_, Qt::Key_Return);
    QCOMPARE(messages_.size(), 1);
    QCOMPARE(altitude_->fieldText(), QStringLiteral("00300.17"));
}

void TestMaskedField::unchangedOrAngleFieldsLeaveFreely()
{
    // A gap set by the program is not the user's change: no check.
    velocity_->setFieldText("+10.98 0");
    Focus(velocity_);
    Focus(other_);

    // The angle field has no required positions.
    Focus(angle_);
    QTest::keyClick(angle_, 'A', Qt::ControlModifier);
    QTest::keyClick(angle_, Qt::Key_Delete);
    QCOMPARE(angle_->text(), QStringLiteral("____.___"));
    QTest::keyClick(angle_, Qt::Key_Tab);
    QTRY_VERIFY(other_->hasFocus());
    QTest::qWait(20);
    QVERIFY(messages_.isEmpty());
}

void TestMaskedField::twoFailingFieldsDoNotSendTheFocusToAndFro()
{
    // The altitude field keeps a changed gap: the focus moves on while the window is
    // inactive, which is no leave of the field.
    Focus(altitude_);
    altitude_->setCursorPosition(1);
    QTest::keyClick(altitude_, Qt::Key_Backspace);
    QWidget elsewhere;
    elsewhere.show();
    elsewhere.activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(&elsewhere));
    velocity_->setFocus(Qt::OtherFocusReason);
    window_->activateWindow();
    QVERIFY(QTest::qWaitForWindowActive(window_.get()));
    QTRY_VERIFY(velocity_->hasFocus());
    QVERIFY(messages_.isEmpty());

    // The velocity field gets a gap too; leaving it for the altitude field fails once,
    // and the altitude field, left as the focus comes back, is not checked meanwhile.
    velocity_->setCursorPosition(7);
    QTest::keyClick(velocity_, Qt::Key_Backspace);
    QTest::mouseClick(altitude_, Qt::LeftButton);
    QTRY_COMPARE(messages_.size(), 1);
    QTest::qWait(50);
    QCOMPARE(messages_.size(), 1);
    QVERIFY(velocity_->hasFocus());
    QCOMPARE(velocity_->cursorPosition(), 6);
}

void TestMaskedField::closingTheWindowReportsNothing()
{
    Focus(altitude_);
    altitude_->setCursorPosition(1);
    QTest::keyClick(altitude_, Qt::Key_Backspace);
    QVERIFY(!altitude_->editMask().IsComplete(altitude_->text().toStdString()));
    window_->close();
    QTest::qWait(50);
    QVERIFY(messages_.isEmpty());
}

void TestMaskedField::pasteKeepsTheMask()
{
    Focus(velocity_);
    QSignalSpy beeps(velocity_, &MaskedField::beeped);
    QClipboard* clipboard = QGuiApplication::clipboard();

    clipboard->setText("+11.0085\n");
    QTest::keyClick(velocity_, 'A', Qt::ControlModifier);
    QTest::keyClick(velocity_, 'V', Qt::ControlModifier);
    QCOMPARE(velocity_->text(), QStringLiteral("+11.0085"));
    QCOMPARE(beeps.count(), 0);

    clipboard->setText("123456789");
    velocity_->setCursorPosition(4);
    QTest::keyClick(velocity_, 'V', Qt::ControlModifier);
    QCOMPARE(velocity_->text(), QStringLiteral("+11.1234"));
    QCOMPARE(beeps.count(), 1);

    clipboard->setText(QStringLiteral("ü5"));
    velocity_->setCursorPosition(1);
    QTest::keyClick(velocity_, 'V', Qt::ControlModifier);
    QCOMPARE(velocity_->text(), QStringLiteral("+11.1234"));
    QCOMPARE(beeps.count(), 2);

    // Undo would bring back a text past the model: it does nothing.
    QTest::keyClick(velocity_, 'Z', Qt::ControlModifier);
    QCOMPARE(velocity_->text(), QStringLiteral("+11.1234"));
}

void TestMaskedField::textSetPastTheModelIsNormalised()
{
    velocity_->setText("+1.5");
    QCOMPARE(velocity_->text(), QStringLiteral("_+1.5___"));
    altitude_->setText("00100.17");
    QCOMPARE(altitude_->text(), QStringLiteral("00100.17"));
    velocity_->setFieldText("+100.0000");  // too long for the field: cut at the point
    QCOMPARE(velocity_->text().size(), 8);
}

QTEST_MAIN(TestMaskedField)
#include "test_masked_field.moc"
