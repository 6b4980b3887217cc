// scenario-tool sources: the built-in scenario's two text sources and three
// printed forms, written into a directory by the compactor's own writers.
#pragma once

#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/files/workspace.h"

namespace scenario::tool {

// The names of the five files, in the order they are written.
std::vector<std::string> BuiltInSourceNames();

// Refuses, naming each, the files of `paths` that exist already; `instead`
// tells the author what to do rather than replace them.
void RefuseExistingFiles(FileSystem& files, const std::vector<std::string>& paths, const std::string& instead);

// Writes the five files into `directory` (created when missing) and returns
// their paths. Unless `replace` is set, refuses (Refusal naming
// them) when any of them exists already, so that an edited source is never
// lost. The directory is locked while they are written; `tell` gets a
// notice when another run makes it wait. Throws SystemFailure when a file
// cannot be written or the directory cannot be locked.
std::vector<std::string> WriteBuiltInSources(FileSystem& files, const std::string& directory,
                                             bool replace, const WorkspaceHold::Tell& tell = {});

}  // namespace scenario::tool
