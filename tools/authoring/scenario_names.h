// The line name and train number of a scenario to compile: given on the
// command line, or read off the source file names when these follow the
// pattern NAME_linea.txt and NAME_NUMBER-.txt.
#pragma once

#include <optional>
#include <string>

namespace scenario::tool {

struct ScenarioNames {
  std::string nome_linea;
  std::string numero_treno;
};

// The names for the sources `line_file` and `train_file` (paths); a given
// name wins over one read off a file name. With `names_ignore_case` the file
// names match the patterns (and the train file the line's name) in either
// case of their letters, and the names keep the file names' own spelling.
// Throws std::invalid_argument with
// a message for the user when a name is missing or unusable.
ScenarioNames ResolveScenarioNames(const std::string& line_file, const std::string& train_file,
                                   const std::optional<std::string>& line_name,
                                   const std::optional<std::string>& train_number, bool names_ignore_case);

// Refuses (std::invalid_argument) a name that cannot be part of a file name
// in the output directory: an empty one, or one with a '/' or a NUL in it.
void CheckNamePart(const std::string& what, const std::string& name);

// The warning for a line name or train number whose bytes read as UTF-8
// beyond ASCII, or nothing. `what` is "the line name" or "the train number",
// `origin` where it came from ("the file name 'Città_linea.txt'"), a file
// name or an option.
std::optional<std::string> Utf8NameWarning(const std::string& what, const std::string& name,
                                           const std::string& origin, bool from_file_name);

}  // namespace scenario::tool
