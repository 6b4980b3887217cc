// The command-line front-end of scenario-tool: one thin file a subcommand,
// exit statuses, JSON and table printing.
//
// scenario-tool: the compactor's companion for scenario authors. Its
// subcommands write the built-in sources, compile an author's sources,
// decode compiled files and draw a compiled scenario.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::tool {

inline constexpr const char* kToolName = "scenario-tool";

// How an editor started `scenario-tool lsp`.
struct LanguageServerLaunch {
  // The editor's process (`--clientProcessId=N`): the server ends when it is
  // gone, even if nobody closes its input.
  std::optional<std::int64_t> client_process_id;
};

// The language server behind `scenario-tool lsp`, which talks over the
// process's own standard streams; the program gives it (its tests need not).
using LanguageServerRun = std::function<int(FileSystem& files, const LanguageServerLaunch& launch)>;

// Runs the tool on the command line `args` (args[0] is the program) over
// `files`; returns the exit status (see exit_status.h).
int RunScenarioTool(const std::vector<std::string>& args, FileSystem& files, std::ostream& out,
                    std::ostream& err, const LanguageServerRun& lsp = {});

}  // namespace scenario::tool
