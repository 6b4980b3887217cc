// scenario-compactor: writes the built-in scenario's sources and forms next
// to the program, compiles them and writes the compiled files. It takes no
// arguments and asks nothing.
#include <exception>
#include <string>

#include "app/form_load.h"
#include "platform/window/console_text.h"
#include "platform/system/program_directory.h"
#include "platform/files/real_file_system.h"
#include "platform/window/window.h"

int main() {
  const scenario::ConsoleText console;
  std::unique_ptr<scenario::Window> window = scenario::OpenWindow();
  scenario::RealFileSystem files;
  std::string directory;
  try {
    directory = scenario::ProgramDirectory();
  } catch (const std::exception& failure) {
    scenario::ShowOnStandardError(std::string(scenario::kProgramName) + ": " + failure.what());
    return 1;
  }
  scenario::Workspace workspace{files, directory};
  return scenario::RunProgram(workspace, *window);
}
