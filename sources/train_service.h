// The content of the train service text source: the built-in service of the
// train on the line.
#pragma once

#include <string>
#include <vector>

namespace scenario {

// The lines of the built-in train service file, in file order, without line
// ends: the general data, the adhesion and speed-limit steps, the stations,
// the slowdowns and the signals.
std::vector<std::string> BuiltInTrainService();

}  // namespace scenario
