// The file system of the machine.
#pragma once

#include "platform/files/file_system.h"

namespace scenario {

class RealFileSystem : public FileSystem {
 public:
  Status WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                            std::string* temporary) override;
  Status RenameFile(const std::string& from, const std::string& to) override;
  Status CheckReplaceable(const std::string& path) override;
  unsigned long ProcessNumber() override;
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
