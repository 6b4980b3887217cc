// The exports of the WebAssembly module (the web preset): plain C functions
// over bytes in the module's memory, which web/module_api.js wraps into the
// JavaScript API. The caller copies its bytes in (malloc), and frees what it
// is handed back through the functions named here.
#include <cstddef>
#include <cstdint>
#include <exception>
#include <string>
#include <vector>

#include <nlohmann/json.hpp>

#include "web/web_compiler.h"

using scenario::web::NamedBytes;
using scenario::web::WebCompileRequest;
using scenario::web::WebCompileResult;
using scenario::web::WebLanguageServer;

namespace {

std::string Bytes(const char* data, size_t size) { return data == nullptr ? std::string() : std::string(data, size); }

// A language server and the messages it sent last, as one JSON array.
struct ServerHandle {
  WebLanguageServer server;
  std::string sent;

  const char* Keep(const std::vector<std::string>& messages) {
    sent = "[";
    for (size_t i = 0; i < messages.size(); ++i) sent += (i == 0 ? "" : ",") + messages[i];
    sent += "]";
    return sent.c_str();
  }
};

WebCompileResult Failed(const std::exception& failure) {
  WebCompileResult result;
  result.report_json = nlohmann::ordered_json{{"outcome", "failed"}, {"refusal", failure.what()}}.dump(
      -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  return result;
}

WebCompileRequest Request(const char* line_name, size_t line_name_size, const char* line, size_t line_size,
                          const char* train_name, size_t train_name_size, const char* train, size_t train_size,
                          int options, const char* nome_linea, size_t nome_linea_size, const char* numero_treno,
                          size_t numero_treno_size) {
  WebCompileRequest request;
  request.line_description = {Bytes(line_name, line_name_size), Bytes(line, line_size)};
  request.train_service = {Bytes(train_name, train_name_size), Bytes(train, train_size)};
  request.no_line = (options & 1) != 0;
  request.warnings = (options & 2) == 0;
  if (nome_linea != nullptr) request.line_name = Bytes(nome_linea, nome_linea_size);
  if (numero_treno != nullptr) request.train_number = Bytes(numero_treno, numero_treno_size);
  return request;
}

// The result of `make` for `request`; a failure, which nothing but a lack of
// memory is expected to be, becomes a result that says so.
WebCompileResult* Guarded(WebCompileResult (*make)(const scenario::web::WebCompileRequest&),
                          const scenario::web::WebCompileRequest& request) {
  try {
    return new WebCompileResult(make(request));
  } catch (const std::exception& failure) {
    return new WebCompileResult(Failed(failure));
  }
}

}  // namespace

extern "C" {

// Compiles a pair of sources. A name override of nullptr is not given;
// `options` bit 0: no compiled line file; bit 1: no warnings.
WebCompileResult* scenario_compile(const char* line_name, size_t line_name_size, const char* line,
                                   size_t line_size, const char* train_name, size_t train_name_size,
                                   const char* train, size_t train_size, int options, const char* nome_linea,
                                   size_t nome_linea_size, const char* numero_treno, size_t numero_treno_size) {
  return Guarded(scenario::web::CompileSources,
                 Request(line_name, line_name_size, line, line_size, train_name, train_name_size, train, train_size,
                         options, nome_linea, nome_linea_size, numero_treno, numero_treno_size));
}

// The route viewer's page of a pair of sources; the arguments as compile's.
WebCompileResult* scenario_view_page(const char* line_name, size_t line_name_size, const char* line,
                                     size_t line_size, const char* train_name, size_t train_name_size,
                                     const char* train, size_t train_size, int options, const char* nome_linea,
                                     size_t nome_linea_size, const char* numero_treno, size_t numero_treno_size) {
  return Guarded(scenario::web::ViewSourcesPage,
                 Request(line_name, line_name_size, line, line_size, train_name, train_name_size, train, train_size,
                         options, nome_linea, nome_linea_size, numero_treno, numero_treno_size));
}

// new's two sources as the files of a result; a name or length new refuses
// gives none, and the report says why ("refusal").
WebCompileResult* scenario_new_sources(const char* line_name, size_t line_name_size, const char* train_number,
                                       size_t train_number_size, const char* length, size_t length_size) {
  auto* result = new WebCompileResult;
  try {
    result->files = scenario::web::NewScenarioSources(Bytes(line_name, line_name_size),
                                                      Bytes(train_number, train_number_size), Bytes(length, length_size));
    result->report_json = "{}";
  } catch (const std::exception& refused) {
    result->report_json = nlohmann::ordered_json{{"outcome", "refused"}, {"refusal", refused.what()}}.dump(
        -1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
  }
  return result;
}

// The built-in scenario's two sources, as the files of a result.
WebCompileResult* scenario_built_in_sources() {
  auto* result = new WebCompileResult;
  result->report_json = "{}";
  result->files = scenario::web::BuiltInSources();
  return result;
}

const char* scenario_result_report(const WebCompileResult* result) { return result->report_json.c_str(); }
size_t scenario_result_file_count(const WebCompileResult* result) { return result->files.size(); }
const char* scenario_result_file_name(const WebCompileResult* result, size_t i) {
  return result->files.at(i).name.c_str();
}
size_t scenario_result_file_name_size(const WebCompileResult* result, size_t i) {
  return result->files.at(i).name.size();
}
const char* scenario_result_file_data(const WebCompileResult* result, size_t i) {
  return result->files.at(i).bytes.data();
}
size_t scenario_result_file_size(const WebCompileResult* result, size_t i) { return result->files.at(i).bytes.size(); }
void scenario_result_free(WebCompileResult* result) { delete result; }

ServerHandle* scenario_lsp_new() { return new ServerHandle; }
// Each returns the messages the server sent, as a JSON array that stays
// valid until the next call on the same server.
const char* scenario_lsp_receive(ServerHandle* handle, const char* body, size_t size) {
  return handle->Keep(handle->server.Receive(Bytes(body, size)));
}
const char* scenario_lsp_check_pending(ServerHandle* handle) { return handle->Keep(handle->server.CheckPending()); }
int scenario_lsp_has_pending_work(const ServerHandle* handle) { return handle->server.HasPendingWork() ? 1 : 0; }
int scenario_lsp_exit_status(const ServerHandle* handle) { return handle->server.ExitStatus(); }
void scenario_lsp_put_file(ServerHandle* handle, const char* path, size_t path_size, const char* bytes,
                           size_t size) {
  handle->server.PutFile(Bytes(path, path_size), Bytes(bytes, size));
}
void scenario_lsp_free(ServerHandle* handle) { delete handle; }

}  // extern "C"
