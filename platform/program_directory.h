#pragma once

#include <string>

namespace scenario {

// The directory that holds the running program file (not the working
// directory). Throws SystemFailure when it cannot be found.
std::string ProgramDirectory();

}  // namespace scenario
