// Small path helpers of scenario-tool.
#pragma once

#include <string>

namespace scenario::tool {

// The last component of a path.
std::string BaseName(const std::string& path);

}  // namespace scenario::tool
