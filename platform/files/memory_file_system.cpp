#include "platform/files/memory_file_system.h"

#include <filesystem>

#include "platform/files/directory_lock.h"
#include "platform/files/temporary_names.h"

namespace scenario {

namespace {

// The normal spelling of a path, without a trailing separator.
std::string Normal(const std::string& path) {
  std::string normal = std::filesystem::path(path).lexically_normal().generic_string();
  while (normal.size() > 1 && normal.back() == '/') normal.pop_back();
  return normal;
}

// The directory a file's path lies in ("" for a bare name).
std::string ParentOf(const std::string& path) {
  return Normal(std::filesystem::path(Normal(path)).parent_path().generic_string());
}

// The last part of a path, as its bytes. std::filesystem would take a name
// through the system's code page on Windows, and a Windows-1252 letter
// would not come back as it was.
std::string LastPart(const std::string& path) {
  const char* separators = std::filesystem::path::preferred_separator == '\\' ? "/\\" : "/";
  const size_t at = path.find_last_of(separators);
  return at == std::string::npos ? path : path.substr(at + 1);
}

// Whether the normal path `path` lies somewhere below the directory `directory`.
bool Below(const std::string& path, const std::string& directory) {
  return path.size() > directory.size() && path.compare(0, directory.size() + 1, directory + "/") == 0;
}

Status NotFound(const char* operation) {
  return Status::Error(operation, std::make_error_code(std::errc::no_such_file_or_directory));
}

}  // namespace

Status MemoryFileSystem::WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                                            std::string* temporary) {
  const std::string::size_type separator = path.find_last_of("/\\");
  const std::string directory = separator == std::string::npos ? std::string() : path.substr(0, separator + 1);
  const std::string name = separator == std::string::npos ? path : path.substr(separator + 1);
  std::string candidate;
  for (unsigned long counter = 0;; ++counter) {
    candidate = directory + TemporaryNameFor(name, process_number, counter);
    if (files.count(candidate) == 0) break;
  }
  std::string contents = std::move(gathering);
  gathering.clear();
  contents.clear();
  write([&contents](std::string_view piece) { contents.append(piece); });
  files[candidate] = std::move(contents);
  *temporary = candidate;
  return Status::Ok();
}

Status MemoryFileSystem::RenameFile(const std::string& from, const std::string& to) {
  auto found = files.find(from);
  if (found == files.end()) return NotFound("rename");
  if (DirectoryExists(to)) return Status::Error("rename", std::make_error_code(std::errc::is_a_directory));
  if (from == to) return Status::Ok();
  std::string contents = std::move(found->second);
  files.erase(found);
  files[to] = std::move(contents);
  return Status::Ok();
}

Status MemoryFileSystem::CheckReplaceable(const std::string&) { return Status::Ok(); }

Status MemoryFileSystem::ReadFile(const std::string& path, std::string* contents) {
  auto found = files.find(path);
  if (found == files.end()) return NotFound("read");
  *contents = found->second;
  return Status::Ok();
}

Status MemoryFileSystem::DeleteFile(const std::string& path) {
  if (files.erase(path) == 0) return NotFound("delete");
  return Status::Ok();
}

bool MemoryFileSystem::FileExists(const std::string& path) { return files.count(path) != 0; }

bool MemoryFileSystem::DirectoryExists(const std::string& path) {
  const std::string directory = Normal(path);
  if (directories.count(directory) != 0) return true;
  for (const std::string& made : directories)
    if (Below(made, directory)) return true;
  for (const auto& [file, contents] : files)
    if (Below(Normal(file), directory)) return true;
  return false;
}

Status MemoryFileSystem::MakeDirectory(const std::string& path) {
  if (FileExists(path))
    return Status::Error("create the directory", StatusCode::InTheWay, "a file of that name is in the way");
  directories.insert(Normal(path));
  return Status::Ok();
}

Status MemoryFileSystem::ListDirectory(const std::string& path, std::vector<std::string>* names) {
  names->clear();
  if (!DirectoryExists(path)) return NotFound("list");
  const std::string directory = Normal(path);
  for (const auto& [file, contents] : files)
    if (ParentOf(file) == directory) names->push_back(LastPart(file));
  return Status::Ok();
}

bool MemoryFileSystem::SameFile(const std::string& a, const std::string& b) { return Normal(a) == Normal(b); }

class MemoryFileSystem::MemoryLock : public DirectoryLock {
 public:
  MemoryLock(std::set<std::string>& locked, std::string directory)
      : locked_(locked), directory_(std::move(directory)) {}
  ~MemoryLock() override { locked_.erase(directory_); }

 private:
  std::set<std::string>& locked_;
  std::string directory_;
};

Status MemoryFileSystem::LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                                       const std::function<void()>& waiting,
                                       std::unique_ptr<DirectoryLock>* lock) {
  lock->reset();
  const std::string normal = Normal(directory);
  if (locked_.count(normal) != 0) {
    if (waiting) waiting();
    return Status::Error("lock the directory", StatusCode::HeldElsewhere, HeldElsewhereReason(limit));
  }
  locked_.insert(normal);
  *lock = std::make_unique<MemoryLock>(locked_, normal);
  return Status::Ok();
}

Status MemoryFileSystem::RemoveLeftoverTemporaries(const std::string&, std::string*) { return Status::Ok(); }

Status MemoryFileSystem::SyncDirectory(const std::string&) { return Status::Ok(); }

}  // namespace scenario
