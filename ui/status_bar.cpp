#include "ui/status_bar.h"

#include <QLabel>

#include <stdexcept>
#include <string>

namespace orrimar {

StatusBar::StatusBar(const QList<Panel>& panels, int height, QWidget* parent) : QFrame(parent)
{
    setFixedHeight(height);
    int left = 0;
    for (const Panel& panel : panels) {
        auto* label = new QLabel(panel.text, this);
        label->setAlignment(panel.alignment | Qt::AlignVCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(left, 2, panel.width - 2, height - 4);
        label->setAccessibleName(panel.name.isEmpty() ? panel.text : panel.name);
        label->setAccessibleDescription(panel.description);
        labels_.append(label);
        left += panel.width;
    }
}

QLabel* StatusBar::panelLabel(int index) const
{
    if (index < 0 || index >= labels_.size())
        throw std::out_of_range("Status panel " + std::to_string(index) + " does not exist");
    return labels_[index];
}

void StatusBar::setPanelText(int index, const QString& text) { panelLabel(index)->setText(text); }

QString StatusBar::panelText(int index) const { return panelLabel(index)->text(); }

int StatusBar::panelWidth(int index) const { return panelLabel(index)->width() + 2; }

}  // namespace orrimar
