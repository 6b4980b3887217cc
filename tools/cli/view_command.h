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

// Whether `inputs` name sources of a scenario (every one ends in .txt)
// rather than compiled files.
bool AreSources(const std::vector<std::string>& inputs);

// The two sources compiled in memory, as `check` compiles them, and the
// result written as the page, each value carrying the source line that
// wrote it. The report's warnings go to `err`. A compile that stops
// writes no page; an error the compile records is shown, and the page is
// written. Returns the exit status of the report (0, 1 an error recorded,
// 2 stopped).
int ViewSources(FileSystem& files, const std::vector<std::string>& sources, const std::string& output,
                std::ostream& err);

}  // namespace scenario::tool
