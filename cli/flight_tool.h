// The command-line tool orrimar-flight: the whole run (one flight with summary and CSV, a
// scan, a map, or a targeting search) of the options it is given.
#pragma once

#include "cli/flight_tool_options.h"

#include <iosfwd>
#include <string>
#include <vector>

namespace orrimar {

class PartialFiles;

// The whole program. Exit codes: 0 done; 1 no targeting result, output that could not be
// written, or any other failure (one line on err); 2 bad arguments (one line on err,
// nothing else written). Never throws. partials, when given, lists the temporary files
// under way for the process's signal watcher.
int RunFlightTool(const std::vector<std::string>& args, std::ostream& out, std::ostream& err,
                  PartialFiles* partials = nullptr);

}  // namespace orrimar
