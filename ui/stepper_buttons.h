// A stepper: a vertical pair of small arrow buttons, each press (and each repeat
// while held) one step.
#pragma once

#include "fields/stepper.h"

#include <QWidget>

class QToolButton;

namespace orrimar {

class StepperButtons : public QWidget {
    Q_OBJECT

public:
    explicit StepperButtons(QWidget* parent = nullptr);

    QToolButton* upButton() const { return up_; }
    QToolButton* downButton() const { return down_; }

    // Ends a hold of either arrow: no more repeats, and its release is no step.
    void releaseArrows();

signals:
    // One step: Up for the up arrow, Down for the down arrow.
    void stepped(orrimar::StepDirection direction);

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace orrimar
