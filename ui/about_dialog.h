// The About box: title, what to do, a credit line and an animation of the Moon's
// phases, shown modally by showAboutBox.
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

// The animation's box: an image that is drawn into at each tick and only copied to
// the screen when the window asks. Transparent until first drawn, so the panel's
// background shows there.
class MoonPhaseView : public QWidget {
    Q_OBJECT

public:
    MoonPhaseView(int width, int height, QWidget* parent);

    QImage& image() { return image_; }
    const QImage& image() const { return image_; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage image_;
};

// Its parts carry object names by role ("phaseView", "title", "okButton", ...) for
// findChild.
class AboutDialog : public QDialog {
    Q_OBJECT

public:
    static constexpr int FrameSize = 76;         // pixels, one Moon-phase frame
    static constexpr int LastWaxingFrame = 11;   // full Moon; frames 1..11 are laid over
    static constexpr int TimerInterval = 150;    // ms between animation ticks

    explicit AboutDialog(QWidget* parent = nullptr);

    // The index of the frame that the next tick draws.
    int nextFrame() const { return frameIndex_; }
    // The animation frames, cut from the Moon-phase sheet (25 when the sheet is present).
    const QList<QImage>& frames() const { return frames_; }

public slots:
    // One animation tick: blacken the box before the first frame and every frame after
    // the full Moon, draw the current frame through its mask, go on to the next.
    void showNextFrame();

private:
    QFrame* headerPanel_;
    QFrame* pictureFrame_;
    MoonPhaseView* phaseView_;
    QLabel* titleShadow_;
    QLabel* title_;
    QLabel* introLabel_;
    QLabel* goalLabel_;
    QFrame* rule_;
    QLabel* creditLabel_;
    QPushButton* okButton_;
    QTimer* animationTimer_;

    QList<QImage> frames_;
    int frameIndex_ = 0;
};

// Opens the About box modally and returns when it has been closed; the box is
// released also when an exception ends its modal loop.
void showAboutBox();

}  // namespace orrimar
