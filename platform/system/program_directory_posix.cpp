#include <filesystem>
#include <system_error>

#include "platform/system/program_directory.h"
#include "platform/system/status.h"

namespace scenario {

std::string ProgramDirectory() {
  std::error_code error;
  std::filesystem::path program = std::filesystem::read_symlink("/proc/self/exe", error);
  if (error) throw SystemFailure("locate", "/proc/self/exe", error.message());
  return program.parent_path().string();
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

}  // namespace scenario
