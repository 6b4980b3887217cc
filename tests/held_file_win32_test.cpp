// On Windows a file that another program holds open cannot be replaced: the
// simulator, with the scenario loaded, holds the cell file. The real
// program, with the cell file held by a helper process that lets others
// read it but not delete it: it names the file and the likely cause, waits,
// and gives up with nothing changed, or goes on once the file is let go. A
// read-only file is named as read-only.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <thread>

#include "platform/files/workspace.h"
#include "tests/support/child_process.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using namespace std::chrono_literals;
using testing_support::ChildProcess;
using testing_support::CopyProgramInto;
using testing_support::EnvironmentChanges;
using testing_support::kTextLineEnd;
using testing_support::TempDir;
using Files = std::map<std::string, std::string>;

const char kCellName[] = "Calvisio -Sambreta_31613.dat";

Files OldSet() {
  return {{"Calvisio -Sambreta_linea.dat", "old plan"},
          {"Calvisio -Sambreta_31613.sim", "old stations"},
          {kCellName, "old cells"}};
}

// The directory's files without the program and the lock it leaves.
Files FilesBesideTheProgram(const TempDir& dir) {
  Files files = dir.Files();
  files.erase(std::filesystem::path(SCENARIO_COMPACTOR_PATH).filename().string());
  files.erase(".scenario-compactor.lock");
  return files;
}

// Each file's name and size, read from the directory without opening the
// files.
std::map<std::string, std::uintmax_t> NamesAndSizes(const TempDir& dir) {
  std::map<std::string, std::uintmax_t> found;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    found[entry.path().filename().string()] = entry.file_size();
  found.erase(std::filesystem::path(SCENARIO_COMPACTOR_PATH).filename().string());
  found.erase(".scenario-compactor.lock");
  return found;
}

std::map<std::string, std::uintmax_t> NamesAndSizes(const Files& files) {
  std::map<std::string, std::uintmax_t> found;
  for (const auto& [name, contents] : files) found[name] = contents.size();
  return found;
}

// The helper holding `path`, once it says it does.
std::unique_ptr<ChildProcess> HoldFile(const std::filesystem::path& path) {
  auto holder = std::make_unique<ChildProcess>(std::vector<std::string>{FILE_HOLDER_PATH, path.string()},
                                               EnvironmentChanges{});
  const std::optional<std::string> said = holder->ReadOutputLine(30s);
  if (said != "holding")
    throw std::runtime_error("the helper does not hold the file: it said '" + said.value_or("(nothing)") +
                             "' and wrote '" + holder->errors() + "' on its standard error");
  return holder;
}

std::string Notice(const std::filesystem::path& cell, const std::string& wait) {
  return "scenario-compactor: '" + cell.string() +
         "' is open in another program, perhaps the simulator; waiting for it to be let go (at most " + wait +
         ")" + kTextLineEnd;
}

const std::string kFailure = std::string("scenario-compactor: cannot replace '") + kCellName +
                             "': it is open in another program, perhaps the simulator; close the scenario there "
                             "and run again";

TEST(HeldFileOnWindows, TheRunWaitsAndGivesUpWithNothingChanged) {
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  for (const auto& [name, contents] : OldSet()) testing_support::WriteWholeFile(dir.path() / name, contents);
  const auto holder = HoldFile(dir.path() / kCellName);

  ChildProcess run({program.string()}, {{"DISPLAY", std::nullopt}, {kHeldFileWaitVariable, "300"}});
  run.CloseInput();
  EXPECT_EQ(run.Wait(60s), 1);
  EXPECT_EQ(run.errors(), Notice(dir.path() / kCellName, "300 ms") + kFailure + kTextLineEnd);
  EXPECT_EQ(FilesBesideTheProgram(dir), OldSet());
  holder->CloseInput();
  EXPECT_EQ(holder->Wait(30s), 0);
}

TEST(HeldFileOnWindows, TheRunGoesOnOnceTheFileIsLetGo) {
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  for (const auto& [name, contents] : OldSet()) testing_support::WriteWholeFile(dir.path() / name, contents);
  const auto holder = HoldFile(dir.path() / kCellName);

  ChildProcess run({program.string()}, {{"DISPLAY", std::nullopt}});
  run.CloseInput();
  const std::string notice = Notice(dir.path() / kCellName, "10 s");
  const auto give_up = std::chrono::steady_clock::now() + 30s;
  while (run.errors() != notice && run.Running() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(10ms);
  ASSERT_EQ(run.errors(), notice);
  // While it waits the run looks at each file of the set again and again,
  // opening it for a moment without sharing: a read of ours may then be
  // refused. The names and sizes, which need no opening, show that nothing
  // has been replaced.
  EXPECT_EQ(NamesAndSizes(dir), NamesAndSizes(OldSet()));

  holder->CloseInput();
  EXPECT_EQ(holder->Wait(30s), 0);
  EXPECT_EQ(run.Wait(60s), 0);
  EXPECT_EQ(run.errors(), notice);
  const Files after = FilesBesideTheProgram(dir);
  EXPECT_EQ(after.at(kCellName).size(), 31815u);
  EXPECT_EQ(after.size(), 6u);
}

TEST(HeldFileOnWindows, AReadOnlyFileIsNamedAsReadOnly) {
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  for (const auto& [name, contents] : OldSet()) testing_support::WriteWholeFile(dir.path() / name, contents);
  const std::wstring cell = (dir.path() / kCellName).wstring();
  ASSERT_TRUE(SetFileAttributesW(cell.c_str(), FILE_ATTRIBUTE_READONLY));

  ChildProcess run({program.string()}, {{"DISPLAY", std::nullopt}});
  run.CloseInput();
  EXPECT_EQ(run.Wait(60s), 1);
  EXPECT_EQ(run.errors(), std::string("scenario-compactor: cannot replace '") + kCellName +
                              "': it is read-only; make it writable, or delete it, and run again" + kTextLineEnd);
  ASSERT_TRUE(SetFileAttributesW(cell.c_str(), FILE_ATTRIBUTE_NORMAL));
  EXPECT_EQ(FilesBesideTheProgram(dir), OldSet());
}

}  // namespace
}  // namespace scenario
