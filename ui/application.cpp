#include "ui/application.h"

#include "ui/error_box.h"

#include <QLocale>
#include <QMessageBox>
#include <QString>

#include <clocale>
#include <exception>

namespace orrimar {

Application::Application(int& argc, char** argv) : QApplication(argc, argv)
{
    setApplicationName("Orrimar");
    useDotDecimalSeparator();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    runGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void useDotDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

void showDop853Failure(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, "DOP853", QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

void runGuarded(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        showErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        showErrorBox(QStringLiteral("Unbekannter Fehler"));
    }
}

}  // namespace orrimar
