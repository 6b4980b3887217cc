// Files replaced as one set: the directory holds the whole old set or the
// whole new one, never some old files beside some new ones.
//
// Every new file of the set is first written whole, and flushed, under a
// temporary name beside its old file (".NAME.tmp-P-N", see
// platform/files/temporary_names.h). Then a record of the set
// (".scenario-compactor.set-P-N") is written: from then on the set counts as
// replaced. Then, file by file in the order they were added, the old file is
// renamed aside (".NAME.old-P-N") and the new one renamed into its place.
// When a rename fails, the files already replaced are put back, the record
// goes, and the old set is whole again. Once every new file is in place the
// record goes, and so do the old files kept aside.
//
// A run killed in the middle leaves the record: the next run that holds the
// directory finishes what it says (FinishInterruptedSets), or puts the old
// files back where it cannot. Before the record is written, a killed run
// leaves only new files under temporary names, which the next run removes.
//
// A file another program holds open (the simulator, with the scenario
// loaded) cannot be replaced on Windows: the set waits a short, bounded
// time for it to be let go, telling the user so, and then gives up with the
// old set whole. A read-only file is not replaced at all.
#pragma once

#include <chrono>
#include <string>
#include <string_view>
#include <vector>

#include "platform/files/workspace.h"

namespace scenario {

// What a user is told of a file that another program holds open, or that
// is read-only: the likely cause and what to do.
inline constexpr const char* kHeldFileReason =
    "it is open in another program, perhaps the simulator; close the scenario there and run again";
inline constexpr const char* kReadOnlyFileReason =
    "it is read-only; make it writable, or delete it, and run again";

class FileSet {
 public:
  // A set of files of `workspace`, replaced together; the workspace's tell
  // and held-file wait are those of the set.
  explicit FileSet(const Workspace& workspace);
  // A set that was never replaced leaves no new file behind.
  ~FileSet();
  FileSet(const FileSet&) = delete;
  FileSet& operator=(const FileSet&) = delete;

  // Writes the new file `name` of the workspace, whole and flushed, under a
  // temporary name. Throws SystemFailure, naming the file, on failure.
  void Add(std::string_view name, std::string_view contents);
  // The same, with the contents handed over in pieces.
  void AddInPieces(std::string_view name, const PieceWriter& write);

  // Puts every new file in place of its old one, as one set. Throws
  // SystemFailure, naming the file, when the set cannot be replaced: the
  // old set is then whole, as it was.
  void Replace();

  // The names added so far, in order.
  std::vector<std::string> names() const;

 private:
  struct Added {
    std::string name;
    std::string temporary;  // the new file's path
  };
  const Workspace& workspace_;
  std::vector<Added> added_;
  bool done_ = false;
};

// Waits, up to the workspace's held-file wait, until each of the files
// `names` of the workspace could be replaced, and tells the user once when
// it has to wait. Throws SystemFailure (operation "replace") naming a file
// that is read-only, or that another program still holds open at the end.
void WaitUntilReplaceable(const Workspace& workspace, const std::vector<std::string>& names);

// Finishes each set whose record a run killed in the middle left in the
// workspace's directory, or puts its old files back where it cannot be
// finished, and removes the record. Called while holding the directory, and
// before leftover temporary files are removed. Throws SystemFailure when a
// set can be neither finished nor put back; its record then stays.
void FinishInterruptedSets(const Workspace& workspace);

}  // namespace scenario
