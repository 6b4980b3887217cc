// A stop before a chosen change to the disk, so that tests can kill a real
// run at each step of its work and look at what it leaves. Only tests set
// the variable; without it nothing here does anything.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// Set to a number N (1 for the first), this environment variable makes the
// program stop before its N-th change to the disk: it says so on standard
// error, in a line that begins with kPauseNotice, and waits to be killed.
inline constexpr const char* kPauseStepVariable = "SCENARIO_PAUSE_AT_STEP";
inline constexpr const char* kPauseNotice = "paused before step ";

// Counts one change to the disk that this process is about to make
// (`operation` on `path`: creating a file, renaming it, deleting it) and
// stops there when it is the one the variable names.
void CountDiskChange(std::string_view operation, const std::string& path);

}  // namespace scenario
