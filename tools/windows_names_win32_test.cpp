// Names on Windows: Windows-1252 bytes inside, UTF-16 in the file system and
// on the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "platform/program_directory.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"
#include "tools/test_support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::RunProcess;
using scenario::testing_support::RunWindowsCommandLine;
using scenario::testing_support::TempDir;

const std::string kLine = "Calvisio -Sambreta_linea.txt";
const std::string kTrain = "Calvisio -Sambreta_31613-.txt";

// The names Explorer shows for the files of the line "Città" (0xE0 is "à").
const fs::path kCompiledLine = fs::path(L"Citt\u00E0_linea.dat");
const fs::path kStationFile = fs::path(L"Citt\u00E0_31613.sim");

TEST(WindowsNames, AnEightBitCharacterOfALineNameIsItsCharacterInTheFileName) {
  TempDir dir;
  const std::string in = dir.PathOf("in");
  const std::string out = dir.PathOf("out");
  ASSERT_EQ(testing::RunTool({"sources", in}).status, 0);
  const testing::ToolRun run = testing::RunTool(
      {"compile", JoinPath(in, kLine), JoinPath(in, kTrain), "-o", out, "--line-name", "Citt\xE0", "--train-number", "31613"});
  ASSERT_EQ(run.status, 0) << run.err;
  EXPECT_TRUE(fs::is_regular_file(fs::path(out) / kCompiledLine));
  EXPECT_TRUE(fs::is_regular_file(fs::path(out) / kStationFile));
  // What the tool prints names the file in the same bytes it was given.
  EXPECT_NE(run.out.find("Citt\xE0_linea.dat"), std::string::npos) << run.out;
}

TEST(WindowsNames, TheProgramTakesTheNameFromItsUtf16CommandLineWithEitherSeparator) {
  TempDir dir;
  const std::string in = dir.PathOf("in");
  ASSERT_EQ(RunProcess({SCENARIO_TOOL_PATH, "sources", in}).exit_status, 0);
  // "\" and "/" both separate; the name goes to the command line as "Città".
  const std::string out = dir.path().string() + "/out";
  const auto outcome = RunProcess({SCENARIO_TOOL_PATH, "compile", in + "\\" + kLine, in + "/" + kTrain,
                                   "-o", out, "--line-name", "Citt\xE0", "--train-number", "31613"});
  ASSERT_EQ(outcome.exit_status, 0) << outcome.standard_error;
  EXPECT_TRUE(fs::is_regular_file(fs::path(out) / kCompiledLine));
  EXPECT_TRUE(fs::is_regular_file(fs::path(out) / kStationFile));
}

TEST(WindowsNames, AnArgumentWindows1252CannotHoldIsRefusedByName) {
  TempDir dir;
  const std::wstring tool = fs::path(SCENARIO_TOOL_PATH).wstring();
  const std::wstring out = dir.path().wstring();
  const auto outcome = RunWindowsCommandLine(L"\"" + tool + L"\" sources \"" + out +
                                             L"\\\u041C\u043E\u0441\u043A\u0432\u0430\"");
  EXPECT_EQ(outcome.exit_status, 64);
  EXPECT_NE(outcome.standard_error.find("Windows-1252 cannot hold"), std::string::npos)
      << outcome.standard_error;
  EXPECT_NE(outcome.standard_error.find("\\\?\?\?\?\?\?'"), std::string::npos) << outcome.standard_error;
  EXPECT_TRUE(fs::is_empty(dir.path())) << "something was written";
}

}  // namespace
}  // namespace scenario::tool
