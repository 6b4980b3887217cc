// The floor of a run's cost: a program that does nothing but write the files
// a run leaves, as carefully as the run writes them. It reads every file of
// the source directory into memory first, then writes each one into the
// target directory: a temporary file beside it, the bytes, fsync, rename over
// the old one.
//
//   durable_copy SOURCE_DIRECTORY TARGET_DIRECTORY
#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

namespace {

bool ReadWhole(const std::string& path, std::string* contents) {
  int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  contents->clear();
  char buffer[1 << 16];
  for (;;) {
    ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) {
      ::close(fd);
      return false;
    }
    if (got == 0) break;
    contents->append(buffer, static_cast<size_t>(got));
  }
  ::close(fd);
  return true;
}

bool WriteDurably(const std::string& path, const std::string& contents) {
  const std::string temporary = path + ".tmp-" + std::to_string(::getpid());
  int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  if (fd < 0) return false;
  const char* data = contents.data();
  size_t left = contents.size();
  while (left > 0) {
    ssize_t written = ::write(fd, data, left);
    if (written < 0 && errno == EINTR) continue;
    if (written < 0) break;
    data += written;
    left -= static_cast<size_t>(written);
  }
  const bool ok = left == 0 && ::fsync(fd) == 0;
  if (::close(fd) != 0 || !ok || ::rename(temporary.c_str(), path.c_str()) != 0) {
    ::unlink(temporary.c_str());
    return false;
  }
  return true;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 3) {
    std::fprintf(stderr, "usage: durable_copy SOURCE_DIRECTORY TARGET_DIRECTORY\n");
    return 64;
  }
  const std::filesystem::path source = argv[1];
  const std::filesystem::path target = argv[2];
  std::vector<std::string> names;
  std::vector<std::string> contents;
  std::error_code error;
  for (const auto& entry : std::filesystem::directory_iterator(source, error)) {
    if (!entry.is_regular_file()) continue;
    contents.emplace_back();
    if (!ReadWhole(entry.path().string(), &contents.back())) {
      std::fprintf(stderr, "durable_copy: cannot read '%s': %s\n", entry.path().c_str(),
                   std::strerror(errno));
      return 1;
    }
    names.push_back(entry.path().filename().string());
  }
  if (error) {
    std::fprintf(stderr, "durable_copy: cannot list '%s': %s\n", argv[1], error.message().c_str());
    return 1;
  }
  for (size_t i = 0; i < names.size(); ++i) {
    const std::string path = (target / names[i]).string();
    if (!WriteDurably(path, contents[i])) {
      std::fprintf(stderr, "durable_copy: cannot write '%s': %s\n", path.c_str(), std::strerror(errno));
      return 1;
    }
  }
  return 0;
}
