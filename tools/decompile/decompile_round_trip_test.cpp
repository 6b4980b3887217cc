// The round trip on many made-up scenarios: every one that compiles with no
// error is decompiled; the sources it gives must compile to the same bytes,
// or decompile must refuse. Hardly any may be refused, none may be wrong.
#include <cstdlib>
#include <iostream>
#include <map>
#include <string>

#include <gtest/gtest.h>

#include "tools/decompile/decompile.h"
#include "tools/common/refusal.h"
#include "tests/support/scenario_generator.h"

namespace scenario::tool {
namespace {

using testing_support::CompiledFiles;
using testing_support::CompileInMemory;
using testing_support::GeneratedScenario;
using testing_support::GenerateCrowdedScenario;
using testing_support::GenerateScenario;

uint64_t FromEnvironment(const char* name, uint64_t fallback) {
  const char* value = std::getenv(name);
  return value != nullptr && *value != '\0' ? std::strtoull(value, nullptr, 10) : fallback;
}

// The first line of what could not be recovered, without the numbers that
// make each case its own: the kind of refusal.
std::string KindOfRefusal(const RecoveredScenario& recovered) {
  if (recovered.differences.empty()) return "(nothing listed)";
  std::string text = recovered.differences.front();
  std::string kind;
  bool in_number = false;
  for (char c : text) {
    const bool digit = c >= '0' && c <= '9';
    if (digit && !in_number) kind += '#';
    if (!digit) kind += c;
    in_number = digit;
  }
  return kind;
}

struct RoundTripFigures {
  uint64_t generated = 0, clean = 0, exact = 0, refused = 0, wrong = 0;
};

// Compiles the scenarios of `count` seeds from `first_seed`, decompiles
// every clean one and compiles its sources again; prints the figures and
// the kinds of refusal.
RoundTripFigures RoundTrip(const char* name, GeneratedScenario (*generate)(uint64_t), uint64_t count,
                           uint64_t first_seed) {
  RoundTripFigures figures;
  std::map<std::string, int> refusals;
  for (uint64_t seed = first_seed; seed < first_seed + count; ++seed) {
    const GeneratedScenario scenario = generate(seed);
    ++figures.generated;
    const CompiledFiles original = CompileInMemory(scenario.nome_linea, scenario.numero_treno,
                                                   scenario.line_description, scenario.train_service,
                                                   scenario.with_plan);
    if (original.stopped_with || original.codice_errore != 0) continue;
    ++figures.clean;
    RecoveredScenario recovered;
    try {
      const CompiledInput input =
          DecodeCompiledInput("station", original.station_file, "cell", original.cell_file, "line", original.line_file);
      recovered = Decompile(input);
    } catch (const Refusal& refusal) {
      ADD_FAILURE() << name << " seed " << seed << ": a clean compile's files were refused: " << refusal.what();
      continue;
    }
    if (!recovered.exact) {
      ++figures.refused;
      ++refusals[KindOfRefusal(recovered)];
      std::cout << name << " seed " << seed << " (" << scenario.kind << ") refused: " << recovered.differences.front()
                << "\n";
      continue;
    }
    // Compiled again here, not trusting the self-check: the bytes must be
    // those of the original compile.
    const CompiledFiles again = CompileInMemory(scenario.nome_linea, scenario.numero_treno,
                                                recovered.line_description, recovered.train_service,
                                                scenario.with_plan);
    const bool same = !again.stopped_with && again.station_file == original.station_file &&
                      again.cell_file == original.cell_file && again.line_file == original.line_file;
    EXPECT_TRUE(same) << name << " seed " << seed << " (" << scenario.kind
                      << "): decompile called its sources exact, but they compile differently";
    if (same) ++figures.exact;
    else ++figures.wrong;
  }
  std::cout << name << " round trip: " << count << " scenarios from seed " << first_seed << ", " << figures.clean
            << " clean, " << figures.generated - figures.clean << " with an error (left out); " << figures.exact
            << " exact, " << figures.refused << " refused, " << figures.wrong << " wrong\n";
  for (const auto& [kind, n] : refusals) std::cout << "  refused " << n << "x: " << kind << "\n";
  return figures;
}

TEST(DecompileRoundTrip, GeneratedCleanScenariosCompileBackToTheSameBytes) {
  // ROUND_TRIP_SCENARIOS and ROUND_TRIP_SEED repeat or widen a run.
  const uint64_t count = FromEnvironment("ROUND_TRIP_SCENARIOS", SCENARIO_ROUND_TRIP_SCENARIOS);
  const RoundTripFigures figures =
      RoundTrip("spread", &GenerateScenario, count, FromEnvironment("ROUND_TRIP_SEED", 1));
  // The generator must give mostly clean scenarios, or the test says little.
  EXPECT_GE(figures.clean * 10, count * 6) << "too few generated scenarios compile with no error";
  EXPECT_GE(figures.exact * 1000, figures.clean * 999)
      << figures.exact << " of " << figures.clean << " clean scenarios round-trip exactly";
}

// Train services in any order, items close together: the order in which
// they were read shows in the cells where they overwrite each other.
TEST(DecompileRoundTrip, CrowdedScenariosInAnyOrderCompileBackToTheSameBytes) {
  const uint64_t count = FromEnvironment("ROUND_TRIP_SCENARIOS", SCENARIO_ROUND_TRIP_SCENARIOS);
  const RoundTripFigures figures =
      RoundTrip("crowded", &GenerateCrowdedScenario, count, FromEnvironment("ROUND_TRIP_SEED", 1));
  EXPECT_GE(figures.clean * 10, count * 4) << "too few generated scenarios compile with no error";
  EXPECT_GE(figures.exact * 1000, figures.clean * 999)
      << figures.exact << " of " << figures.clean << " clean scenarios round-trip exactly";
}

}  // namespace
}  // namespace scenario::tool
