#include "platform/files/directory_lock.h"

#include <algorithm>
#include <cstdlib>
#include <string_view>
#include <thread>

#include "platform/files/lock_file.h"

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

Status LockDirectoryOnDisk(const std::string& directory, std::chrono::milliseconds limit,
                           const std::function<void()>& waiting,
                           std::unique_ptr<DirectoryLock>* lock) {
  lock->reset();
  std::unique_ptr<OpenLockFile> file;
  const Status opened = OpenDirectoryLockFile(directory, &file);
  if (!opened.ok() || file == nullptr) return opened;

  // Tries again, in pauses growing from 2 ms to 50 ms, until the limit.
  const auto deadline = std::chrono::steady_clock::now() + limit;
  auto pause = std::chrono::milliseconds(2);
  bool told = false;
  for (;;) {
    const Status tried = file->TryLock();
    if (tried.ok()) break;
    if (tried.code() != StatusCode::HeldElsewhere) return tried;
    if (!told) {
      if (waiting) waiting();
      told = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline)
      return Status::Error(kLockOperation, StatusCode::HeldElsewhere, HeldElsewhereReason(limit));
    std::this_thread::sleep_for(std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  *lock = std::move(file);
  return Status::Ok();
}

}  // namespace scenario
