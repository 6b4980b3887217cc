// The built-in line description as its writer lays it out: 55 lines, each
// ended by CR LF in the file.
#pragma once

#include <string>
#include <vector>

namespace scenario::testing_support {

// The 55 lines, without their line ends.
const std::vector<std::string>& BuiltInLineLines();
// The whole file: every line followed by CR LF.
std::string BuiltInLineFileText();
// Any lines joined the same way.
std::string JoinLines(const std::vector<std::string>& lines);

}  // namespace scenario::testing_support
