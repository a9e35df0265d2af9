// Every text of the main window and the About box is readable under a light and a dark
// palette: its contrast ratio (WCAG 2 relative luminance) against the background it is
// painted on is at least 4.5:1, the About box's outlined title against the colour drawn
// around its letters. The views keep their white paper.
#include "ui/about_dialog.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QStyleFactory>
#include <QToolButton>
#include <QtTest>

#include <algorithm>
#include <cmath>
#include <memory>
#include <vector>

using namespace orrimar;

namespace {

double Luminance(const QColor& c)
{
    auto linear = [](double v) { return v <= 0.04045 ? v / 12.92 : std::pow((v + 0.055) / 1.055, 2.4); };
    return 0.2126 * linear(c.redF()) + 0.7152 * linear(c.greenF()) + 0.0722 * linear(c.blueF());
}

double ContrastRatio(const QColor& a, const QColor& b)
{
    const double la = Luminance(a), lb = Luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

// The colour painted behind a widget: the nearest one that fills its background, or the window.
QColor BackgroundBehind(const QWidget* w)
{
    while (!w->autoFillBackground() && !w->isWindow())
        w = w->parentWidget();
    return w->palette().color(w->backgroundRole());
}

// The colour drawn around a label's letters (its pixels of exactly the text colour) as its
// window shows it, two pixels out, past the edges' antialiased blend: what outlined letters
// are read against. The median of that ring, by luminance.
QColor ColourAroundLetters(QWidget* top, const QWidget* label, const QColor& text)
{
    const QImage image = top->grab(QRect(label->mapTo(top, QPoint()), label->size()))
                             .toImage()
                             .convertToFormat(QImage::Format_RGB32);
    const QRgb letter = text.rgb();
    const auto near = [&](int x, int y, int d) {
        for (int dy = -d; dy <= d; ++dy)
            for (int dx = -d; dx <= d; ++dx)
                if (image.valid(x + dx, y + dy) && image.pixel(x + dx, y + dy) == letter)
                    return true;
        return false;
    };
    std::vector<QRgb> ring;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            if (near(x, y, 2) && !near(x, y, 1))
                ring.push_back(image.pixel(x, y));
    if (ring.empty())
        return text;  // no letters drawn: fails
    const auto byLuminance = [](QRgb a, QRgb b) { return Luminance(QColor(a)) < Luminance(QColor(b)); };
    std::nth_element(ring.begin(), ring.begin() + ring.size() / 2, ring.end(), byLuminance);
    return QColor(ring[ring.size() / 2]);
}

}  // namespace

class TestContrast : public QObject {
    Q_OBJECT

private slots:
    void EveryTextReadable_data()
    {
        QTest::addColumn<QPalette>("palette");
        QTest::newRow("light") << std::unique_ptr<QStyle>(QStyleFactory::create("Fusion"))->standardPalette();
        QPalette dark;
        for (auto [role, c] : {std::pair{QPalette::Window, 0x353535}, {QPalette::Base, 0x232323},
                               {QPalette::Button, 0x353535}, {QPalette::WindowText, 0xe6e6e6},
                               {QPalette::Text, 0xe6e6e6}, {QPalette::ButtonText, 0xe6e6e6}})
            dark.setColor(role, QColor::fromRgb(c));
        QTest::newRow("dark") << dark;
    }
    void EveryTextReadable()
    {
        QFETCH(QPalette, palette);
        QCOMPARE(qRound(ContrastRatio(Qt::black, Qt::white)), 21);  // the scale's top
        QApplication::setStyle("Fusion");
        QApplication::setPalette(palette);
        MainWindow window(false);
        AboutDialog about;
        int pairs = 0;
        for (QWidget* top : std::initializer_list<QWidget*>{&window, &about}) {
            for (QWidget* w : top->findChildren<QWidget*>()) {
                const QPalette& p = w->palette();
                QColor text = p.color(QPalette::WindowText), back = BackgroundBehind(w);
                if (qobject_cast<QLineEdit*>(w))
                    text = p.color(QPalette::Text), back = p.color(QPalette::Base);
                else if (qobject_cast<QComboBox*>(w))
                    text = p.color(QPalette::ButtonText), back = p.color(QPalette::Button);
                else if (qobject_cast<QToolButton*>(w))  // flat: on what lies behind
                    text = p.color(QPalette::ButtonText);
                else if (auto* label = qobject_cast<QLabel*>(w); label && !label->text().isEmpty()) {
                    text = p.color(w->foregroundRole());
                    // The About box's title: white letters outlined in its shadow's black,
                    // read against what is drawn around them; the shadow against them.
                    if (w->objectName() == "title")
                        back = ColourAroundLetters(top, w, text);
                    else if (w->objectName() == "titleShadow")
                        back = top->findChild<QLabel*>("title")->palette().color(QPalette::WindowText);
                } else if (!qobject_cast<QCheckBox*>(w) && !qobject_cast<QGroupBox*>(w))
                    continue;
                if (!w->isEnabled())
                    continue;  // disabled controls are exempt, as in WCAG
                ++pairs;
                QVERIFY2(ContrastRatio(text, back) >= 4.5,
                         qPrintable(QString("%1 %2: %3 on %4").arg(w->metaObject()->className(),
                                    w->objectName(), text.name(), back.name())));
            }
        }
        QVERIFY(pairs > 20);
    }
};

QTEST_MAIN(TestContrast)
#include "test_contrast.moc"
