// How the integrator reports failures. A window installs a hook that shows a
// message box; without one, messages go to standard error.
#pragma once

#include <functional>
#include <string>

namespace orrimar {

enum class ReportKind {
    Message,     // "DOP853" message box: no icon, OK, no owner
    FatalError,  // error dialog before the program ends
};

using Dop853ReportHook = std::function<void(ReportKind kind, const std::string& text)>;

// Installs the hook (an empty function restores the default). Install it once at
// start-up, before any integration runs; returns the previous hook.
Dop853ReportHook SetDop853ReportHook(Dop853ReportHook hook);

// Reports text through the installed hook, or to standard error.
void Dop853Report(ReportKind kind, const std::string& text);

}  // namespace orrimar
