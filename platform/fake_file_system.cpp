#include "platform/fake_file_system.h"

#include "platform/directory_lock.h"
#include "platform/temporary_names.h"

namespace scenario {

const char* StepName(FakeFileSystem::Step step) {
  switch (step) {
    case FakeFileSystem::Step::Create: return "create";
    case FakeFileSystem::Step::Write: return "write";
    case FakeFileSystem::Step::Rename: return "rename";
    case FakeFileSystem::Step::Read: return "read";
    case FakeFileSystem::Step::Delete: return "delete";
  }
  return "?";
}

std::optional<Status> FakeFileSystem::Attempt(Step step, const std::string& path) {
  const size_t index = log_.size();
  log_.push_back({step, path});
  for (const Fault& fault : faults_) {
    bool matches = fault.index ? *fault.index == index : (fault.step == step && fault.path == path);
    if (matches) return Status::Error(StepName(step), fault.reason);
  }
  return std::nullopt;
}

void FakeFileSystem::FailStep(size_t index, std::string reason) {
  faults_.push_back({index, Step::Create, {}, std::move(reason)});
}

void FakeFileSystem::FailOn(Step step, std::string path, std::string reason) {
  faults_.push_back({std::nullopt, step, std::move(path), std::move(reason)});
}

Status FakeFileSystem::ReplaceFile(const std::string& path, std::string_view contents) {
  // The temporary file lives only inside this call: a failure at any step
  // leaves the old file as it was and nothing else behind.
  if (auto failure = Attempt(Step::Create, path)) return *failure;
  if (auto failure = Attempt(Step::Write, path)) return *failure;
  if (auto failure = Attempt(Step::Rename, path)) return *failure;
  files[path] = std::string(contents);
  return Status::Ok();
}

Status FakeFileSystem::ReadFile(const std::string& path, std::string* contents) {
  if (auto failure = Attempt(Step::Read, path)) return *failure;
  auto found = files.find(path);
  if (found == files.end()) return Status::Error("read", "No such file or directory");
  *contents = found->second;
  return Status::Ok();
}

Status FakeFileSystem::DeleteFile(const std::string& path) {
  if (auto failure = Attempt(Step::Delete, path)) return *failure;
  if (files.erase(path) == 0) return Status::Error("delete", "No such file or directory");
  return Status::Ok();
}

bool FakeFileSystem::FileExists(const std::string& path) { return files.count(path) != 0; }

class FakeDirectoryLock : public DirectoryLock {
 public:
  FakeDirectoryLock(FakeFileSystem& files, std::string directory)
      : files_(files), directory_(std::move(directory)) {}
  ~FakeDirectoryLock() override {
    files_.directory_log_.push_back(
        {FakeFileSystem::DirectoryStep::Unlock, directory_, files_.log_.size()});
    files_.locked_.erase(directory_);
  }

 private:
  FakeFileSystem& files_;
  std::string directory_;
};

Status FakeFileSystem::LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                                     const std::function<void()>& waiting,
                                     std::unique_ptr<DirectoryLock>* lock) {
  lock->reset();
  directory_log_.push_back({DirectoryStep::Lock, directory, log_.size()});
  auto fault = directory_faults_.find(DirectoryStep::Lock);
  if (fault != directory_faults_.end()) return Status::Error("lock the directory", fault->second);
  if (held_elsewhere.count(directory) != 0 || locked_.count(directory) != 0) {
    if (waiting) waiting();
    return Status::Error("lock the directory", HeldElsewhereReason(limit));
  }
  locked_.insert(directory);
  *lock = std::make_unique<FakeDirectoryLock>(*this, directory);
  return Status::Ok();
}

Status FakeFileSystem::RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) {
  directory_log_.push_back({DirectoryStep::RemoveLeftovers, directory, log_.size()});
  const std::string prefix = directory.empty() || directory.back() == '/' ? directory : directory + "/";
  std::optional<std::string> refused;
  for (auto file = files.begin(); file != files.end();) {
    const std::string& path = file->first;
    const bool inside = path.size() > prefix.size() && path.compare(0, prefix.size(), prefix) == 0;
    const std::string name = inside ? path.substr(prefix.size()) : std::string();
    unsigned long process = 0;
    const bool leftover = inside && name.find('/') == std::string::npos &&
                          IsTemporaryName(name, &process) && running_processes.count(process) == 0;
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
  if (refused) return Status::Error("delete", *refused);
  return Status::Ok();
}

Status FakeFileSystem::SyncDirectory(const std::string& directory) {
  directory_log_.push_back({DirectoryStep::Sync, directory, log_.size()});
  auto fault = directory_faults_.find(DirectoryStep::Sync);
  if (fault != directory_faults_.end()) return Status::Error("flush the directory", fault->second);
  return Status::Ok();
}

}  // namespace scenario
