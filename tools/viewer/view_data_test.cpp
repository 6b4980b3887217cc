// The data of the viewer's page: the plan as curves and anchors, and the
// code changes told apart by where they come from.
#include <gtest/gtest.h>

#include <cstring>

#include "compiler/cell_rules.h"
#include "compiler/compiled_files.h"
#include "tests/support/built_in_compiled.h"
#include "tests/support/scenario_generator.h"
#include "tests/support/temp_dir.h"
#include "tools/viewer/view_data.h"

namespace scenario::tool {
namespace {

using scenario::testing_support::ReadWholeFile;
using testing_support::CompiledBuiltIn;

std::string DecodeBase64(const std::string& text) {
  std::string bytes;
  uint32_t group = 0;
  int bits = 0;
  for (char c : text) {
    const char* digits = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    const char* at = c == '\0' ? nullptr : std::strchr(digits, c);
    if (at == nullptr) break;  // '=' ends it
    group = (group << 6) | static_cast<uint32_t>(at - digits);
    bits += 6;
    if (bits >= 8) {
      bits -= 8;
      bytes.push_back(static_cast<char>((group >> bits) & 0xFF));
    }
  }
  return bytes;
}

double DoubleAt(const std::string& bytes, size_t at) {
  uint64_t raw = 0;
  for (int b = 7; b >= 0; --b) raw = (raw << 8) | static_cast<unsigned char>(bytes.at(at + static_cast<size_t>(b)));
  double value = 0;
  std::memcpy(&value, &raw, sizeof value);
  return value;
}

std::vector<int64_t> Cells(const Json& list) { return list.get<std::vector<int64_t>>(); }

// A point that no step of the plan gives (a file changed by hand) goes in
// whole, and so do the two after it, which are reckoned from it.
TEST(ViewData, PointsChangedByHandGoInWhole) {
  std::vector<PuntoTracciato> plan;
  std::string error;
  ASSERT_TRUE(DecodeTracciato(ReadWholeFile(CompiledBuiltIn().line_file), &plan, &error)) << error;
  plan[5000][0].real += 0.25;
  const Json shape = PlanData(plan);
  EXPECT_EQ(Cells(shape["exceptions"]), (std::vector<int64_t>{5000, 5001, 5002}));
  const std::string values = DecodeBase64(shape["exception_values"]);
  ASSERT_EQ(values.size(), 48u);
  EXPECT_EQ(DoubleAt(values, 0), plan[5000][0].real);
  EXPECT_EQ(DoubleAt(values, 24), plan[5001][1].real);
}

// On made-up scenarios: the rules, run on the route with only the code
// changes told as written, give back every code change of the files.
TEST(ViewData, TheRulesGiveBackTheCodeChangesToldAsTheirs) {
  int checked = 0, written_180 = 0, rules = 0;
  for (uint64_t seed = 1; seed <= 60; ++seed) {
    const testing_support::GeneratedScenario scenario = testing_support::GenerateScenario(seed);
    const testing_support::CompiledFiles files = testing_support::CompileInMemory(
        scenario.nome_linea, scenario.numero_treno, scenario.line_description, scenario.train_service, false);
    if (files.stopped_with || files.codice_errore != 0) continue;
    std::vector<rec_cella> percorso;
    std::string error;
    ASSERT_TRUE(DecodePercorso(files.cell_file, &percorso, &error)) << error;
    ScenarioModel model;
    model.percorso = percorso;
    for (const CodeChange& change : CodeChangeOrigins(percorso)) {
      if (change.origin == CodeChangeOrigin::Written) {
        written_180 += percorso[static_cast<size_t>(change.cell)].valore_1 == 180 ? 1 : 0;
        continue;
      }
      ++rules;
      EXPECT_EQ(percorso[static_cast<size_t>(change.cell)].valore_1, 180) << "seed " << seed << ", cell " << change.cell;
      model.percorso[static_cast<size_t>(change.cell)].tipo_cella = tipo::libera;
      model.percorso[static_cast<size_t>(change.cell)].valore_1 = 0;
    }
    model.ultima_cella = static_cast<int32_t>(percorso.size()) - 1;
    ApplyCellRules(model);
    for (size_t k = 0; k < percorso.size(); ++k)
      ASSERT_EQ(model.percorso[k], percorso[k]) << "seed " << seed << ", " << scenario.kind << ", cell " << k;
    ++checked;
  }
  EXPECT_GT(checked, 20);
  // Both readings came up: written 180s among the rules' ones.
  EXPECT_GT(written_180, 0);
  EXPECT_GT(rules, 0);
}

}  // namespace
}  // namespace scenario::tool
