// scenario-tool plot: one SVG picture of a compiled scenario.
#pragma once

#include <ostream>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::tool {

// `inputs` is one directory holding one compiled scenario, or the compiled
// files themselves (station and cell file, and the line file for the
// plan). Writes the picture to `output`; doubts go to `err` as warnings.
// Throws std::invalid_argument when the inputs do not make one scenario,
// Refusal for a cut or foreign file, SystemFailure when a file cannot
// be read or the picture cannot be written.
void PlotCompiledScenario(FileSystem& files, const std::vector<std::string>& inputs, const std::string& output,
                          std::ostream& err);

}  // namespace scenario::tool
