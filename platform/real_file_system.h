// The file system of the machine.
#pragma once

#include "platform/file_system.h"

namespace scenario {

class RealFileSystem : public FileSystem {
 public:
  Status ReplaceFile(const std::string& path, std::string_view contents) override;
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override;
  Status MakeDirectory(const std::string& path) override;
  Status ListDirectory(const std::string& path, std::vector<std::string>* names) override;
  bool SameFile(const std::string& a, const std::string& b) override;
};

}  // namespace scenario
