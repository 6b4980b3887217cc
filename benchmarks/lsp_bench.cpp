// One edit to the diagnostics it brings, through the language server (the
// message read, the edit applied, the pair compiled in memory, the
// diagnostics placed and written as JSON), beside the in-process check of
// the same pair: the built-in scenario, and the built-in sources on a route
// of 1,000 km.
//
// Both spend most of their time in the kernel, faulting in the fresh pages
// of the compiled files written in memory (the plan of the track is 20 bytes
// a metre): with glibc's mmap threshold raised
// (MALLOC_MMAP_THRESHOLD_=4294967296 MALLOC_TRIM_THRESHOLD_=4294967296) the
// built-in pair takes about 0.4 ms instead of 15 to 20, the 1,000 km route
// 7.5 ms instead of 145, in both benchmarks alike.
#include <benchmark/benchmark.h>

#include <chrono>
#include <filesystem>
#include <string>

#include "platform/files/memory_file_system.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tools/authoring/author_compile.h"
#include "tools/lsp/language_server.h"
#include "tools/lsp/transport.h"
#include "tools/lsp/uri.h"
#include "tests/support/lsp_source_texts.h"

namespace scenario::lsp {
namespace {

const std::string kLinePath = "/s/Valle_linea.txt";
const std::string kTrainPath = "/s/Valle_42-.txt";

std::string LineText(bool long_route) {
  std::string text = testing_support::BuiltInLineText();
  if (long_route) {
    const int line = testing_support::LineStartingWith(text, "lunghezza percorso");
    text = testing_support::WithLine(text, line, "lunghezza percorso,    993000");
  }
  return text;
}

MemoryFileSystem Files(bool long_route) {
  MemoryFileSystem files;
  files.files[kLinePath] = LineText(long_route);
  files.files[kTrainPath] = testing_support::BuiltInTrainText();
  return files;
}

void BM_Check(benchmark::State& state) {
  MemoryFileSystem files = Files(state.range(0) != 0);
  tool::CompileRequest request;
  request.line_file = kLinePath;
  request.train_file = kTrainPath;
  // The language server's checks also give the account of every line.
  request.trace_writes = state.range(1) != 0;
  for (auto _ : state) {
    tool::CompileReport report = tool::RunCheck(request, files);
    benchmark::DoNotOptimize(report);
  }
}
BENCHMARK(BM_Check)->ArgsProduct({{0, 1}, {0, 1}})->ArgNames({"long_route", "account"})->Unit(benchmark::kMillisecond);

// A keystroke on line 2 ("numero vetture, 4" and 5 in turn) and the check.
void BM_LspEditToDiagnostics(benchmark::State& state) {
  MemoryFileSystem files = Files(state.range(0) != 0);
  size_t published = 0;
  LanguageServer server(files, [&published](const std::string& body) { published += body.size(); });
  const auto frame = [](const Json& message) { return Frame{message.dump(), ""}; };
  server.Receive(frame(Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}}));
  server.Receive(frame(Json{{"jsonrpc", "2.0"},
                            {"method", "textDocument/didOpen"},
                            {"params",
                             {{"textDocument",
                               {{"uri", "file://" + kTrainPath},
                                {"languageId", "scenario-train"},
                                {"version", 1},
                                {"text", testing_support::BuiltInTrainText()}}}}}}));
  server.CheckPending();
  int version = 1;
  for (auto _ : state) {
    ++version;
    const std::string digit = version % 2 == 0 ? "5" : "4";
    server.Receive(frame(Json{{"jsonrpc", "2.0"},
                              {"method", "textDocument/didChange"},
                              {"params",
                               {{"textDocument", {{"uri", "file://" + kTrainPath}, {"version", version}}},
                                {"contentChanges",
                                 Json::array({{{"range", {{"start", {{"line", 1}, {"character", 19}}},
                                                          {"end", {{"line", 1}, {"character", 20}}}}},
                                               {"text", digit}}})}}}}));
    server.CheckPending();
  }
  benchmark::DoNotOptimize(published);
  // Every edit was compiled once.
  state.counters["compiles"] = benchmark::Counter(server.server().compiles(), benchmark::Counter::kAvgIterations);
  state.counters["bytes_published"] = benchmark::Counter(static_cast<double>(published), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_LspEditToDiagnostics)->Arg(0)->Arg(1)->ArgName("long_route")->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace scenario::lsp

namespace scenario::lsp {
namespace {

// The same keystroke through the real pipes of `scenario-tool lsp`: from the
// didChange written on its standard input to the publishDiagnostics of that
// version read on its standard output.
void BM_LspPipeEditToDiagnostics(benchmark::State& state) {
  testing_support::TempDir dir;
  const std::filesystem::path line = dir.path() / "Valle_linea.txt";
  const std::filesystem::path train = dir.path() / "Valle_42-.txt";
  testing_support::WriteWholeFile(line, LineText(state.range(0) != 0));
  testing_support::WriteWholeFile(train, testing_support::BuiltInTrainText());
  const std::string uri = UriOfPath(train.generic_string());
  testing_support::ChildProcess server({SCENARIO_TOOL_PATH, "lsp"}, {});
  const auto send = [&server](const Json& message) { server.WriteInput(FrameMessage(message.dump())); };
  // Waits for the diagnostics of `version`, past what was read before.
  size_t seen = 0;
  const auto wait_for = [&](int version) {
    const std::string marker = "\"version\":" + std::to_string(version) + "}";
    for (;;) {
      const std::string& output = server.output();
      const size_t found = output.find(marker, seen);
      if (found != std::string::npos) {
        seen = found + marker.size();
        return true;
      }
      if (!server.Running()) return false;
    }
  };
  send(Json{{"jsonrpc", "2.0"}, {"id", 1}, {"method", "initialize"}, {"params", Json::object()}});
  send(Json{{"jsonrpc", "2.0"},
            {"method", "textDocument/didOpen"},
            {"params",
             {{"textDocument",
               {{"uri", uri}, {"languageId", "scenario-train"}, {"version", 1}, {"text", testing_support::BuiltInTrainText()}}}}}});
  if (!wait_for(1)) {
    state.SkipWithError("the server ended");
    return;
  }
  int version = 1;
  for (auto _ : state) {
    ++version;
    const std::string digit = version % 2 == 0 ? "5" : "4";
    send(Json{{"jsonrpc", "2.0"},
              {"method", "textDocument/didChange"},
              {"params",
               {{"textDocument", {{"uri", uri}, {"version", version}}},
                {"contentChanges", Json::array({{{"range", {{"start", {{"line", 1}, {"character", 19}}},
                                                            {"end", {{"line", 1}, {"character", 20}}}}},
                                                 {"text", digit}}})}}}});
    if (!wait_for(version)) {
      state.SkipWithError("the server ended");
      return;
    }
  }
  send(Json{{"jsonrpc", "2.0"}, {"id", 2}, {"method", "shutdown"}});
  send(Json{{"jsonrpc", "2.0"}, {"method", "exit"}});
  server.Wait(std::chrono::seconds(10));
}
BENCHMARK(BM_LspPipeEditToDiagnostics)->Arg(0)->Arg(1)->ArgName("long_route")->Unit(benchmark::kMillisecond)
    ->UseRealTime();

}  // namespace
}  // namespace scenario::lsp
