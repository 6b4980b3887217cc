// The whole compile run on the built-in scenario and on the longest route,
// each beside a baseline that only writes the same three compiled files'
// bytes, one write each.
#include <benchmark/benchmark.h>
#include <stdlib.h>

#include <filesystem>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "compiler/compile_run.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "model/file_names.h"
#include "platform/files/real_file_system.h"
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

// Writes the sources of the scenario: the built-in ones, with the route
// length changed when `route_length` is given.
void WriteSources(ScenarioModel& model, const Workspace& workspace, const char* route_length) {
  dati_linea(model, workspace);
  dati_treno(model, workspace);
  if (route_length == nullptr) return;
  const std::string name = LineSourceName(model.nome_linea);
  std::string text;
  RequireOk(workspace.files.ReadFile(workspace.PathOf(name), &text), name);
  const std::string built_in = "lunghezza percorso,    99000";
  const size_t at = text.find(built_in);
  if (at == std::string::npos) throw std::runtime_error("no route length in the built-in line");
  text.replace(at, built_in.size(), std::string("lunghezza percorso,    ") + route_length);
  ReplaceWorkspaceFile(workspace, name, text);
}

// The compile run alone, its sources written afresh before each iteration.
void CompileRun(benchmark::State& state, const char* route_length) {
  ScratchDirectory dir;
  RealFileSystem files;
  Workspace workspace{files, dir.path()};
  HeadlessWindow window;
  for (auto _ : state) {
    state.PauseTiming();
    ScenarioModel model = NamedModel();
    WriteSources(model, workspace, route_length);
    state.ResumeTiming();
    memorizza_percorso(model, 1, workspace, window);
    benchmark::DoNotOptimize(model.percorso.data());
  }
}

// Only the writing of the three compiled files of one real run, read back
// from where that run left them.
void WriteCompiledBytesOnly(benchmark::State& state, const char* route_length) {
  ScratchDirectory dir;
  RealFileSystem files;
  Workspace workspace{files, dir.path()};
  HeadlessWindow window;
  ScenarioModel model = NamedModel();
  WriteSources(model, workspace, route_length);
  memorizza_percorso(model, 1, workspace, window);
  std::vector<std::pair<std::string, std::string>> compiled;
  for (const std::string& name : {CompiledLineName(model.nome_linea),
                                  StationFileName(model.nome_linea, model.numero_treno),
                                  CellFileName(model.nome_linea, model.numero_treno)}) {
    compiled.emplace_back(name, std::string());
    RequireOk(files.ReadFile(workspace.PathOf(name), &compiled.back().second), name);
  }
  for (auto _ : state) {
    for (const auto& [name, bytes] : compiled) ReplaceWorkspaceFile(workspace, name, bytes);
  }
}

void BM_WholeCompileRun(benchmark::State& state) { CompileRun(state, nullptr); }
BENCHMARK(BM_WholeCompileRun)->Unit(benchmark::kMillisecond);

void BM_WriteCompiledBytesOnly(benchmark::State& state) { WriteCompiledBytesOnly(state, nullptr); }
BENCHMARK(BM_WriteCompiledBytesOnly)->Unit(benchmark::kMillisecond);

// The longest route: the built-in scenario with 993000 m of route, so that
// with the 7000 m added the plan has 1,000,001 points.
void BM_LongestRouteCompileRun(benchmark::State& state) { CompileRun(state, "993000"); }
BENCHMARK(BM_LongestRouteCompileRun)->Unit(benchmark::kMillisecond);

void BM_LongestRouteWriteCompiledBytesOnly(benchmark::State& state) { WriteCompiledBytesOnly(state, "993000"); }
BENCHMARK(BM_LongestRouteWriteCompiledBytesOnly)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario
