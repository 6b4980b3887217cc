#include "tests/support/fake_file_system.h"

#include <system_error>

#include "platform/files/directory_lock.h"
#include "platform/files/temporary_names.h"

namespace scenario::testing_support {

const char* StepName(FakeFileSystem::Step step) {
  switch (step) {
    case FakeFileSystem::Step::Create: return "create";
    case FakeFileSystem::Step::Write: return "write";
    case FakeFileSystem::Step::Rename: return "rename";
    case FakeFileSystem::Step::Read: return "read";
    case FakeFileSystem::Step::Delete: return "delete";
    case FakeFileSystem::Step::MakeDirectory: return "create the directory";
    case FakeFileSystem::Step::List: return "list";
  }
  return "?";
}

std::string ReasonOf(StatusCode code) {
  std::errc error = std::errc::io_error;
  switch (code) {
    case StatusCode::NotFound: error = std::errc::no_such_file_or_directory; break;
    case StatusCode::PermissionDenied: error = std::errc::permission_denied; break;
    case StatusCode::ReadOnly: error = std::errc::read_only_file_system; break;
    case StatusCode::NoSpace: error = std::errc::no_space_on_device; break;
    case StatusCode::TooLarge: error = std::errc::file_too_large; break;
    case StatusCode::InTheWay: error = std::errc::file_exists; break;
    case StatusCode::HeldElsewhere: return "another run holds it";
    case StatusCode::InUse:
      return "The process cannot access the file because it is being used by another process";
    case StatusCode::Refused: return "refused";
    case StatusCode::Ok:
    case StatusCode::IoError: break;
  }
  return std::make_error_code(error).message();
}

std::optional<Status> FakeFileSystem::Attempt(Step step, const std::string& path) {
  const size_t index = log_.size();
  if (kill_at_ && index >= *kill_at_) killed_ = true;
  if (killed_) return Status::Error(StepName(step), StatusCode::IoError, "the process was killed");
  log_.push_back({step, path, {}});
  for (const Fault& fault : faults_) {
    bool matches = fault.index ? *fault.index == index : (fault.step == step && fault.path == path);
    if (matches) return Status::Error(StepName(step), fault.code, ReasonOf(fault.code));
  }
  return std::nullopt;
}

void FakeFileSystem::FailStep(size_t index, StatusCode code) {
  faults_.push_back({index, Step::Create, {}, code});
}

void FakeFileSystem::FailOn(Step step, std::string path, StatusCode code) {
  faults_.push_back({std::nullopt, step, std::move(path), code});
}

Status FakeFileSystem::WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                                          std::string* temporary) {
  if (auto failure = Attempt(Step::Create, path)) return *failure;
  if (auto failure = Attempt(Step::Write, path)) {
    // Killed with the temporary file made and nothing in it yet.
    if (killed_) MemoryFileSystem::WriteTemporaryFile(path, [](const PieceSink&) {}, temporary);
    return *failure;
  }
  return MemoryFileSystem::WriteTemporaryFile(path, write, temporary);
}

Status FakeFileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (auto failure = Attempt(Step::Rename, to)) return *failure;
  log_.back().from = from;
  if (Held(to) || Held(from))
    return Status::Error("rename", StatusCode::PermissionDenied, ReasonOf(StatusCode::PermissionDenied));
  return MemoryFileSystem::RenameFile(from, to);
}

Status FakeFileSystem::CheckReplaceable(const std::string& path) {
  if (read_only_files.count(path) != 0 && FileExists(path))
    return Status::Error("replace", StatusCode::ReadOnly, "it is read-only");
  if (Held(path))
    return Status::Error("replace", StatusCode::InUse, ReasonOf(StatusCode::InUse));
  return Status::Ok();
}

Status FakeFileSystem::ReadFile(const std::string& path, std::string* contents) {
  if (auto failure = Attempt(Step::Read, path)) return *failure;
  return MemoryFileSystem::ReadFile(path, contents);
}

Status FakeFileSystem::DeleteFile(const std::string& path) {
  if (auto failure = Attempt(Step::Delete, path)) return *failure;
  return MemoryFileSystem::DeleteFile(path);
}

Status FakeFileSystem::MakeDirectory(const std::string& path) {
  if (auto failure = Attempt(Step::MakeDirectory, path)) return *failure;
  return MemoryFileSystem::MakeDirectory(path);
}

Status FakeFileSystem::ListDirectory(const std::string& path, std::vector<std::string>* names) {
  if (auto failure = Attempt(Step::List, path)) return *failure;
  return MemoryFileSystem::ListDirectory(path, names);
}

std::optional<Status> FakeFileSystem::AttemptOnDirectory(DirectoryStep step, const std::string& directory,
                                                         const char* operation) {
  directory_log_.push_back({step, directory, log_.size()});
  auto fault = directory_faults_.find(step);
  if (fault != directory_faults_.end()) return Status::Error(operation, fault->second, ReasonOf(fault->second));
  return std::nullopt;
}

// The lock of the file system underneath, and the unlock logged.
class FakeDirectoryLock : public DirectoryLock {
 public:
  FakeDirectoryLock(FakeFileSystem& files, std::string directory, std::unique_ptr<DirectoryLock> held)
      : files_(files), directory_(std::move(directory)), held_(std::move(held)) {}
  ~FakeDirectoryLock() override {
    files_.directory_log_.push_back(
        {FakeFileSystem::DirectoryStep::Unlock, directory_, files_.log_.size()});
  }

 private:
  FakeFileSystem& files_;
  std::string directory_;
  std::unique_ptr<DirectoryLock> held_;
};

Status FakeFileSystem::LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                                     const std::function<void()>& waiting,
                                     std::unique_ptr<DirectoryLock>* lock) {
  lock->reset();
  if (auto failure = AttemptOnDirectory(DirectoryStep::Lock, directory, "lock the directory")) return *failure;
  if (held_elsewhere.count(directory) != 0) {
    if (waiting) waiting();
    return Status::Error("lock the directory", StatusCode::HeldElsewhere, HeldElsewhereReason(limit));
  }
  std::unique_ptr<DirectoryLock> held;
  Status status = MemoryFileSystem::LockDirectory(directory, limit, waiting, &held);
  if (!status.ok()) return status;
  *lock = std::make_unique<FakeDirectoryLock>(*this, directory, std::move(held));
  return Status::Ok();
}

Status FakeFileSystem::RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) {
  directory_log_.push_back({DirectoryStep::RemoveLeftovers, directory, log_.size()});
  const std::string prefix = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  std::optional<StatusCode> refused;
  for (auto file = files.begin(); file != files.end();) {
    const std::string& path = file->first;
    const bool inside = path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
    const std::string name = inside ? path.substr(prefix.size()) : std::string();
    unsigned long process = 0;
    TemporaryKind kind = TemporaryKind::NewFile;
    const bool leftover = inside && name.find('/') == std::string::npos &&
                          IsTemporaryName(name, &process, &kind) && kind != TemporaryKind::SetRecord &&
                          running_processes.count(process) == 0;
    if (!leftover) {
      ++file;
      continue;
    }
    auto fault = directory_faults_.find(DirectoryStep::RemoveLeftovers);
    if (fault != directory_faults_.end()) {
      if (!refused) {
        refused = fault->second;
        *failed = name;
      }
      ++file;
      continue;
    }
    file = files.erase(file);
  }
  if (refused) return Status::Error("delete", *refused, ReasonOf(*refused));
  return Status::Ok();
}

Status FakeFileSystem::SyncDirectory(const std::string& directory) {
  if (auto failure = AttemptOnDirectory(DirectoryStep::Sync, directory, "flush the directory")) return *failure;
  return MemoryFileSystem::SyncDirectory(directory);
}

}  // namespace scenario::testing_support
