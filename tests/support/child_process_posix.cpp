#include "tests/support/child_process.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>
#include <thread>

extern char** environ;

namespace scenario::testing_support {

namespace {

using Clock = std::chrono::steady_clock;

std::vector<std::string> ChangedEnvironment(const EnvironmentChanges& changes) {
  std::vector<std::string> result;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    const std::string text = *entry;
    const std::string name = text.substr(0, text.find('='));
    if (changes.count(name) == 0) result.push_back(text);
  }
  for (const auto& [name, value] : changes)
    if (value) result.push_back(name + "=" + *value);
  return result;
}

std::vector<char*> Pointers(std::vector<std::string>& texts) {
  std::vector<char*> pointers;
  for (std::string& text : texts) pointers.push_back(text.data());
  pointers.push_back(nullptr);
  return pointers;
}

void MakePipe(int ends[2]) {
  if (::pipe2(ends, O_CLOEXEC) != 0)
    throw std::runtime_error(std::string("pipe: ") + std::strerror(errno));
}

// Reads what is there without waiting; false once the pipe has ended.
bool ReadAvailable(int fd, std::string& into) {
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got > 0) {
      into.append(buffer, static_cast<std::size_t>(got));
      continue;
    }
    if (got == 0) return false;
    if (errno == EINTR) continue;
    return errno == EAGAIN || errno == EWOULDBLOCK;
  }
}

}  // namespace

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const EnvironmentChanges& changes) {
  std::vector<std::string> argument_texts = arguments;
  std::vector<std::string> environment_texts = ChangedEnvironment(changes);
  std::vector<char*> argv = Pointers(argument_texts);
  std::vector<char*> envp = Pointers(environment_texts);

  int input[2], output[2], errors[2];
  MakePipe(input);
  MakePipe(output);
  MakePipe(errors);
  pid_ = ::fork();
  if (pid_ < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid_ == 0) {
    ::dup2(input[0], 0);
    ::dup2(output[1], 1);
    ::dup2(errors[1], 2);
    ::execve(argv[0], argv.data(), envp.data());
    const char message[] = "cannot start the program\n";
    [[maybe_unused]] ssize_t ignored = ::write(2, message, sizeof message - 1);
    ::_exit(127);
  }
  ::close(input[0]);
  ::close(output[1]);
  ::close(errors[1]);
  input_ = input[1];
  output_ = output[0];
  errors_ = errors[0];
  ::fcntl(output_, F_SETFL, O_NONBLOCK);
  ::fcntl(errors_, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  if (Running()) {
    ::kill(pid_, SIGKILL);
    int status = 0;
    ::waitpid(pid_, &status, 0);
  }
  for (int fd : {input_, output_, errors_})
    if (fd >= 0) ::close(fd);
}

void ChildProcess::CloseInput() {
  if (input_ >= 0) ::close(input_);
  input_ = -1;
}

void ChildProcess::Drain() {
  if (output_ >= 0 && !ReadAvailable(output_, output_text_)) {
    ::close(output_);
    output_ = -1;
  }
  if (errors_ >= 0 && !ReadAvailable(errors_, errors_text_)) {
    ::close(errors_);
    errors_ = -1;
  }
}

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
    if (output_ < 0 || Clock::now() >= deadline) return std::nullopt;
    pollfd watched{output_, POLLIN, 0};
    ::poll(&watched, 1, 20);
  }
}

bool ChildProcess::Running() {
  Drain();
  if (status_) return false;
  int status = 0;
  pid_t ended = ::waitpid(pid_, &status, WNOHANG);
  if (ended != pid_) return true;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
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
  while ((output_ >= 0 || errors_ >= 0) && Clock::now() < drained) {
    Drain();
    if (output_ >= 0 || errors_ >= 0) std::this_thread::sleep_for(std::chrono::milliseconds(5));
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
