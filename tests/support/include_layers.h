// The rooms of the tree and the includes between them: the table of
// docs/architecture.md read as rules, and every `#include "..."` of the tree
// held to them. Each problem is one line that names the file, the line and
// the rule it breaks.
#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::testing_support {

struct RoomRule {
  std::string folder;       // "compiler/fields"
  int layer = 0;            // a room may use only rooms of a lower layer
  std::string main_header;  // "compiler/fields/field_stream.h"
  std::string sentence;     // what the room holds; its main header opens with it
  std::set<std::string> may_use;
};

// The rows of the table under "## Rooms" of the architecture page. A room
// named as used that is no room, or that stands on the same or a higher
// layer, is a problem of the page itself.
std::vector<RoomRule> ReadRoomsTable(std::string_view architecture, std::vector<std::string>* problems);

// Folders that stand above every room: the test support, the tests of whole
// programs, the benchmarks and the fuzz targets.
bool IsAboveEveryRoom(const std::string& folder);

// Every include of the C++ files under `root` that breaks a rule, and every
// C++ file in a folder that is no room.
std::vector<std::string> IncludeViolations(const std::filesystem::path& root, const std::vector<RoomRule>& rooms);

// Every room whose main header is missing or does not open with its sentence.
std::vector<std::string> MainHeaderProblems(const std::filesystem::path& root, const std::vector<RoomRule>& rooms);

// Where the rooms the build declares ("FOLDER: USED USED ..." a line, as the
// build writes them) differ from the table: a room on one side only, or
// other rooms linked than the table lets it use.
std::vector<std::string> BuildRoomsProblems(std::string_view build_rooms, const std::vector<RoomRule>& rooms);

}  // namespace scenario::testing_support
