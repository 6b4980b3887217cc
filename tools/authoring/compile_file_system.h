// The file system a compile of scenario-tool runs on: the given one, seen
// through three small additions. A file the author gave is kept (the run
// reads the copy it expects and then deletes it; when the given file is that
// copy itself, the delete is skipped), every file the run writes is listed,
// and an action can be run just before a file is read.
#pragma once

#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::tool {

class CompileFileSystem : public FileSystem {
 public:
  explicit CompileFileSystem(FileSystem& inner) : inner_(inner) {}

  // The run must neither delete nor replace the file at `path`: a delete
  // leaves it in place, a replace fails.
  void Keep(const std::string& path) { kept_.insert(path); }
  // Runs `action` each time, just before the file at `path` is read.
  void BeforeReading(const std::string& path, std::function<void()> action) {
    before_reading_[path] = std::move(action);
  }
  // Every file replaced successfully, in order.
  const std::vector<std::string>& written() const { return written_; }

  Status WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                            std::string* temporary) override;
  // A rename into place is a file written.
  Status RenameFile(const std::string& from, const std::string& to) override;
  Status CheckReplaceable(const std::string& path) override { return inner_.CheckReplaceable(path); }
  unsigned long ProcessNumber() override { return inner_.ProcessNumber(); }
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  bool DirectoryExists(const std::string& path) override { return inner_.DirectoryExists(path); }
  Status MakeDirectory(const std::string& path) override { return inner_.MakeDirectory(path); }
  Status ListDirectory(const std::string& path, std::vector<std::string>* names) override {
    return inner_.ListDirectory(path, names);
  }
  bool SameFile(const std::string& a, const std::string& b) override { return inner_.SameFile(a, b); }
  Status LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                       const std::function<void()>& waiting,
                       std::unique_ptr<DirectoryLock>* lock) override {
    return inner_.LockDirectory(directory, limit, waiting, lock);
  }
  Status RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) override {
    return inner_.RemoveLeftoverTemporaries(directory, failed);
  }
  Status SyncDirectory(const std::string& directory) override { return inner_.SyncDirectory(directory); }

 private:
  FileSystem& inner_;
  std::set<std::string> kept_;
  std::map<std::string, std::function<void()>> before_reading_;
  std::vector<std::string> written_;
};

}  // namespace scenario::tool
