// The line name and train number of a scenario to compile: given on the
// command line, or read off the source file names when these follow the
// pattern NAME_linea.txt and NAME_NUMBER-.txt; and, from the same names,
// which of the two sources a file is and which sources belong together, for
// compile, check, view and the language server alike.
#pragma once

#include <optional>
#include <string>

namespace scenario::tool {

struct ScenarioNames {
  std::string nome_linea;
  std::string numero_treno;
};

// In every function below, `ignore_case` says that names match as on a file
// system that ignores case (Windows): ASCII letters and the letters of
// Windows-1252 ("à" and "À") in either case; otherwise letter for letter.
// Names are the system's bytes (Windows-1252 on Windows).

// Which of the two sources a file is, by its name: a line description
// NAME_linea.txt, a train service NAME_NUMBER-.txt, or neither.
enum class SourceRole { LineDescription, TrainService, Other };
SourceRole SourceRoleOf(const std::string& path, bool ignore_case);

// NAME of the line description NAME_linea.txt, spelt as in the file name.
std::optional<std::string> LineNameOfLineFile(const std::string& path, bool ignore_case);

// The line a train service NAME_NUMBER-.txt names when no line description
// is at hand: the part of its name before the last '_' (nothing when there
// is none, or nothing before or after it).
std::optional<std::string> LineNameOfTrainFile(const std::string& path, bool ignore_case);

// NUMBER of the train service NAME_NUMBER-.txt on the line `nome_linea`:
// nothing when the file's name does not begin with the line name and '_'
// or gives no number after them.
std::optional<std::string> TrainNumberOn(const std::string& train_path, const std::string& nome_linea,
                                         bool ignore_case);

// Whether two line names name the same line.
bool SameLineName(const std::string& a, const std::string& b, bool ignore_case);

// Whether the train service `train_path` goes with the line description
// `line_path`: its name begins with the line's name and '_', and a train
// number follows. This is how compile reads the names of a pair.
bool IsTrainServiceOf(const std::string& train_path, const std::string& line_path, bool ignore_case);

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
