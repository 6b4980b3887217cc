#include "platform/system/win32_windows.h"

#include "platform/files/lock_file.h"
#include "platform/system/program_directory.h"
#include "platform/system/win32_support.h"

namespace scenario {

namespace {

// The lock file, open; LockFileEx's lock belongs to the open file, so
// closing it lets go.
class LockedFile : public OpenLockFile {
 public:
  explicit LockedFile(HANDLE file) : file_(file) {}
  ~LockedFile() override { CloseHandle(file_); }
  LockedFile(const LockedFile&) = delete;
  LockedFile& operator=(const LockedFile&) = delete;

  Status TryLock() override;

 private:
  HANDLE file_;
};

Status LockError(StatusCode code, const std::string& reason) {
  return Status::Error(kLockOperation, code, reason);
}

Status LockedFile::TryLock() {
  OVERLAPPED whole = {};
  if (LockFileEx(file_, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD, MAXDWORD,
                 &whole))
    return Status::Ok();
  const DWORD error = GetLastError();
  if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING)
    return LockError(StatusCode::HeldElsewhere, "");
  return LockError(win32::CodeOf(error), win32::ErrorText(error));
}

// Opens the lock file for `access`, creating it (hidden) when it is missing.
// Never through a reparse point (a symbolic link or junction): it is opened
// as itself and then refused as no regular file.
HANDLE OpenLockFileHandle(const std::wstring& path, DWORD access, DWORD disposition) {
  return CreateFileW(path.c_str(), access, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                     nullptr, disposition,
                     FILE_ATTRIBUTE_HIDDEN | FILE_FLAG_OPEN_REPARSE_POINT |
                         FILE_FLAG_BACKUP_SEMANTICS,
                     nullptr);
}

}  // namespace

Status OpenDirectoryLockFile(const std::string& directory, std::unique_ptr<OpenLockFile>* file) {
  file->reset();
  const std::wstring path = win32::Wide(JoinPath(directory, kLockFileName));

  HANDLE handle = OpenLockFileHandle(path, GENERIC_READ | GENERIC_WRITE, OPEN_ALWAYS);
  if (handle == INVALID_HANDLE_VALUE && GetLastError() == ERROR_ACCESS_DENIED) {
    // The lock file of another user, which we may only read, locks as well.
    // Where it cannot be opened at all, because the directory cannot be
    // written, no run can change anything: there is nothing to lock.
    const DWORD create_error = GetLastError();
    handle = OpenLockFileHandle(path, GENERIC_READ, OPEN_EXISTING);
    if (handle == INVALID_HANDLE_VALUE) {
      const DWORD attributes = GetFileAttributesW(path.c_str());
      if (attributes == INVALID_FILE_ATTRIBUTES &&
          (GetLastError() == ERROR_FILE_NOT_FOUND || GetLastError() == ERROR_ACCESS_DENIED))
        return Status::Ok();
      return LockError(win32::CodeOf(create_error), "cannot open the lock file '" +
                                                        std::string(kLockFileName) +
                                                        "': " + win32::ErrorText(create_error));
    }
  }
  if (handle == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    return LockError(win32::CodeOf(error), "cannot open the lock file '" +
                                               std::string(kLockFileName) +
                                               "': " + win32::ErrorText(error));
  }
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info) ||
      (info.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0) {
    CloseHandle(handle);
    return LockError(StatusCode::InTheWay, "'" + std::string(kLockFileName) +
                     "' is not a regular file; remove it and start again");
  }

  *file = std::make_unique<LockedFile>(handle);
  return Status::Ok();
}

}  // namespace scenario
