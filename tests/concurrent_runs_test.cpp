// Runs of the real program started together, killed in the middle or kept
// out by a lock held elsewhere: the directory always ends as one whole run
// leaves it, or as it was.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/files/directory_lock.h"
#include "platform/files/real_file_system.h"
#include "platform/files/step_pause.h"
#include "platform/files/temporary_names.h"
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

const EnvironmentChanges kNoDisplay = {{"DISPLAY", std::nullopt}, {"WAYLAND_DISPLAY", std::nullopt}};

Files FilesBesideTheProgram(const TempDir& dir) { return testing_support::FilesBesideTheProgram(dir.path()); }

// What one run alone leaves in a fresh directory.
const Files& OneRunsFiles() {
  static const Files* files = [] {
    TempDir dir;
    const auto program = CopyProgramInto(dir.path());
    ChildProcess run({program.string()}, kNoDisplay);
    run.CloseInput();
    if (run.Wait(60s) != 0) throw std::runtime_error("the single run failed: " + run.errors());
    return new Files(FilesBesideTheProgram(dir));
  }();
  return *files;
}

std::vector<std::string> TemporariesIn(const std::filesystem::path& directory) {
  std::vector<std::string> found;
  for (const auto& entry : std::filesystem::directory_iterator(directory)) {
    unsigned long process = 0;
    if (IsTemporaryName(entry.path().filename().string(), &process))
      found.push_back(entry.path().filename().string());
  }
  return found;
}

// Names the files whose contents differ from a single run's; "" when none.
std::string DifferencesFromOneRun(const Files& got) {
  const Files& expected = OneRunsFiles();
  std::string differences;
  for (const auto& [name, contents] : got) {
    auto other = expected.find(name);
    if (other == expected.end())
      differences += "'" + name + "' (not left by a run); ";
    else if (other->second != contents)
      differences += "'" + name + "' (" + std::to_string(contents.size()) + " bytes instead of " +
                     std::to_string(other->second.size()) + "); ";
  }
  for (const auto& [name, contents] : expected)
    if (got.count(name) == 0) differences += "'" + name + "' (missing); ";
  return differences;
}

// The lock a run takes, held by this test process as another run would
// hold it (the system's lock belongs to the open lock file, not to the
// process). It is not passed on to the programs started.
class HeldLock {
 public:
  explicit HeldLock(const std::filesystem::path& directory) {
    const Status taken = LockDirectoryOnDisk(directory.string(), std::chrono::milliseconds(0), nullptr, &lock_);
    if (!taken.ok() || lock_ == nullptr) throw std::runtime_error("cannot take the lock: " + taken.reason());
  }
  void Release() { lock_.reset(); }

 private:
  std::unique_ptr<DirectoryLock> lock_;
};

TEST(ConcurrentRuns, EightRunsStartedTogetherEndLikeOneRun) {
  ASSERT_FALSE(OneRunsFiles().empty());
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  std::vector<std::unique_ptr<ChildProcess>> runs;
  for (int i = 0; i < 8; ++i) {
    runs.push_back(std::make_unique<ChildProcess>(std::vector<std::string>{program.string()}, kNoDisplay));
    runs.back()->CloseInput();
  }
  for (size_t i = 0; i < runs.size(); ++i) {
    SCOPED_TRACE("run " + std::to_string(i));
    const std::optional<int> status = runs[i]->Wait(120s);
    ASSERT_TRUE(status.has_value()) << "still running";
    EXPECT_EQ(*status, 0) << runs[i]->errors();
    // A run that waited says so, and says nothing else.
    const std::string& errors = runs[i]->errors();
    if (!errors.empty()) {
      EXPECT_EQ(errors, "scenario-compactor: another run holds the directory '" +
                            dir.path().string() + "'; waiting for it to end (at most 60 s)" + kTextLineEnd);
    }
  }
  EXPECT_EQ(DifferencesFromOneRun(FilesBesideTheProgram(dir)), "");
}

TEST(ConcurrentRuns, AfterARunKilledInTheMiddleTheNextRunsAtOnceAndCleansUp) {
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  // Killed as soon as a file is being written; a file renamed before the
  // kill lands leaves nothing, so until one is left half-written.
  std::vector<std::string> left;
  for (int attempt = 0; attempt < 40 && left.empty(); ++attempt) {
    ChildProcess run({program.string()}, kNoDisplay);
    run.CloseInput();
    const auto give_up = std::chrono::steady_clock::now() + 10s;
    while (TemporariesIn(dir.path()).empty() && run.Running() &&
           std::chrono::steady_clock::now() < give_up) {
    }
    run.Kill();
    run.Wait(10s);
    left = TemporariesIn(dir.path());
  }
  ASSERT_FALSE(left.empty()) << "no run was caught in the middle of a file";

  ChildProcess next({program.string()}, kNoDisplay);
  next.CloseInput();
  EXPECT_EQ(next.Wait(60s), 0);
  EXPECT_EQ(next.errors(), "") << "the next run was kept waiting or failed";
  EXPECT_TRUE(TemporariesIn(dir.path()).empty());
  EXPECT_EQ(DifferencesFromOneRun(FilesBesideTheProgram(dir)), "");
}

// The compiled files of a run before: the old set.
const Files& OldSet() { return testing_support::EarlierCompiledSet(); }

// Whether the compiled files of `files` are the old set whole or the new
// set whole; names each file's state otherwise.
std::string OldSetOrNewSet(const Files& files) {
  std::string states;
  bool all_old = true;
  bool all_new = true;
  for (const auto& [name, old] : OldSet()) {
    auto file = files.find(name);
    const bool is_old = file != files.end() && file->second == old;
    const bool is_new = file != files.end() && file->second == OneRunsFiles().at(name);
    all_old = all_old && is_old;
    all_new = all_new && is_new;
    states += "'" + name + (is_old ? "' old; " : is_new ? "' new; " : file == files.end() ? "' missing; " : "' other; ");
  }
  return all_old || all_new ? "" : states;
}

// The run killed before each change it makes to the disk in turn (the
// program stops there when asked, and is killed as a power cut or the task
// manager would): what it leaves, once a run holds the directory, is the
// old set of compiled files or the new one, and the next run ends normally
// with the reference bytes.
TEST(ConcurrentRuns, ARunKilledAtEveryStepLeavesTheOldSetOrTheNewOneAndTheNextRunEndsNormally) {
  ASSERT_FALSE(OneRunsFiles().empty());
  int steps = 0;
  bool new_set_seen = false;
  for (int step = 1;; ++step) {
    SCOPED_TRACE("killed before step " + std::to_string(step));
    TempDir dir;
    const auto program = CopyProgramInto(dir.path());
    for (const auto& [name, contents] : OldSet()) testing_support::WriteWholeFile(dir.path() / name, contents);
    EnvironmentChanges changes = kNoDisplay;
    changes[kPauseStepVariable] = std::to_string(step);
    ChildProcess run({program.string()}, changes);
    run.CloseInput();
    const auto give_up = std::chrono::steady_clock::now() + 60s;
    while (run.errors().find(kPauseNotice) == std::string::npos && run.Running() &&
           std::chrono::steady_clock::now() < give_up)
      std::this_thread::sleep_for(2ms);
    if (run.errors().find(kPauseNotice) == std::string::npos) {
      // Past the last step: the run went through.
      ASSERT_EQ(run.Wait(60s), 0) << run.errors();
      break;
    }
    run.Kill();
    ASSERT_TRUE(run.Wait(10s).has_value());
    ++steps;

    // A run's hold on the directory, alone: it finishes or undoes what the
    // killed run left.
    {
      RealFileSystem files;
      Workspace workspace{files, dir.path().string()};
      std::vector<std::string> told;
      WorkspaceHold hold(workspace, std::chrono::milliseconds(0),
                         [&told](const std::string& notice) { told.push_back(notice); });
      EXPECT_EQ(told, std::vector<std::string>{});
    }
    const Files left = FilesBesideTheProgram(dir);
    EXPECT_EQ(OldSetOrNewSet(left), "") << run.errors();
    EXPECT_EQ(TemporariesIn(dir.path()), std::vector<std::string>{});
    if (left.at("Calvisio -Sambreta_31613.dat") != OldSet().at("Calvisio -Sambreta_31613.dat")) new_set_seen = true;

    ChildProcess next({program.string()}, kNoDisplay);
    next.CloseInput();
    EXPECT_EQ(next.Wait(60s), 0);
    EXPECT_EQ(next.errors(), "");
    EXPECT_EQ(DifferencesFromOneRun(FilesBesideTheProgram(dir)), "");
  }
  // Five text files written and two deleted; the set's three new files, its
  // record, three old files aside and three new ones in, the record and the
  // old files deleted.
  EXPECT_EQ(steps, 2 * 5 + 2 + (3 + 2 + 6 + 4));
  EXPECT_TRUE(new_set_seen);
}

// An earlier run's files, and a leftover of a run killed long ago.
Files EarlierFiles() {
  return {{"Calvisio -Sambreta_linea.dat", "old plan"},
          {"Calvisio -Sambreta_31613.sim", "old stations"},
          {"Calvisio -Sambreta_31613.dat", "old cells"},
          {"Calvisio -Sambreta_linea.txt", "a source a killed run left"},
          {TemporaryNameFor("Calvisio -Sambreta_linea.dat", 999999999, 0), "half a plan"},
          {kLockFileName, ""}};
}

TEST(ConcurrentRuns, ALockHeldPastTheWaitStopsTheRunWithStatus1AndChangesNothing) {
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  for (const auto& [name, contents] : EarlierFiles()) testing_support::WriteWholeFile(dir.path() / name, contents);
  HeldLock held(dir.path());

  EnvironmentChanges changes = kNoDisplay;
  changes[kLockWaitVariable] = "300";
  ChildProcess run({program.string()}, changes);
  run.CloseInput();
  EXPECT_EQ(run.Wait(60s), 1);
  const std::string directory = dir.path().string();
  EXPECT_EQ(run.errors(),
            "scenario-compactor: another run holds the directory '" + directory +
                "'; waiting for it to end (at most 300 ms)" + kTextLineEnd +
                "scenario-compactor: cannot lock the directory '" + directory +
                "': another run holds it and has not let go of it within 300 ms; start again once "
                "that run has ended" + kTextLineEnd);
  EXPECT_EQ(FilesBesideTheProgram(dir), EarlierFiles());

  // Once it is let go, a run goes through and clears what was left.
  held.Release();
  ChildProcess again({program.string()}, changes);
  again.CloseInput();
  EXPECT_EQ(again.Wait(60s), 0);
  EXPECT_EQ(again.errors(), "");
  EXPECT_EQ(DifferencesFromOneRun(FilesBesideTheProgram(dir)), "");
}

TEST(ConcurrentRuns, ARunWaitsWithoutTouchingAFileAndGoesOnWhenTheLockIsLetGo) {
  TempDir dir;
  const auto program = CopyProgramInto(dir.path());
  for (const auto& [name, contents] : EarlierFiles()) testing_support::WriteWholeFile(dir.path() / name, contents);
  HeldLock held(dir.path());

  ChildProcess run({program.string()}, kNoDisplay);
  run.CloseInput();
  const std::string notice = "scenario-compactor: another run holds the directory '" +
                             dir.path().string() + "'; waiting for it to end (at most 60 s)" + kTextLineEnd;
  const auto give_up = std::chrono::steady_clock::now() + 30s;
  while (run.errors() != notice && run.Running() && std::chrono::steady_clock::now() < give_up)
    std::this_thread::sleep_for(10ms);
  ASSERT_EQ(run.errors(), notice);
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(run.Running());
  EXPECT_EQ(FilesBesideTheProgram(dir), EarlierFiles());

  held.Release();
  EXPECT_EQ(run.Wait(60s), 0);
  EXPECT_EQ(run.errors(), notice);
  EXPECT_EQ(DifferencesFromOneRun(FilesBesideTheProgram(dir)), "");
}

}  // namespace
}  // namespace scenario
