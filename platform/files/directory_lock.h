// The exclusive hold of one run on the directory it works in. Two runs in
// one directory would read, delete and replace each other's files; with the
// lock the second waits for the first to end and then runs whole.
//
// The lock is a lock file of the program's own in the directory, hidden and
// never one of the scenario's files, locked through the system. The system
// lets go of it by itself when the process ends, however it ends, so a
// killed run never keeps the next one waiting. The compactor and
// scenario-tool take the same lock file and so exclude each other too.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "platform/files/file_system.h"

namespace scenario {

inline constexpr const char* kLockFileName = ".scenario-compactor.lock";

// How long a run waits for another run to let go of the directory.
inline constexpr std::chrono::milliseconds kLockWaitLimit{60000};

// Set to a number of milliseconds, this environment variable shortens the
// wait; only tests use it, to see a wait run out without taking a minute.
inline constexpr const char* kLockWaitVariable = "SCENARIO_LOCK_WAIT_MS";

// The lock while it is held; destroying it lets go.
class DirectoryLock {
 public:
  virtual ~DirectoryLock() = default;
};

// The wait limit for this process: kLockWaitLimit, unless the environment
// variable gives another.
std::chrono::milliseconds LockWaitLimit();

// "60 s", "250 ms": a wait limit as a user reads it.
std::string DescribeWait(std::chrono::milliseconds limit);

// The reason a lock that another run held for the whole wait gives.
std::string HeldElsewhereReason(std::chrono::milliseconds limit);

// Takes the lock on `directory` on the machine's file system. When another
// process holds it, calls `waiting` once and tries again until `limit` has
// passed; then fails with the operation "lock the directory" and
// HeldElsewhereReason. A directory in which the lock file can be neither
// created nor opened because the directory cannot be written at all is not
// locked (`*lock` stays empty): no run can change anything in it, and the
// run's first write names the failure.
Status LockDirectoryOnDisk(const std::string& directory, std::chrono::milliseconds limit,
                           const std::function<void()>& waiting,
                           std::unique_ptr<DirectoryLock>* lock);

}  // namespace scenario
