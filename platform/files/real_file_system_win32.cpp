#include "platform/system/win32_windows.h"

#include <atomic>
#include <optional>
#include <string>

#include "platform/files/directory_lock.h"
#include "platform/system/program_directory.h"
#include "platform/files/real_file_system.h"
#include "platform/files/step_pause.h"
#include "platform/files/temporary_names.h"
#include "platform/system/win32_support.h"
#include "encoding/windows_1252.h"

namespace scenario {

namespace {

Status LastError(const char* operation) {
  return win32::Failure(operation, GetLastError());
}

// Whether the process numbered `process` is still running (or cannot be
// told apart from one that is).
bool ProcessRunning(unsigned long process) {
  if (process == 0 || process > MAXDWORD) return false;
  if (process == GetCurrentProcessId()) return true;
  HANDLE handle = OpenProcess(PROCESS_QUERY_LIMITED_INFORMATION, FALSE, static_cast<DWORD>(process));
  if (handle == nullptr) return GetLastError() != ERROR_INVALID_PARAMETER;
  DWORD exit_code = 0;
  const bool running = !GetExitCodeProcess(handle, &exit_code) || exit_code == STILL_ACTIVE;
  CloseHandle(handle);
  return running;
}

// Closes the handle when it goes.
class Handle {
 public:
  explicit Handle(HANDLE handle) : handle_(handle) {}
  ~Handle() { Close(); }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  bool valid() const { return handle_ != INVALID_HANDLE_VALUE; }
  HANDLE get() const { return handle_; }
  bool Close() {
    if (!valid()) return true;
    const BOOL closed = CloseHandle(handle_);
    handle_ = INVALID_HANDLE_VALUE;
    return closed != 0;
  }

 private:
  HANDLE handle_;
};

}  // namespace

Status RealFileSystem::WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                                          std::string* temporary_path) {
  // A name unique within this process and among processes; one that a
  // killed process of the same number left is passed over.
  static std::atomic<unsigned long> counter{0};
  const std::string::size_type separator = path.find_last_of("\\/");
  const std::string directory =
      separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  std::string temporary;
  std::wstring wide;
  HANDLE created = INVALID_HANDLE_VALUE;
  for (;;) {
    temporary = directory + TemporaryNameFor(name, GetCurrentProcessId(), counter++);
    wide = win32::Wide(temporary);
    CountDiskChange("create", temporary);
    created = CreateFileW(wide.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (created != INVALID_HANDLE_VALUE || GetLastError() != ERROR_FILE_EXISTS) break;
  }
  Handle file(created);
  if (!file.valid()) return LastError("create");

  auto fail = [&](const char* operation, DWORD error) {
    Status status = win32::Failure(operation, error);
    file.Close();
    DeleteFileW(wide.c_str());
    return status;
  };

  // The first failed write is kept; the pieces after it are not written.
  DWORD write_error = ERROR_SUCCESS;
  const PieceSink put = [&](std::string_view piece) {
    const char* data = piece.data();
    size_t left = piece.size();
    while (left > 0 && write_error == ERROR_SUCCESS) {
      const DWORD chunk = left > (1u << 30) ? (1u << 30) : static_cast<DWORD>(left);
      DWORD written = 0;
      if (!WriteFile(file.get(), data, chunk, &written, nullptr)) {
        write_error = GetLastError();
        break;
      }
      data += written;
      left -= written;
    }
  };
  try {
    write(put);
  } catch (...) {
    file.Close();
    DeleteFileW(wide.c_str());
    throw;
  }
  if (write_error != ERROR_SUCCESS) return fail("write", write_error);
  if (!FlushFileBuffers(file.get())) return fail("write", GetLastError());
  if (!file.Close()) return fail("write", GetLastError());
  *temporary_path = temporary;
  return Status::Ok();
}

Status RealFileSystem::RenameFile(const std::string& from, const std::string& to) {
  CountDiskChange("rename", from + "' to '" + to);
  if (!MoveFileExW(win32::Wide(from).c_str(), win32::Wide(to).c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
    return LastError("rename");
  return Status::Ok();
}

Status RealFileSystem::CheckReplaceable(const std::string& path) {
  const std::wstring wide = win32::Wide(path);
  const DWORD attributes = GetFileAttributesW(wide.c_str());
  // A file that is not there, or a directory in its place, the replace
  // itself tells of.
  if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0)
    return Status::Ok();
  if ((attributes & FILE_ATTRIBUTE_READONLY) != 0)
    return Status::Error("replace", StatusCode::ReadOnly, "it is read-only");
  // Opened as a replace would need it, sharing everything: another
  // program that holds it open without letting it be deleted refuses with
  // a sharing violation, or denies access (as it does to a file that is
  // being deleted, until the last program that holds it lets go).
  HANDLE opened = CreateFileW(wide.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    const StatusCode code = win32::CodeOf(error);
    if (code == StatusCode::InUse || code == StatusCode::PermissionDenied)
      return Status::Error("replace", StatusCode::InUse, win32::ErrorText(error));
    return Status::Ok();
  }
  CloseHandle(opened);
  return Status::Ok();
}

unsigned long RealFileSystem::ProcessNumber() { return GetCurrentProcessId(); }

Status RealFileSystem::ReadFile(const std::string& path, std::string* contents) {
  contents->clear();
  Handle file(CreateFileW(win32::Wide(path).c_str(), GENERIC_READ,
                          FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return LastError("read");
  char buffer[1 << 16];
  for (;;) {
    DWORD got = 0;
    if (!::ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr)) return LastError("read");
    if (got == 0) break;
    contents->append(buffer, got);
  }
  return Status::Ok();
}

Status RealFileSystem::DeleteFile(const std::string& path) {
  CountDiskChange("delete", path);
  if (!DeleteFileW(win32::Wide(path).c_str())) return LastError("delete");
  return Status::Ok();
}

bool RealFileSystem::FileExists(const std::string& path) {
  const DWORD attributes = GetFileAttributesW(win32::Wide(path).c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

Status RealFileSystem::LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                                     const std::function<void()>& waiting,
                                     std::unique_ptr<DirectoryLock>* lock) {
  return LockDirectoryOnDisk(directory, limit, waiting, lock);
}

Status RealFileSystem::RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) {
  WIN32_FIND_DATAW found;
  HANDLE listing = FindFirstFileW(win32::Wide(JoinPath(directory, "*")).c_str(), &found);
  if (listing == INVALID_HANDLE_VALUE) return LastError("list");
  Status outcome = Status::Ok();
  do {
    // A name Windows-1252 cannot hold is none of the names replacing makes.
    const std::wstring_view wide(found.cFileName);
    const std::optional<std::string> name =
        Utf16ToWindows1252(std::u16string(wide.begin(), wide.end()));
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    if (!name || !IsTemporaryName(*name, &process, &kind) || kind == TemporaryKind::SetRecord ||
        ProcessRunning(process))
      continue;
    if ((found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) != 0)
      continue;
    if (!DeleteFileW(win32::Wide(JoinPath(directory, *name)).c_str()) &&
        GetLastError() != ERROR_FILE_NOT_FOUND && outcome.ok()) {
      outcome = LastError("delete");
      *failed = *name;
    }
  } while (FindNextFileW(listing, &found));
  const DWORD ended = GetLastError();
  FindClose(listing);
  if (ended != ERROR_NO_MORE_FILES && outcome.ok()) outcome = win32::Failure("list", ended);
  return outcome;
}

Status RealFileSystem::SyncDirectory(const std::string& directory) {
  // Every rename was written through (MOVEFILE_WRITE_THROUGH) and NTFS
  // journals the directory itself; what is left is to tell that the
  // directory is there.
  const DWORD attributes = GetFileAttributesW(win32::Wide(directory.empty() ? "." : directory).c_str());
  if (attributes == INVALID_FILE_ATTRIBUTES) return LastError("flush the directory");
  if ((attributes & FILE_ATTRIBUTE_DIRECTORY) == 0)
    return win32::Failure("flush the directory", ERROR_DIRECTORY);
  return Status::Ok();
}

}  // namespace scenario
