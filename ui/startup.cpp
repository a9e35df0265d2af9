#include "ui/startup.h"

#include <QString>
#include <QtGlobal>

#include <cstdio>
#include <cstdlib>

namespace orrimar {

namespace {

bool EnvSet(const char* name)
{
    const char* value = std::getenv(name);
    return value != nullptr && *value != '\0';
}

QtMessageHandler previousHandler = nullptr;

void FatalToExit(QtMsgType type, const QMessageLogContext& context, const QString& message)
{
    if (type != QtFatalMsg) {
        if (previousHandler != nullptr)
            previousHandler(type, context, message);
        return;
    }
    std::fprintf(stderr, "orrimar: cannot continue: %s\n", message.toLocal8Bit().constData());
    std::fflush(stderr);
    std::_Exit(1);
}

}  // namespace

bool displayAvailable()
{
    return EnvSet("QT_QPA_PLATFORM") || EnvSet("DISPLAY") || EnvSet("WAYLAND_DISPLAY");
}

void installFatalMessageExit()
{
    previousHandler = qInstallMessageHandler(FatalToExit);
}

}  // namespace orrimar
