// Orrimar: fly a spacecraft from a parking orbit around the Earth towards the Moon.
#include "ui/startup.h"

#include <QApplication>
#include <QMainWindow>

#include <cstdio>

int main(int argc, char* argv[])
{
    if (!orrimar::DisplayAvailable()) {
        std::fprintf(stderr,
                     "orrimar: no display available (set DISPLAY, or QT_QPA_PLATFORM=offscreen)\n");
        return 1;
    }
    orrimar::InstallFatalMessageExit();

    QApplication app(argc, argv);
    QApplication::setApplicationName("Orrimar");

    QMainWindow window;
    window.setWindowTitle("Orrimar");
    window.showMaximized();
    return app.exec();
}
