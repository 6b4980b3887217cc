#include "tools/paths.h"

#include "platform/system_path.h"

namespace scenario::tool {

std::string BaseName(const std::string& path) { return SystemName(SystemPath(path).filename()); }

}  // namespace scenario::tool
