#include "ui/program_info.h"

#include "orrimar_version.h"

#include <QApplication>
#include <QCommandLineOption>
#include <QCommandLineParser>
#include <QCoreApplication>
#include <QIcon>
#include <QString>
#include <QStringList>

#include <cstdio>

namespace orrimar {

namespace {

const char* const ProgramName = "orrimar";
const char* const DesktopId = "org.orrimar.Orrimar";

// 0 when what was printed reached standard output, else 1 with a line on standard error.
int FlushedOutput()
{
    if (std::fflush(stdout) == 0 && !std::ferror(stdout))
        return 0;
    std::fprintf(stderr, "%s: cannot write to standard output\n", ProgramName);
    return 1;
}

}  // namespace

std::optional<int> handleCommandLine(int argc, char** argv, bool* resetSettings)
{
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);

    QCommandLineParser parser;
    parser.setApplicationDescription(
        "Launch a spacecraft from a parking orbit around the Earth and watch its flight "
        "towards the Moon.");
    const QCommandLineOption help({"h", "help"}, "Show this help and exit.");
    const QCommandLineOption version({"v", "version"}, "Show the version and exit.");
    parser.addOption(help);
    parser.addOption(version);
    const QCommandLineOption reset("reset-settings",
                                   "Start from the default settings, forgetting the kept ones.");
    parser.addOption(reset);
    // Options that QApplication itself takes, with their values.
    for (const char* name : {"platform", "style", "stylesheet", "display", "geometry",
                             "qwindowgeometry", "qwindowtitle", "qwindowicon", "session",
                             "platformpluginpath", "platformtheme", "plugin"}) {
        QCommandLineOption qtOption(QString::fromLatin1(name), QString(), "value");
        qtOption.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtOption);
    }
    for (const char* name : {"reverse", "widgetcount", "nograb", "dograb", "sync"}) {
        QCommandLineOption qtFlag(QString::fromLatin1(name));
        qtFlag.setFlags(QCommandLineOption::HiddenFromHelp);
        parser.addOption(qtFlag);
    }
    parser.setSingleDashWordOptionMode(QCommandLineParser::ParseAsLongOptions);

    if (!parser.parse(arguments)) {
        QString problem = parser.errorText().simplified();
        if (problem.endsWith('.'))
            problem.chop(1);
        std::fprintf(stderr, "%s: %s (see --help)\n", ProgramName,
                     problem.toLocal8Bit().constData());
        return 2;
    }
    if (!parser.positionalArguments().isEmpty()) {
        std::fprintf(stderr, "%s: unexpected argument '%s' (see --help)\n", ProgramName,
                     parser.positionalArguments().first().simplified().toLocal8Bit().constData());
        return 2;
    }
    if (parser.isSet(help)) {
        std::fputs(("Usage: " + QString::fromLatin1(ProgramName) + " [options]\n" +
                    parser.applicationDescription() + "\n\nOptions:\n"
                    "  -h, --help     Show this help and exit.\n"
                    "  -v, --version  Show the version and exit.\n"
                    "  --reset-settings\n"
                    "                 Start from the default settings, forgetting the kept "
                    "ones.\n")
                       .toLocal8Bit()
                       .constData(),
                   stdout);
        return FlushedOutput();
    }
    if (parser.isSet(version)) {
        std::printf("%s %s\n", ProgramName, OrrimarVersion);
        return FlushedOutput();
    }
    if (resetSettings != nullptr)
        *resetSettings = parser.isSet(reset);
    return std::nullopt;
}

void setProgramIdentity(QApplication& app)
{
    app.setApplicationVersion(QString::fromLatin1(OrrimarVersion));
    app.setOrganizationName("Orrimar developers");
    app.setOrganizationDomain("orrimar.org");
    QGuiApplication::setDesktopFileName(QString::fromLatin1(DesktopId));
    QIcon icon;
    for (int size : {16, 32, 48, 64, 128, 256})
        icon.addFile(QString(":/app-icon/orrimar-%1.png").arg(size), QSize(size, size));
    QApplication::setWindowIcon(icon);
}

}  // namespace orrimar
