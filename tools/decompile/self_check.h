// The self-check of decompile: the recovered sources compiled in memory, and
// what differs between the result and the given compiled files.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tools/decompile/decompile.h"

namespace scenario::tool::recovery {

struct Recompiled {
  std::optional<std::string> stopped_with;  // the number errore showed
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  // What made the reading fail (error 25), with its place.
  std::optional<std::string> cause;
  std::string station_bytes;
  std::string cell_bytes;
  std::optional<std::string> line_bytes;
};

// Compiles the two sources in memory under the given names, with or
// without the plan, as the compactor compiles them.
Recompiled CompileInMemory(const std::string& nome_linea, const std::string& numero_treno, const std::string& line_text,
                           const std::string& train_text, bool with_line);

// Where the cells recompiled differ from the files in a code change: the
// cell and the code the files hold there.
std::map<int64_t, int64_t> CodeChangesToAdd(const CompiledInput& input, const std::string& cell_bytes);

// The first cell whose bytes differ from the files' (the number of cells
// when none does).
int64_t FirstDifferentCell(const CompiledInput& input, const std::string& cell_bytes);

// The records, cells and plan points that came out differently, one an
// entry; the first few in full, the rest counted.
std::vector<std::string> Differences(const CompiledInput& input, const Recompiled& recompiled, bool with_line);

}  // namespace scenario::tool::recovery
