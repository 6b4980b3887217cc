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

struct Workspace {
  FileSystem& files;
  std::string directory;

  // The full path of a file of the run, from its name.
  std::string PathOf(std::string_view name) const;
};

// Replaces the file `name` of the workspace with `contents`; a failure ends
// the run.
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
  const Workspace& workspace_;
  std::unique_ptr<DirectoryLock> lock_;
  bool finished_ = false;
};

}  // namespace scenario
