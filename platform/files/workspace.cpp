#include "platform/files/workspace.h"

#include "platform/files/directory_lock.h"
#include "platform/system/program_directory.h"

namespace scenario {

std::string Workspace::PathOf(std::string_view name) const { return JoinPath(directory, name); }

void ReplaceWorkspaceFile(const Workspace& workspace, std::string_view name,
                          std::string_view contents) {
  RequireOk(workspace.files.ReplaceFile(workspace.PathOf(name), contents), name);
}

void ReplaceWorkspaceFileInPieces(const Workspace& workspace, std::string_view name,
                                  const PieceWriter& write) {
  RequireOk(workspace.files.ReplaceFileInPieces(workspace.PathOf(name), write), name);
}

WorkspaceHold::WorkspaceHold(const Workspace& workspace, std::chrono::milliseconds limit,
                             const Tell& tell)
    : workspace_(workspace) {
  const std::string& directory = workspace.directory;
  const auto waiting = [&] {
    if (tell)
      tell("another run holds the directory '" + directory + "'; waiting for it to end (at most " +
           DescribeWait(limit) + ")");
  };
  RequireOk(workspace.files.LockDirectory(directory, limit, waiting, &lock_), directory);

  // A leftover that stays does no harm: the run makes temporary files of
  // its own names. It is told, and the run goes on.
  std::string failed;
  const Status cleaned = workspace.files.RemoveLeftoverTemporaries(directory, &failed);
  if (!cleaned.ok() && tell) {
    if (failed.empty())
      tell("cannot look for leftover temporary files in '" + directory + "': " + cleaned.reason());
    else
      tell("cannot delete the leftover temporary file '" + workspace.PathOf(failed) +
           "': " + cleaned.reason() + "; it is no file of the scenario and can be deleted");
  }
}

WorkspaceHold::~WorkspaceHold() {
  if (!finished_) workspace_.files.SyncDirectory(workspace_.directory);
}

void WorkspaceHold::Finish() {
  finished_ = true;
  RequireOk(workspace_.files.SyncDirectory(workspace_.directory), workspace_.directory);
}

}  // namespace scenario
