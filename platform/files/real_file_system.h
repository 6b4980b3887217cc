// The file system of the machine.
#pragma once

#include "platform/files/file_system.h"

namespace scenario {

class RealFileSystem : public FileSystem {
 public:
  Status ReplaceFile(const std::string& path, std::string_view contents) override;
  Status ReplaceFileInPieces(const std::string& path, const PieceWriter& write) override;
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  Status MakeDirectory(const std::string& path) override;
  Status ListDirectory(const std::string& path, std::vector<std::string>* names) override;
  bool SameFile(const std::string& a, const std::string& b) override;
  Status LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                       const std::function<void()>& waiting,
                       std::unique_ptr<DirectoryLock>* lock) override;
  Status RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) override;
  Status SyncDirectory(const std::string& directory) override;
};

}  // namespace scenario
