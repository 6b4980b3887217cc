#include "tools/common/paths.h"

#include "platform/system/system_path.h"

namespace scenario::tool {

std::string BaseName(const std::string& path) { return SystemName(SystemPath(path).filename()); }

}  // namespace scenario::tool
