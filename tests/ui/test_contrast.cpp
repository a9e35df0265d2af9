// Every text of the main window and the About box is readable under a light and a dark
// palette: the contrast ratio (WCAG 2 relative luminance) of each text colour against the
// background it is painted on is at least 4.5:1. The views keep their white paper.
#include "ui/about_dialog.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QtTest>

#include <algorithm>
#include <cmath>

using namespace orrimar;

namespace {

double Linear(double channel)
{
    return channel <= 0.04045 ? channel / 12.92 : std::pow((channel + 0.055) / 1.055, 2.4);
}

double RelativeLuminance(const QColor& c)
{
    return 0.2126 * Linear(c.redF()) + 0.7152 * Linear(c.greenF()) + 0.0722 * Linear(c.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = RelativeLuminance(a);
    const double lb = RelativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour a widget's surroundings are painted in: that of the nearest widget that
// fills its background, or of the window.
QColor BackgroundBehind(const QWidget* widget)
{
    for (const QWidget* w = widget; w != nullptr; w = w->parentWidget())
        if (w->autoFillBackground() || w->isWindow())
            return w->palette().color(w->backgroundRole());
    return Qt::white;
}

QPalette DarkPalette()
{
    QPalette p;
    const QColor window(53, 53, 53), base(35, 35, 35), light(230, 230, 230);
    for (auto [role, colour] : {std::pair{QPalette::Window, window},
                                {QPalette::WindowText, light}, {QPalette::Base, base},
                                {QPalette::AlternateBase, window}, {QPalette::Text, light},
                                {QPalette::Button, window}, {QPalette::ButtonText, light},
                                {QPalette::ToolTipBase, base}, {QPalette::ToolTipText, light}})
        p.setColor(role, colour);
    return p;
}

}  // namespace

class TestContrast : public QObject {
    Q_OBJECT

private slots:
    void RatioOfKnownPairs()
    {
        // The WCAG extremes and the two pairs this was written for.
        QCOMPARE(qRound(ContrastRatio(Qt::black, Qt::white) * 100), 2100);
        QCOMPARE(qRound(ContrastRatio(Qt::white, Qt::white) * 100), 100);
        QVERIFY(ContrastRatio(QColor(230, 230, 230), Qt::white) < 1.5);  // light on white
    }

    void EveryTextReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << QStyleFactory::create("Fusion")->standardPalette();
        QTest::newRow("dark") << DarkPalette();
    }
    void EveryTextReadable()
    {
        QFETCH(QPalette, palette);
        QApplication::setStyle("Fusion");
        QApplication::setPalette(palette);
        MainWindow window(false);
        AboutDialog about;
        int pairs = 0;
        for (QWidget* top : std::initializer_list<QWidget*>{&window, &about}) {
            for (QWidget* w : top->findChildren<QWidget*>()) {
                if (!w->isEnabled())
                    continue;  // disabled controls are exempt, as in WCAG
                QColor text, background;
                if (qobject_cast<QLineEdit*>(w)) {
                    text = w->palette().color(QPalette::Text);
                    background = w->palette().color(QPalette::Base);
                } else if (qobject_cast<QComboBox*>(w) || qobject_cast<QAbstractButton*>(w)) {
                    text = w->palette().color(QPalette::ButtonText);
                    background = qobject_cast<QCheckBox*>(w) ? BackgroundBehind(w)
                                 : qobject_cast<QComboBox*>(w)
                                     ? w->palette().color(QPalette::Button)
                                     : BackgroundBehind(w);  // flat tool buttons
                    if (qobject_cast<QCheckBox*>(w))
                        text = w->palette().color(QPalette::WindowText);
                } else if (auto* label = qobject_cast<QLabel*>(w)) {
                    // The About box's title is a picture of white letters with a black
                    // shadow, drawn in its own fixed colours; the text is checked.
                    if (label->text().isEmpty() || w->objectName().startsWith("title"))
                        continue;
                    text = w->palette().color(w->foregroundRole());
                    background = BackgroundBehind(w);
                } else if (qobject_cast<QGroupBox*>(w)) {
                    text = w->palette().color(QPalette::WindowText);
                    background = BackgroundBehind(w);
                } else {
                    continue;
                }
                ++pairs;
                const double ratio = ContrastRatio(text, background);
                QVERIFY2(ratio >= 4.5, qPrintable(QString("%1 %2: %3 on %4 is %5:1")
                                                      .arg(w->metaObject()->className(),
                                                           w->objectName(), text.name(),
                                                           background.name())
                                                      .arg(ratio, 0, 'f', 2)));
            }
        }
        QVERIFY(pairs > 20);
    }
};

QTEST_MAIN(TestContrast)
#include "test_contrast.moc"
