#include "platform/system/system_path.h"

namespace scenario {

// Names here are the file system's own bytes.
std::filesystem::path SystemPath(std::string_view name) { return std::filesystem::path(std::string(name)); }

std::string SystemName(const std::filesystem::path& path) { return path.string(); }

}  // namespace scenario
