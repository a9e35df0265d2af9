#include "ui/stepper_buttons.h"

#include <QToolButton>
#include <QVBoxLayout>

namespace orrimar {

namespace {

QToolButton* ArrowButton(Qt::ArrowType arrow, QWidget* parent)
{
    auto* button = new QToolButton(parent);
    button->setArrowType(arrow);
    button->setAutoRepeat(true);
    button->setAutoRepeatDelay(400);
    button->setAutoRepeatInterval(60);
    button->setFocusPolicy(Qt::NoFocus);
    button->setSizePolicy(QSizePolicy::Fixed, QSizePolicy::Expanding);
    button->setFixedWidth(16);
    return button;
}

}  // namespace

StepperButtons::StepperButtons(QWidget* parent)
    : QWidget(parent), up_(ArrowButton(Qt::UpArrow, this)), down_(ArrowButton(Qt::DownArrow, this))
{
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->setSpacing(0);
    layout->addWidget(up_);
    layout->addWidget(down_);
    connect(up_, &QToolButton::clicked, this, [this] { emit stepped(StepDirection::Up); });
    connect(down_, &QToolButton::clicked, this, [this] { emit stepped(StepDirection::Down); });
}

void StepperButtons::releaseArrows()
{
    // Up again, a button stops its repeat timer and ignores the mouse release.
    up_->setDown(false);
    down_->setDown(false);
}

}  // namespace orrimar
