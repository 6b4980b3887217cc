// The whole compile run on the built-in scenario, beside a baseline that only
// writes the same three compiled files' bytes, one write each.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>

#include "compiler/compile_run.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "model/file_names.h"
#include "platform/real_file_system.h"
#include "sources/scenario_sources.h"

namespace scenario {
namespace {

class ScratchDirectory {
 public:
  ScratchDirectory() {
    std::string pattern = (std::filesystem::temp_directory_path() / "scenario-bench-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) throw std::runtime_error("mkdtemp failed");
    path_ = pattern;
  }
  ~ScratchDirectory() { std::filesystem::remove_all(path_); }
  std::string path() const { return path_.string(); }

 private:
  std::filesystem::path path_;
};

ScenarioModel NamedModel() {
  ScenarioModel model;
  model.nome_linea = "Calvisio -Sambreta";
  model.numero_treno = "31613";
  return model;
}

void BM_WholeCompileRun(benchmark::State& state) {
  ScratchDirectory dir;
  RealFileSystem files;
  Workspace workspace{files, dir.path()};
  HeadlessWindow window;
  for (auto _ : state) {
    state.PauseTiming();
    ScenarioModel model = NamedModel();
    dati_linea(model, workspace);
    dati_treno(model, workspace);
    state.ResumeTiming();
    memorizza_percorso(model, 1, workspace, window);
    benchmark::DoNotOptimize(model.percorso.data());
  }
}
BENCHMARK(BM_WholeCompileRun)->Unit(benchmark::kMillisecond);

void BM_WriteCompiledBytesOnly(benchmark::State& state) {
  ScratchDirectory dir;
  RealFileSystem files;
  Workspace workspace{files, dir.path()};
  HeadlessWindow window;
  // The bytes of one real run, made once.
  ScenarioModel model = NamedModel();
  dati_linea(model, workspace);
  dati_treno(model, workspace);
  memorizza_percorso(model, 1, workspace, window);
  const std::string line = EncodeTracciato(model.tracciato);
  const std::string stations = EncodeStazioni(model.stazioni);
  const std::string cells = EncodePercorso(model.percorso);
  for (auto _ : state) {
    ReplaceWorkspaceFile(workspace, CompiledLineName(model.nome_linea), line);
    ReplaceWorkspaceFile(workspace, StationFileName(model.nome_linea, model.numero_treno), stations);
    ReplaceWorkspaceFile(workspace, CellFileName(model.nome_linea, model.numero_treno), cells);
  }
}
BENCHMARK(BM_WriteCompiledBytesOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario
