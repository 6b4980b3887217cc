#include "tools/paths.h"

#include <filesystem>

namespace scenario::tool {

std::string BaseName(const std::string& path) { return std::filesystem::path(path).filename().string(); }

}  // namespace scenario::tool
