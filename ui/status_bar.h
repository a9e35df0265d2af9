// The main window's status bar: a row of fixed-width text panels from the left edge.
#pragma once

#include <QFrame>
#include <QList>
#include <QString>

namespace orrimar {

class StatusPanel;

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
        // On hovering: what the number means, and its unit.
        QString toolTip = {};
    };

    StatusBar(const QList<Panel>& panels, int height, QWidget* parent = nullptr);

    int panelCount() const { return static_cast<int>(panels_.size()); }
    // Throws std::out_of_range for an index outside the panels. The same text again
    // changes nothing.
    void setPanelText(int index, const QString& text);
    QString panelText(int index) const;
    int panelWidth(int index) const;

    // While held, new texts are kept (panelText reports them) and shown at
    // flushRepaints(); releasing shows them too.
    void setRepaintsHeld(bool held);
    void flushRepaints();

private:
    StatusPanel* panel(int index) const;
    QList<StatusPanel*> panels_;
    bool held_ = false;
};

}  // namespace orrimar
