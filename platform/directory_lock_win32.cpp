#include "platform/win32_windows.h"

#include <algorithm>
#include <thread>

#include "platform/directory_lock.h"
#include "platform/program_directory.h"
#include "platform/win32_support.h"

namespace scenario {

namespace {

// The lock file, open and locked; closing it lets go.
class FileLock : public DirectoryLock {
 public:
  explicit FileLock(HANDLE file) : file_(file) {}
  ~FileLock() override { CloseHandle(file_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  HANDLE file_;
};

constexpr const char* kOperation = "lock the directory";

Status LockError(StatusCode code, const std::string& reason) {
  return Status::Error(kOperation, code, reason);
}

// Opens the lock file for `access`, creating it (hidden) when it is missing.
// Never through a reparse point (a symbolic link or junction): it is opened
// as itself and then refused as no regular file.
HANDLE OpenLockFile(const std::wstring& path, DWORD access, DWORD disposition) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, disposition,
                     FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT |
                         FILE_FLAG_BACKUP_SEMANTICS,
                     nullptr);
}

}  // namespace

Status LockDirectoryOnDisk(const std::string& directory, std::chrono::milliseconds limit,
                           const std::function<void()>& waiting,
                           std::unique_ptr<DirectoryLock>* lock) {
  lock->reset();
  const std::wstring path = win32::Wide(JoinPath(directory, kLockFileName));

  HANDLE file = OpenLockFile(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (file == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    // The lock file of another user, which we may only read, locks as well.
    // Where it cannot be opened at all, because the directory cannot be
    // written, no run can change anything: there is nothing to lock.
    const DWORD create_error = GetLastError();
    file = OpenLockFile(path, GENERIC_READ, OPEN_EXISTING);
    if (file == INVALID_HANDLE_VALUE) {
      const DWORD attributes = GetFileAttributesW(path.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES &&
          (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_ACCESS_DENIED))
        return Status::Ok();
      return LockError(win32::CodeOf(create_error), "cannot open the lock file '" +
                                                        std::string(kLockFileName) +
                                                        "': " + win32::ErrorText(create_error));
    }
  }
  if (file == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return LockError(win32::CodeOf(error), "cannot open the lock file '" +
                                               std::string(kLockFileName) +
                                               "': " + win32::ErrorText(error));
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(file, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    CloseHandle(file);
    return LockError(StatusCode::InTheWay, "'" + std::string(kLockFileName) +
                     "' is not a regular file; remove it and start again");
  }

  // A lock belongs to the open file: a second taking within this process
  // meets the first as another process would.
  const auto deadline = std::chrono::steady_clock::now() + limit;
  auto pause = std::chrono::milliseconds(2);
  bool told = false;
  for (;;) {
    OVERLAPPED whole = {};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                   &whole))
      break;
    const DWORD error = GetLastError();
    if (error != ERROR_LOCK_VIOLATION && error != ERROR_IO_PENDING) {
      CloseHandle(file);
      return LockError(win32::CodeOf(error), win32::ErrorText(error));
    }
    if (!told) {
      if (waiting) waiting();
      told = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      CloseHandle(file);
      return LockError(StatusCode::HeldElsewhere, HeldElsewhereReason(limit));
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  *lock = std::make_unique<FileLock>(file);
  return Status::Ok();
}

}  // namespace scenario
