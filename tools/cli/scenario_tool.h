// scenario-tool: the compactor's companion for scenario authors. Its
// subcommands write the built-in sources, compile an author's sources,
// decode compiled files and draw a compiled scenario.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::tool {

inline constexpr const char* kToolName = "scenario-tool";

// Runs the tool on the command line `args` (args[0] is the program) over
// `files`; returns the exit status (see exit_status.h).
int RunScenarioTool(const std::vector<std::string>& args, FileSystem& files, std::ostream& out,
                    std::ostream& err);

}  // namespace scenario::tool
