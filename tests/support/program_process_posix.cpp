#include "tests/support/program_process.h"

#include <fcntl.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <stdexcept>

extern char** environ;

namespace scenario::testing_support {

ProcessOutcome RunProcess(const std::vector<std::string>& argv,
                          const std::filesystem::path& working_directory) {
  if (argv.empty()) throw std::invalid_argument("RunProcess: no command");

  // Everything the child needs is prepared before the fork.
  std::vector<char*> args;
  for (const std::string& arg : argv) args.push_back(const_cast<char*>(arg.c_str()));
  args.push_back(nullptr);
  std::vector<char*> environment;
  for (char** entry = environ; *entry != nullptr; ++entry) {
    if (std::strncmp(*entry, "DISPLAY=", 8) == 0 ||
        std::strncmp(*entry, "WAYLAND_DISPLAY=", 16) == 0)
      continue;
    environment.push_back(*entry);
  }
  environment.push_back(nullptr);
  const std::string directory = working_directory.string();

  int pipe_ends[2];
  if (::pipe2(pipe_ends, O_CLOEXEC) != 0) throw std::runtime_error("pipe failed");
  const pid_t child = ::fork();
  if (child < 0) {
    ::close(pipe_ends[0]);
    ::close(pipe_ends[1]);
    throw std::runtime_error("fork failed");
  }
  if (child == 0) {
    int null_output = ::open("/dev/null", O_WRONLY);
    if (null_output >= 0) ::dup2(null_output, STDOUT_FILENO);
    ::dup2(pipe_ends[1], STDERR_FILENO);
    if (!directory.empty() && ::chdir(directory.c_str()) != 0) ::_exit(127);
    ::execve(args[0], args.data(), environment.data());
    const char* failure = "cannot start the program\n";
    (void)!::write(STDERR_FILENO, failure, std::strlen(failure));
    ::_exit(127);
  }

  ::close(pipe_ends[1]);
  ProcessOutcome outcome;
  char buffer[4096];
  for (;;) {
    ssize_t got = ::read(pipe_ends[0], buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) break;
    outcome.standard_error.append(buffer, static_cast<size_t>(got));
  }
  ::close(pipe_ends[0]);
  int status = 0;
  while (::waitpid(child, &status, 0) < 0) {
    if (errno != EINTR) throw std::runtime_error("waitpid failed");
  }
  outcome.exit_status = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return outcome;
}

std::string FindCommand(const std::string& name) {
  const char* path = std::getenv("PATH");
  std::string directories = path != nullptr ? path : "/usr/bin:/bin";
  std::string::size_type start = 0;
  while (start <= directories.size()) {
    std::string::size_type end = directories.find(':', start);
    if (end == std::string::npos) end = directories.size();
    std::string candidate = directories.substr(start, end - start);
    if (!candidate.empty()) {
      candidate += "/" + name;
      if (::access(candidate.c_str(), X_OK) == 0) return candidate;
    }
    start = end + 1;
  }
  return "";
}

}  // namespace scenario::testing_support
