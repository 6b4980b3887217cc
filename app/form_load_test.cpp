#include "app/form_load.h"

#include <gtest/gtest.h>

#include "tests/support/fake_file_system.h"
#include "tests/support/recording_window.h"

namespace scenario {
namespace {

using Step = FakeFileSystem::Step;

TEST(RunProgram, AFailedFileStopsWithStatus1AndAMessageNamingIt) {
  FakeFileSystem files;
  files.FailOn(Step::Create, "/prog/Calvisio -Sambreta_31613.sim", StatusCode::ReadOnly);
  RecordingWindow window;
  ::testing::internal::CaptureStderr();
  int status = RunProgram(Workspace{files, "/prog"}, window);
  std::string printed = ::testing::internal::GetCapturedStderr();
  EXPECT_EQ(status, 1);
  EXPECT_EQ(printed,
            "scenario-compactor: cannot create 'Calvisio -Sambreta_31613.sim': " + ReasonOf(StatusCode::ReadOnly) + "\n");
  // The window is on screen, so the message is shown there too.
  EXPECT_EQ(window.messages,
            std::vector<std::string>{
                "scenario-compactor: cannot create 'Calvisio -Sambreta_31613.sim': " + ReasonOf(StatusCode::ReadOnly)});
  EXPECT_TRUE(window.closed);
  // Files finished before the failure stay; nothing after it is written.
  EXPECT_TRUE(files.files.count("/prog/Calvisio -Sambreta_linea.dat"));
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
    Status ReplaceFile(const std::string& path, std::string_view contents) override {
      if (first) shown_before_first_file = window->wait_window_shown;
      first = false;
      return FakeFileSystem::ReplaceFile(path, contents);
    }
    bool FileExists(const std::string& path) override {
      if (first) shown_before_first_file = window->wait_window_shown;
      first = false;
      return FakeFileSystem::FileExists(path);
    }
  } files;
  RecordingWindow window;
  files.window = &window;
  RunProgram(Workspace{files, "/prog"}, window);
  EXPECT_FALSE(files.first);
  EXPECT_TRUE(files.shown_before_first_file);
  EXPECT_TRUE(window.closed);
}

TEST(RunProgram, NormalRunEndsWithStatus0LeavingTheFormsAndTheCompiledFiles) {
  FakeFileSystem files;
  RecordingWindow window;
  ::testing::internal::CaptureStderr();
  EXPECT_EQ(RunProgram(Workspace{files, "/prog"}, window), 0);
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

}  // namespace
}  // namespace scenario
