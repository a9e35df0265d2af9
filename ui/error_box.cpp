#include "ui/error_box.h"

#include "formats/message_text.h"

#include <QApplication>
#include <QMessageBox>

#include <utility>

namespace orrimar {

namespace {

std::function<void(const QString&)>& Handler()
{
    static std::function<void(const QString&)> handler;
    return handler;
}

}  // namespace

void showErrorBox(const QString& message)
{
    const QString text = QString::fromStdString(WithFinalDot(message.toStdString()));
    if (Handler()) {
        Handler()(text);
        return;
    }
    QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), text, QMessageBox::Ok,
                    QApplication::activeWindow());
    box.exec();
}

void setErrorBoxHandler(std::function<void(const QString& text)> handler)
{
    Handler() = std::move(handler);
}

}  // namespace orrimar
