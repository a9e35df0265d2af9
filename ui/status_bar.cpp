#include "ui/status_bar.h"

#include "ui/status_panel.h"

#include <stdexcept>
#include <string>

namespace orrimar {

StatusBar::StatusBar(const QList<Panel>& panels, int height, QWidget* parent) : QFrame(parent)
{
    setFixedHeight(height);
    int left = 0;
    for (const Panel& panel : panels) {
        auto* label = new StatusPanel(panel.text, this);
        label->setAlignment(panel.alignment | Qt::AlignVCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(left, 2, panel.width - 2, height - 4);
        label->setAccessibleName(panel.name.isEmpty() ? panel.text : panel.name);
        label->setAccessibleDescription(panel.description);
        // As rich text, so that a long explanation wraps instead of running off the screen.
        if (!panel.toolTip.isEmpty())
            label->setToolTip("<p>" + panel.toolTip.toHtmlEscaped() + "</p>");
        panels_.append(label);
        left += panel.width;
    }
}

StatusPanel* StatusBar::panel(int index) const
{
    if (index < 0 || index >= panels_.size())
        throw std::out_of_range("Status panel " + std::to_string(index) + " does not exist");
    return panels_[index];
}

void StatusBar::setPanelText(int index, const QString& text)
{
    panel(index)->setPanelText(text, held_);
}

QString StatusBar::panelText(int index) const { return panel(index)->panelText(); }

int StatusBar::panelWidth(int index) const { return panel(index)->width() + 2; }

void StatusBar::setRepaintsHeld(bool held)
{
    held_ = held;
    if (!held)
        flushRepaints();
}

void StatusBar::flushRepaints()
{
    for (StatusPanel* label : panels_)
        label->apply();
}

}  // namespace orrimar
