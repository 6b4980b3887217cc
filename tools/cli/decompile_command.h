// scenario-tool decompile: gives back the two text sources of a compiled
// scenario, checked to compile to the same bytes.
#pragma once

#include <optional>
#include <ostream>
#include <string>
#include <vector>

#include "platform/files/file_system.h"

namespace scenario::tool {

struct DecompileRequest {
  // A directory holding one compiled scenario, or its files.
  std::vector<std::string> inputs;
  std::string output_directory;
  // The names of the sources written; by default those the files were
  // compiled under.
  std::optional<std::string> line_name;
  std::optional<std::string> train_number;
  bool force = false;  // replace sources of the same names already there
};

// Recovers the sources and writes them into the output directory. Notes go
// to `err`, the files written to `out`. Returns the exit status: 0 written,
// 1 nothing written because the files are refused or their sources could
// not be recovered exactly (what differs is listed on `err`). Throws
// SystemFailure for a file that cannot be read or written and
// std::invalid_argument for a request that cannot be run.
int RunDecompile(const DecompileRequest& request, FileSystem& files, std::ostream& out, std::ostream& err);

}  // namespace scenario::tool
