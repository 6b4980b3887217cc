// The in-memory file system with a log and faults, for tests: it logs every
// operation it is asked to do and can make any single one of them fail.
#pragma once

#include <functional>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "platform/files/memory_file_system.h"

namespace scenario::testing_support {

class FakeFileSystem : public MemoryFileSystem {
 public:
  // The steps a file operation is made of. Replacing a file is three steps:
  // create the temporary file, write it (both logged with the path of the
  // file it is for), rename it over the old one.
  enum class Step { Create, Write, Rename, Read, Delete, MakeDirectory, List };

  struct LoggedStep {
    Step step;
    std::string path;  // for a rename, where the file goes
    std::string from;  // for a rename, the file renamed
  };

  Status WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                            std::string* temporary) override;
  Status RenameFile(const std::string& from, const std::string& to) override;
  // Read-only files and files held open, as set below.
  Status CheckReplaceable(const std::string& path) override;

  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  Status MakeDirectory(const std::string& path) override;
  Status ListDirectory(const std::string& path, std::vector<std::string>* names) override;
  Status LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                       const std::function<void()>& waiting,
                       std::unique_ptr<DirectoryLock>* lock) override;
  // Removes the files with a temporary name of a process not among
  // `running_processes`.
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
  // Makes every `step` on a directory fail with a failure of kind `code`.
  void FailDirectoryStep(DirectoryStep step, StatusCode code) { directory_faults_[step] = code; }
  // Directories whose lock another process holds for longer than any wait.
  std::set<std::string> held_elsewhere;
  // The processes still running, by number: their temporary files stay.
  std::set<unsigned long> running_processes;

  // Makes the step with this index in the log (0 = the first step asked for)
  // fail with a failure of kind `code`, worded as the system words it.
  void FailStep(size_t index, StatusCode code = StatusCode::IoError);
  // Makes every `step` on `path` fail likewise.
  void FailOn(Step step, std::string path, StatusCode code = StatusCode::IoError);

  // Every step asked for so far, failed or not.
  const std::vector<LoggedStep>& log() const { return log_; }

  // Ends the process, as a kill or a power cut would, just before the step
  // with this index in the log: that step and every later change fail and
  // change nothing, and are not logged. Killed before a write, the
  // temporary file is there, empty.
  void KillAtStep(size_t index) { kill_at_ = index; }
  bool killed() const { return killed_; }

  // Whether another program holds the file at the path open now; asked at
  // each check and each rename. A check tells InUse; a rename onto or of
  // such a file is refused with "access denied" (PermissionDenied), as
  // Windows words it.
  std::function<bool(const std::string& path)> held;
  // Read-only files, by path: a check tells ReadOnly.
  std::set<std::string> read_only_files;

 private:
  // Logs the step; returns the failure it must report, if any.
  std::optional<Status> Attempt(Step step, const std::string& path);
  // Logs the directory step; returns the failure it must report, if any.
  std::optional<Status> AttemptOnDirectory(DirectoryStep step, const std::string& directory,
                                           const char* operation);

  struct Fault {
    std::optional<size_t> index;
    Step step = Step::Create;
    std::string path;
    StatusCode code = StatusCode::IoError;
  };
  std::vector<Fault> faults_;
  std::vector<LoggedStep> log_;
  std::map<DirectoryStep, StatusCode> directory_faults_;
  std::optional<size_t> kill_at_;
  bool killed_ = false;
  bool Held(const std::string& path) { return held && FileExists(path) && held(path); }
  std::vector<LoggedDirectoryStep> directory_log_;
  friend class FakeDirectoryLock;
};

const char* StepName(FakeFileSystem::Step step);

// The system's wording of a failure of kind `code` ("Read-only file system").
std::string ReasonOf(StatusCode code);

}  // namespace scenario::testing_support
