#include "tools/authoring/compile_file_system.h"

#include "platform/files/temporary_names.h"

namespace scenario::tool {

Status CompileFileSystem::WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                                             std::string* temporary) {
  if (kept_.count(path) != 0)
    return Status::Error("write", StatusCode::Refused,
                         "it is a source given to the compile, which is kept unchanged");
  return inner_.WriteTemporaryFile(path, write, temporary);
}

Status CompileFileSystem::RenameFile(const std::string& from, const std::string& to) {
  if (kept_.count(to) != 0 || kept_.count(from) != 0)
    return Status::Error("rename", StatusCode::Refused,
                         "it is a source given to the compile, which is kept unchanged");
  Status status = inner_.RenameFile(from, to);
  const std::string::size_type separator = to.find_last_of("/\\");
  unsigned long process = 0;
  if (status.ok() && !IsTemporaryName(separator == std::string::npos ? to : to.substr(separator + 1), &process))
    written_.push_back(to);
  return status;
}

Status CompileFileSystem::ReadFile(const std::string& path, std::string* contents) {
  auto action = before_reading_.find(path);
  if (action != before_reading_.end()) action->second();
  return inner_.ReadFile(path, contents);
}

Status CompileFileSystem::DeleteFile(const std::string& path) {
  if (kept_.count(path) != 0) return Status::Ok();
  return inner_.DeleteFile(path);
}

bool CompileFileSystem::FileExists(const std::string& path) { return inner_.FileExists(path); }

}  // namespace scenario::tool
