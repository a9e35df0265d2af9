#include "ui/help_window.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTextBrowser>
#include <QUrl>
#include <QVBoxLayout>

namespace orrimar {

HelpWindow::HelpWindow(QWidget* parent) : QDialog(parent)
{
    setWindowTitle("Orrimar Help");
    setObjectName("helpWindow");
    browser_ = new QTextBrowser(this);
    browser_->setObjectName("helpBrowser");
    browser_->setOpenExternalLinks(true);
    browser_->setSource(QUrl("qrc:/help/help.html"));
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Close, this);
    QPushButton* reset =
        buttons->addButton("Start from the defaults", QDialogButtonBox::ResetRole);
    reset->setObjectName("resetSettingsButton");
    reset->setToolTip("Forget the kept launch, preset, speed, Full view, window places, the "
                     "Explorer's tab and map region, and the planned burns");
    connect(reset, &QPushButton::clicked, this, &HelpWindow::resetRequested);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    auto* layout = new QVBoxLayout(this);
    layout->addWidget(browser_);
    layout->addWidget(buttons);
    resize(620, 640);
}

}  // namespace orrimar
