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
        QString text;
        int width;  // pixels
        Qt::Alignment alignment;
        // For screen readers: the name stays while the text shows values (the text when
        // empty), and what the panel shows.
        QString name = {};
        QString description = {};
    };

    StatusBar(const QList<Panel>& panels, int height, QWidget* parent = nullptr);

    int panelCount() const { return static_cast<int>(labels_.size()); }
    // Throws std::out_of_range for an index outside the panels.
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;
    int panelWidth(int index) const;

private:
    QLabel* panelLabel(int index) const;
    QList<QLabel*> labels_;
};

}  // namespace orrimar
