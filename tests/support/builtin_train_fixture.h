// The built-in train service as its writer produces it, for tests that read
// it back or change a line of it.
#pragma once

#include <string>
#include <vector>

namespace scenario::testing_support {

// The 61 lines of the built-in train service, without line ends.
const std::vector<std::string>& BuiltInTrainLines();

// The lines joined as the file holds them: each followed by CR LF.
std::string TrainText(const std::vector<std::string>& lines);

}  // namespace scenario::testing_support
