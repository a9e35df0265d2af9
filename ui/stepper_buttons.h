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

signals:
    // One step: Up for the up arrow, Down for the down arrow.
    void stepped(orrimar::StepDirection direction);

private:
    QToolButton* up_;
    QToolButton* down_;
};

}  // namespace orrimar
