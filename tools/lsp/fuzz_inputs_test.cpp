// The language server's fuzz target's seeds and kept findings, replayed with
// the target's own checks.
#include <gtest/gtest.h>

#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/support/lsp_message_checks.h"

namespace scenario::lsp {
namespace {

TEST(LspFuzzInputs, EveryKeptInputPassesTheTargetsChecks) {
  const std::filesystem::path fuzz = std::filesystem::path(SCENARIO_SOURCE_DIR) / "fuzz";
  int inputs = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    const std::filesystem::path directory = fuzz / kind / "lsp_message";
    if (!std::filesystem::is_directory(directory)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      SCOPED_TRACE(entry.path().string());
      EXPECT_EQ(testing_support::CheckMessageStream(scenario::testing_support::ReadWholeFile(entry.path())), "");
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0);
}

}  // namespace
}  // namespace scenario::lsp
