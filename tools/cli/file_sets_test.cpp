// What scenario-tool writes is one set: `sources` its five files,
// `decompile` its two sources, `compile` its compiled files. Failed at any
// step, each leaves the old files whole; a compiled file that another
// program holds open stops a compile before anything is written.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "platform/files/temporary_names.h"
#include "platform/system/program_directory.h"
#include "tests/support/built_in_compiled.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/system_facts.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

using testing_support::FakeFileSystem;
using testing_support::ReasonOf;
using testing_support::StepName;
using Files = std::map<std::string, std::string>;
using Step = FakeFileSystem::Step;
using testing_support::RunTool;
using testing_support::ReadWholeFile;

const std::string kOut = "/out";
const std::string kLine = "Calvisio -Sambreta";
const std::string kTrain = "31613";

bool IsTemporaryPath(const std::string& path) {
  unsigned long process = 0;
  const std::string::size_type separator = path.find_last_of("/\\");
  return IsTemporaryName(separator == std::string::npos ? path : path.substr(separator + 1), &process);
}

// The files of `names` in the output directory, as `files` holds them.
Files Of(const Files& files, const std::vector<std::string>& names) {
  Files picked;
  for (const std::string& name : names) {
    auto file = files.find(JoinPath(kOut, name));
    if (file != files.end()) picked[file->first] = file->second;
  }
  return picked;
}

std::vector<std::string> TemporariesIn(const Files& files) {
  std::vector<std::string> found;
  for (const auto& [path, contents] : files)
    if (IsTemporaryPath(path)) found.push_back(path);
  return found;
}

// Runs `args` on a file system that starts as `start`, clean and then with
// each step of the writing of the set failed in turn: every failure ends
// with status 3 and leaves the files `names` as they were, and nothing
// under a temporary name.
void EachStepFailedLeavesTheOldSet(const Files& start, const std::vector<std::string>& args,
                                   const std::vector<std::string>& names) {
  FakeFileSystem clean;
  clean.files = start;
  const testing_support::ToolRun run = RunTool(args, clean);
  ASSERT_EQ(run.status, 0) << run.err;
  ASSERT_NE(Of(clean.files, names), Of(start, names));
  size_t checked = 0;
  for (size_t index = 0; index < clean.log().size(); ++index) {
    const auto& step = clean.log()[index];
    // Reading the inputs, and removing the record and the old files once
    // the set is in place, are no part of it.
    if (step.step == Step::Read || step.step == Step::Delete || step.step == Step::List ||
        step.step == Step::MakeDirectory)
      continue;
    SCOPED_TRACE(std::string(StepName(step.step)) + " '" + step.path + "'");
    FakeFileSystem files;
    files.files = start;
    files.FailStep(index, StatusCode::IoError);
    const testing_support::ToolRun failed = RunTool(args, files);
    EXPECT_EQ(failed.status, 3) << failed.err;
    EXPECT_NE(failed.err.find(ReasonOf(StatusCode::IoError)), std::string::npos) << failed.err;
    EXPECT_TRUE(Of(files.files, names) == Of(start, names));
    EXPECT_EQ(TemporariesIn(files.files), std::vector<std::string>{});
    ++checked;
  }
  EXPECT_GE(checked, 3 * names.size());
}

TEST(FileSets, SourcesReplacesItsFiveFilesAsOneSet) {
  const std::vector<std::string> names = {LineSourceName(kLine), TrainSourceName(kLine, kTrain),
                                          FormName(kLine, kTrain, "note.txt"),
                                          FormName(kLine, kTrain, "rallentamenti.txt"),
                                          FormName(kLine, kTrain, "scheda_treno.txt")};
  Files start;
  for (const std::string& name : names) start[JoinPath(kOut, name)] = "an author's own " + name;
  EachStepFailedLeavesTheOldSet(start, {"sources", kOut, "--force"}, names);
}

TEST(FileSets, DecompileReplacesItsTwoSourcesAsOneSet) {
  const auto& compiled = testing_support::CompiledBuiltIn();
  Files start;
  for (const std::string& path : {compiled.line_file, compiled.station_file, compiled.cell_file})
    start[JoinPath("/in", std::filesystem::path(path).filename().string())] = ReadWholeFile(path);
  const std::vector<std::string> names = {LineSourceName(kLine), TrainSourceName(kLine, kTrain)};
  for (const std::string& name : names) start[JoinPath(kOut, name)] = "an author's own " + name;
  EachStepFailedLeavesTheOldSet(start,
                                {"decompile", JoinPath("/in", StationFileName(kLine, kTrain)),
                                 JoinPath("/in", CellFileName(kLine, kTrain)), JoinPath("/in", CompiledLineName(kLine)),
                                 "-o", kOut, "--force"},
                                names);
}

// A cell file that another program holds open: the compile waits, says
// so, and gives up before it has written anything, with status 3.
TEST(FileSets, ACompileWaitsForAHeldFileAndGivesUpWithNothingWritten) {
  testing_support::SetEnvironment("SCENARIO_HELD_FILE_WAIT_MS", "30");
  const auto& compiled = testing_support::CompiledBuiltIn();
  FakeFileSystem files;
  ASSERT_EQ(RunTool({"sources", "/in"}, files).status, 0);
  for (const std::string& path : {compiled.line_file, compiled.station_file, compiled.cell_file})
    files.files[JoinPath(kOut, std::filesystem::path(path).filename().string())] = "old " + path;
  const Files before = files.files;
  const std::string cell = JoinPath(kOut, CellFileName(kLine, kTrain));
  files.held = [&cell](const std::string& path) { return path == cell; };
  const size_t steps_before = files.log().size();

  const testing_support::ToolRun run = RunTool({"compile", JoinPath("/in", LineSourceName(kLine)),
                                        JoinPath("/in", TrainSourceName(kLine, kTrain)), "-o", kOut},
                                       files);
  testing_support::SetEnvironment("SCENARIO_HELD_FILE_WAIT_MS", std::nullopt);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "scenario-tool compile: '" + cell +
                         "' is open in another program, perhaps the simulator; waiting for it to be let go (at "
                         "most 30 ms)\n"
                         "scenario-tool compile: cannot replace '" + CellFileName(kLine, kTrain) +
                         "': it is open in another program, perhaps the simulator; close the scenario there and "
                         "run again\n");
  EXPECT_TRUE(files.files == before);
  // Nothing was written: no source was copied in.
  for (size_t i = steps_before; i < files.log().size(); ++i) EXPECT_NE(files.log()[i].step, Step::Create);
}

}  // namespace
}  // namespace scenario::tool
