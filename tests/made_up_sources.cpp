// Writes the two text sources of made-up scenarios, for the viewer's tests in
// the browser: made_up_sources DIR SEED... writes, for each seed, the
// directory DIR/SEED holding NAME_linea.txt and NAME_NUMBER-.txt, and prints
// one line per scenario: the directory, then a tab and "plan" or "no plan".
// With --crowded first, the scenarios are the crowded ones of the
// decompile round trip, to look into a case it reports.
#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/scenario_generator.h"

int main(int argc, char** argv) {
  const bool crowded = argc > 1 && std::string(argv[1]) == "--crowded";
  if (crowded) {
    --argc;
    ++argv;
  }
  if (argc < 3) {
    std::cerr << "usage: made_up_sources [--crowded] DIR SEED...\n";
    return 64;
  }
  namespace fs = std::filesystem;
  for (int i = 2; i < argc; ++i) {
    const uint64_t seed = std::strtoull(argv[i], nullptr, 10);
    const auto scenario = crowded ? scenario::testing_support::GenerateCrowdedScenario(seed)
                                  : scenario::testing_support::GenerateScenario(seed);
    const fs::path dir = fs::path(argv[1]) / argv[i];
    fs::create_directories(dir);
    scenario::testing_support::WriteWholeFile(dir / (scenario.nome_linea + "_linea.txt"), scenario.line_description);
    scenario::testing_support::WriteWholeFile(dir / (scenario.nome_linea + "_" + scenario.numero_treno + "-.txt"),
                                              scenario.train_service);
    std::cout << dir.string() << "\t" << (scenario.with_plan ? "plan" : "no plan") << "\n";
  }
  return 0;
}
