// The About box: title, what to do, a credit line and an animation of the Moon's
// phases, shown modally by ShowAboutBox.
#pragma once

#include <QDialog>
#include <QImage>
#include <QList>
#include <QWidget>

class QFrame;
class QLabel;
class QPaintEvent;
class QPushButton;
class QTimer;

namespace orrimar {

// A paint box: a canvas that is drawn into when something happens and only copied to
// the screen when the window asks. Transparent until first drawn, so the parent's
// background shows there.
class TAboutPaintBox : public QWidget {
    Q_OBJECT

public:
    TAboutPaintBox(int width, int height, QWidget* parent);

    QImage& Canvas() { return canvas_; }
    const QImage& Canvas() const { return canvas_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage canvas_;
};

class TAboutForm : public QDialog {
    Q_OBJECT

public:
    static constexpr int FrameSize = 76;         // pixels, one Moon-phase frame
    static constexpr int LastWaxingFrame = 11;   // full Moon; frames 1..11 are laid over
    static constexpr int TimerInterval = 150;    // ms between animation ticks

    explicit TAboutForm(QWidget* parent = nullptr);

    // The index of the frame that the next tick draws.
    int NextFrame() const { return FrameIndex; }
    // The animation frames, cut from the Moon-phase sheet (25 when the sheet is present).
    const QList<QImage>& Frames() const { return ImageList1; }

    QFrame* AbPanel;
    QFrame* PictBevel;
    TAboutPaintBox* PaintBox1;
    QLabel* AbLabel1;
    QLabel* AbLabel2;
    QLabel* Label1;
    QLabel* Label2;
    QFrame* Bevel1;
    QLabel* Label3;
    QPushButton* Button1;
    QTimer* Timer1;

public slots:
    // One animation tick: blacken the box before the first frame and every frame after
    // the full Moon, draw the current frame through its mask, go on to the next.
    void Timer1Timer();

private:
    QList<QImage> ImageList1;
    int FrameIndex = 0;
};

// Opens the About box modally and returns when it has been closed; the box is
// released also when an exception ends its modal loop.
void ShowAboutBox();

}  // namespace orrimar
