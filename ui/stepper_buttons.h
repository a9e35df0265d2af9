// A stepper: a vertical pair of small arrow buttons, each press (and each repeat
// while held) one step.
#pragma once

#include <QWidget>

class QToolButton;

namespace orrimar {

enum class TUDBtnType { btNext, btPrev };

class UpDown : public QWidget {
    Q_OBJECT

public:
    explicit UpDown(QWidget* parent = nullptr);

    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

signals:
    // One step: btNext for the up arrow, btPrev for the down arrow.
    void Click(orrimar::TUDBtnType button);

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace orrimar
