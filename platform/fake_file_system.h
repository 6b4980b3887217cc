// An in-memory file system for tests. It logs every operation it is asked to
// do and can make any single one of them fail.
#pragma once

#include <map>
#include <optional>
#include <set>
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
  Status LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                       const std::function<void()>& waiting,
                       std::unique_ptr<DirectoryLock>* lock) override;
  Status RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) override;
  Status SyncDirectory(const std::string& directory) override;

  // The operations on a whole directory, logged apart from the file steps.
  enum class DirectoryStep { Lock, Unlock, RemoveLeftovers, Sync };
  struct LoggedDirectoryStep {
    DirectoryStep step;
    std::string directory;
    // How many file steps had been asked for before it.
    size_t file_steps_before;
  };
  const std::vector<LoggedDirectoryStep>& directory_log() const { return directory_log_; }
  // Makes every `step` on a directory fail with `reason`.
  void FailDirectoryStep(DirectoryStep step, std::string reason) {
    directory_faults_[step] = std::move(reason);
  }
  // Directories whose lock another process holds for longer than any wait.
  std::set<std::string> held_elsewhere;
  // The processes still running, by number: their temporary files stay.
  std::set<unsigned long> running_processes;

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
  std::map<DirectoryStep, std::string> directory_faults_;
  std::vector<LoggedDirectoryStep> directory_log_;
  std::set<std::string> locked_;
  friend class FakeDirectoryLock;
};

const char* StepName(FakeFileSystem::Step step);

}  // namespace scenario
