#include "ui/about_dialog.h"

#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QFrame>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPushButton>
#include <QString>
#include <QStringList>
#include <QTimer>

#include <algorithm>
#include <memory>
#include <utility>

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
    label->setGeometry(left, top, width, label->heightForWidth(width));
    return label;
}

// The title's letters ringed by the shadow's colour, so that they read on any background
// (white letters on a light grey window alone come out at 1.15:1).
class OutlinedLabel : public QLabel {
public:
    OutlinedLabel(const QString& text, const QColor& outline, QWidget* parent)
        : QLabel(text, parent), outline_(outline)
    {
    }

protected:
    void paintEvent(QPaintEvent*) override
    {
        QPainter painter(this);
        painter.setRenderHint(QPainter::Antialiasing);
        QPainterPath letters;
        // Where QLabel would put the line: left, centred vertically.
        const QFontMetrics metrics(font());
        const int top = (height() - metrics.height()) / 2;
        letters.addText(0, top + metrics.ascent(), font(), text());
        painter.strokePath(letters, QPen(outline_, OutlineWidth, Qt::SolidLine, Qt::RoundCap,
                                         Qt::RoundJoin));
        painter.fillPath(letters, palette().color(foregroundRole()));
    }

private:
    static constexpr double OutlineWidth = 3.0;  // pixels, half of it outside the letters
    QColor outline_;
};

QLabel* TitleLabel(int left, int top, const QColor& colour, QWidget* parent,
                   const QColor& outline = {})
{
    auto* label = outline.isValid() ? new OutlinedLabel(QStringLiteral("Orrimar"), outline, parent)
                                    : new QLabel(QStringLiteral("Orrimar"), parent);
    label->setFont(ArialFont(24, true));
    QPalette palette = parent->palette();
    palette.setColor(QPalette::WindowText, colour);
    label->setPalette(palette);
    label->move(left, top);
    label->adjustSize();
    if (outline.isValid())  // room for the outline right of and below the letters
        label->resize(label->size() + QSize(2, 2));
    return label;
}

// The 25 frames of the Moon-phase sheet, four to a row, in index order; their alpha
// is the mask (transparent: not drawn).
QList<QImage> LoadPhaseFrames()
{
    QList<QImage> frames;
    const QImage sheet = QImage(QStringLiteral(":/moon/phases.png"))
                             .convertToFormat(QImage::Format_ARGB32_Premultiplied);
    constexpr int size = AboutDialog::FrameSize;
    if (sheet.width() < SheetColumns * size
        || sheet.height() < (PhaseFrameCount + SheetColumns - 1) / SheetColumns * size)
        return frames;
    for (int i = 0; i < PhaseFrameCount; ++i)
        frames.append(sheet.copy((i % SheetColumns) * size, (i / SheetColumns) * size, size, size));
    return frames;
}

}  // namespace

MoonPhaseView::MoonPhaseView(int width, int height, QWidget* parent)
    : QWidget(parent), image_(width, height, QImage::Format_ARGB32_Premultiplied)
{
    image_.fill(Qt::transparent);
    resize(width, height);
}

void MoonPhaseView::paintEvent(QPaintEvent* event)
{
    QPainter painter(this);
    painter.drawImage(event->rect(), image_, event->rect());
}

AboutDialog::AboutDialog(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::MSWindowsFixedSizeDialogHint | Qt::WindowTitleHint
                          | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint)
{
    setWindowTitle(QStringLiteral("About ..."));
    setFixedSize(ClientWidth, ClientHeight);

    headerPanel_ = new QFrame(this);
    headerPanel_->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    headerPanel_->setLineWidth(1);
    headerPanel_->setGeometry(0, 0, ClientWidth, 89);

    pictureFrame_ = new QFrame(headerPanel_);
    pictureFrame_->setFrameStyle(QFrame::Box | QFrame::Sunken);
    pictureFrame_->setGeometry(4, 5, 85, 84);

    phaseView_ = new MoonPhaseView(FrameSize, FrameSize, headerPanel_);
    phaseView_->move(9, 9);

    // The white title lies over the black one, 3 pixels right and down, outlined in the
    // shadow's black: readable on a light palette's window as on a dark one.
    titleShadow_ = TitleLabel(97, 28, Qt::black, headerPanel_);
    title_ = TitleLabel(100, 31, Qt::white, headerPanel_, Qt::black);

    introLabel_ = TextLabel(
        QStringLiteral("Start from a circular 'parking orbit'\naround the Earth."), TextLeft, 108,
        this);
    goalLabel_ = TextLabel(QStringLiteral("Change to an orbit that will \n- hit the Moon, or\n"
                                          "- pass very close to it."),
                           TextLeft, 156, this);

    rule_ = new QFrame(this);
    rule_->setFrameStyle(QFrame::HLine | QFrame::Sunken);
    rule_->setGeometry(TextLeft, 224, 256, 2);

    creditLabel_ = TextLabel(QStringLiteral("Orrimar developers"), TextLeft, 248, this);

    okButton_ = new QPushButton(QStringLiteral("Ok"), this);
    okButton_->setFont(ArialFont(13, false));
    okButton_->setGeometry(232, 271, 64, 25);
    okButton_->setDefault(true);
    connect(okButton_, &QPushButton::clicked, this, &QDialog::accept);

    const std::pair<QObject*, const char*> roles[] = {
        {headerPanel_, "headerPanel"}, {pictureFrame_, "pictureFrame"},
        {phaseView_, "phaseView"},     {titleShadow_, "titleShadow"},
        {title_, "title"},             {introLabel_, "introLabel"},
        {goalLabel_, "goalLabel"},     {rule_, "rule"},
        {creditLabel_, "creditLabel"}, {okButton_, "okButton"}};
    for (const auto& [object, name] : roles)
        object->setObjectName(QLatin1String(name));

    frames_ = LoadPhaseFrames();

    animationTimer_ = new QTimer(this);
    animationTimer_->setObjectName(QStringLiteral("animationTimer"));
    animationTimer_->setInterval(TimerInterval);
    connect(animationTimer_, &QTimer::timeout, this, &AboutDialog::showNextFrame);
    animationTimer_->start();
}

void AboutDialog::showNextFrame()
{
    QImage& image = phaseView_->image();
    QPainter painter(&image);
    if (frameIndex_ == 0 || frameIndex_ > LastWaxingFrame)
        painter.fillRect(image.rect(), Qt::black);
    if (frameIndex_ < frames_.size())
        painter.drawImage(0, 0, frames_[frameIndex_]);
    painter.end();
    phaseView_->update();
    if (!frames_.isEmpty())
        frameIndex_ = (frameIndex_ + 1) % int(frames_.size());
}

void showAboutBox()
{
    const auto dialog = std::make_unique<AboutDialog>();
    dialog->exec();
}

}  // namespace orrimar
