#include "tools/authoring/compile_file_system.h"

namespace scenario::tool {

Status CompileFileSystem::ReplaceFile(const std::string& path, std::string_view contents) {
  return ReplaceFileInPieces(path, [contents](const PieceSink& put) { put(contents); });
}

Status CompileFileSystem::ReplaceFileInPieces(const std::string& path, const PieceWriter& write) {
  if (kept_.count(path) != 0)
    return Status::Error("write", StatusCode::Refused,
                         "it is a source given to the compile, which is kept unchanged");
  Status status = inner_.ReplaceFileInPieces(path, write);
  if (status.ok()) written_.push_back(path);
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
