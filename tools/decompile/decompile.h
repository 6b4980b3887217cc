// Decompile: the two sources recovered from compiled files, written in the
// built-in layout and checked by compiling them again.
//
// Recovering the two text sources of a compiled scenario: every item the
// compiled files hold is read back off its records, cells and plan points,
// written in the sources' own layout, and compiled again in memory to make
// sure the sources give the very same bytes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/scenario_model.h"

namespace scenario::tool {

// The compiled files of one scenario as read: their bytes and their decoded
// content. Without a line file there is no plan.
struct CompiledInput {
  std::string station_bytes;
  std::string cell_bytes;
  std::optional<std::string> line_bytes;
  std::vector<rec_stazione> stazioni;
  std::vector<rec_cella> percorso;
  std::optional<std::vector<PuntoTracciato>> tracciato;
};

// Decodes the bytes of the files (no line file when `line_bytes` is empty)
// and checks them against their layouts. Throws Refusal, naming the file,
// when a file is cut or foreign or when the files do not belong together.
CompiledInput DecodeCompiledInput(const std::string& station_path, std::string station_bytes,
                                  const std::string& cell_path, std::string cell_bytes,
                                  const std::string& line_path, std::optional<std::string> line_bytes);

struct RecoveredScenario {
  // The names recorded in the station file (records 85 and 86), under which
  // the files were compiled and the self-check compiles.
  std::string nome_linea;
  std::string numero_treno;
  // The two sources, whole files with CR LF line ends.
  std::string line_description;
  std::string train_service;
  // Whether the recovered sources compile to the bytes of the given files.
  bool exact = false;
  // When not exact: the records, cells and plan points that came out
  // differently, one per entry.
  std::vector<std::string> differences;
  // What the author should know about the sources (curves left out, an
  // error the recovered sources record when compiled, ...).
  std::vector<std::string> notes;
};

// Recovers the sources and compiles them in memory to compare.
RecoveredScenario Decompile(const CompiledInput& input);

// The two sources as read off the files, before any compile (Decompile
// starts from them, and may add code-change points where the cell rules do
// not place what the files hold), and the notes of the reading.
struct ReadSources {
  std::string line_description;
  std::string train_service;
  std::vector<std::string> notes;
};
ReadSources ReadSourcesOff(const CompiledInput& input);

// A text value as the field reader takes it back whole: plain when it has no
// comma, line end or leading or trailing blank and does not begin with a
// double quote; otherwise between double quotes. Nothing when it cannot be
// written either way (it needs quotes and holds a double quote).
std::optional<std::string> TextValue(const std::string& text);

}  // namespace scenario::tool
