// The in-memory file system with a log and faults, for tests: it logs every
// operation it is asked to do and can make any single one of them fail.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "platform/memory_file_system.h"

namespace scenario {

class FakeFileSystem : public MemoryFileSystem {
 public:
  // The steps a file operation is made of. Replacing a file is three steps:
  // create the temporary file, write it, rename it over the old one.
  enum class Step { Create, Write, Rename, Read, Delete, MakeDirectory, List };

  struct LoggedStep {
    Step step;
    std::string path;
  };

  Status ReplaceFile(const std::string& path, std::string_view contents) override;
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  Status MakeDirectory(const std::string& path) override;
  Status ListDirectory(const std::string& path, std::vector<std::string>* names) override;

  // Makes the step with this index in the log (0 = the first step asked for)
  // fail with a failure of kind `code`, worded as the system words it.
  void FailStep(size_t index, StatusCode code = StatusCode::IoError);
  // Makes every `step` on `path` fail likewise.
  void FailOn(Step step, std::string path, StatusCode code = StatusCode::IoError);

  // Every step asked for so far, failed or not.
  const std::vector<LoggedStep>& log() const { return log_; }

 private:
  // Logs the step; returns the failure it must report, if any.
  std::optional<Status> Attempt(Step step, const std::string& path);

  struct Fault {
    std::optional<size_t> index;
    Step step = Step::Create;
    std::string path;
    StatusCode code = StatusCode::IoError;
  };
  std::vector<Fault> faults_;
  std::vector<LoggedStep> log_;
};

const char* StepName(FakeFileSystem::Step step);

// The system's wording of a failure of kind `code` ("Read-only file system").
std::string ReasonOf(StatusCode code);

}  // namespace scenario
