// The inputs of the fuzzers, replayed with the same checks: every seed of
// fuzz/corpus/ and every input a fuzzer once found a fault with, kept in
// fuzz/regressions/ (one directory per fuzz target).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/fuzz_checks.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::BuiltInLineSource;
using testing_support::BuiltInTrainSource;
using testing_support::CheckCompileRun;
using testing_support::CheckFieldStream;
using testing_support::ReadWholeFile;

const std::filesystem::path kFuzzDirectory = std::filesystem::path(SCENARIO_SOURCE_DIR) / "fuzz";

// Every file under fuzz/<kind>/<target>/, sorted.
std::vector<std::filesystem::path> InputsOf(const std::string& target) {
  std::vector<std::filesystem::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    const std::filesystem::path directory = kFuzzDirectory / kind / target;
    if (!std::filesystem::is_directory(directory)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

class FuzzInputs : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzInputs, EveryKeptInputPassesItsTargetsChecks) {
  const std::string target = GetParam();
  const std::vector<std::filesystem::path> inputs = InputsOf(target);
  // Every target has its seeds.
  ASSERT_FALSE(inputs.empty()) << "no input under " << kFuzzDirectory << " for " << target;
  for (const auto& input : inputs) {
    SCOPED_TRACE(input.string());
    const std::string text = ReadWholeFile(input);
    if (target == "field_stream") {
      EXPECT_EQ(CheckFieldStream(text), "");
    } else if (target == "line_description") {
      EXPECT_EQ(CheckCompileRun(text, BuiltInTrainSource()), "");
    } else {
      ASSERT_EQ(target, "train_service");
      EXPECT_EQ(CheckCompileRun(BuiltInLineSource(), text), "");
    }
  }
}

// The seeds start from the sources the program writes itself.
TEST(FuzzSeeds, TheBuiltInSeedsAreTheBuiltInSources) {
  EXPECT_EQ(ReadWholeFile(kFuzzDirectory / "corpus/line_description/built_in_line.txt"),
            BuiltInLineSource());
  EXPECT_EQ(ReadWholeFile(kFuzzDirectory / "corpus/train_service/built_in_train.txt"),
            BuiltInTrainSource());
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs,
                         ::testing::Values("field_stream", "line_description", "train_service"));

}  // namespace
}  // namespace scenario
