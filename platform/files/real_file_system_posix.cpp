#include "platform/files/real_file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdint>
#include <string>
#include <system_error>

#include "platform/files/directory_lock.h"
#include "platform/files/step_pause.h"
#include "platform/files/temporary_names.h"

namespace scenario {

namespace {

Status ErrnoError(const char* operation) {
  return Status::Error(operation, std::error_code(errno, std::generic_category()));
}

// The directory part of `path` (with its separator) and the name.
void SplitPath(const std::string& path, std::string* directory, std::string* name) {
  const std::string::size_type slash = path.rfind('/');
  *directory = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
  *name = slash == std::string::npos ? path : path.substr(slash + 1);
}

// Whether the process numbered `process` is still running (or cannot be
// told apart from one that is).
bool ProcessRunning(unsigned long process) {
  if (process == 0 || process > static_cast<unsigned long>(INT32_MAX)) return false;
  if (static_cast<pid_t>(process) == ::getpid()) return true;
  return ::kill(static_cast<pid_t>(process), 0) == 0 || errno != ESRCH;
}

std::string JoinPath(const std::string& directory, const std::string& name) {
  if (directory.empty() || directory.back() == '/') return directory + name;
  return directory + "/" + name;
}

}  // namespace

Status RealFileSystem::WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                                          std::string* temporary_path) {
  // A name unique within this process and among processes; one that a
  // killed process of the same number left is passed over.
  static std::atomic<unsigned long> counter{0};
  std::string directory;
  std::string name;
  SplitPath(path, &directory, &name);
  std::string temporary;
  int fd = -1;
  for (;;) {
    temporary = directory + TemporaryNameFor(name, static_cast<unsigned long>(::getpid()), counter++);
    CountDiskChange("create", temporary);
    fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0 || errno != EEXIST) break;
  }
  if (fd < 0) return ErrnoError("create");

  auto fail = [&](const char* operation) {
    Status status = ErrnoError(operation);
    if (fd >= 0) ::close(fd);
    ::unlink(temporary.c_str());
    return status;
  };

  // The first failed write is kept; the pieces after it are not written.
  int write_error = 0;
  const PieceSink put = [&](std::string_view piece) {
    const char* data = piece.data();
    size_t left = piece.size();
    while (left > 0 && write_error == 0) {
      ssize_t written = ::write(fd, data, left);
      if (written < 0) {
        if (errno != EINTR) write_error = errno;
        continue;
      }
      data += written;
      left -= static_cast<size_t>(written);
    }
  };
  try {
    write(put);
  } catch (...) {
    ::close(fd);
    ::unlink(temporary.c_str());
    throw;
  }
  if (write_error != 0) {
    errno = write_error;
    return fail("write");
  }
  if (::fsync(fd) != 0) return fail("write");
  int closed = ::close(fd);
  fd = -1;
  if (closed != 0) return fail("write");
  *temporary_path = temporary;
  return Status::Ok();
}

Status RealFileSystem::RenameFile(const std::string& from, const std::string& to) {
  CountDiskChange("rename", from + "' to '" + to);
  if (::rename(from.c_str(), to.c_str()) != 0) return ErrnoError("rename");
  return Status::Ok();
}

Status RealFileSystem::CheckReplaceable(const std::string& path) {
  // Renaming over a file needs no right to the file itself, but a file
  // its owner made read-only is not one to replace. A file that is not
  // there, and a file system that is read-only as a whole, the replace
  // itself tells of.
  struct stat info;
  if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) return Status::Ok();
  if (::faccessat(AT_FDCWD, path.c_str(), W_OK, AT_EACCESS) != 0 && errno == EACCES)
    return Status::Error("replace", StatusCode::ReadOnly, "it is read-only");
  return Status::Ok();
}

unsigned long RealFileSystem::ProcessNumber() { return static_cast<unsigned long>(::getpid()); }

Status RealFileSystem::ReadFile(const std::string& path, std::string* contents) {
  contents->clear();
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return ErrnoError("read");
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0) {
      if (errno == EINTR) continue;
      Status status = ErrnoError("read");
      ::close(fd);
      return status;
    }
    if (got == 0) break;
    contents->append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return Status::Ok();
}

Status RealFileSystem::DeleteFile(const std::string& path) {
  CountDiskChange("delete", path);
  if (::unlink(path.c_str()) != 0) return ErrnoError("delete");
  return Status::Ok();
}

bool RealFileSystem::FileExists(const std::string& path) {
  struct stat info;
  return ::stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

Status RealFileSystem::LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                                     const std::function<void()>& waiting,
                                     std::unique_ptr<DirectoryLock>* lock) {
  return LockDirectoryOnDisk(directory, limit, waiting, lock);
}

Status RealFileSystem::RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) {
  DIR* listing = ::opendir(directory.c_str());
  if (listing == nullptr) return ErrnoError("list");
  Status outcome = Status::Ok();
  for (;;) {
    errno = 0;
    const dirent* entry = ::readdir(listing);
    if (entry == nullptr) {
      if (errno != 0 && outcome.ok()) outcome = ErrnoError("list");
      break;
    }
    const std::string name = entry->d_name;
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    if (!IsTemporaryName(name, &process, &kind) || kind == TemporaryKind::SetRecord ||
        ProcessRunning(process))
      continue;
    const std::string path = JoinPath(directory, name);
    struct stat info;
    if (::lstat(path.c_str(), &info) != 0 || !S_ISREG(info.st_mode)) continue;
    if (::unlink(path.c_str()) != 0 && errno != ENOENT && outcome.ok()) {
      outcome = ErrnoError("delete");
      *failed = name;
    }
  }
  ::closedir(listing);
  return outcome;
}

Status RealFileSystem::SyncDirectory(const std::string& directory) {
  int fd = ::open(directory.empty() ? "." : directory.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return ErrnoError("flush the directory");
  // Some file systems cannot flush a directory; they keep nothing back
  // from the renames either.
  if (::fsync(fd) != 0 && errno != EINVAL && errno != ENOTSUP) {
    Status status = ErrnoError("flush the directory");
    ::close(fd);
    return status;
  }
  ::close(fd);
  return Status::Ok();
}

}  // namespace scenario
