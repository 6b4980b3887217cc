// Where a run's files live: the program's directory, reached through a file
// system.
#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace scenario {

struct Workspace {
  FileSystem& files;
  std::string directory;

  // The full path of a file of the run, from its name.
  std::string PathOf(std::string_view name) const;
};

// A failure of the system itself: a file that could not be created, written,
// renamed, read or deleted. It ends the run.
class SystemFailure : public std::runtime_error {
 public:
  SystemFailure(std::string operation, std::string file, std::string reason);
  const std::string& operation() const { return operation_; }
  const std::string& file() const { return file_; }
  const std::string& reason() const { return reason_; }

 private:
  std::string operation_;
  std::string file_;
  std::string reason_;
};

// Throws SystemFailure naming `file_name` when `status` is a failure.
void RequireOk(const Status& status, std::string_view file_name);

// Replaces the file `name` of the workspace with `contents`; a failure ends
// the run.
void ReplaceWorkspaceFile(const Workspace& workspace, std::string_view name,
                          std::string_view contents);
// The same, with the contents handed over in pieces by `write`.
void ReplaceWorkspaceFileInPieces(const Workspace& workspace, std::string_view name,
                                  const PieceWriter& write);

}  // namespace scenario
