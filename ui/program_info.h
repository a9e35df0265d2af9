// What the program says about itself: its name, version, organisation, desktop entry and
// icon, and the command line that asks for them (--help, --version).
#pragma once

#include <optional>

class QApplication;

namespace orrimar {

// Reads the command line before any window or display is needed. Returns the exit code
// when the program should stop here: 0 after --help or --version (printed on standard
// output), 2 after one line on standard error for an unknown option or an argument.
// Qt's own window options (-platform, -style ...) are let through. resetSettings, when
// given, is set when --reset-settings asks to start from the defaults.
std::optional<int> handleCommandLine(int argc, char** argv, bool* resetSettings = nullptr);

// Name, version, organisation, desktop file name and window icon of the application.
void setProgramIdentity(QApplication& app);

}  // namespace orrimar
