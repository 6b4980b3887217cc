// The preamble of the tests that compile an author's sources: a fresh
// directory, the built-in sources written into its "src" by `sources`, and
// the tool run on them.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace scenario::testing_support {

inline const std::string kBuiltInLineSource = "Calvisio -Sambreta_linea.txt";
inline const std::string kBuiltInTrainSource = "Calvisio -Sambreta_31613-.txt";

class BuiltInSources {
 public:
  // Throws std::runtime_error when `sources` fails.
  BuiltInSources();

  const std::filesystem::path& root() const { return dir_.path(); }
  std::filesystem::path src() const { return root() / "src"; }
  std::filesystem::path line() const { return src() / kBuiltInLineSource; }
  std::filesystem::path train() const { return src() / kBuiltInTrainSource; }

  // `compile` of the two sources into `output`, then `extra`.
  ToolRun Compile(const std::vector<std::string>& extra = {}) const;
  // `check` of the two sources, then `extra`.
  ToolRun Check(const std::vector<std::string>& extra = {}) const;

  // Where Compile writes: "out" in the directory unless changed.
  std::filesystem::path output;

 private:
  scenario::testing_support::TempDir dir_;
};

}  // namespace scenario::testing_support
