#pragma once

#include <string>
#include <string_view>

namespace scenario {

// The directory that holds the running program file (not the working
// directory). Throws SystemFailure when it cannot be found.
std::string ProgramDirectory();

// `name` in `directory`, joined with the system's separator ("/", or "\" on
// Windows) unless the directory already ends with one. An empty directory
// leaves the name as it is.
std::string JoinPath(std::string_view directory, std::string_view name);

}  // namespace scenario
