#include "tests/support/include_layers.h"

#include <algorithm>
#include <fstream>
#include <map>
#include <regex>
#include <sstream>

namespace scenario::testing_support {

namespace fs = std::filesystem;

namespace {

std::string Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t\r");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t\r");
  return std::string(text.substr(first, last - first + 1));
}

// The cells of a table row "| a | b |", trimmed.
std::vector<std::string> Cells(const std::string& row) {
  std::vector<std::string> cells;
  std::string cell;
  for (size_t i = 1; i < row.size(); ++i) {
    if (row[i] == '|') {
      cells.push_back(Trimmed(cell));
      cell.clear();
    } else {
      cell += row[i];
    }
  }
  return cells;
}

// The names written between backticks in a cell.
std::vector<std::string> Quoted(const std::string& cell) {
  std::vector<std::string> names;
  size_t at = 0;
  while ((at = cell.find('`', at)) != std::string::npos) {
    const size_t end = cell.find('`', at + 1);
    if (end == std::string::npos) break;
    names.push_back(cell.substr(at + 1, end - at - 1));
    at = end + 1;
  }
  return names;
}

std::string ReadText(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

std::string Folder(const std::string& path) {
  const size_t slash = path.rfind('/');
  return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool EndsWith(const std::string& text, std::string_view end) {
  return text.size() >= end.size() && text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Folders of the checkout that hold no C++ of the programs.
bool Skipped(const std::string& name) {
  return name.empty() || name[0] == '.' || name == "build" || name == "node_modules";
}

}  // namespace

std::vector<RoomRule> ReadRoomsTable(std::string_view architecture, std::vector<std::string>* problems) {
  std::vector<RoomRule> rooms;
  std::istringstream lines{std::string(architecture)};
  std::string line;
  bool in_rooms = false;
  while (std::getline(lines, line)) {
    line = Trimmed(line);
    if (line.rfind("## ", 0) == 0) in_rooms = line == "## Rooms";
    if (!in_rooms || line.rfind("| `", 0) != 0) continue;
    const std::vector<std::string> cells = Cells(line);
    if (cells.size() < 5 || Quoted(cells[0]).size() != 1 || Quoted(cells[2]).size() != 1) {
      problems->push_back("docs/architecture.md: the row '" + line +
                          "' is not 'room | layer | main header | holds | may use'");
      continue;
    }
    RoomRule room;
    room.folder = Quoted(cells[0])[0];
    room.layer = std::atoi(cells[1].c_str());
    room.main_header = Quoted(cells[2])[0];
    room.sentence = cells[3];
    for (const std::string& used : Quoted(cells[4])) room.may_use.insert(used);
    rooms.push_back(room);
  }
  std::map<std::string, int> layers;
  for (const RoomRule& room : rooms) layers[room.folder] = room.layer;
  for (const RoomRule& room : rooms) {
    for (const std::string& used : room.may_use) {
      const auto found = layers.find(used);
      if (found == layers.end())
        problems->push_back("docs/architecture.md: the room " + room.folder + " may use '" + used +
                            "', which is no room of the table");
      else if (found->second >= room.layer)
        problems->push_back("docs/architecture.md: the room " + room.folder + " (layer " +
                            std::to_string(room.layer) + ") may use " + used + " (layer " +
                            std::to_string(found->second) + "): a room may use only rooms of a lower layer");
    }
  }
  return rooms;
}

bool IsAboveEveryRoom(const std::string& folder) {
  return folder == "tests" || folder == "tests/support" || folder == "benchmarks" || folder == "fuzz";
}

std::vector<std::string> IncludeViolations(const fs::path& root, const std::vector<RoomRule>& rooms) {
  std::map<std::string, const RoomRule*> by_folder;
  for (const RoomRule& room : rooms) by_folder[room.folder] = &room;
  std::vector<std::string> files;
  for (auto it = fs::recursive_directory_iterator(root); it != fs::recursive_directory_iterator(); ++it) {
    const std::string name = it->path().filename().string();
    if (it->is_directory()) {
      if (Skipped(name)) it.disable_recursion_pending();
      continue;
    }
    if (EndsWith(name, ".h") || EndsWith(name, ".cpp"))
      files.push_back(it->path().lexically_relative(root).generic_string());
  }
  std::sort(files.begin(), files.end());

  static const std::regex include_line(R"(^\s*#\s*include\s+"([^"]+)\")");
  std::vector<std::string> violations;
  for (const std::string& file : files) {
    const std::string folder = Folder(file);
    const bool free = IsAboveEveryRoom(folder);
    const auto own = by_folder.find(folder);
    if (!free && own == by_folder.end()) {
      violations.push_back(file + ": the folder '" + folder +
                           "' is no room: add it to the table of docs/architecture.md, or move the file into a room");
      continue;
    }
    const std::string base = file.substr(folder.size() + 1);
    const bool test = EndsWith(base, "_test.cpp") || EndsWith(base, "_bench.cpp");
    std::istringstream text(ReadText(root / file));
    std::string line;
    int number = 0;
    while (std::getline(text, line)) {
      ++number;
      std::smatch match;
      if (!std::regex_search(line, match, include_line)) continue;
      const std::string included = match[1];
      // A name without a folder is the including file's neighbour.
      const std::string target = included.find('/') == std::string::npos ? folder : Folder(included);
      const std::string place = file + ":" + std::to_string(number) + ": includes \"" + included + "\": ";
      if (target == folder || free) continue;
      if (IsAboveEveryRoom(target)) {
        if (!test)
          violations.push_back(place + target + " stands above every room; only tests and benchmarks may use it");
        continue;
      }
      const auto used = by_folder.find(target);
      if (used == by_folder.end()) {
        violations.push_back(place + "'" + target + "' is no room of docs/architecture.md");
        continue;
      }
      const RoomRule& room = *own->second;
      if (room.may_use.count(target) != 0) continue;
      const std::string rooms_named = "the room " + room.folder + " (layer " + std::to_string(room.layer) +
                                      ") may not use " + target + " (layer " +
                                      std::to_string(used->second->layer) + ")";
      if (used->second->layer >= room.layer)
        violations.push_back(place + rooms_named + ": an include may not point to the same or a higher layer");
      else
        violations.push_back(place + rooms_named +
                             ": docs/architecture.md does not connect them (add the room to the 'May use' of " +
                             room.folder + " there and in its scenario_room, if it belongs there)");
    }
  }
  return violations;
}

std::vector<std::string> MainHeaderProblems(const fs::path& root, const std::vector<RoomRule>& rooms) {
  std::vector<std::string> problems;
  for (const RoomRule& room : rooms) {
    if (Folder(room.main_header) != room.folder) {
      problems.push_back(room.main_header + ": the main header of " + room.folder + " is not in its folder");
      continue;
    }
    if (!fs::is_regular_file(root / room.main_header)) {
      problems.push_back(room.main_header + ": the main header of " + room.folder + " is missing");
      continue;
    }
    // The header's first comment paragraph, its lines joined by blanks.
    std::istringstream text(ReadText(root / room.main_header));
    std::string line, opening;
    while (std::getline(text, line)) {
      line = Trimmed(line);
      if (line.rfind("//", 0) != 0 || Trimmed(line.substr(2)).empty()) break;
      if (!opening.empty()) opening += ' ';
      opening += Trimmed(line.substr(2));
    }
    if (opening != room.sentence)
      problems.push_back(room.main_header + ":1: the main header of " + room.folder + " opens with '" + opening +
                         "', not with the sentence of docs/architecture.md: '" + room.sentence + "'");
  }
  return problems;
}

std::vector<std::string> BuildRoomsProblems(std::string_view build_rooms, const std::vector<RoomRule>& rooms) {
  std::map<std::string, std::set<std::string>> declared;
  std::istringstream lines{std::string(build_rooms)};
  std::string line;
  while (std::getline(lines, line)) {
    const size_t colon = line.find(':');
    if (colon == std::string::npos) continue;
    std::set<std::string>& used = declared[Trimmed(line.substr(0, colon))];
    std::istringstream names(line.substr(colon + 1));
    std::string name;
    while (names >> name) used.insert(name);
  }
  std::vector<std::string> problems;
  for (const RoomRule& room : rooms) {
    const auto found = declared.find(room.folder);
    if (found == declared.end()) {
      problems.push_back("the build declares no room " + room.folder + " (scenario_room ... DIR " + room.folder + ")");
      continue;
    }
    for (const std::string& used : found->second)
      if (room.may_use.count(used) == 0)
        problems.push_back("the build links " + used + " into " + room.folder +
                           ", which docs/architecture.md does not let it use");
    for (const std::string& used : room.may_use)
      if (found->second.count(used) == 0)
        problems.push_back("docs/architecture.md lets " + room.folder + " use " + used +
                           ", but its scenario_room does not link it");
    declared.erase(found);
  }
  for (const auto& [folder, used] : declared)
    problems.push_back("the build declares the room " + folder + ", which docs/architecture.md does not list");
  return problems;
}

}  // namespace scenario::testing_support
