#include "tools/paths.h"

#include <filesystem>
#include <system_error>

#include "platform/workspace.h"

namespace scenario::tool {

namespace fs = std::filesystem;

void EnsureDirectory(const std::string& directory) {
  std::error_code error;
  if (fs::is_directory(directory, error)) return;
  fs::create_directories(directory, error);
  if (error) throw SystemFailure("create the directory", directory, error.message());
  if (!fs::is_directory(directory, error))
    throw SystemFailure("create the directory", directory, "a file of that name is in the way");
}

bool SameFile(const std::string& a, const std::string& b) {
  std::error_code error;
  const bool same = fs::equivalent(a, b, error);
  if (!error) return same;
  const fs::path first = fs::absolute(a, error).lexically_normal();
  const fs::path second = fs::absolute(b, error).lexically_normal();
  return first == second;
}

std::string BaseName(const std::string& path) { return fs::path(path).filename().string(); }

}  // namespace scenario::tool
