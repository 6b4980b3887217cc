// scenario-tool: see tools/scenario_tool.h.
#include <iostream>
#include <string>
#include <vector>

#include "platform/real_file_system.h"
#include "tools/scenario_tool.h"

int main(int argc, char** argv) {
  std::vector<std::string> args(argv, argv + argc);
  scenario::RealFileSystem files;
  return scenario::tool::RunScenarioTool(args, files, std::cout, std::cerr);
}
