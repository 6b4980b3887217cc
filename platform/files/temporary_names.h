// The names of the files that replacing a file, or a set of files, makes
// beside them for a while: "." + a name + "." + a kind + "-" + the process
// number + "-" + a counter. Three kinds:
//   ".NAME.tmp-P-N"  a new file being written, renamed over NAME when whole;
//   ".NAME.old-P-N"  the old NAME, kept aside until the new set it belongs
//                    to is all in place (or put back when it cannot be);
//   ".scenario-compactor.set-P-N"  the record of a set of files being
//                    replaced (platform/files/file_set.h).
// Made and recognised here only, so that a later run can tell the files a
// killed run left behind from everything else in the directory.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

enum class TemporaryKind {
  NewFile,    // ".tmp-"
  OldFile,    // ".old-"
  SetRecord,  // ".set-"
};

// The name of the temporary file of kind `kind` for `name`, made by process
// `process` as its `counter`-th of that kind.
std::string TemporaryNameFor(std::string_view name, unsigned long process, unsigned long counter,
                             TemporaryKind kind = TemporaryKind::NewFile);

// The name of the record of a set of files, made by process `process`.
std::string SetRecordNameFor(unsigned long process, unsigned long counter);

// Whether `name` (a name, not a path) is one that TemporaryNameFor makes;
// when it is, `*process` is the number of the process that made it and
// `*kind`, when asked for, its kind.
bool IsTemporaryName(std::string_view name, unsigned long* process, TemporaryKind* kind = nullptr);

}  // namespace scenario
