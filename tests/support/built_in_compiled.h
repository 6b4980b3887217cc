// The built-in scenario compiled once by the tool, for the tests that read
// compiled files.
#pragma once

#include <filesystem>
#include <string>

namespace scenario::testing_support {

struct BuiltInCompiled {
  std::filesystem::path directory;  // holds the three compiled files and the lock file
  std::string line_file;            // Calvisio -Sambreta_linea.dat
  std::string station_file;         // Calvisio -Sambreta_31613.sim
  std::string cell_file;            // Calvisio -Sambreta_31613.dat
};

// Written by `sources` and compiled by `compile` on first use; the files
// stay for the whole test program. Tests must not change them.
const BuiltInCompiled& CompiledBuiltIn();

}  // namespace scenario::testing_support
