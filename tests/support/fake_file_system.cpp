#include "tests/support/fake_file_system.h"

#include <system_error>

namespace scenario {

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
    case StatusCode::Refused: return "refused";
    case StatusCode::Ok:
    case StatusCode::IoError: break;
  }
  return std::make_error_code(error).message();
}

std::optional<Status> FakeFileSystem::Attempt(Step step, const std::string& path) {
  const size_t index = log_.size();
  log_.push_back({step, path});
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

Status FakeFileSystem::ReplaceFile(const std::string& path, std::string_view contents) {
  // The temporary file lives only inside this call: a failure at any step
  // leaves the old file as it was and nothing else behind.
  if (auto failure = Attempt(Step::Create, path)) return *failure;
  if (auto failure = Attempt(Step::Write, path)) return *failure;
  if (auto failure = Attempt(Step::Rename, path)) return *failure;
  return MemoryFileSystem::ReplaceFile(path, contents);
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

}  // namespace scenario
