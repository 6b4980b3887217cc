#include "platform/system/system_folders.h"

#include <filesystem>

namespace scenario {

std::vector<std::string> SystemProgramFolders() {
  // Where packages and the system put programs and what comes with them.
  // Only these: a checkout under /usr/src or /opt, or a user's folder, is
  // no program folder of the system.
  return {"/usr/bin",        "/usr/sbin",       "/usr/lib",           "/usr/lib32",
          "/usr/lib64",      "/usr/libx32",     "/usr/libexec",       "/usr/games",
          "/usr/share",      "/usr/local/bin",  "/usr/local/sbin",    "/usr/local/lib",
          "/usr/local/libexec", "/usr/local/games", "/usr/local/share", "/bin",
          "/sbin",           "/lib",            "/lib32",             "/lib64",
          "/libx32"};
}

std::optional<std::string> SystemProgramFolderOf(const std::string& directory) {
  const std::filesystem::path path = std::filesystem::path(directory).lexically_normal();
  for (const std::string& folder : SystemProgramFolders()) {
    // Whole names only: /usr holds /usr/bin, not /usrfiles.
    auto part = path.begin();
    bool inside = true;
    for (const std::filesystem::path& name : std::filesystem::path(folder)) {
      if (part == path.end() || *part != name) {
        inside = false;
        break;
      }
      ++part;
    }
    if (inside) return folder;
  }
  return std::nullopt;
}

}  // namespace scenario
