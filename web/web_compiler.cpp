#include "web/web_compiler.h"

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
#include "tools/authoring/author_compile.h"
#include "tools/authoring/error_messages.h"
#include "tools/authoring/report_json.h"
#include "tools/common/refusal.h"
#include "tools/lsp/language_server.h"
#include "tools/lsp/transport.h"

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

}  // namespace

WebCompileResult CompileSources(const WebCompileRequest& request) {
  MemoryFileSystem memory;
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

  WebCompileResult result;
  // What the tool refuses before compiling (a name it cannot take the
  // scenario's names from, a source in UTF-16, the same file given twice)
  // is the page's to show: the message names the file and what to change.
  try {
    const CompileReport report = tool::RunCompile(compile, memory);
    for (const std::string& path : report.files_written)
      result.files.push_back({BaseName(path), memory.files.at(path)});
    result.report_json = Dump(ReportJson(report, result.files));
  } catch (const std::invalid_argument& refused) {
    result.report_json = Dump(RefusalJson(refused.what()));
  } catch (const tool::UnusableSource& refused) {
    result.report_json = Dump(RefusalJson(refused.what()));
  } catch (const SystemFailure& failed) {
    result.report_json = Dump(RefusalJson(failed.what()));
  }
  return result;
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
