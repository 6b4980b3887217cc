// scenario-tool: see tools/cli/scenario_tool.h.
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/system/command_line.h"
#include "platform/window/console_text.h"
#include "platform/files/real_file_system.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/scenario_tool.h"
#include "tools/lsp/server_loop.h"

int main(int argc, char** argv) {
  const scenario::ConsoleText console;
  std::vector<std::string> args;
  try {
    args = scenario::CommandLineArguments(argc, argv);
  } catch (const std::exception& refused) {
    std::cerr << scenario::tool::kToolName << ": " << refused.what() << "\n";
    return scenario::tool::kExitUsage;
  }
  scenario::RealFileSystem files;
  return scenario::tool::RunScenarioTool(args, files, std::cout, std::cerr, [](scenario::FileSystem& real, const scenario::tool::LanguageServerLaunch& launch) -> int {
    scenario::lsp::RunStdioLanguageServer(real, launch.client_process_id);
  });
}
