// scenario-tool dump: a compiled file decoded, every field of every record,
// cell or plan point under its name, as a table or as JSON.
#pragma once

#include <ostream>
#include <string>

#include "platform/files/file_system.h"

namespace scenario::tool {

// Decodes the file by the kind its name gives and prints it on `out`;
// doubts about it (a check code or a route length that does not match)
// go to `err` as warnings. Throws std::invalid_argument for a name of no
// compiled kind, Refusal for a cut or foreign file, SystemFailure when
// it cannot be read.
void DumpCompiledFile(FileSystem& files, const std::string& path, bool json, std::ostream& out,
                      std::ostream& err);

}  // namespace scenario::tool
