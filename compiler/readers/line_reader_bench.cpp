// Reading a line description of the longest route there may be: 1000000 m,
// curves one after the other over its whole length, and the plan of the
// track built from them.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/readers/line_reader.h"
#include "model/file_names.h"
#include "platform/files/memory_file_system.h"

namespace scenario {
namespace {

const char kLineName[] = "Calvisio -Sambreta";

std::string LongestLineText() {
  std::string text = "[generale]\r\nlunghezza percorso,    1000000\r\n[curve]\r\n";
  // Curves of 1000 m turning left and right by turns; the last one ends at
  // metre 999999, the last a curve may reach.
  for (int start = 0, n = 0; start < 1000000; start += 1000, ++n) {
    const int length = start + 1000 < 1000000 ? 1000 : 999;
    text += std::string(n % 2 == 0 ? "curvas" : "curvad") + std::to_string(1 + n % 6) + ",  " +
            std::to_string(start) + ",  " + std::to_string(length) + "\r\n";
  }
  text += "[pendenze]\r\npendenza,   0,    0\r\n[fine]\r\n";
  return text;
}

void ReadLongestLine(benchmark::State& state) {
  const std::string text = LongestLineText();
  const int32_t compila_linea = static_cast<int32_t>(state.range(0));
  for (auto _ : state) {
    MemoryFileSystem files;
    Workspace workspace{files, "/run/"};
    files.files[workspace.PathOf(LineSourceName(kLineName))] = text;
    ScenarioModel model;
    model.nome_linea = kLineName;
    model.numero_treno = "31613";
    model.compila_linea = compila_linea;

    LineReadOutcome outcome = ReadLineDescription(model, workspace, nullptr);
    if (!outcome.train_half_runs || model.codice_errore != 0) state.SkipWithError("the line was not read");
    benchmark::DoNotOptimize(model.tracciato.colonna_0().data());
    benchmark::DoNotOptimize(model.percorso.data());
  }
  state.SetLabel(compila_linea != 0 ? "with the plan" : "cells only");
}
BENCHMARK(ReadLongestLine)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario
