#include "ui/application.h"

#include "integrator/dop853_report.h"
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
    InstallDop853MessageBoxes();
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

void InstallDop853MessageBoxes()
{
    SetDop853ReportHook([](ReportKind kind, const std::string& text) {
        const QString message = QString::fromStdString(text);
        if (kind == ReportKind::FatalError) {
            QMessageBox box(QMessageBox::Critical, QApplication::applicationName(), message,
                            QMessageBox::Ok);
            box.exec();
            return;
        }
        QMessageBox box(QMessageBox::NoIcon, "DOP853", message, QMessageBox::Ok);
        box.exec();
    });
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
