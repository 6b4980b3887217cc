#include "platform/files/workspace.h"

#include <cstdlib>

#include "platform/files/directory_lock.h"
#include "platform/files/file_set.h"
#include "platform/system/program_directory.h"

namespace scenario {

std::chrono::milliseconds HeldFileWaitLimit() {
  const char* value = std::getenv(kHeldFileWaitVariable);
  if (value == nullptr || *value == '\0') return kHeldFileWaitLimit;
  long long milliseconds = 0;
  for (const char* c = value; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9' || milliseconds > 3600000) return kHeldFileWaitLimit;
    milliseconds = milliseconds * 10 + (*c - '0');
  }
  return std::chrono::milliseconds(milliseconds);
}

std::string Workspace::PathOf(std::string_view name) const { return JoinPath(directory, name); }

void ReplaceWorkspaceFile(const Workspace& workspace, std::string_view name,
                          std::string_view contents) {
  ReplaceWorkspaceFileInPieces(workspace, name, [contents](const PieceSink& put) { put(contents); });
}

void ReplaceWorkspaceFileInPieces(const Workspace& workspace, std::string_view name,
                                  const PieceWriter& write) {
  if (workspace.gathering != nullptr) {
    workspace.gathering->AddInPieces(name, write);
    return;
  }
  // A set of one file: no record and nothing kept aside, as a rename over
  // the old file is already whole or nothing; but a file held open is
  // waited for and told of like any other.
  FileSet one(workspace);
  one.AddInPieces(name, write);
  one.Replace();
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

  // A set of files that a killed run was replacing is finished (or put
  // back) before anything else: its temporary files are not leftovers.
  Workspace told = workspace;
  if (!told.tell) told.tell = tell;
  FinishInterruptedSets(told);

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
