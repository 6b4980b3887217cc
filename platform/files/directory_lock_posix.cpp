#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/files/lock_file.h"

namespace scenario {

namespace {

// The lock file, open; flock's lock belongs to the open file, so closing it
// lets go.
class FlockFile : public OpenLockFile {
 public:
  explicit FlockFile(int fd) : fd_(fd) {}
  ~FlockFile() override { ::close(fd_); }
  FlockFile(const FlockFile&) = delete;
  FlockFile& operator=(const FlockFile&) = delete;

  Status TryLock() override;

 private:
  int fd_;
};

Status LockError(StatusCode code, const std::string& reason) { return Status::Error(kLockOperation, code, reason); }

StatusCode CodeOfErrno(int error) { return CodeOf(std::error_code(error, std::generic_category())); }

bool CannotWriteHere(int error) { return error == EACCES || error == EPERM || error == EROFS; }

Status FlockFile::TryLock() {
  for (;;) {
    if (::flock(fd_, LOCK_EX | LOCK_NB) == 0) return Status::Ok();
    const int error = errno;
    if (error == EINTR) continue;
    if (error == EWOULDBLOCK) return LockError(StatusCode::HeldElsewhere, "");
    return LockError(CodeOfErrno(error), std::strerror(error));
  }
}

}  // namespace

Status OpenDirectoryLockFile(const std::string& directory, std::unique_ptr<OpenLockFile>* file) {
  file->reset();
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
  *file = std::make_unique<FlockFile>(fd);
  return Status::Ok();
}

}  // namespace scenario
