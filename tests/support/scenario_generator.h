// Scenarios made up from a seed, for tests that need many different ones:
// the built-in sources varied, and new lines and services with many
// stations, signals, slowdowns, boards and curves, short and long routes.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace scenario::testing_support {

struct GeneratedScenario {
  std::string nome_linea;
  std::string numero_treno;
  std::string line_description;  // whole file, CR LF
  std::string train_service;     // whole file, CR LF
  bool with_plan = true;         // compiled with the track plan
  std::string kind;              // what the generator made, for messages
};

// The same seed always gives the same scenario. Most of them compile with
// no error; the generator keeps its items apart so that they do not fight
// over cells, but does not promise it.
GeneratedScenario GenerateScenario(uint64_t seed);
// A short line whose train service lists its items in any order (under
// their sections or not), close together and overlapping: signals whose
// approach marks fall on each other's and on stations', slowdowns beside
// them, code-change points where the cell rules would place theirs. A
// third are compiled without the plan.
GeneratedScenario GenerateCrowdedScenario(uint64_t seed);

// The three compiled files of a compile in memory.
struct CompiledFiles {
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  std::optional<std::string> stopped_with;
  std::string station_file;
  std::string cell_file;
  std::optional<std::string> line_file;
};

// Compiles two sources under the names as the compactor does, on an
// in-memory file system.
CompiledFiles CompileInMemory(const std::string& nome_linea, const std::string& numero_treno,
                              const std::string& line_description, const std::string& train_service,
                              bool with_plan);

}  // namespace scenario::testing_support
