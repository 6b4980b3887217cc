#include "web/web_compiler.h"

#include <optional>
#include <stdexcept>
#include <utility>

#include <nlohmann/json.hpp>

#include "compiler/fields/error_numbers.h"
#include "encoding/text_encoding.h"
#include "model/file_names.h"
#include "model/scenario_model.h"
#include "platform/files/memory_file_system.h"
#include "platform/files/workspace.h"
#include "platform/system/status.h"
#include "sources/scenario_sources.h"
#include "sources/text_file_writer.h"
#include "tools/authoring/author_compile.h"
#include "tools/authoring/error_messages.h"
#include "tools/authoring/new_scenario.h"
#include "tools/authoring/report_json.h"
#include "tools/common/refusal.h"
#include "tools/lsp/language_server.h"
#include "tools/lsp/transport.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/viewer/view_data.h"
#include "tools/viewer/view_page.h"

namespace scenario::web {

namespace {

using Json = nlohmann::ordered_json;
using tool::CompileReport;

// The directory in memory the compiled files are written to; the sources
// stand under their own names beside it.
constexpr const char* kOutputDirectory = "compiled";

std::string BaseName(const std::string& path) {
  const std::string::size_type slash = path.find_last_of('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

const char* OutcomeOf(const CompileReport& report) {
  if (report.stopped_with) return "stopped";
  if (report.codice_errore != 0) return "error";
  return "compiled";
}

Json ReportJson(const CompileReport& report, const std::vector<NamedBytes>& files) {
  Json json;
  json["outcome"] = OutcomeOf(report);
  // The fields and texts of `scenario-tool compile --json`, made by the
  // same code; the native-against-web differential holds them equal.
  tool::PutCompileReport(json, report);
  Json names = Json::array();
  for (const NamedBytes& file : files) names.push_back(MessageToUtf8(file.name));
  json["files"] = names;
  return json;
}

Json RefusalJson(const std::string& why) {
  Json json;
  json["outcome"] = "refused";
  json["refusal"] = why;
  return json;
}

std::string Dump(const Json& json) { return json.dump(-1, ' ', false, Json::error_handler_t::replace); }

// The compile of CompileSources, its report, and the file system in memory
// that holds the sources and the compiled files; nullopt, with the
// refusal's report in `result`, when the sources could not be compiled.
std::optional<CompileReport> RunInMemory(const WebCompileRequest& request, bool trace_writes,
                                         MemoryFileSystem& memory, WebCompileResult& result) {
  memory.files[request.line_description.name] = request.line_description.bytes;
  if (request.train_service.name != request.line_description.name)
    memory.files[request.train_service.name] = request.train_service.bytes;

  tool::CompileRequest compile;
  compile.line_file = request.line_description.name;
  compile.train_file = request.train_service.name;
  compile.output_directory = kOutputDirectory;
  compile.line_name = request.line_name;
  compile.train_number = request.train_number;
  compile.no_line = request.no_line;
  compile.warnings = request.warnings;
  compile.trace_writes = trace_writes;

  // What the tool refuses before compiling (a name it cannot take the
  // scenario's names from, a source in UTF-16, the same file given twice)
  // is the page's to show: the message names the file and what to change.
  try {
    return tool::RunCompile(compile, memory);
  } catch (const std::invalid_argument& refused) {
    result.report_json = Dump(RefusalJson(refused.what()));
  } catch (const tool::UnusableSource& refused) {
    result.report_json = Dump(RefusalJson(refused.what()));
  } catch (const SystemFailure& failed) {
    result.report_json = Dump(RefusalJson(failed.what()));
  }
  return std::nullopt;
}

}  // namespace

WebCompileResult CompileSources(const WebCompileRequest& request) {
  MemoryFileSystem memory;
  WebCompileResult result;
  const std::optional<CompileReport> report = RunInMemory(request, false, memory, result);
  if (!report) return result;
  for (const std::string& path : report->files_written)
    result.files.push_back({BaseName(path), memory.files.at(path)});
  result.report_json = Dump(ReportJson(*report, result.files));
  return result;
}

WebCompileResult ViewSourcesPage(const WebCompileRequest& request) {
  MemoryFileSystem memory;
  WebCompileResult result;
  const std::optional<CompileReport> report = RunInMemory(request, true, memory, result);
  if (!report) return result;
  std::vector<NamedBytes> compiled;
  for (const std::string& path : report->files_written) compiled.push_back({BaseName(path), ""});
  result.report_json = Dump(ReportJson(*report, compiled));
  if (report->stopped_with) return result;

  // The page as `scenario-tool view` makes it of two sources.
  tool::CompiledScenario scenario = tool::FindCompiledScenario(memory, kOutputDirectory);
  tool::LoadCompiledScenario(memory, &scenario);
  for (std::string* path : {&scenario.station_path, &scenario.cell_path, &scenario.line_path})
    if (!path->empty()) *path = BaseName(*path);
  std::vector<std::string> warnings;
  for (const tool::CompileWarning& warning : report->warnings)
    warnings.push_back(warning.place.file +
                       (warning.place.line > 0 ? ":" + std::to_string(warning.place.line) : "") + ": " +
                       warning.message);
  if (report->codice_errore != 0)
    warnings.push_back("the compile recorded error " + std::to_string(report->codice_errore) +
                       (report->place ? " at " + report->place->file + ":" + std::to_string(report->place->line) : "") +
                       (report->cause ? ": " + *report->cause : ""));
  result.files.push_back({"view.html", tool::ViewerPage(tool::ViewData(scenario, warnings, &report->lines))});
  return result;
}

std::vector<NamedBytes> NewScenarioSources(const std::string& line_name, const std::string& train_number,
                                           const std::string& length) {
  const int32_t metres = tool::NewLineLength(length);
  const std::string nome_linea = tool::NewScenarioName("the line name", line_name);
  const std::string numero_treno = tool::NewScenarioName("the train number", train_number);
  tool::CheckNewNamesFit(nome_linea, numero_treno);
  MemoryFileSystem memory;
  const Workspace workspace{memory, "new"};
  const std::string line_source = LineSourceName(nome_linea);
  const std::string train_source = TrainSourceName(nome_linea, numero_treno);
  WriteTextFile(workspace, line_source, WithEndMarker(tool::NewLineDescription(metres)));
  WriteTextFile(workspace, train_source, WithEndMarker(tool::NewTrainService(metres)));
  std::vector<NamedBytes> sources;
  for (const std::string& name : {line_source, train_source})
    sources.push_back({MessageToUtf8(name), memory.files.at(workspace.PathOf(name))});
  return sources;
}

std::vector<NamedBytes> BuiltInSources() {
  MemoryFileSystem memory;
  const Workspace workspace{memory, "built-in"};
  ScenarioModel model;
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  dati_linea(model, workspace);
  dati_treno(model, workspace);
  std::vector<NamedBytes> sources;
  for (const std::string& name : {LineSourceName(kNomeLinea), TrainSourceName(kNomeLinea, kNumeroTreno)})
    sources.push_back({name, memory.files.at(workspace.PathOf(name))});
  return sources;
}

struct WebLanguageServer::State {
  MemoryFileSystem files;
  std::vector<std::string> sent;
  lsp::LanguageServer server{files, [this](const std::string& body) { sent.push_back(body); }};

  std::vector<std::string> TakeSent() { return std::exchange(sent, {}); }
};

WebLanguageServer::WebLanguageServer() : state_(std::make_unique<State>()) {}
WebLanguageServer::~WebLanguageServer() = default;

std::vector<std::string> WebLanguageServer::Receive(const std::string& body) {
  state_->server.Receive(lsp::Frame{body, ""});
  return state_->TakeSent();
}

std::vector<std::string> WebLanguageServer::CheckPending() {
  state_->server.CheckPending();
  return state_->TakeSent();
}

bool WebLanguageServer::HasPendingWork() const { return state_->server.HasPendingWork(); }

int WebLanguageServer::ExitStatus() const { return state_->server.exit_status().value_or(-1); }

void WebLanguageServer::PutFile(const std::string& path, const std::string& bytes) {
  state_->files.files[path] = bytes;
}

}  // namespace scenario::web
