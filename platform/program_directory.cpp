#include "platform/program_directory.h"

#include <filesystem>
#include <system_error>

#include "platform/workspace.h"

namespace scenario {

std::string ProgramDirectory() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw SystemFailure("locate", "/proc/self/exe", error.message());
  return program.parent_path().string();
}

}  // namespace scenario
