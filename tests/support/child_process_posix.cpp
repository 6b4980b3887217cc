#include "tests/support/child_process.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace scenario::testing_support {

namespace {

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

struct ChildProcess::Handles {
  pid_t pid = -1;
  int input = -1;
  int output = -1;
  int errors = -1;
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const EnvironmentChanges& changes)
    : handles_(std::make_unique<Handles>()) {
  std::vector<std::string> argument_texts = arguments;
  std::vector<std::string> environment_texts = ChangedEnvironment(changes);
  std::vector<char*> argv = Pointers(argument_texts);
  std::vector<char*> envp = Pointers(environment_texts);

  int input[2], output[2], errors[2];
  MakePipe(input);
  MakePipe(output);
  MakePipe(errors);
  pid_t& pid = handles_->pid;
  pid = ::fork();
  if (pid < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (pid == 0) {
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
  handles_->input = input[1];
  handles_->output = output[0];
  handles_->errors = errors[0];
  ::fcntl(handles_->output, F_SETFL, O_NONBLOCK);
  ::fcntl(handles_->errors, F_SETFL, O_NONBLOCK);
}

ChildProcess::~ChildProcess() {
  Kill();
  for (int fd : {handles_->input, handles_->output, handles_->errors})
    if (fd >= 0) ::close(fd);
}

void ChildProcess::WriteInput(const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    const ssize_t wrote = ::write(handles_->input, bytes.data() + written, bytes.size() - written);
    if (wrote < 0 && errno == EINTR) continue;
    if (wrote <= 0) throw std::runtime_error(std::string("write to the child: ") + std::strerror(errno));
    written += static_cast<size_t>(wrote);
  }
}

void ChildProcess::CloseInput() {
  if (handles_->input >= 0) ::close(handles_->input);
  handles_->input = -1;
}

void ChildProcess::Drain() {
  for (auto [fd, text] : {std::pair{&handles_->output, &output_text_},
                          std::pair{&handles_->errors, &errors_text_}}) {
    if (*fd >= 0 && !ReadAvailable(*fd, *text)) {
      ::close(*fd);
      *fd = -1;
    }
  }
}

bool ChildProcess::OutputEnded() const { return handles_->output < 0; }

bool ChildProcess::AllOutputEnded() const { return handles_->output < 0 && handles_->errors < 0; }

void ChildProcess::Kill() {
  if (!Running()) return;
  ::kill(handles_->pid, SIGKILL);
  int status = 0;
  if (::waitpid(handles_->pid, &status, 0) == handles_->pid)
    status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
}

std::int64_t ChildProcess::Id() const { return handles_->pid; }

bool ChildProcess::Running() {
  Drain();
  if (status_) return false;
  int status = 0;
  pid_t ended = ::waitpid(handles_->pid, &status, WNOHANG);
  if (ended != handles_->pid) return true;
  status_ = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
  return false;
}

}  // namespace scenario::testing_support
