#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <thread>

#include "platform/directory_lock.h"

namespace scenario {

namespace {

// The lock file, open and locked; closing it lets go.
class FileLock : public DirectoryLock {
 public:
  explicit FileLock(int fd) : fd_(fd) {}
  ~FileLock() override { ::close(fd_); }
  FileLock(const FileLock&) = delete;
  FileLock& operator=(const FileLock&) = delete;

 private:
  int fd_;
};

constexpr const char* kOperation = "lock the directory";

Status LockError(StatusCode code, const std::string& reason) { return Status::Error(kOperation, code, reason); }

StatusCode CodeOfErrno(int error) { return CodeOf(std::error_code(error, std::generic_category())); }

bool CannotWriteHere(int error) { return error == EACCES || error == EPERM || error == EROFS; }

}  // namespace

Status LockDirectoryOnDisk(const std::string& directory, std::chrono::milliseconds limit,
                           const std::function<void()>& waiting,
                           std::unique_ptr<DirectoryLock>* lock) {
  lock->reset();
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  path += kLockFileName;

  // Never through a symbolic link; the lock file of another user, which we
  // may only read, locks as well.
  int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0666);
  if (fd < 0 && CannotWriteHere(errno)) {
    const int create_error = errno;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW);
    if (fd < 0) {
      if (::access(directory.c_str(), W_OK) != 0 && CannotWriteHere(errno)) return Status::Ok();
      return LockError(CodeOfErrno(create_error), "cannot open the lock file '" + std::string(kLockFileName) +
                                                      "': " + std::strerror(create_error));
    }
  }
  if (fd < 0) {
    const int open_error = errno;
    return LockError(CodeOfErrno(open_error), "cannot open the lock file '" + std::string(kLockFileName) +
                                                  "': " + std::strerror(open_error));
  }
  struct stat info;
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    ::close(fd);
    return LockError(StatusCode::InTheWay, "'" + std::string(kLockFileName) +
                     "' is not a regular file; remove it and start again");
  }

  const auto deadline = std::chrono::steady_clock::now() + limit;
  auto pause = std::chrono::milliseconds(2);
  bool told = false;
  for (;;) {
    if (::flock(fd, LOCK_EX | LOCK_NB) == 0) break;
    const int error = errno;
    if (error == EINTR) continue;
    if (error != EWOULDBLOCK) {
      ::close(fd);
      return LockError(CodeOfErrno(error), std::strerror(error));
    }
    if (!told) {
      if (waiting) waiting();
      told = true;
    }
    const auto now = std::chrono::steady_clock::now();
    if (now >= deadline) {
      ::close(fd);
      return LockError(StatusCode::HeldElsewhere, HeldElsewhereReason(limit));
    }
    std::this_thread::sleep_for(
        std::min<std::chrono::steady_clock::duration>(pause, deadline - now));
    pause = std::min(pause * 2, std::chrono::milliseconds(50));
  }
  *lock = std::make_unique<FileLock>(fd);
  return Status::Ok();
}

}  // namespace scenario
