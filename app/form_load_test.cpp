#include "app/form_load.h"

#include <gtest/gtest.h>

#include "platform/files/directory_lock.h"
#include "platform/files/temporary_names.h"
#include "platform/system/program_directory.h"
#include "platform/system/system_folders.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/recording_window.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::RecordingWindow;
using testing_support::ReasonOf;
using Step = FakeFileSystem::Step;

TEST(RunProgram, AFailedFileStopsWithStatus1AndAMessageNamingIt) {
  FakeFileSystem files;
  files.FailOn(Step::Create, "/prog/Calvisio -Sambreta_31613.sim", StatusCode::ReadOnly);
  RecordingWindow window;
  ::testing::internal::CaptureStderr();
  int status = RunProgram(Workspace{files, "/prog/"}, window);
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(printed,
            "scenario-compactor: cannot create 'Calvisio -Sambreta_31613.sim': " + ReasonOf(StatusCode::ReadOnly) + "\n");
  // The window is on screen, so the message is shown there too.
  EXPECT_EQ(window.messages,
            std::vector<std::string>{
                "scenario-compactor: cannot create 'Calvisio -Sambreta_31613.sim': " + ReasonOf(StatusCode::ReadOnly)});
  EXPECT_TRUE(window.closed);
  // The forms, finished before the failure, stay; of the compiled files,
  // which are one set, none is written, not even the line file.
  EXPECT_FALSE(files.files.count("/prog/Calvisio -Sambreta_linea.dat"));
  EXPECT_TRUE(files.files.count("/prog/Calvisio -Sambreta_31613_scheda_treno.txt"));
  EXPECT_FALSE(files.files.count("/prog/Calvisio -Sambreta_31613.sim"));
  EXPECT_FALSE(files.files.count("/prog/Calvisio -Sambreta_31613.dat"));
}

TEST(RunProgram, ShowsTheWaitWindowBeforeAnyFileIsTouchedAndClosesIt) {
  // A file system that checks the window at its first step.
  struct WatchingFileSystem : FakeFileSystem {
    RecordingWindow* window = nullptr;
    bool shown_before_first_file = false;
    bool first = true;
    Status WriteTemporaryFile(const std::string& path, const PieceWriter& write, std::string* temporary) override {
      if (first) shown_before_first_file = window->wait_window_shown;
      first = false;
      return FakeFileSystem::WriteTemporaryFile(path, write, temporary);
    }
    bool FileExists(const std::string& path) override {
      if (first) shown_before_first_file = window->wait_window_shown;
      first = false;
      return FakeFileSystem::FileExists(path);
    }
  } files;
  RecordingWindow window;
  files.window = &window;
  RunProgram(Workspace{files, "/prog/"}, window);
  EXPECT_FALSE(files.first);
  EXPECT_TRUE(files.shown_before_first_file);
  EXPECT_TRUE(window.closed);
}

TEST(RunProgram, NormalRunEndsWithStatus0LeavingTheFormsAndTheCompiledFiles) {
  FakeFileSystem files;
  RecordingWindow window;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(Workspace{files, "/prog/"}, window), 0);
  EXPECT_EQ(::testing::internal::GetCapturedStderr(), "");
  EXPECT_TRUE(window.messages.empty());
  std::vector<std::string> names;
  for (const auto& [path, contents] : files.files) names.push_back(path);
  EXPECT_EQ(names, (std::vector<std::string>{
                       "/prog/Calvisio -Sambreta_31613.dat",
                       "/prog/Calvisio -Sambreta_31613.sim",
                       "/prog/Calvisio -Sambreta_31613_note.txt",
                       "/prog/Calvisio -Sambreta_31613_rallentamenti.txt",
                       "/prog/Calvisio -Sambreta_31613_scheda_treno.txt",
                       "/prog/Calvisio -Sambreta_linea.dat",
                   }));
}

// Installed for everyone, among the system's programs, the program refuses
// to run before it has touched anything, not even the lock.
TEST(RunProgram, AFolderOfTheSystemsProgramsIsRefusedBeforeAnythingIsWritten) {
  ASSERT_FALSE(SystemProgramFolders().empty());
  for (const std::string& folder : SystemProgramFolders()) {
    const std::string directory = JoinPath(folder, "scenario-compactor");
    SCOPED_TRACE(directory);
    FakeFileSystem files;
    RecordingWindow window;
    ::testing::internal::CaptureStderr();
    const int status = RunProgram(Workspace{files, directory}, window);
    const std::string printed = ::testing::internal::GetCapturedStderr();
    const std::string failure = "scenario-compactor: cannot run in '" + directory +
                                "': it is a folder of the system's programs (in '" + folder +
                                "'), and the compactor writes its files beside itself; copy the program into a "
                                "folder of your own and run the copy there";
    EXPECT_EQ(status, 1);
    EXPECT_EQ(printed, failure + "\n");
    EXPECT_EQ(window.messages, std::vector<std::string>{failure});
    EXPECT_TRUE(window.closed);
    EXPECT_TRUE(files.log().empty());
    EXPECT_TRUE(files.directory_log().empty());
  }
}

using DirectoryStep = FakeFileSystem::DirectoryStep;

TEST(RunProgram, HoldsItsDirectoryFromBeforeTheFirstFileToAfterTheLastFlushed) {
  FakeFileSystem files;
  RecordingWindow window;
  ASSERT_EQ(RunProgram(Workspace{files, "/prog/"}, window), 0);
  const size_t file_steps = files.log().size();
  ASSERT_GT(file_steps, 0u);
  // The compiled files' set: its record is made lasting before the first
  // old file moves, and the renames before the record goes.
  size_t record_placed = 0;
  size_t record_deleted = 0;
  for (size_t i = 0; i < file_steps; ++i) {
    const auto& step = files.log()[i];
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    const bool record = IsTemporaryName(step.path.substr(step.path.rfind('/') + 1), &process, &kind) &&
                        kind == TemporaryKind::SetRecord;
    if (record && step.step == Step::Rename) record_placed = i + 1;
    if (record && step.step == Step::Delete) record_deleted = i;
  }
  ASSERT_GT(record_placed, 0u);
  ASSERT_GT(record_deleted, record_placed);
  std::vector<std::tuple<DirectoryStep, std::string, size_t>> steps;
  for (const auto& step : files.directory_log())
    steps.emplace_back(step.step, step.directory, step.file_steps_before);
  // Between the lock and the removal of leftovers, the directory is listed
  // for the records of sets that killed runs left.
  ASSERT_EQ(files.log()[0].step, Step::List);
  const std::vector<std::tuple<DirectoryStep, std::string, size_t>> expected = {
      {DirectoryStep::Lock, "/prog/", 0},
      {DirectoryStep::RemoveLeftovers, "/prog/", 1},
      {DirectoryStep::Sync, "/prog/", record_placed},
      {DirectoryStep::Sync, "/prog/", record_deleted},
      {DirectoryStep::Sync, "/prog/", file_steps},
      {DirectoryStep::Unlock, "/prog/", file_steps},
  };
  EXPECT_EQ(steps, expected);
}

// What an earlier run left in the directory.
std::map<std::string, std::string> EarlierFiles() {
  return {{"/prog/Calvisio -Sambreta_linea.dat", "old plan"},
          {"/prog/Calvisio -Sambreta_31613.sim", "old stations"},
          {"/prog/Calvisio -Sambreta_31613.dat", "old cells"},
          {"/prog/" + TemporaryNameFor("Calvisio -Sambreta_linea.dat", 77, 5), "half a plan"}};
}

TEST(RunProgram, ADirectoryHeldByAnotherRunPastTheWaitStopsWithStatus1AndChangesNothing) {
  FakeFileSystem files;
  files.files = EarlierFiles();
  files.held_elsewhere.insert("/prog/");
  RecordingWindow window;
  ::testing::internal::CaptureStderr();
  const int status = RunProgram(Workspace{files, "/prog/"}, window);
  const std::string printed = ::testing::internal::GetCapturedStderr();

  const std::string failure =
      "scenario-compactor: cannot lock the directory '/prog/': another run holds it and has not let "
      "go of it within 60 s; start again once that run has ended";
  EXPECT_EQ(status, 1);
  EXPECT_EQ(printed,
            "scenario-compactor: another run holds the directory '/prog/'; waiting for it to end (at "
            "most 60 s)\n" +
                failure + "\n");
  EXPECT_EQ(window.messages, std::vector<std::string>{failure});
  EXPECT_TRUE(window.closed);
  EXPECT_TRUE(files.log().empty()) << "a file was touched without the lock";
  EXPECT_EQ(files.files, EarlierFiles());
}

TEST(RunProgram, LeftoversOfEndedRunsGoBeforeTheRunAndThoseOfRunningOnesStay) {
  FakeFileSystem files;
  files.files = EarlierFiles();
  const std::string running = "/prog/" + TemporaryNameFor("Calvisio -Sambreta_31613.dat", 88, 0);
  const std::string elsewhere = "/other/" + TemporaryNameFor("Calvisio -Sambreta_31613.dat", 77, 0);
  files.files[running] = "being written";
  files.files[elsewhere] = "not this run's directory";
  files.running_processes.insert(88);
  RecordingWindow window;
  ASSERT_EQ(RunProgram(Workspace{files, "/prog/"}, window), 0);
  EXPECT_EQ(files.files.count("/prog/" + TemporaryNameFor("Calvisio -Sambreta_linea.dat", 77, 5)), 0u);
  EXPECT_EQ(files.files.count(running), 1u);
  EXPECT_EQ(files.files.count(elsewhere), 1u);
  EXPECT_NE(files.files.at("/prog/Calvisio -Sambreta_31613.sim"), "old stations");
}

// A directory step that fails: the flush of the renames ends the run as any
// other failure of the system (the first flush comes before the compiled
// files are replaced, which then stay old); a leftover that cannot be
// removed is told and the run goes on.
TEST(RunProgram, FailuresOfTheDirectorySteps) {
  const struct {
    DirectoryStep step;
    StatusCode code;
    int status;
    std::string printed;
    size_t cells;
  } table[] = {
      {DirectoryStep::Sync, StatusCode::IoError, 1,
       "scenario-compactor: cannot flush the directory '/prog/': " + ReasonOf(StatusCode::IoError) + "\n",
       std::string("old cells").size()},
      {DirectoryStep::RemoveLeftovers, StatusCode::PermissionDenied, 0,
       "scenario-compactor: cannot delete the leftover temporary file "
       "'/prog/.Calvisio -Sambreta_linea.dat.tmp-77-5': " +
           ReasonOf(StatusCode::PermissionDenied) +
           "; it is no file of the scenario and can be deleted\n",
       31815},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.printed);
    FakeFileSystem files;
    files.files = EarlierFiles();
    files.FailDirectoryStep(row.step, row.code);
    RecordingWindow window;
    ::testing::internal::CaptureStderr();
    const int status = RunProgram(Workspace{files, "/prog/"}, window);
    EXPECT_EQ(::testing::internal::GetCapturedStderr(), row.printed);
    EXPECT_EQ(status, row.status);
    EXPECT_EQ(files.files.at("/prog/Calvisio -Sambreta_31613.dat").size(), row.cells);
    EXPECT_EQ(files.files.at("/prog/Calvisio -Sambreta_31613_note.txt"), "");
    // The lock was let go.
    ASSERT_FALSE(files.directory_log().empty());
    EXPECT_EQ(files.directory_log().back().step, DirectoryStep::Unlock);
  }
}

}  // namespace
}  // namespace scenario
