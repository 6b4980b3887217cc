// Names on Windows: Windows-1252 bytes inside, UTF-16 in the file system and
// on the command line.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include "platform/files/directory_lock.h"
#include "platform/system/program_directory.h"
#include "platform/system/win32_support.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::RunProcess;
using scenario::testing_support::RunWindowsCommandLine;
using scenario::testing_support::TempDir;
using Files = std::map<std::string, std::string>;

const std::string kLine = "Calvisio -Sambreta_linea.txt";
const std::string kTrain = "Calvisio -Sambreta_31613-.txt";

// The names Explorer shows for the files of the line "Città" (0xE0 is "à").
const fs::path kCompiledLine = fs::path(L"Citt\u00E0_linea.dat");
const fs::path kStationFile = fs::path(L"Citt\u00E0_31613.sim");

TEST(WindowsNames, AnEightBitCharacterOfALineNameIsItsCharacterInTheFileName) {
  TempDir dir;
  const std::string in = dir.PathOf("in");
  const std::string out = dir.PathOf("out");
  ASSERT_EQ(testing_support::RunTool({"sources", in}).status, 0);
  const testing_support::ToolRun run = testing_support::RunTool(
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

// A directory whose name has an 8-bit character: "Città" (0xE0 in
// Windows-1252), as Explorer shows it.
const fs::path kEightBitDirectory = fs::path(L"Citt\u00E0");

// A path as the system's names inside the programs: Windows-1252 bytes.
std::string Bytes(const fs::path& path) { return win32::Narrow(path.wstring()); }

// Every file in `directory` but the compactor itself, by name.
Files FilesIn(const fs::path& directory) {
  Files files;
  for (const auto& entry : fs::directory_iterator(directory))
    if (entry.is_regular_file() && entry.path().filename() != fs::path(SCENARIO_COMPACTOR_PATH).filename())
      files[Bytes(entry.path().filename())] = scenario::testing_support::ReadWholeFile(entry.path());
  return files;
}

// What the compactor leaves in a directory of its own with a plain name.
Files PlainRun() {
  TempDir dir;
  const fs::path program = scenario::testing_support::CopyProgramInto(dir.path());
  const auto outcome = RunProcess({Bytes(program)});
  if (outcome.exit_status != 0) throw std::runtime_error("the compactor failed: " + outcome.standard_error);
  return FilesIn(dir.path());
}

TEST(WindowsNames, SourceAndCompiledNamesInCapitalsFollowTheirPatterns) {
  TempDir dir;
  const fs::path in = dir.path() / "in";
  ASSERT_EQ(testing_support::RunTool({"sources", Bytes(in)}).status, 0);
  fs::rename(in / kLine, in / "VALLE_LINEA.TXT");
  fs::rename(in / kTrain, in / "VALLE_42-.TXT");

  const testing_support::ToolRun checked =
      testing_support::RunTool({"check", Bytes(in / "VALLE_LINEA.TXT"), Bytes(in / "VALLE_42-.TXT"), "--json"});
  EXPECT_EQ(checked.status, 0) << checked.err;
  EXPECT_NE(checked.out.find("\"nome_linea\": \"VALLE\""), std::string::npos) << checked.out;
  EXPECT_NE(checked.out.find("\"numero_treno\": \"42\""), std::string::npos) << checked.out;

  // The compiled files keep the line's spelling; given in capitals, they are
  // still told apart by their endings.
  const fs::path out = dir.path() / "out";
  const testing_support::ToolRun compiled = testing_support::RunTool(
      {"compile", Bytes(in / "VALLE_LINEA.TXT"), Bytes(in / "VALLE_42-.TXT"), "-o", Bytes(out)});
  ASSERT_EQ(compiled.status, 0) << compiled.err;
  ASSERT_TRUE(fs::is_regular_file(out / "VALLE_42.sim"));
  fs::rename(out / "VALLE_42.sim", out / "VALLE_42.SIM");
  fs::rename(out / "VALLE_42.dat", out / "VALLE_42.DAT");
  fs::rename(out / "VALLE_linea.dat", out / "VALLE_LINEA.DAT");
  const testing_support::ToolRun dumped = testing_support::RunTool({"dump", Bytes(out / "VALLE_42.SIM")});
  EXPECT_EQ(dumped.status, 0) << dumped.err;
  const testing_support::ToolRun plotted = testing_support::RunTool({"plot", Bytes(out), "-o", Bytes(dir.path() / "plot.svg")});
  EXPECT_EQ(plotted.status, 0) << plotted.err;
  EXPECT_EQ(plotted.err.find("no compiled line file"), std::string::npos) << plotted.err;
  EXPECT_TRUE(fs::is_regular_file(dir.path() / "plot.svg"));
}

TEST(WindowsNames, TheCompactorFindsAndWritesItsOwnDirectoryWhenItsNameHasAnEightBitCharacter) {
  TempDir dir;
  const fs::path home = dir.path() / kEightBitDirectory;
  fs::create_directory(home);
  const fs::path program = scenario::testing_support::CopyProgramInto(home);

  // Started from elsewhere, it writes beside itself, into "Città" and not
  // into a directory of a name mangled on the way ("Citt?", or the bytes
  // read as UTF-8).
  const auto outcome = RunProcess({Bytes(program)}, dir.path());
  ASSERT_EQ(outcome.exit_status, 0) << outcome.standard_error;
  EXPECT_EQ(outcome.standard_error, "");
  EXPECT_TRUE(FilesIn(home) == PlainRun());
  std::vector<fs::path> beside;
  for (const auto& entry : fs::directory_iterator(dir.path())) beside.push_back(entry.path().filename());
  EXPECT_EQ(beside, std::vector<fs::path>{kEightBitDirectory});
}

TEST(WindowsNames, TheToolWritesCompilesAndListsInADirectoryWhoseNameHasEightBitCharacters) {
  // "Città", and characters of 0x80..0x9F, which Latin-1 would read as
  // control characters: "Sant’Angelo €" (0x92, 0x80).
  for (const fs::path& name : {kEightBitDirectory, fs::path(L"Sant\u2019Angelo \u20AC")}) {
    TempDir dir;
    const fs::path home = dir.path() / name;
    const std::string sources = Bytes(home / "src");
    const std::string compiled = Bytes(home) + "\\compiled";
    const auto written = RunProcess({SCENARIO_TOOL_PATH, "sources", sources});
    ASSERT_EQ(written.exit_status, 0) << written.standard_error;
    EXPECT_TRUE(fs::is_regular_file(home / "src" / kLine));
    const auto outcome = RunProcess({SCENARIO_TOOL_PATH, "compile", sources + "\\" + kLine,
                                     sources + "/" + kTrain, "-o", compiled});
    ASSERT_EQ(outcome.exit_status, 0) << outcome.standard_error;

    // The compactor's bytes, in the directory named.
    const Files compactor = PlainRun();
    Files expected;
    for (const char* file : {"Calvisio -Sambreta_linea.dat", "Calvisio -Sambreta_31613.sim",
                             "Calvisio -Sambreta_31613.dat", kLockFileName})
      expected[file] = compactor.at(file);
    EXPECT_TRUE(FilesIn(home / "compiled") == expected);
    EXPECT_EQ(FilesIn(dir.path()), Files{});

    // The compiled scenario found by listing its directory.
    const auto plotted =
        RunProcess({SCENARIO_TOOL_PATH, "plot", compiled, "-o", Bytes(home / "plot.svg")});
    EXPECT_EQ(plotted.exit_status, 0) << plotted.standard_error;
    EXPECT_TRUE(fs::is_regular_file(home / "plot.svg"));
  }
}

}  // namespace
}  // namespace scenario::tool
