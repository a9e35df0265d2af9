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
        auto* label = new QLabel(panel.Text, this);
        label->setAlignment(panel.Alignment | Qt::AlignVCenter);
        label->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        label->setGeometry(left, 2, panel.Width - 2, height - 4);
        labels_.append(label);
        left += panel.Width;
    }
}

QLabel* StatusBar::Label(int index) const
{
    if (index < 0 || index >= labels_.size())
        throw std::out_of_range("Status panel " + std::to_string(index) + " does not exist");
    return labels_[index];
}

void StatusBar::SetPanelText(int index, const QString& text) { Label(index)->setText(text); }

QString StatusBar::PanelText(int index) const { return Label(index)->text(); }

int StatusBar::PanelWidth(int index) const { return Label(index)->width() + 2; }

}  // namespace orrimar
