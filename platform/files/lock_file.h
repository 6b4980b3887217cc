// The system's side of LockDirectoryOnDisk (platform/files/directory_lock.h): the
// lock file, opened, and one try at locking it. Each system has its own
// file; the waiting, the notice and giving up after the limit are the same
// for every system (directory_lock.cpp).
#pragma once

#include <memory>
#include <string>

#include "platform/files/directory_lock.h"
#include "platform/files/file_system.h"

namespace scenario {

inline constexpr const char* kLockOperation = "lock the directory";

// The lock file of a directory, open; closing it (destroying it) lets go of
// the lock when it was taken.
class OpenLockFile : public DirectoryLock {
 public:
  // Locks the whole file for this open file alone, without waiting: Ok when
  // taken; a failure with the code HeldElsewhere when another open file (of
  // this process or another) holds it; any other failure as it is.
  virtual Status TryLock() = 0;
};

// Opens the lock file of `directory`, creating it when it is missing. A
// directory that cannot be written at all leaves `*file` empty with Ok (no
// run can change anything there); a lock file that is no regular file, or
// one that cannot be opened, is a failure of kLockOperation.
Status OpenDirectoryLockFile(const std::string& directory, std::unique_ptr<OpenLockFile>* file);

}  // namespace scenario
