// "Orrimar Help": what the fields, the status bar and the Explorer mean, how a flight ends
// and every key, from the compiled-in help page.
#pragma once

#include <QDialog>

class QTextBrowser;

namespace orrimar {

class HelpWindow : public QDialog {
    Q_OBJECT

public:
    explicit HelpWindow(QWidget* parent = nullptr);

    QTextBrowser* browser() const { return browser_; }

signals:
    // "Start from the defaults" was pressed.
    void resetRequested();

private:
    QTextBrowser* browser_ = nullptr;
};

}  // namespace orrimar
