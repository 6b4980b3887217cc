// Compiling hostile sources: work that grows with the size of the file, not
// with the file times the size of the route.
#include <benchmark/benchmark.h>

#include <string>

#include "compiler/compile_run.h"
#include "model/file_names.h"
#include "platform/files/memory_file_system.h"
#include "platform/window/window.h"
#include "sources/line_description.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"

namespace scenario {
namespace {

const char kLineName[] = "Calvisio -Sambreta";
const char kTrainNumber[] = "31613";
const std::string kGeneralHeader = "[generale]\r\n";

// The whole compile run in memory; false unless it ended cleanly.
bool Compile(const std::string& line, const std::string& train) {
  MemoryFileSystem files;
  Workspace workspace{files, "/run/"};
  files.files[workspace.PathOf(LineSourceName(kLineName))] = line;
  files.files[workspace.PathOf(TrainSourceName(kLineName, kTrainNumber))] = train;
  ScenarioModel model;
  model.nome_linea = kLineName;
  model.numero_treno = kTrainNumber;
  SilentWindow window;
  memorizza_percorso(model, 1, workspace, window);
  benchmark::DoNotOptimize(model.tracciato.colonna_0().data());
  return model.codice_errore == 0;
}

// A general section of `count` route-length lines, the longest route and a
// slightly shorter one by turns, then the rest of the built-in line.
std::string ManyRouteLengths(int count) {
  std::string text = kGeneralHeader;
  for (int i = 0; i < count; ++i)
    text += i % 2 == 0 ? "lunghezza percorso, 1000000\r\n" : "lunghezza percorso, 999000\r\n";
  return text + TextFileBytes(WithEndMarker(BuiltInLineDescription())).substr(kGeneralHeader.size());
}

void CompileManyRouteLengths(benchmark::State& state) {
  const std::string line = ManyRouteLengths(static_cast<int>(state.range(0)));
  const std::string train = TextFileBytes(WithEndMarker(BuiltInTrainService()));
  for (auto _ : state)
    if (!Compile(line, train)) state.SkipWithError("the run did not end cleanly");
  state.SetBytesProcessed(static_cast<int64_t>(state.iterations()) * static_cast<int64_t>(line.size()));
}
BENCHMARK(CompileManyRouteLengths)->Arg(1)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void CompileAMillionCommas(benchmark::State& state) {
  const std::string line = TextFileBytes(WithEndMarker(BuiltInLineDescription()));
  const std::string train = kGeneralHeader + std::string(1000000, ',');
  for (auto _ : state)
    if (!Compile(line, train)) state.SkipWithError("the run did not end cleanly");
}
BENCHMARK(CompileAMillionCommas)->Unit(benchmark::kMillisecond);

// Lines of values, the work of nearly every field a source holds: two
// hundred thousand step and clock lines.
void CompileManyValueLines(benchmark::State& state) {
  const std::string line = TextFileBytes(WithEndMarker(BuiltInLineDescription()));
  std::string train = kGeneralHeader;
  for (int i = 0; i < 100000; ++i) train += "velocita,   0,    100\r\norologio,    8    12    45\r\n";
  for (auto _ : state)
    if (!Compile(line, train)) state.SkipWithError("the run did not end cleanly");
}
BENCHMARK(CompileManyValueLines)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario
