#include "platform/directory_lock.h"

#include <cstdlib>
#include <string_view>

namespace scenario {

std::chrono::milliseconds LockWaitLimit() {
  const char* value = std::getenv(kLockWaitVariable);
  if (value == nullptr || *value == '\0') return kLockWaitLimit;
  long long milliseconds = 0;
  for (const char* c = value; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9' || milliseconds > 3600000) return kLockWaitLimit;
    milliseconds = milliseconds * 10 + (*c - '0');
  }
  return std::chrono::milliseconds(milliseconds);
}

std::string DescribeWait(std::chrono::milliseconds limit) {
  if (limit.count() % 1000 == 0) return std::to_string(limit.count() / 1000) + " s";
  return std::to_string(limit.count()) + " ms";
}

std::string HeldElsewhereReason(std::chrono::milliseconds limit) {
  return "another run holds it and has not let go of it within " + DescribeWait(limit) +
         "; start again once that run has ended";
}

}  // namespace scenario
