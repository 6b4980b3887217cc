// scenario-tool new: the two sources of a new scenario, a short line and a
// train on it to start from, written into a directory.
#pragma once

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/files/workspace.h"
#include "tools/authoring/new_scenario.h"

namespace scenario::tool {

// The command line of `new`, as given.
struct NewRequest {
  std::string line_name;
  std::string train_number;
  std::string length = std::to_string(kNewLineDefault);  // in metres
  std::string output_directory = ".";
  bool force = false;
};

// Writes the two sources of a new scenario (tools/authoring/new_scenario.h)
// for the line `nome_linea` and the train `numero_treno` (Windows-1252
// bytes), `length` metres long, into `directory` (created when missing), as
// one set, holding the directory's lock; returns their paths. Unless
// `replace` is set, refuses (Refusal naming them) when either exists
// already. Throws SystemFailure when a file cannot be written or the
// directory cannot be locked.
std::vector<std::string> WriteNewScenario(FileSystem& files, const std::string& directory,
                                          const std::string& nome_linea, const std::string& numero_treno,
                                          int32_t length, bool replace, const WorkspaceHold::Tell& tell = {});

// Runs `new`: checks the length and the names (std::invalid_argument, with a
// message naming the value, for one that cannot be used), writes the
// sources and tells their paths on `out`; returns the exit status.
int RunNew(const NewRequest& request, FileSystem& files, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
