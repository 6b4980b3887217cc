// The whole program on the fake file system, for the tests that make its
// file operations fail, kill it, or hold its files.
#pragma once

#include <chrono>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/fake_file_system.h"

namespace scenario::testing_support {

struct FakeProgramRun {
  int status = -1;
  std::string standard_error;
  std::vector<std::string> messages;        // what the window showed
  std::map<std::string, std::string> files;  // the directory after the run
  std::vector<FakeFileSystem::LoggedStep> log;
};

// Runs the program in `directory` on a fake file system that holds
// `files_before`; `prepare` sets its failures first. `held_file_wait`, when
// given, is how long the run waits for a held file.
FakeProgramRun RunProgramOnFakeFiles(const std::string& directory, const std::map<std::string, std::string>& files_before,
                                     const std::function<void(FakeFileSystem&)>& prepare,
                                     std::optional<std::chrono::milliseconds> held_file_wait = std::nullopt);

}  // namespace scenario::testing_support
