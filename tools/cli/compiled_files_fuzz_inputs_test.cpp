// The seeds and kept findings of the compiled-file fuzzer, replayed with the
// fuzzer's own checks and with the whole commands.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "tests/support/built_in_compiled.h"
#include "tests/support/compiled_file_checks.h"
#include "tests/support/temp_dir.h"

namespace scenario::tool {
namespace {

using testing_support::CheckCompiledFiles;
using testing_support::CheckDepth;
using testing_support::CompiledFileBytes;
using testing_support::JoinCompiledFiles;
using testing_support::SplitCompiledFiles;
using testing_support::ReadWholeFile;

const std::filesystem::path kFuzzDirectory = std::filesystem::path(SCENARIO_SOURCE_DIR) / "fuzz";

TEST(CompiledFilesFuzzInputs, EveryKeptInputPassesTheTargetsChecks) {
  int inputs = 0;
  for (const char* kind : {"corpus", "regressions"}) {
    const std::filesystem::path directory = kFuzzDirectory / kind / "compiled_files";
    if (!std::filesystem::is_directory(directory)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory)) {
      SCOPED_TRACE(entry.path().string());
      const std::string input = ReadWholeFile(entry.path());
      EXPECT_EQ(CheckCompiledFiles(input, CheckDepth::Readers), "");
      EXPECT_EQ(CheckCompiledFiles(input, CheckDepth::Commands), "");
      ++inputs;
    }
  }
  EXPECT_GT(inputs, 0);
}

TEST(CompiledFilesFuzzInputs, AnInputPartsIntoTheFilesItStandsFor) {
  const std::string next(testing_support::kNextCompiledFile);
  const struct {
    const char* name;
    std::string input;
    CompiledFileBytes files;
  } cases[] = {
      {"a station file alone", "abc", {"abc", std::nullopt, std::nullopt}},
      {"no line file", "a" + next + "b", {"a", "b", std::nullopt}},
      {"all three, empty ones", next + next, {"", "", ""}},
      {"a line file holding the parting", "a" + next + "b" + next + "c" + next + "d",
       {"a", "b", "c" + next + "d"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const CompiledFileBytes files = SplitCompiledFiles(c.input);
    EXPECT_EQ(files.station, c.files.station);
    EXPECT_EQ(files.cell, c.files.cell);
    EXPECT_EQ(files.line, c.files.line);
    EXPECT_EQ(JoinCompiledFiles(files), c.input);
  }
}

// The seed of the built-in scenario is its compiled files as the tool
// compiles them.
TEST(CompiledFilesFuzzInputs, TheBuiltInSeedIsTheBuiltInCompiledFiles) {
  const testing_support::BuiltInCompiled& built_in = testing_support::CompiledBuiltIn();
  const std::string station = ReadWholeFile(built_in.directory / built_in.station_file);
  const std::string cell = ReadWholeFile(built_in.directory / built_in.cell_file);
  EXPECT_EQ(ReadWholeFile(kFuzzDirectory / "corpus/compiled_files/built_in_no_line.bin"),
            JoinCompiledFiles({station, cell, std::nullopt}));
}

}  // namespace
}  // namespace scenario::tool
