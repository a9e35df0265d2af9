// Orrimar: fly a spacecraft from a parking orbit around the Earth towards the Moon.
#include "ui/application.h"
#include "ui/main_window.h"
#include "ui/program_info.h"
#include "ui/startup.h"

#include <QSettings>

#include <cstdio>

int main(int argc, char* argv[])
{
    bool resetSettings = false;
    if (const auto exitCode = orrimar::handleCommandLine(argc, argv, &resetSettings))
        return *exitCode;
    if (!orrimar::displayAvailable()) {
        std::fprintf(stderr,
                     "orrimar: no display available (set DISPLAY, or QT_QPA_PLATFORM=offscreen)\n");
        return 1;
    }
    orrimar::installFatalMessageExit();

    orrimar::Application app(argc, argv);
    orrimar::setProgramIdentity(app);
    QSettings settings;
    if (resetSettings)
        settings.clear();
    orrimar::MainWindow window;
    const QString problem = window.restoreSettings(&settings);
    if (!problem.isEmpty())
        std::fprintf(stderr, "orrimar: %s\n", problem.toLocal8Bit().constData());
    window.show();
    return app.exec();
}
