#include "ui/about_dialog.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <memory>

namespace orrimar {

namespace {

constexpr int ClientWidth = 318;   // pixels
constexpr int ClientHeight = 314;  // pixels
constexpr int TextLeft = 32;       // pixels, left edge of the text lines and the rule
constexpr int TextRightMargin = 8; // pixels kept free right of the text lines
constexpr int PhaseFrameCount = 25;
constexpr int SheetColumns = 4;    // frames per row of the Moon-phase sheet

QFont ArialFont(int pixelSize, bool bold)
{
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(pixelSize);
    font.setBold(bold);
    font.setItalic(true);
    return font;
}

// The lines of `text` must fit in `width` pixels without wrapping; the substitute for
// Arial may be wider than Arial, so the font is made smaller until they do.
QFont FittingFont(const QString& text, int pixelSize, int width)
{
    QFont font = ArialFont(pixelSize, false);
    const QStringList lines = text.split(QLatin1Char('\n'));
    for (;;) {
        const QFontMetrics metrics(font);
        int widest = 0;
        for (const QString& line : lines)
            widest = std::max(widest, metrics.horizontalAdvance(line));
        if (widest <= width || font.pixelSize() <= 8)
            return font;
        font.setPixelSize(font.pixelSize() - 1);
    }
}

// A word-wrapping text label at (left, top) whose lines fit the dialog.
QLabel* TextLabel(const QString& text, int left, int top, QWidget* parent)
{
    const int width = ClientWidth - left - TextRightMargin;
    auto* label = new QLabel(text, parent);
    label->setFont(FittingFont(text, 15, width));
    label->setWordWrap(true);
    label->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    QPalette palette = label->palette();
    palette.setColor(QPalette::WindowText, Qt::black);
    label->setPalette(palette);
    label->setGeometry(left, top, width, label->heightForWidth(width));
    return label;
}

QLabel* TitleLabel(int left, int top, const QColor& colour, QWidget* parent)
{
    auto* label = new QLabel(QStringLiteral("Orrimar"), parent);
    label->setFont(ArialFont(24, true));
    QPalette palette = parent->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(left, top);
    label->adjustSize();
    return label;
}

// The 25 frames of the Moon-phase sheet, four to a row, in index order; their alpha
// is the mask (transparent: not drawn).
QList<QImage> LoadPhaseFrames()
{
    QList<QImage> frames;
    const QImage sheet = QImage(QStringLiteral(":/moon/phases.png"))
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    constexpr int size = TAboutForm::FrameSize;
    if (sheet.width() < SheetColumns * size
        || sheet.height() < (PhaseFrameCount + SheetColumns - 1) / SheetColumns * size)
        return frames;
    for (int i = 0; i < PhaseFrameCount; ++i)
        frames.append(sheet.copy((i % SheetColumns) * size, (i / SheetColumns) * size, size, size));
    return frames;
}

}  // namespace

TAboutPaintBox::TAboutPaintBox(int width, int height, QWidget* parent)
    : QWidget(parent), canvas_(width, height, QImage::Format_ARGB32_Premultiplied)
{
    canvas_.fill(Qt::transparent);
    resize(width, height);
}

void TAboutPaintBox::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), canvas_, event->rect());
}

TAboutForm::TAboutForm(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About ..."));
    setFixedSize(ClientWidth, ClientHeight);

    AbPanel = new QFrame(this);
    AbPanel->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    AbPanel->setLineWidth(1);
    AbPanel->setGeometry(0, 0, ClientWidth, 89);

    PictBevel = new QFrame(AbPanel);
    PictBevel->setFrameStyle(QFrame::Box | QFrame::Sunken);
    PictBevel->setGeometry(4, 5, 85, 84);

    PaintBox1 = new TAboutPaintBox(FrameSize, FrameSize, AbPanel);
    PaintBox1->move(9, 9);

    // The white title lies over the black one, 3 pixels right and down, and hides it
    // under its own background.
    AbLabel1 = TitleLabel(97, 28, Qt::black, AbPanel);
    AbLabel2 = TitleLabel(100, 31, Qt::white, AbPanel);
    AbLabel2->setAutoFillBackground(true);

    Label1 = TextLabel(QStringLiteral("Start from a circular 'parking orbit'\naround the Earth."),
                       TextLeft, 108, this);
    Label2 = TextLabel(QStringLiteral("Change to an orbit that will \n- hit the Moon, or\n"
                                      "- pass very close to it."),
                       TextLeft, 156, this);

    Bevel1 = new QFrame(this);
    Bevel1->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    Bevel1->setGeometry(TextLeft, 224, 256, 2);

    Label3 = TextLabel(QStringLiteral("Orrimar developers"), TextLeft, 248, this);

    Button1 = new QPushButton(QStringLiteral("Ok"), this);
    Button1->setFont(ArialFont(13, false));
    Button1->setGeometry(232, 271, 64, 25);
    Button1->setDefault(true);
    connect(Button1, &QPushButton::clicked, this, &QDialog::accept);

    ImageList1 = LoadPhaseFrames();

    Timer1 = new QTimer(this);
    Timer1->setInterval(TimerInterval);
    connect(Timer1, &QTimer::timeout, this, &TAboutForm::Timer1Timer);
    Timer1->start();
}

void TAboutForm::Timer1Timer()
{
    QImage& canvas = PaintBox1->Canvas();
    QPainter painter(&canvas);
    if (FrameIndex == 0 || FrameIndex > LastWaxingFrame)
        painter.fillRect(canvas.rect(), Qt::black);
    if (FrameIndex < ImageList1.size())
        painter.drawImage(0, 0, ImageList1[FrameIndex]);
    painter.end();
    PaintBox1->update();
    if (!ImageList1.isEmpty())
        FrameIndex = (FrameIndex + 1) % int(ImageList1.size());
}

void ShowAboutBox()
{
    const auto form = std::make_unique<TAboutForm>();
    form->exec();
}

}  // namespace orrimar
