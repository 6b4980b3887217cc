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
#include "platform/files/temporary_names.h"
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

// The directory's files without the program itself.
Files FilesBesideTheProgram(const TempDir& dir) {
  Files files = dir.Files();
  files.erase(std::filesystem::path(SCENARIO_COMPACTOR_PATH).filename().string());
  return files;
}

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
