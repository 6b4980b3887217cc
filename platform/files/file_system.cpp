#include "platform/files/file_system.h"

namespace scenario {

Status FileSystem::ReplaceFile(const std::string& path, std::string_view contents) {
  return ReplaceFileInPieces(path, [contents](const PieceSink& put) { put(contents); });
}

Status FileSystem::ReplaceFileInPieces(const std::string& path, const PieceWriter& write) {
  std::string temporary;
  const Status written = WriteTemporaryFile(path, write, &temporary);
  if (!written.ok()) return written;
  const Status renamed = RenameFile(temporary, path);
  if (!renamed.ok()) DeleteFile(temporary);
  return renamed;
}

}  // namespace scenario
