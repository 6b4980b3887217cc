// Where a run's files live: the program's directory, reached through a file
// system.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>

#include "platform/files/file_system.h"

namespace scenario {

class FileSet;

// How long a run waits for another program to let go of a file it has to
// replace (platform/files/file_set.h).
inline constexpr std::chrono::milliseconds kHeldFileWaitLimit{10000};

// Set to a number of milliseconds, this environment variable shortens that
// wait; only tests use it.
inline constexpr const char* kHeldFileWaitVariable = "SCENARIO_HELD_FILE_WAIT_MS";

// The wait for a held file in this process: kHeldFileWaitLimit, unless the
// environment variable gives another.
std::chrono::milliseconds HeldFileWaitLimit();

struct Workspace {
  FileSystem& files;
  std::string directory;
  // Told to the user while the run goes on (a wait for a file another
  // program holds open, a leftover that stays); nothing is told without it.
  std::function<void(const std::string& notice)> tell = {};
  // How long to wait for a file another program holds open.
  std::chrono::milliseconds held_file_wait = HeldFileWaitLimit();
  // When given, the files replaced through the workspace
  // (ReplaceWorkspaceFile) are added to this set instead, and replaced with
  // it.
  FileSet* gathering = nullptr;

  // The full path of a file of the run, from its name.
  std::string PathOf(std::string_view name) const;
};

// Replaces the file `name` of the workspace with `contents` (or adds it to
// the workspace's gathering set); a failure ends the run.
void ReplaceWorkspaceFile(const Workspace& workspace, std::string_view name,
                          std::string_view contents);
// The same, with the contents handed over in pieces by `write`.
void ReplaceWorkspaceFileInPieces(const Workspace& workspace, std::string_view name,
                                  const PieceWriter& write);

// A run's hold on its workspace's directory, from before its first file is
// written until after its last: no other run (of the compactor or of
// scenario-tool) writes, reads or deletes a file there meanwhile.
class WorkspaceHold {
 public:
  // Notices for the user while the run goes on: a wait for another run, a
  // leftover file that could not be removed. Each names the directory or
  // the file.
  using Tell = std::function<void(const std::string& notice)>;

  // Takes the directory's lock, waiting up to `limit` for another run to
  // end, and then removes the temporary files that runs killed in the
  // middle left behind. Throws SystemFailure, naming the directory, when
  // the lock cannot be had.
  WorkspaceHold(const Workspace& workspace, std::chrono::milliseconds limit, const Tell& tell);
  // Flushes the directory (when Finish was not reached) and lets go.
  ~WorkspaceHold();
  WorkspaceHold(const WorkspaceHold&) = delete;
  WorkspaceHold& operator=(const WorkspaceHold&) = delete;

  // After the run's last file: flushes the directory so that its renames
  // and deletes outlast a power loss. Throws SystemFailure when it cannot.
  void Finish();

 private:
  // A copy: a hold may outlive the workspace it was given.
  const Workspace workspace_;
  std::unique_ptr<DirectoryLock> lock_;
  bool finished_ = false;
};

}  // namespace scenario
