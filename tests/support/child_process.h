// A program run as a child process, with its standard streams on pipes and
// an environment of the test's choosing. Each system has its own file
// (fork and pipes on POSIX systems, CreateProcessW and pipes on Windows).
#pragma once

#include <chrono>
#include <cstdint>
#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace scenario::testing_support {

// How the lines a program writes on its standard output and standard error
// end: they are text streams, whose lines end in CR LF on Windows.
#ifdef _WIN32
inline constexpr const char* kTextLineEnd = "\r\n";
#else
inline constexpr const char* kTextLineEnd = "\n";
#endif

// Changes to the child's environment: a name with a value sets it, a name
// without one removes it.
using EnvironmentChanges = std::map<std::string, std::optional<std::string>>;

class ChildProcess {
 public:
  // Starts `arguments[0]` (a path) with the test's environment changed by
  // `changes`. Throws when the program cannot be started.
  ChildProcess(const std::vector<std::string>& arguments, const EnvironmentChanges& changes);
  // A child still running is killed.
  ~ChildProcess();
  ChildProcess(const ChildProcess&) = delete;
  ChildProcess& operator=(const ChildProcess&) = delete;

  // Writes `bytes` to the child's standard input, all of them, as they are.
  // Throws when the child no longer reads it.
  void WriteInput(const std::string& bytes);
  // Ends the child's standard input.
  void CloseInput();
  // Waits up to `timeout` for a whole line on standard output and returns it
  // without its line end; nothing when none came.
  std::optional<std::string> ReadOutputLine(std::chrono::milliseconds timeout);
  // Whether the child is still running.
  bool Running();
  // The child's process number, as the system knows it.
  std::int64_t Id() const;
  // Ends the child at once, as a power cut or a kill from the task manager
  // would, without letting it finish what it is doing.
  void Kill();
  // Waits up to `timeout` for the child to end and returns its exit status
  // (on POSIX systems 128 + the signal's number when a signal ended it);
  // nothing when it is still running.
  std::optional<int> Wait(std::chrono::milliseconds timeout);

  // What the child has written so far.
  const std::string& output();
  const std::string& errors();

 private:
  // Takes in what the child has written so far, without waiting.
  void Drain();
  // Whether the child's standard output, or both its output streams, have
  // ended (it has ended, and so have any processes of its own holding them).
  bool OutputEnded() const;
  bool AllOutputEnded() const;

  struct Handles;  // the system's process and pipe ends
  std::unique_ptr<Handles> handles_;
  std::string output_text_;
  std::string errors_text_;
  std::size_t output_read_ = 0;  // how much of output_text_ ReadOutputLine has returned
  std::optional<int> status_;
};

// Runs a program to its end (killing it after `timeout`) and returns its
// exit status, standard output and standard error.
struct RunResult {
  int status = -1;
  std::string output;
  std::string errors;
};
RunResult RunToEnd(const std::vector<std::string>& arguments, const EnvironmentChanges& changes,
                   std::chrono::milliseconds timeout);

}  // namespace scenario::testing_support
