// scenario-compactor: writes the built-in scenario's sources and forms next
// to the program, compiles them and writes the compiled files. It takes no
// arguments and asks nothing.
#include <cstdio>
#include <exception>

#include "app/form_load.h"
#include "platform/program_directory.h"
#include "platform/real_file_system.h"
#include "platform/window.h"

int main() {
  std::unique_ptr<scenario::Window> window = scenario::OpenWindow();
  scenario::RealFileSystem files;
  std::string directory;
  try {
    directory = scenario::ProgramDirectory();
  } catch (const std::exception& failure) {
    std::fprintf(stderr, "%s: %s\n", scenario::kProgramName, failure.what());
    return 1;
  }
  scenario::Workspace workspace{files, directory};
  return scenario::RunProgram(workspace, *window);
}
