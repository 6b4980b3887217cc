#include "platform/fake_file_system.h"

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

}  // namespace scenario
