#include "platform/system/process_status.h"

#include <cerrno>
#include <limits>

#include <signal.h>
#include <sys/types.h>
#include <unistd.h>

namespace scenario {

bool ProcessIsRunning(std::int64_t id) {
  // 0 and negative numbers name process groups to kill(), never one process.
  if (id <= 0 || id > std::numeric_limits<pid_t>::max()) return false;
  if (kill(static_cast<pid_t>(id), 0) == 0) return true;
  return errno == EPERM;  // there, but another user's
}

std::int64_t CurrentProcessId() { return getpid(); }

}  // namespace scenario
