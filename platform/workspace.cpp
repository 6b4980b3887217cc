#include "platform/workspace.h"

namespace scenario {

std::string Workspace::PathOf(std::string_view name) const {
  std::string path = directory;
  if (!path.empty() && path.back() != '/') path += '/';
  path += name;
  return path;
}

SystemFailure::SystemFailure(std::string operation, std::string file, std::string reason)
    : std::runtime_error("cannot " + operation + " '" + file + "': " + reason),
      operation_(std::move(operation)),
      file_(std::move(file)),
      reason_(std::move(reason)) {}

void RequireOk(const Status& status, std::string_view file_name) {
  if (!status.ok()) throw SystemFailure(status.operation(), std::string(file_name), status.reason());
}

void ReplaceWorkspaceFile(const Workspace& workspace, std::string_view name,
                          std::string_view contents) {
  RequireOk(workspace.files.ReplaceFile(workspace.PathOf(name), contents), name);
}

void ReplaceWorkspaceFileInPieces(const Workspace& workspace, std::string_view name,
                                  const PieceWriter& write) {
  RequireOk(workspace.files.ReplaceFileInPieces(workspace.PathOf(name), write), name);
}

}  // namespace scenario
