// Runs the real program as a process of its own, for tests of the whole
// program: its directory, its user, its standard error and its exit status.
#pragma once

#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace scenario::testing_support {

struct ProcessOutcome {
  // The exit status, or -1 when the process ended by a signal.
  int exit_status = -1;
  std::string standard_error;
};

// Copies the program built beside the tests into `directory`, so that the
// directory becomes the program's own; returns the copy's path.
std::filesystem::path CopyProgramInto(const std::filesystem::path& directory);

// The files of a directory the program was copied into, name to contents,
// without the program itself.
std::map<std::string, std::string> FilesBesideTheProgram(const std::filesystem::path& directory);

// The built-in scenario's three compiled files with made-up contents, as a
// run before would have left them.
const std::map<std::string, std::string>& EarlierCompiledSet();

// Runs `argv` (argv[0] is a path) with no display, standard output
// discarded, standard error collected, and waits for its end. It runs in
// `working_directory` when one is given, else in the test's.
ProcessOutcome RunProcess(const std::vector<std::string>& argv,
                          const std::filesystem::path& working_directory = {});

// Windows only: runs the UTF-16 `command_line` as RunProcess runs its
// arguments, for command lines that Windows-1252 bytes cannot spell.
ProcessOutcome RunWindowsCommandLine(const std::wstring& command_line);

// Windows only: the command line from which a child's C runtime reads back
// `argv` (Windows-1252 bytes) as it is, each argument in quotes.
std::wstring WindowsCommandLine(const std::vector<std::string>& argv);

// The full path of the command `name` found through PATH, or "" when there
// is none. POSIX systems only.
std::string FindCommand(const std::string& name);

// The Windows build that `scripts/test windows` names in
// SCENARIO_WINDOWS_BUILD, and Wine to run its programs from Linux.
struct WineRunner {
  std::string wine;             // the full path of the wine command
  std::filesystem::path build;  // the Windows build directory
};

// The Windows build and Wine, or nothing, with the reason to skip in
// `*skip_reason`, when either is missing. POSIX systems only.
std::optional<WineRunner> FindWineRunner(std::string* skip_reason);

}  // namespace scenario::testing_support
