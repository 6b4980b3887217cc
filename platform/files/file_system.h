// The file system layer: every file and directory the programs touch, the
// workspace of a run and the lock of its directory.
//
// The small layer over the file system. Every file the program touches goes
// through this interface, so that tests can make any single operation fail.
#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/system/status.h"

namespace scenario {

class DirectoryLock;

// Takes the bytes of a file in order, one piece at a time.
using PieceSink = std::function<void(std::string_view piece)>;
// Hands the whole of a file's bytes to the sink it is given, in pieces.
using PieceWriter = std::function<void(const PieceSink& put)>;

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // Replaces the whole file at `path` with `contents`: they are written to a
  // temporary file in the same directory, which is then renamed over the old
  // file. On failure the old file (or none) is left and no temporary file
  // remains.
  Status ReplaceFile(const std::string& path, std::string_view contents);
  // The same, with the contents handed over in pieces by `write`, so that a
  // large file need never be whole in memory. An exception thrown by `write`
  // leaves the old file (or none) and no temporary file, and goes on to the
  // caller.
  Status ReplaceFileInPieces(const std::string& path, const PieceWriter& write);

  // The two halves of a replace. WriteTemporaryFile writes a new file beside
  // `path`, under a name of kind NewFile of this process
  // (platform/files/temporary_names.h) that no file has yet, whole and
  // flushed to the disk, and puts its path in `*temporary`. On failure, or
  // when `write` throws, no temporary file remains.
  virtual Status WriteTemporaryFile(const std::string& path, const PieceWriter& write,
                                    std::string* temporary) = 0;
  // Renames the file `from` to `to` in the same directory, at once and
  // whole: a file at `to` is replaced by it.
  virtual Status RenameFile(const std::string& from, const std::string& to) = 0;
  // Whether the file at `path` could be replaced now, without changing it:
  // Ok when it can, or when there is none; a failure of kind InUse when
  // another program holds it open so that it cannot be replaced, of kind
  // ReadOnly when it is read-only (its attribute or its permissions).
  virtual Status CheckReplaceable(const std::string& path) = 0;
  // The number of this process, as the temporary names carry it.
  virtual unsigned long ProcessNumber() = 0;

  // Reads the whole file into `contents`.
  virtual Status ReadFile(const std::string& path, std::string* contents) = 0;
  virtual Status DeleteFile(const std::string& path) = 0;
  // Whether a regular file is at `path`.
  virtual bool FileExists(const std::string& path) = 0;

  // Whether a directory is at `path`.
  virtual bool DirectoryExists(const std::string& path) = 0;
  // Makes the directory at `path` and the parents it lacks; a directory
  // already there is no failure, a file in its place is (InTheWay).
  virtual Status MakeDirectory(const std::string& path) = 0;
  // The names of the regular files in the directory at `path`, sorted.
  virtual Status ListDirectory(const std::string& path, std::vector<std::string>* names) = 0;
  // Whether two paths name the same file: the same file when both exist
  // (other spellings and links included), else the same path once made
  // absolute and normal.
  virtual bool SameFile(const std::string& a, const std::string& b) = 0;
  // Takes the exclusive lock of a run on `directory` (see
  // platform/files/directory_lock.h): waits for another holder up to `limit`,
  // calling `waiting` once when it has to wait. `*lock` holds it; it stays
  // empty, with success, where the directory cannot be written at all.
  virtual Status LockDirectory(const std::string& directory, std::chrono::milliseconds limit,
                               const std::function<void()>& waiting,
                               std::unique_ptr<DirectoryLock>* lock) = 0;
  // Removes the temporary files that a replace cut short by the end of its
  // process left in `directory` (new files and old ones kept aside; never a
  // set's record, which platform/files/file_set.h deals with first); those
  // of a process still running stay, and so does every other file. It goes
  // on past a file it cannot remove and then fails, with that file's name
  // in `*failed`.
  virtual Status RemoveLeftoverTemporaries(const std::string& directory, std::string* failed) = 0;
  // Makes the renames and deletes done in `directory` durable, so that
  // after a power loss it holds either the old files or the new ones.
  virtual Status SyncDirectory(const std::string& directory) = 0;
};

}  // namespace scenario
