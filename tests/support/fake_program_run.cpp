#include "tests/support/fake_program_run.h"

#include <gtest/gtest.h>

#include "app/form_load.h"
#include "platform/files/workspace.h"
#include "tests/support/recording_window.h"

namespace scenario::testing_support {

FakeProgramRun RunProgramOnFakeFiles(const std::string& directory, const std::map<std::string, std::string>& files_before,
                                     const std::function<void(FakeFileSystem&)>& prepare,
                                     std::optional<std::chrono::milliseconds> held_file_wait) {
  FakeFileSystem files;
  files.files = files_before;
  prepare(files);
  Workspace workspace{files, directory};
  if (held_file_wait) workspace.held_file_wait = *held_file_wait;
  RecordingWindow window;
  FakeProgramRun run;
  ::testing::internal::CaptureStderr();
  run.status = RunProgram(workspace, window);
  run.standard_error = ::testing::internal::GetCapturedStderr();
  run.messages = window.messages;
  run.files = files.files;
  run.log = files.log();
  return run;
}

}  // namespace scenario::testing_support
