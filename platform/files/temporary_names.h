// The names of the temporary files that replacing a file makes beside it:
// "." + the file's name + ".tmp-" + the process number + "-" + a counter.
// Made and recognised here only, so that a later run can tell the files a
// killed run left behind from everything else in the directory.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// The name of the temporary file for `name`, made by process `process` as
// its `counter`-th temporary file.
std::string TemporaryNameFor(std::string_view name, unsigned long process, unsigned long counter);

// Whether `name` (a name, not a path) is one that TemporaryNameFor makes;
// when it is, `*process` is the number of the process that made it.
bool IsTemporaryName(std::string_view name, unsigned long* process);

}  // namespace scenario
