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
    UseDotDecimalSeparator();
}

bool Application::notify(QObject* receiver, QEvent* event)
{
    bool handled = false;
    RunGuarded([&] { handled = QApplication::notify(receiver, event); });
    return handled;
}

void UseDotDecimalSeparator()
{
    std::setlocale(LC_NUMERIC, "C");
    QLocale::setDefault(QLocale::c());
}

void ShowDop853Failure(const std::string& text)
{
    QMessageBox box(QMessageBox::NoIcon, "DOP853", QString::fromStdString(text), QMessageBox::Ok);
    box.exec();
}

void RunGuarded(const std::function<void()>& fn)
{
    try {
        fn();
    } catch (const std::exception& e) {
        ShowErrorBox(QString::fromUtf8(e.what()));
    } catch (...) {
        ShowErrorBox(QStringLiteral("Unbekannter Fehler"));
    }
}

}  // namespace orrimar
