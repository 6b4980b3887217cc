#include "tools/lsp/source_pairing.h"

#include <algorithm>
#include <string_view>
#include <vector>

namespace scenario::lsp {

namespace {

constexpr std::string_view kLineEnding = "_linea.txt";

// The directory before the path's last component ("" for none).
std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "" : path.substr(0, slash);
}
std::string Join(const std::string& directory, const std::string& name) {
  return directory.empty() ? name : directory + "/" + name;
}

}  // namespace

std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

SourcePairing::SourcePairing(FileSystem& files, const DraftStore& drafts, bool names_ignore_case)
    : files_(files), drafts_(drafts), names_ignore_case_(names_ignore_case) {}

SourceRole SourcePairing::RoleOf(const std::string& path) const {
  return tool::SourceRoleOf(FileNameOf(path), names_ignore_case_);
}

bool SourcePairing::OfOneLine(const std::string& a, const std::string& b) const {
  if (DirectoryOf(a) != DirectoryOf(b)) return false;
  const std::string name_a = FileNameOf(a);
  const std::string name_b = FileNameOf(b);
  const SourceRole role_a = RoleOf(a);
  const SourceRole role_b = RoleOf(b);
  if (role_a == SourceRole::LineDescription && role_b == SourceRole::TrainService)
    return tool::IsTrainServiceOf(name_b, name_a, names_ignore_case_);
  if (role_a == SourceRole::TrainService && role_b == SourceRole::LineDescription)
    return tool::IsTrainServiceOf(name_a, name_b, names_ignore_case_);
  // Two line descriptions: by the line names their own names give.
  if (role_a != SourceRole::LineDescription || role_b != SourceRole::LineDescription) return false;
  const std::optional<std::string> line_a = tool::LineNameOfLineFile(name_a, names_ignore_case_);
  const std::optional<std::string> line_b = tool::LineNameOfLineFile(name_b, names_ignore_case_);
  return line_a && line_b && tool::SameLineName(*line_a, *line_b, names_ignore_case_);
}

std::optional<std::string> SourcePairing::FindSource(const std::string& directory,
                                                     const std::function<bool(const std::string&)>& wanted) const {
  for (const std::string& open : drafts_.Paths())
    if (wanted(open)) return open;
  std::vector<std::string> names;
  if (files_.ListDirectory(directory.empty() ? "." : directory, &names).ok()) {
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string candidate = Join(directory, name);
      if (wanted(candidate) && files_.FileExists(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

SourcePair SourcePairing::PairOf(const std::string& path) const {
  SourcePair pair;
  const std::string directory = DirectoryOf(path);
  if (RoleOf(path) == SourceRole::LineDescription) {
    pair.line_path = path;
    pair.line_found = true;
    pair.line_name = tool::LineNameOfLineFile(FileNameOf(path), names_ignore_case_).value_or("");
    const std::optional<std::string> train = FindSource(directory, [&](const std::string& candidate) {
      return RoleOf(candidate) == SourceRole::TrainService && OfOneLine(path, candidate);
    });
    pair.train_found = train.has_value();
    pair.train_path = train.value_or(Join(directory, pair.line_name + "_0-.txt"));
    return pair;
  }
  pair.train_path = path;
  pair.train_found = true;
  pair.line_name = tool::LineNameOfTrainFile(FileNameOf(path), names_ignore_case_).value_or("");
  pair.line_path = Join(directory, pair.line_name + std::string(kLineEnding));
  if (pair.line_name.empty()) return pair;
  // As compile pairs them: the line whose name, and a '_', begin the train
  // service's name ("VALLE_LINEA.TXT" where names ignore case).
  const std::optional<std::string> line = FindSource(directory, [&](const std::string& candidate) {
    return RoleOf(candidate) == SourceRole::LineDescription && OfOneLine(path, candidate);
  });
  pair.line_found = line.has_value();
  if (line) pair.line_path = *line;
  return pair;
}

std::string SourcePairing::LineOf(const std::string& path) const {
  return RoleOf(path) == SourceRole::TrainService ? PairOf(path).line_path : path;
}

}  // namespace scenario::lsp
