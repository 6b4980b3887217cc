// An in-memory file system for tests. It logs every operation it is asked to
// do and can make any single one of them fail.
#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/file_system.h"

namespace scenario {

class FakeFileSystem : public FileSystem {
 public:
  // The steps a file operation is made of. Replacing a file is three steps:
  // create the temporary file, write it, rename it over the old one.
  enum class Step { Create, Write, Rename, Read, Delete };

  struct LoggedStep {
    Step step;
    std::string path;
  };

  Status ReplaceFile(const std::string& path, std::string_view contents) override;
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;

  // Makes the step with this index in the log (0 = the first step asked for)
  // fail with `reason`.
  void FailStep(size_t index, std::string reason = "Input/output error");
  // Makes every `step` on `path` fail with `reason`.
  void FailOn(Step step, std::string path, std::string reason = "Input/output error");

  // Every step asked for so far, failed or not.
  const std::vector<LoggedStep>& log() const { return log_; }

  // The files, by path. Tests may read and change them directly.
  std::map<std::string, std::string> files;

 private:
  // Logs the step; returns the failure it must report, if any.
  std::optional<Status> Attempt(Step step, const std::string& path);

  struct Fault {
    std::optional<size_t> index;
    Step step = Step::Create;
    std::string path;
    std::string reason;
  };
  std::vector<Fault> faults_;
  std::vector<LoggedStep> log_;
};

const char* StepName(FakeFileSystem::Step step);

}  // namespace scenario
