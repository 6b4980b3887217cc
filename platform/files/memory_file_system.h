// A file system held in memory: files by path, and the directories made.
// For a run whose files must never reach the disk (a compile made only to
// look at its result), and the ground of the test doubles.
#pragma once

#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario {

class MemoryFileSystem : public FileSystem {
 public:
  // The pieces are gathered into `gathering`, which then becomes the file.
  Status WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                            std::string* temporary) override;
  Status RenameFile(const std::string& from, const std::string& to) override;
  // Nothing in memory is held open or read-only.
  Status CheckReplaceable(const std::string& path) override;
  unsigned long ProcessNumber() override { return process_number; }
  Status ReadFile(const std::string& path, std::string* contents) override;
  Status DeleteFile(const std::string& path) override;
  bool FileExists(const std::string& path) override;
  // A directory exists once it was made, or while a file lies under it.
  bool DirectoryExists(const std::string& path) override;
  Status MakeDirectory(const std::string& path) override;
  Status ListDirectory(const std::string& path, std::vector<std::string>* names) override;
  // Paths are compared as written, once made normal ("a/./b" is "a/b").
  bool SameFile(const std::string& a, const std::string& b) override;
  // A lock held in this file system: a second lock on the same directory
  // waits for nothing (no other process can let go of it) and fails at once.
  Status LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                       const std::function<void()>& waiting,
                       std::unique_ptr<DirectoryLock>* lock) override;
  // No other process writes here: nothing is ever left over.
  Status RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) override;
  // Nothing to make durable.
  Status SyncDirectory(const std::string& directory) override;

  // The files, by path as given. Their directories need not be made first.
  std::map<std::string, std::string> files;
  // The directories made, by normal path.
  std::set<std::string> directories;
  // The memory the next file written in pieces is gathered into. A caller
  // that writes large files again and again can hand an old file's memory
  // over here, so that it is not allocated and faulted in afresh each time.
  std::string gathering;
  // The process number the temporary names carry.
  unsigned long process_number = 1;

 private:
  class MemoryLock;
  std::set<std::string> locked_;
};

}  // namespace scenario
