// The folders of the system's own programs: where a program is installed
// for everyone (on Linux /usr and the like, on Windows "Program Files" and
// the Windows folder). The compactor writes its files beside itself, so it
// is not to run from there.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace scenario {

// The folders of the system's programs on this system, as paths.
std::vector<std::string> SystemProgramFolders();

// The folder of the system's programs that `directory` is, or lies in;
// nothing when it is none of them.
std::optional<std::string> SystemProgramFolderOf(const std::string& directory);

}  // namespace scenario
