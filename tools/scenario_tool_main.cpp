// scenario-tool: see tools/scenario_tool.h.
#include <iostream>
#include <stdexcept>
#include <string>
#include <vector>

#include "platform/command_line.h"
#include "platform/console_text.h"
#include "platform/real_file_system.h"
#include "tools/exit_status.h"
#include "tools/lsp/server_loop.h"
#include "tools/scenario_tool.h"

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
  return scenario::tool::RunScenarioTool(args, files, std::cout, std::cerr, [](scenario::FileSystem& real) -> int {
    scenario::lsp::RunStdioLanguageServer(real);
  });
}
