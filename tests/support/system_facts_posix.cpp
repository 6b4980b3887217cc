#include <signal.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <stdexcept>

#include "tests/support/system_facts.h"

namespace scenario::testing_support {

std::string MissingFileReason() { return std::strerror(ENOENT); }
std::string MissingDirectoryReason() { return std::strerror(ENOENT); }

OtherProcess::OtherProcess() {
  const pid_t child = ::fork();
  if (child < 0) throw std::runtime_error(std::string("fork: ") + std::strerror(errno));
  if (child == 0) {
    for (;;) ::pause();
  }
  number_ = static_cast<unsigned long>(child);
}

OtherProcess::~OtherProcess() { End(); }

void OtherProcess::End() {
  if (ended_) return;
  ended_ = true;
  ::kill(static_cast<pid_t>(number_), SIGKILL);
  int status = 0;
  while (::waitpid(static_cast<pid_t>(number_), &status, 0) < 0 && errno == EINTR) {
  }
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  if (value)
    ::setenv(name.c_str(), value->c_str(), 1);
  else
    ::unsetenv(name.c_str());
}

}  // namespace scenario::testing_support
