// scenario-tool studio: the scenario studio, one HTML page to write, check,
// see and compile a scenario in a browser with nothing installed, written
// to a file.
#pragma once

#include <ostream>
#include <string>
#include <string_view>

#include "platform/files/file_system.h"

namespace scenario::tool {

// The command line of `studio`, as given.
struct StudioRequest {
  std::string output;
  bool force = false;
};

// Writes `page` to the request's file and tells its path on `out`. Unless
// `force` is set, refuses (Refusal naming it) a file that exists already.
// An empty `page` (a program built without it) is refused
// (std::invalid_argument) with how to get one. Throws SystemFailure when
// the file cannot be written.
int WriteStudio(const StudioRequest& request, std::string_view page, FileSystem& files, std::ostream& out);

}  // namespace scenario::tool
