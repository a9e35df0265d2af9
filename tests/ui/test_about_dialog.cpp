// The About box: its layout and texts, the Moon-phase animation tick by tick, and
// showAboutBox creating a fresh box each time and releasing it.
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

// A part of the box by its object name; the test program stops when it is missing.
template <typename T>
T* Part(const AboutDialog& dialog, const char* name)
{
    T* part = dialog.findChild<T*>(QLatin1String(name));
    if (part == nullptr)
        qFatal("The About box has no part named %s", name);
    return part;
}

MoonPhaseView* PhaseView(const AboutDialog& dialog)
{
    return Part<MoonPhaseView>(dialog, "phaseView");
}

QTimer* AnimationTimer(const AboutDialog& dialog) { return Part<QTimer>(dialog, "animationTimer"); }

QImage Canvas(const AboutDialog& dialog)
{
    return PhaseView(dialog)->image().convertToFormat(QImage::Format_ARGB32);
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
    QImage image(AboutDialog::FrameSize, AboutDialog::FrameSize, QImage::Format_ARGB32);
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

void Tick(AboutDialog& dialog, int times)
{
    for (int i = 0; i < times; ++i)
        dialog.showNextFrame();
}

// Runs `whileOpen` on the About box once it is the modal window, then closes it.
void WhenModal(std::function<void(AboutDialog&)> whileOpen)
{
    QTimer::singleShot(0, [whileOpen] {
        QWidget* modal = QApplication::activeModalWidget();
        if (auto* dialog = qobject_cast<AboutDialog*>(modal)) {
            whileOpen(*dialog);
            Part<QPushButton>(*dialog, "okButton")->click();
        } else if (modal != nullptr) {
            modal->close();
        }
    });
}

}  // namespace

class TestAboutDialog : public QObject {
    Q_OBJECT

private slots:
    void LayoutAndTexts();
    void TextsFitWithoutOverlapping();
    void FirstTickBlackensAndDrawsCrescent();
    void TwelfthTickDrawsFullMoonWithoutBlackening();
    void NewMoonTicksStayBlackThenCycleRestarts();
    void ReopeningStartsAtFrameZeroAndReleasesTheBox();
};

void TestAboutDialog::LayoutAndTexts()
{
    AboutDialog dialog;
    const auto* header = Part<QFrame>(dialog, "headerPanel");
    const auto* titleShadow = Part<QLabel>(dialog, "titleShadow");
    const auto* title = Part<QLabel>(dialog, "title");
    QCOMPARE(dialog.windowTitle(), QStringLiteral("About ..."));
    QCOMPARE(dialog.size(), QSize(318, 314));
    QCOMPARE(PhaseView(dialog)->parentWidget(), header);
    QCOMPARE(PhaseView(dialog)->geometry(), QRect(9, 9, 76, 76));
    QCOMPARE(PhaseView(dialog)->image().size(), QSize(76, 76));
    QCOMPARE(titleShadow->text(), QStringLiteral("Orrimar"));
    QCOMPARE(title->text(), QStringLiteral("Orrimar"));
    QCOMPARE(title->pos() - titleShadow->pos(), QPoint(3, 3));
    // The white title lies over the black one.
    const auto children = header->children();
    QVERIFY(children.indexOf(title) > children.indexOf(titleShadow));
    QCOMPARE(Part<QLabel>(dialog, "introLabel")->text(),
             QStringLiteral("Start from a circular 'parking orbit'\naround the Earth."));
    QCOMPARE(Part<QLabel>(dialog, "goalLabel")->text(),
             QStringLiteral("Change to an orbit that will \n"
                            "- hit the Moon, or\n- pass very close to it."));
    QVERIFY(!Part<QLabel>(dialog, "creditLabel")->text().isEmpty());
    QCOMPARE(Part<QPushButton>(dialog, "okButton")->text(), QStringLiteral("Ok"));
    QCOMPARE(dialog.frames().size(), 25);
    // The animation runs from creation, before the box is shown.
    QVERIFY(AnimationTimer(dialog)->isActive());
    QCOMPARE(AnimationTimer(dialog)->interval(), 150);
    QCOMPARE(dialog.nextFrame(), 0);
}

void TestAboutDialog::TextsFitWithoutOverlapping()
{
    AboutDialog dialog;
    const auto* title = Part<QLabel>(dialog, "title");
    const auto* intro = Part<QLabel>(dialog, "introLabel");
    const auto* goal = Part<QLabel>(dialog, "goalLabel");
    const auto* credit = Part<QLabel>(dialog, "creditLabel");
    const QRect client = dialog.rect();
    const QLabel* labels[] = {Part<QLabel>(dialog, "titleShadow"), title, intro, goal, credit};
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
    QVERIFY(title->geometry().bottom() < Part<QFrame>(dialog, "headerPanel")->height());
    QVERIFY(intro->geometry().bottom() < goal->y());
    QVERIFY(goal->geometry().bottom() < Part<QFrame>(dialog, "rule")->y());
    QVERIFY(credit->geometry().bottom() < Part<QPushButton>(dialog, "okButton")->y());
}

void TestAboutDialog::FirstTickBlackensAndDrawsCrescent()
{
    AboutDialog dialog;
    AnimationTimer(dialog)->stop();
    // Before the first tick the panel shows through.
    QCOMPARE(qAlpha(Canvas(dialog).pixel(0, 0)), 0);
    Tick(dialog, 1);
    QCOMPARE(dialog.nextFrame(), 1);
    const QImage canvas = Canvas(dialog);
    QCOMPARE(canvas, Over(BlackBox(), dialog.frames()[0]));
    QVERIFY(!AllBlack(canvas));
}

void TestAboutDialog::TwelfthTickDrawsFullMoonWithoutBlackening()
{
    AboutDialog dialog;
    AnimationTimer(dialog)->stop();
    Tick(dialog, 11);
    QCOMPARE(dialog.nextFrame(), 11);
    PhaseView(dialog)->image().setPixel(0, 0, Marker);
    const QImage before = Canvas(dialog);
    Tick(dialog, 1);
    QCOMPARE(dialog.nextFrame(), 12);
    const QImage canvas = Canvas(dialog);
    QCOMPARE(canvas.pixel(0, 0), Marker);
    QCOMPARE(canvas, Over(before, dialog.frames()[11]));
    // The full Moon covers everything the waxing frames drew.
    QCOMPARE(Over(BlackBox(), dialog.frames()[11]).pixel(38, 38), canvas.pixel(38, 38));
    // The next frame is drawn on a freshly blackened box.
    Tick(dialog, 1);
    QCOMPARE(Canvas(dialog), Over(BlackBox(), dialog.frames()[12]));
}

void TestAboutDialog::NewMoonTicksStayBlackThenCycleRestarts()
{
    AboutDialog dialog;
    AnimationTimer(dialog)->stop();
    Tick(dialog, 1);
    const QImage firstTick = Canvas(dialog);
    Tick(dialog, 22);
    QVERIFY(!AllBlack(Canvas(dialog)));  // frame 22, the thin left crescent
    Tick(dialog, 1);
    QVERIFY(AllBlack(Canvas(dialog)));  // tick 24
    Tick(dialog, 1);
    QVERIFY(AllBlack(Canvas(dialog)));  // tick 25
    QCOMPARE(dialog.nextFrame(), 0);
    PhaseView(dialog)->image().setPixel(0, 0, Marker);
    Tick(dialog, 1);  // tick 26
    QCOMPARE(dialog.nextFrame(), 1);
    QCOMPARE(Canvas(dialog), firstTick);
}

void TestAboutDialog::ReopeningStartsAtFrameZeroAndReleasesTheBox()
{
    QPointer<AboutDialog> first;
    bool opened = false;
    WhenModal([&first, &opened](AboutDialog& dialog) {
        first = &dialog;
        opened = true;
        QVERIFY(dialog.isModal());
        QCOMPARE(dialog.nextFrame(), 0);
        Tick(dialog, 7);
        QCOMPARE(dialog.nextFrame(), 7);
    });
    showAboutBox();
    QVERIFY2(opened, "the box was shown modally");
    QVERIFY2(first.isNull(), "the box is released when it closes");

    bool reopened = false;
    WhenModal([&reopened](AboutDialog& dialog) {
        reopened = true;
        QCOMPARE(dialog.nextFrame(), 0);
        QCOMPARE(qAlpha(Canvas(dialog).pixel(0, 0)), 0);
        Tick(dialog, 1);
        QCOMPARE(Canvas(dialog), Over(BlackBox(), dialog.frames()[0]));
    });
    showAboutBox();
    QVERIFY(reopened);
    QVERIFY(QApplication::activeModalWidget() == nullptr);
}

}  // namespace orrimar

QTEST_MAIN(orrimar::TestAboutDialog)
#include "test_about_dialog.moc"
