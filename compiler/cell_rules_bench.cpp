// The cell rules over the largest route a line may have (1000 km), with a
// slow slowdown, its warning board and signals around it every 5 km.
#include <benchmark/benchmark.h>

#include <algorithm>
#include <vector>

#include "compiler/cell_rules.h"

namespace scenario {
namespace {

std::vector<rec_cella> LargestRoute() {
  std::vector<rec_cella> route(20141);  // (1000000 + 7000) / 50, cells 0 to 20140
  for (size_t base = 100; base + 100 < route.size(); base += 100) {
    route[base].tipo_cella = tipo::segnale;            // before the warning board
    route[base + 10].tipo_cella = tipo::avviso_rallentamento;
    route[base + 34].tipo_cella = tipo::inizio_rallentamento;
    route[base + 34].valore_1 = 30;
    route[base + 60].tipo_cella = tipo::fine_rallentamento;
    route[base + 63].tipo_cella = tipo::segnale;       // after the end
  }
  return route;
}

void BM_ApplyCellRules(benchmark::State& state) {
  const std::vector<rec_cella> route = LargestRoute();
  ScenarioModel model;
  model.percorso = route;
  model.ultima_cella = static_cast<int32_t>(route.size()) - 1;
  for (auto _ : state) {
    // Each sweep starts from the route as the readers leave it; the copy
    // reuses the cells already allocated.
    std::copy(route.begin(), route.end(), model.percorso.begin());
    ApplyCellRules(model);
    benchmark::DoNotOptimize(model.percorso.data());
  }
  state.SetItemsProcessed(state.iterations() * static_cast<int64_t>(route.size()));
}
BENCHMARK(BM_ApplyCellRules);

}  // namespace
}  // namespace scenario
