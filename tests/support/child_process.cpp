#include "tests/support/child_process.h"

#include <thread>

namespace scenario::testing_support {

using Clock = std::chrono::steady_clock;

std::optional<std::string> ChildProcess::ReadOutputLine(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  for (;;) {
    Drain();
    const std::size_t end = output_text_.find('\n', output_read_);
    if (end != std::string::npos) {
      std::string line = output_text_.substr(output_read_, end - output_read_);
      output_read_ = end + 1;
      return line;
    }
    if (OutputEnded() || Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
}

std::optional<int> ChildProcess::Wait(std::chrono::milliseconds timeout) {
  const auto deadline = Clock::now() + timeout;
  while (Running()) {
    if (Clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(std::chrono::milliseconds(10));
  }
  // Whatever the child left in the pipes (a pipe held open by a process of
  // its own is not waited for long).
  const auto drained = Clock::now() + std::chrono::seconds(2);
  while (!AllOutputEnded() && Clock::now() < drained) {
    Drain();
    if (!AllOutputEnded()) std::this_thread::sleep_for(std::chrono::milliseconds(5));
  }
  return status_;
}

const std::string& ChildProcess::output() {
  Drain();
  return output_text_;
}

const std::string& ChildProcess::errors() {
  Drain();
  return errors_text_;
}

RunResult RunToEnd(const std::vector<std::string>& arguments, const EnvironmentChanges& changes,
                   std::chrono::milliseconds timeout) {
  ChildProcess child(arguments, changes);
  child.CloseInput();
  RunResult result;
  std::optional<int> status = child.Wait(timeout);
  result.status = status ? *status : -1;
  result.output = child.output();
  result.errors = child.errors();
  return result;
}

}  // namespace scenario::testing_support
