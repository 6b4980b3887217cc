// A compiled file that another program holds open (the simulator, with the
// scenario loaded), or a read-only one: the run names the file and the
// likely cause, waits a short time for a held file to be let go, and gives
// up with the old set whole. Here through the fake file system, which holds
// files as Windows does; tests/held_file_win32_test.cpp holds them for real.
#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "app/form_load.h"
#include "model/file_names.h"
#include "platform/files/file_set.h"
#include "platform/files/temporary_names.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_program_run.h"
#include "tests/support/recording_window.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::RecordingWindow;
using testing_support::ReasonOf;
using Step = FakeFileSystem::Step;
using Files = std::map<std::string, std::string>;

const std::string kDirectory = "/run/";
const std::string kLineFile = kDirectory + CompiledLineName(kNomeLinea);
const std::string kStationFile = kDirectory + StationFileName(kNomeLinea, kNumeroTreno);
const std::string kCellFile = kDirectory + CellFileName(kNomeLinea, kNumeroTreno);
const std::string kCellName = CellFileName(kNomeLinea, kNumeroTreno);

Files OldFiles() {
  return {{kLineFile, "old plan"}, {kStationFile, "old stations"}, {kCellFile, "old cells"}};
}

using Outcome = testing_support::FakeProgramRun;

Outcome RunWith(const std::function<void(FakeFileSystem&)>& prepare, std::chrono::milliseconds wait) {
  return testing_support::RunProgramOnFakeFiles(kDirectory, OldFiles(), prepare, wait);
}

// Whether the run has begun to move the old compiled files aside.
bool MovingOldFiles(const FakeFileSystem& files) {
  for (const auto& step : files.log()) {
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    if (step.step == Step::Rename && IsTemporaryName(step.path.substr(kDirectory.size()), &process, &kind) &&
        kind == TemporaryKind::OldFile)
      return true;
  }
  return false;
}

const std::string kNotice = "scenario-compactor: '" + kCellFile +
                            "' is open in another program, perhaps the simulator; waiting for it to be let go "
                            "(at most 40 ms)\n";
const std::string kHeldFailure = "scenario-compactor: cannot replace '" + kCellName +
                                 "': it is open in another program, perhaps the simulator; close the scenario "
                                 "there and run again";

class HeldFiles : public ::testing::Test {
 protected:
  static void SetUpTestSuite() { clean_ = new Outcome(RunWith([](FakeFileSystem&) {}, std::chrono::milliseconds(40))); }
  static void TearDownTestSuite() { delete clean_; }
  static Outcome* clean_;
};
Outcome* HeldFiles::clean_ = nullptr;

TEST_F(HeldFiles, AFileHeldForGoodStopsTheRunBeforeAnythingIsWritten) {
  ASSERT_EQ(clean_->status, 0);
  const Outcome outcome = RunWith([](FakeFileSystem& files) { files.held = [](const std::string& p) { return p == kCellFile; }; },
                              std::chrono::milliseconds(40));
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.standard_error, kNotice + kHeldFailure + "\n");
  EXPECT_EQ(outcome.messages, std::vector<std::string>{kHeldFailure});
  EXPECT_EQ(outcome.files, OldFiles());
  // Only the directory was looked at.
  ASSERT_EQ(outcome.log.size(), 1u);
  EXPECT_EQ(outcome.log[0].step, Step::List);
}

TEST_F(HeldFiles, AFileLetGoWithinTheWaitIsReplacedWithTheOthers) {
  const Outcome outcome = RunWith(
      [](FakeFileSystem& files) {
        files.held = [looks = 0](const std::string& p) mutable { return p == kCellFile && looks++ < 3; };
      },
      std::chrono::seconds(10));
  const std::string notice = "scenario-compactor: '" + kCellFile +
                             "' is open in another program, perhaps the simulator; waiting for it to be let go "
                             "(at most 10 s)\n";
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.standard_error, notice);
  EXPECT_TRUE(outcome.files == clean_->files);
}

// Held only once the old files begin to move (it passed the first look):
// the files already replaced are put back, their new files kept, and the
// whole set goes in once the file is let go; or, held for good, the old set
// stays whole.
TEST_F(HeldFiles, AFileHeldWhileTheSetIsReplacedPutsTheOthersBack) {
  const struct {
    const char* what;
    int looks;  // how many looks find it held, once the old files move
    int status;
    std::string printed;
  } table[] = {
      {"let go", 2, 0, kNotice},
      {"held for good", 1000000, 1, kNotice + kHeldFailure + "\n"},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.what);
    const Outcome outcome = RunWith(
        [&row](FakeFileSystem& files) {
          files.held = [&files, looks = row.looks](const std::string& p) mutable {
            return p == kCellFile && MovingOldFiles(files) && looks-- > 0;
          };
        },
        std::chrono::milliseconds(40));
    EXPECT_EQ(outcome.status, row.status);
    EXPECT_EQ(outcome.standard_error, row.printed);
    // The line file went in and came out again, back under its new file's name.
    bool put_back = false;
    for (const auto& step : outcome.log)
      if (step.step == Step::Rename && step.from == kLineFile && step.path.find(".tmp-") != std::string::npos)
        put_back = true;
    EXPECT_TRUE(put_back);
    if (row.status == 0) {
      EXPECT_TRUE(outcome.files == clean_->files);
    } else {
      // The forms and the old compiled files, and no file of the set's.
      Files expected = clean_->files;
      for (const auto& [path, contents] : OldFiles()) expected[path] = contents;
      EXPECT_TRUE(outcome.files == expected);
    }
  }
}

TEST_F(HeldFiles, AReadOnlyFileIsNamedAsSuchAtOnce) {
  const Outcome outcome =
      RunWith([](FakeFileSystem& files) { files.read_only_files.insert(kCellFile); }, std::chrono::seconds(10));
  const std::string failure = "scenario-compactor: cannot replace '" + kCellName +
                              "': it is read-only; make it writable, or delete it, and run again";
  EXPECT_EQ(outcome.status, 1);
  EXPECT_EQ(outcome.standard_error, failure + "\n");
  EXPECT_EQ(outcome.files, OldFiles());
}

// Access denied on a file that nothing holds is told with the system's
// words, and the old set is put back. When even that is refused, the run
// says what it leaves, and the next run puts the new set in place.
TEST_F(HeldFiles, AccessDeniedOnAFileNothingHoldsIsToldAsItIs) {
  size_t cell_in = clean_->log.size();
  for (size_t i = 0; i < clean_->log.size(); ++i)
    if (clean_->log[i].step == Step::Rename && clean_->log[i].path == kCellFile) cell_in = i;
  ASSERT_LT(cell_in, clean_->log.size());
  Files old_set = clean_->files;
  for (const auto& [path, contents] : OldFiles()) old_set[path] = contents;

  const Outcome once = RunWith([&](FakeFileSystem& files) { files.FailStep(cell_in, StatusCode::PermissionDenied); },
                               std::chrono::seconds(10));
  EXPECT_EQ(once.status, 1);
  EXPECT_EQ(once.standard_error,
            "scenario-compactor: cannot rename '" + kCellName + "': " + ReasonOf(StatusCode::PermissionDenied) + "\n");
  EXPECT_TRUE(once.files == old_set);

  // Every rename onto the cell file refused: its old file cannot go back.
  const Outcome always = RunWith(
      [](FakeFileSystem& files) { files.FailOn(Step::Rename, kCellFile, StatusCode::PermissionDenied); },
      std::chrono::seconds(10));
  EXPECT_EQ(always.status, 1);
  EXPECT_EQ(always.standard_error, "scenario-compactor: cannot rename '" + kCellName + "': " +
                                       ReasonOf(StatusCode::PermissionDenied) +
                                       "; some of the files are new and some old, and the next run in this "
                                       "directory puts the rest of the new ones in place\n");
  FakeFileSystem next;
  next.files = always.files;
  next.process_number = 2;
  RecordingWindow window;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(Workspace{next, kDirectory}, window), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(next.files == clean_->files);
}

}  // namespace
}  // namespace scenario
