// The main window's status bar: a row of fixed-width text panels from the left edge.
#pragma once

#include <QFrame>
#include <QList>
#include <QString>

class QLabel;

namespace orrimar {

class StatusBar : public QFrame {
    Q_OBJECT

public:
    struct Panel {
        QString Text;
        int Width;  // pixels
        Qt::Alignment Alignment;
    };

    StatusBar(const QList<Panel>& panels, int height, QWidget* parent = nullptr);

    int PanelCount() const { return static_cast<int>(labels_.size()); }
    // Throws std::out_of_range for an index outside the panels.
    void SetPanelText(int index, const QString& text);
    QString PanelText(int index) const;
    int PanelWidth(int index) const;

private:
    QLabel* Label(int index) const;
    QList<QLabel*> labels_;
};

}  // namespace orrimar
