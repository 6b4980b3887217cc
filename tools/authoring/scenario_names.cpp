#include "tools/authoring/scenario_names.h"

#include <stdexcept>
#include <string_view>

#include "encoding/text_encoding.h"
#include "tools/common/paths.h"

namespace scenario::tool {

namespace {

constexpr std::string_view kLineEnding = "_linea.txt";
constexpr std::string_view kTrainEnding = "-.txt";

// NAME from NAME_linea.txt, spelt as in the file name.
std::optional<std::string> LineNameOf(const std::string& line_file, bool ignore_case) {
  const std::string base = BaseName(line_file);
  if (!NameEndsWith(base, kLineEnding, ignore_case)) return std::nullopt;
  return base.substr(0, base.size() - kLineEnding.size());
}

// NAME_NUMBER from NAME_NUMBER-.txt.
std::optional<std::string> TrainStemOf(const std::string& train_file, bool ignore_case) {
  const std::string base = BaseName(train_file);
  if (!NameEndsWith(base, kTrainEnding, ignore_case)) return std::nullopt;
  return base.substr(0, base.size() - kTrainEnding.size());
}

// NUMBER from STEM when STEM is `prefix` + "_" + NUMBER.
std::optional<std::string> NumberAfter(const std::optional<std::string>& stem, const std::string& prefix,
                                       bool ignore_case) {
  if (!stem || stem->size() <= prefix.size() + 1 || !NameStartsWith(*stem, prefix + "_", ignore_case))
    return std::nullopt;
  return stem->substr(prefix.size() + 1);
}

}  // namespace

SourceRole SourceRoleOf(const std::string& path, bool ignore_case) {
  const std::string base = BaseName(path);
  if (base.size() > kLineEnding.size() && NameEndsWith(base, kLineEnding, ignore_case))
    return SourceRole::LineDescription;
  if (base.size() > kTrainEnding.size() && NameEndsWith(base, kTrainEnding, ignore_case))
    return SourceRole::TrainService;
  return SourceRole::Other;
}

std::optional<std::string> LineNameOfLineFile(const std::string& path, bool ignore_case) {
  if (SourceRoleOf(path, ignore_case) != SourceRole::LineDescription) return std::nullopt;
  return LineNameOf(path, ignore_case);
}

std::optional<std::string> LineNameOfTrainFile(const std::string& path, bool ignore_case) {
  if (SourceRoleOf(path, ignore_case) != SourceRole::TrainService) return std::nullopt;
  const std::optional<std::string> stem = TrainStemOf(path, ignore_case);
  const size_t underscore = stem->rfind('_');
  if (underscore == std::string::npos || underscore == 0 || underscore + 1 == stem->size()) return std::nullopt;
  return stem->substr(0, underscore);
}

std::optional<std::string> TrainNumberOn(const std::string& train_path, const std::string& nome_linea,
                                         bool ignore_case) {
  if (SourceRoleOf(train_path, ignore_case) != SourceRole::TrainService) return std::nullopt;
  return NumberAfter(TrainStemOf(train_path, ignore_case), nome_linea, ignore_case);
}

bool SameLineName(const std::string& a, const std::string& b, bool ignore_case) {
  return a.size() == b.size() && NameStartsWith(a, b, ignore_case);
}

bool IsTrainServiceOf(const std::string& train_path, const std::string& line_path, bool ignore_case) {
  const std::optional<std::string> nome_linea = LineNameOfLineFile(line_path, ignore_case);
  return nome_linea && TrainNumberOn(train_path, *nome_linea, ignore_case).has_value();
}

void CheckNamePart(const std::string& what, const std::string& name) {
  if (name.empty()) throw std::invalid_argument(what + " is empty");
  if (name.find('/') != std::string::npos)
    throw std::invalid_argument(what + " '" + name + "' contains a '/'; it must name a file, not a path");
  if (name.find('\0') != std::string::npos) throw std::invalid_argument(what + " contains a NUL byte");
}

ScenarioNames ResolveScenarioNames(const std::string& line_file, const std::string& train_file,
                                   const std::optional<std::string>& line_name,
                                   const std::optional<std::string>& train_number, bool names_ignore_case) {
  const std::optional<std::string> stem = TrainStemOf(train_file, names_ignore_case);
  ScenarioNames names;

  // The line name the file names give, whether or not one is given: the
  // train number is read off the train file with it.
  std::optional<std::string> file_line_name = LineNameOf(line_file, names_ignore_case);
  if (!file_line_name && stem && stem->rfind('_') != std::string::npos)
    file_line_name = stem->substr(0, stem->rfind('_'));

  if (line_name) {
    names.nome_linea = *line_name;
  } else if (file_line_name) {
    names.nome_linea = *file_line_name;
  } else if (LineNameOf(train_file, names_ignore_case) && TrainStemOf(line_file, names_ignore_case)) {
    throw std::invalid_argument("'" + line_file + "' is named as a train service and '" + train_file +
                                "' as a line description: give the line description first, then the "
                                "train service");
  } else {
    throw std::invalid_argument(
        "cannot tell the line name: '" + line_file +
        "' does not follow the pattern NAME_linea.txt; give it with --line-name");
  }
  CheckNamePart("the line name", names.nome_linea);

  const auto number_after = [&stem, names_ignore_case](const std::string& prefix) {
    return NumberAfter(stem, prefix, names_ignore_case);
  };
  std::optional<std::string> from_train = number_after(names.nome_linea);
  // A line name given on its own leaves the train number to the file name,
  // which carries the line name of the files.
  if (!from_train && line_name && file_line_name) from_train = number_after(*file_line_name);
  if (train_number) {
    names.numero_treno = *train_number;
  } else if (from_train) {
    names.numero_treno = *from_train;
  } else {
    throw std::invalid_argument("cannot tell the train number: '" + train_file +
                                "' does not follow the pattern " + names.nome_linea +
                                "_NUMBER-.txt; give it with --train-number");
  }
  CheckNamePart("the train number", names.numero_treno);
  return names;
}

std::optional<std::string> Utf8NameWarning(const std::string& what, const std::string& name,
                                           const std::string& origin, bool from_file_name) {
  if (!LooksLikeUtf8(name)) return std::nullopt;
  return what + " '" + name + "', from " + origin +
         ", is written in UTF-8 bytes: the compiled files and their check codes keep these bytes, and the "
         "simulator reads names as Windows-1252, one byte per letter, so it will show '" +
         Windows1252ToUtf8(name) +
         "'; " +
         (from_file_name ? "rename the files with the Windows-1252 letter (one byte), or use plain ASCII letters in the names"
                         : "give it with the Windows-1252 letter (one byte), or in plain ASCII letters");
}

}  // namespace scenario::tool
