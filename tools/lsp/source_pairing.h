// Which sources go together in the editor: what a file is by its name, and
// the line description and train service a check compiles together, paired
// as compile pairs them (tools/authoring/scenario_names) and searched among
// the open texts first, then beside the file on disk.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "platform/files/file_system.h"
#include "tools/authoring/scenario_names.h"
#include "tools/lsp/draft_store.h"

namespace scenario::lsp {

using tool::SourceRole;

// The path's last component.
std::string FileNameOf(const std::string& path);

// The paths of the pair that a source belongs to; for a line description,
// the train service it is checked with. A partner not found is named as it
// would be (NAME_linea.txt, NAME_0-.txt beside the file).
struct SourcePair {
  std::string line_path;
  std::string train_path;
  std::string line_name;
  bool line_found = false;
  bool train_found = false;
};

class SourcePairing {
 public:
  // `files` gives the sources that are not open; `drafts` the open ones,
  // which are taken first. `names_ignore_case`: file names match in either
  // case, as on the system's file systems.
  SourcePairing(FileSystem& files, const DraftStore& drafts, bool names_ignore_case);

  // Which source a file is, by its name.
  SourceRole RoleOf(const std::string& path) const;
  // Whether `b` is a source of the line `a` is a source of: a line
  // description and its train services, or two line descriptions of one
  // name. Two train services are of one line through the line description
  // they pair with, which only a search finds (LineOf).
  bool OfOneLine(const std::string& a, const std::string& b) const;
  // The pair that `path` belongs to.
  SourcePair PairOf(const std::string& path) const;
  // The line description `path` is, or the one a train service pairs with
  // (as it would be named when none is found).
  std::string LineOf(const std::string& path) const;

 private:
  // The first source `wanted` takes in `directory`: an open one first, then
  // one on disk, in the order of their names.
  std::optional<std::string> FindSource(const std::string& directory,
                                        const std::function<bool(const std::string&)>& wanted) const;

  FileSystem& files_;
  const DraftStore& drafts_;
  bool names_ignore_case_;
};

}  // namespace scenario::lsp
