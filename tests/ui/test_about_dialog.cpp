// The About box: its layout and texts, the Moon-phase animation tick by tick, and
// ShowAboutBox creating a fresh box each time and releasing it.
#include "ui/about_dialog.h"

#include <QApplication>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>

#include <functional>

namespace orrimar {
namespace {

constexpr QRgb Black = 0xFF000000;
constexpr QRgb Marker = 0xFFFF0000;  // drawn where the Moon never is, to see blackening

QImage Canvas(const TAboutForm& form)
{
    return form.PaintBox1->Canvas().convertToFormat(QImage::Format_ARGB32);
}

// What the box shows after `frame` is drawn through its mask over `background`.
QImage Over(const QImage& background, const QImage& frame)
{
    QImage result = background.convertToFormat(QImage::Format_ARGB32_Premultiplied);
    QPainter painter(&result);
    painter.drawImage(0, 0, frame);
    painter.end();
    return result.convertToFormat(QImage::Format_ARGB32);
}

QImage BlackBox()
{
    QImage image(TAboutForm::FrameSize, TAboutForm::FrameSize, QImage::Format_ARGB32);
    image.fill(Black);
    return image;
}

bool AllBlack(const QImage& image)
{
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (image.pixel(x, y) != Black)
                return false;
    return true;
}

void Tick(TAboutForm& form, int times)
{
    for (int i = 0; i < times; ++i)
        form.Timer1Timer();
}

// Runs `whileOpen` on the About box once it is the modal window, then closes it.
void WhenModal(std::function<void(TAboutForm&)> whileOpen)
{
    QTimer::singleShot(0, [whileOpen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* form = qobject_cast<TAboutForm*>(modal)) {
            whileOpen(*form);
            form->Button1->click();
        } else if (modal != nullptr) {
            modal->close();
        }
    });
}

}  // namespace

class TestAboutForm : public QObject {
    Q_OBJECT

private slots:
    void LayoutAndTexts();
    void TextsFitWithoutOverlapping();
    void FirstTickBlackensAndDrawsCrescent();
    void TwelfthTickDrawsFullMoonWithoutBlackening();
    void NewMoonTicksStayBlackThenCycleRestarts();
    void ReopeningStartsAtFrameZeroAndReleasesTheBox();
};

void TestAboutForm::LayoutAndTexts()
{
    TAboutForm form;
    QCOMPARE(form.windowTitle(), QStringLiteral("About ..."));
    QCOMPARE(form.size(), QSize(318, 314));
    QCOMPARE(form.PaintBox1->parentWidget(), form.AbPanel);
    QCOMPARE(form.PaintBox1->geometry(), QRect(9, 9, 76, 76));
    QCOMPARE(form.PaintBox1->Canvas().size(), QSize(76, 76));
    QCOMPARE(form.AbLabel1->text(), QStringLiteral("Orrimar"));
    QCOMPARE(form.AbLabel2->text(), QStringLiteral("Orrimar"));
    QCOMPARE(form.AbLabel2->pos() - form.AbLabel1->pos(), QPoint(3, 3));
    // The white title lies over the black one.
    const auto children = form.AbPanel->children();
    QVERIFY(children.indexOf(form.AbLabel2) > children.indexOf(form.AbLabel1));
    QCOMPARE(form.Label1->text(),
             QStringLiteral("Start from a circular 'parking orbit'\naround the Earth."));
    QCOMPARE(form.Label2->text(), QStringLiteral("Change to an orbit that will \n"
                                                 "- hit the Moon, or\n- pass very close to it."));
    QVERIFY(!form.Label3->text().isEmpty());
    QCOMPARE(form.Button1->text(), QStringLiteral("Ok"));
    QCOMPARE(form.Frames().size(), 25);
    // The animation runs from creation, before the box is shown.
    QVERIFY(form.Timer1->isActive());
    QCOMPARE(form.Timer1->interval(), 150);
    QCOMPARE(form.NextFrame(), 0);
}

void TestAboutForm::TextsFitWithoutOverlapping()
{
    TAboutForm form;
    const QRect client = form.rect();
    const QLabel* labels[] = {form.AbLabel1, form.AbLabel2, form.Label1, form.Label2, form.Label3};
    for (const QLabel* label : labels) {
        QVERIFY2(client.contains(label->geometry().translated(label->parentWidget()->pos())),
                 qPrintable(label->text()));
        const QFontMetrics metrics(label->font());
        for (const QString& line : label->text().split(QLatin1Char('\n')))
            QVERIFY2(metrics.horizontalAdvance(line) <= label->width(), qPrintable(line));
        const int lines = int(label->text().count(QLatin1Char('\n'))) + 1;
        QVERIFY2(label->height() >= (lines - 1) * metrics.lineSpacing() + metrics.height(),
                 qPrintable(label->text()));
    }
    QVERIFY(form.AbLabel2->geometry().bottom() < form.AbPanel->height());
    QVERIFY(form.Label1->geometry().bottom() < form.Label2->y());
    QVERIFY(form.Label2->geometry().bottom() < form.Bevel1->y());
    QVERIFY(form.Label3->geometry().bottom() < form.Button1->y());
}

void TestAboutForm::FirstTickBlackensAndDrawsCrescent()
{
    TAboutForm form;
    form.Timer1->stop();
    // Before the first tick the panel shows through.
    QCOMPARE(qAlpha(Canvas(form).pixel(0, 0)), 0);
    Tick(form, 1);
    QCOMPARE(form.NextFrame(), 1);
    const QImage canvas = Canvas(form);
    QCOMPARE(canvas, Over(BlackBox(), form.Frames()[0]));
    QVERIFY(!AllBlack(canvas));
}

void TestAboutForm::TwelfthTickDrawsFullMoonWithoutBlackening()
{
    TAboutForm form;
    form.Timer1->stop();
    Tick(form, 11);
    QCOMPARE(form.NextFrame(), 11);
    form.PaintBox1->Canvas().setPixel(0, 0, Marker);
    const QImage before = Canvas(form);
    Tick(form, 1);
    QCOMPARE(form.NextFrame(), 12);
    const QImage canvas = Canvas(form);
    QCOMPARE(canvas.pixel(0, 0), Marker);
    QCOMPARE(canvas, Over(before, form.Frames()[11]));
    // The full Moon covers everything the waxing frames drew.
    QCOMPARE(Over(BlackBox(), form.Frames()[11]).pixel(38, 38), canvas.pixel(38, 38));
    // The next frame is drawn on a freshly blackened box.
    Tick(form, 1);
    QCOMPARE(Canvas(form), Over(BlackBox(), form.Frames()[12]));
}

void TestAboutForm::NewMoonTicksStayBlackThenCycleRestarts()
{
    TAboutForm form;
    form.Timer1->stop();
    Tick(form, 1);
    const QImage firstTick = Canvas(form);
    Tick(form, 22);
    QVERIFY(!AllBlack(Canvas(form)));  // frame 22, the thin left crescent
    Tick(form, 1);
    QVERIFY(AllBlack(Canvas(form)));  // tick 24
    Tick(form, 1);
    QVERIFY(AllBlack(Canvas(form)));  // tick 25
    QCOMPARE(form.NextFrame(), 0);
    form.PaintBox1->Canvas().setPixel(0, 0, Marker);
    Tick(form, 1);  // tick 26
    QCOMPARE(form.NextFrame(), 1);
    QCOMPARE(Canvas(form), firstTick);
}

void TestAboutForm::ReopeningStartsAtFrameZeroAndReleasesTheBox()
{
    QPointer<TAboutForm> first;
    bool opened = false;
    WhenModal([&first, &opened](TAboutForm& form) {
        first = &form;
        opened = true;
        QVERIFY(form.isModal());
        QCOMPARE(form.NextFrame(), 0);
        Tick(form, 7);
        QCOMPARE(form.NextFrame(), 7);
    });
    ShowAboutBox();
    QVERIFY2(opened, "the box was shown modally");
    QVERIFY2(first.isNull(), "the box is released when it closes");

    bool reopened = false;
    WhenModal([&reopened](TAboutForm& form) {
        reopened = true;
        QCOMPARE(form.NextFrame(), 0);
        QCOMPARE(qAlpha(Canvas(form).pixel(0, 0)), 0);
        Tick(form, 1);
        QCOMPARE(Canvas(form), Over(BlackBox(), form.Frames()[0]));
    });
    ShowAboutBox();
    QVERIFY(reopened);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

}  // namespace orrimar

QTEST_MAIN(orrimar::TestAboutForm)
#include "test_about_dialog.moc"
