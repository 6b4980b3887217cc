// scenario-tool view: one self-contained HTML page to look along a compiled
// scenario in a browser.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::tool {

// `inputs` as `plot` takes them, refused as `plot` refuses them. Writes
// the page to `output`; doubts go to `err` as warnings, and into the page.
void ViewCompiledScenario(FileSystem& files, const std::vector<std::string>& inputs, const std::string& output,
                          std::ostream& err);

}  // namespace scenario::tool
