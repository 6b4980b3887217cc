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
// name wins over one read off a file name. Throws std::invalid_argument with
// a message for the user when a name is missing or unusable.
ScenarioNames ResolveScenarioNames(const std::string& line_file, const std::string& train_file,
                                   const std::optional<std::string>& line_name,
                                   const std::optional<std::string>& train_number);

// Refuses (std::invalid_argument) a name that cannot be part of a file name
// in the output directory: an empty one, or one with a '/' or a NUL in it.
void CheckNamePart(const std::string& what, const std::string& name);

}  // namespace scenario::tool
