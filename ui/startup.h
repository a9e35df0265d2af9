// Checks made before the first window is opened.
#pragma once

namespace orrimar {

// True when Qt can be expected to find a screen: a platform was named in
// QT_QPA_PLATFORM, or an X11 or Wayland display is set.
bool displayAvailable();

// Makes a fatal Qt message (such as an unreachable display) end the program
// with one clear line and exit code 1 instead of an abort.
void installFatalMessageExit();

}  // namespace orrimar
