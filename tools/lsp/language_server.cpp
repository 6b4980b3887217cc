#include "tools/lsp/language_server.h"

#include <stdexcept>

#include "tools/lsp/uri.h"

namespace scenario::lsp {

namespace {

// A request the server refuses, with its error code.
struct RequestError : std::runtime_error {
  RequestError(int code, const std::string& message) : std::runtime_error(message), code(code) {}
  int code;
};

std::string PathOfDocument(const Json& params) {
  const std::string uri = params.at("textDocument").at("uri").get<std::string>();
  const std::optional<std::string> path = FileNameOfUri(uri);
  if (!path) throw RequestError(error_code::kInvalidParams, "'" + uri + "' is no file: URI; only files are read");
  return *path;
}

Diagnostic ToProtocol(const SourceDiagnostic& found) {
  Diagnostic diagnostic;
  diagnostic.range = found.range;
  diagnostic.severity = static_cast<int>(found.severity);
  diagnostic.code = found.code;
  diagnostic.message = found.message;
  for (const RelatedPlace& place : found.related)
    diagnostic.related.push_back({{UriOfFileName(place.path), place.range}, place.message});
  return diagnostic;
}

Json Capabilities() {
  return Json{
      {"positionEncoding", "utf-16"},
      {"textDocumentSync", {{"openClose", true}, {"change", 2}, {"save", {{"includeText", false}}}}},
      {"hoverProvider", true},
      {"completionProvider", {{"triggerCharacters", {"[", ","}}}},
      {"signatureHelpProvider", {{"triggerCharacters", {",", " "}}}},
      {"documentSymbolProvider", true},
      {"codeActionProvider", {{"codeActionKinds", {"quickfix"}}}},
      {"definitionProvider", true},
  };
}

// The protocol's SymbolKind of each.
int SymbolKindNumber(SymbolKind kind) {
  switch (kind) {
    case SymbolKind::Section: return 3;    // Namespace
    case SymbolKind::Station: return 5;    // Class
    case SymbolKind::Signal: return 24;    // Event
    case SymbolKind::Slowdown: return 24;  // Event
    case SymbolKind::Curve: return 12;     // Function
    case SymbolKind::Board: return 14;     // Constant
    case SymbolKind::Item: return 7;       // Property
  }
  return 7;
}

std::vector<DocumentSymbol> ProtocolSymbols(const std::vector<Symbol>& symbols) {
  std::vector<DocumentSymbol> converted;
  for (const Symbol& symbol : symbols)
    converted.push_back({symbol.name, symbol.detail, SymbolKindNumber(symbol.kind), symbol.range, symbol.selection,
                         ProtocolSymbols(symbol.children)});
  return converted;
}

Json SymbolsJson(const std::vector<Symbol>& symbols) {
  Json json = Json::array();
  for (const DocumentSymbol& symbol : ProtocolSymbols(symbols)) json.push_back(symbol);
  return json;
}

}  // namespace

LanguageServer::LanguageServer(FileSystem& files, Send send) : server_(files), send_(std::move(send)) {}

void LanguageServer::Reply(const Json& id, const Json& result) {
  send_(Json{{"jsonrpc", "2.0"}, {"id", id}, {"result", result}}.dump(-1, ' ', false, Json::error_handler_t::replace));
}

void LanguageServer::ReplyError(const Json& id, int code, const std::string& message) {
  send_(Json{{"jsonrpc", "2.0"}, {"id", id}, {"error", {{"code", code}, {"message", message}}}}.dump(
      -1, ' ', false, Json::error_handler_t::replace));
}

void LanguageServer::Notify(const std::string& method, const Json& params) {
  send_(Json{{"jsonrpc", "2.0"}, {"method", method}, {"params", params}}.dump(-1, ' ', false,
                                                                              Json::error_handler_t::replace));
}

void LanguageServer::LogError(const std::string& message) {
  Notify("window/logMessage", Json{{"type", 1}, {"message", message}});
}

void LanguageServer::Receive(const Frame& frame) {
  if (!frame.fault.empty()) {
    ReplyError(nullptr, error_code::kParseError, "a message could not be read: " + frame.fault);
    return;
  }
  Json message;
  try {
    message = Json::parse(frame.body);
  } catch (const Json::exception& error) {
    // Not only broken syntax: a number too large for any type is refused
    // while parsing too.
    ReplyError(nullptr, error_code::kParseError, std::string("a message is no JSON: ") + error.what());
    return;
  }
  if (!message.is_object()) {
    ReplyError(nullptr, error_code::kInvalidRequest, "a message is no JSON object");
    return;
  }
  const bool has_id = message.contains("id");
  const Json id = has_id ? message["id"] : Json(nullptr);
  if (has_id && !id.is_number_integer() && !id.is_string()) {
    ReplyError(nullptr, error_code::kInvalidRequest, "a request's id must be a number or a string");
    return;
  }
  if (!message.contains("method") || !message["method"].is_string()) {
    // An answer to a request of ours: the server sends none that needs one.
    if (has_id && (message.contains("result") || message.contains("error"))) return;
    ReplyError(id, error_code::kInvalidRequest, "the message has no method");
    return;
  }
  const std::string method = message["method"].get<std::string>();
  const Json params = message.value("params", Json::object());
  try {
    if (has_id)
      HandleRequest(id, method, params);
    else
      HandleNotification(method, params);
  } catch (const RequestError& error) {
    if (has_id)
      ReplyError(id, error.code, error.what());
    else
      LogError(method + ": " + error.what());
  } catch (const Json::exception& error) {
    const std::string text = "the parameters of '" + method + "' cannot be read: " + error.what();
    if (has_id)
      ReplyError(id, error_code::kInvalidParams, text);
    else
      LogError(text);
  } catch (const std::exception& error) {
    if (has_id)
      ReplyError(id, error_code::kInternalError, method + " failed: " + error.what());
    else
      LogError(method + " failed: " + error.what());
  }
}

void LanguageServer::HandleRequest(const Json& id, const std::string& method, const Json& params) {
  if (method == "initialize") {
    initialized_ = true;
    Reply(id, Json{{"capabilities", Capabilities()},
                   {"serverInfo", {{"name", "scenario-tool"}, {"version", SCENARIO_VERSION}}}});
    return;
  }
  if (!initialized_)
    throw RequestError(error_code::kServerNotInitialized, "'" + method + "' came before 'initialize'");
  if (shut_down_) throw RequestError(error_code::kInvalidRequest, "'" + method + "' came after 'shutdown'");
  if (method == "shutdown") {
    // Some clients kill the server as soon as this answer reaches them:
    // everything due is done before it.
    CheckPending();
    shut_down_ = true;
    Reply(id, nullptr);
    return;
  }
  if (method == "textDocument/hover") {
    const TextDocumentPositionParams at = params.get<TextDocumentPositionParams>();
    const std::optional<HoverText> hover = server_.Hover(OpenPath(params), at.position);
    Reply(id, hover ? Json(Hover{hover->markdown, hover->range}) : Json(nullptr));
    return;
  }
  if (method == "textDocument/completion") {
    const TextDocumentPositionParams at = params.get<TextDocumentPositionParams>();
    Json items = Json::array();
    for (const Completion& completion : server_.Complete(OpenPath(params), at.position)) {
      const int kind = completion.kind == CompletionKind::Keyword ? 14 : completion.kind == CompletionKind::Section ? 22 : 12;
      items.push_back(CompletionItem{completion.label, kind, completion.detail, completion.documentation,
                                     completion.insert, true});
    }
    Reply(id, Json{{"isIncomplete", false}, {"items", items}});
    return;
  }
  if (method == "textDocument/signatureHelp") {
    const TextDocumentPositionParams at = params.get<TextDocumentPositionParams>();
    const std::optional<Signature> signature = server_.SignatureHelp(OpenPath(params), at.position);
    if (!signature) {
      Reply(id, nullptr);
      return;
    }
    SignatureHelp help;
    help.signatures.push_back({signature->label, signature->documentation, signature->parameters});
    help.active_parameter = signature->active;
    Reply(id, help);
    return;
  }
  if (method == "textDocument/codeAction") {
    const std::string path = OpenPath(params);
    const std::string uri = params.at("textDocument").at("uri").get<std::string>();
    const TextRange range = params.at("range").get<TextRange>();
    Json actions = Json::array();
    for (const SourceDiagnostic& found : server_.FixableIn(path, range)) {
      for (const TextFix& fix : found.fixes) {
        CodeAction action;
        action.title = fix.title;
        action.uri = uri;
        action.edits.push_back({fix.range, fix.new_text});
        action.diagnostics.push_back(ToProtocol(found));
        action.preferred = found.fixes.size() == 1;
        actions.push_back(action);
      }
    }
    Reply(id, actions);
    return;
  }
  if (method == "textDocument/definition") {
    const TextDocumentPositionParams at = params.get<TextDocumentPositionParams>();
    Json locations = Json::array();
    for (const RelatedPlace& place : server_.RelatedLines(OpenPath(params), at.position))
      locations.push_back(Location{UriOfFileName(place.path), place.range});
    Reply(id, locations);
    return;
  }
  if (method == "textDocument/documentSymbol") {
    Reply(id, SymbolsJson(server_.Symbols(OpenPath(params))));
    return;
  }
  throw RequestError(error_code::kMethodNotFound, "the server has no method '" + method + "'");
}

std::string LanguageServer::OpenPath(const Json& params) {
  const std::string path = PathOfDocument(params);
  if (!server_.IsOpen(path))
    throw RequestError(error_code::kInvalidParams,
                       "the document '" + params.at("textDocument").at("uri").get<std::string>() +
                           "' is not open: send textDocument/didOpen first");
  return path;
}

void LanguageServer::HandleNotification(const std::string& method, const Json& params) {
  if (method == "exit") {
    exit_status_ = shut_down_ ? 0 : 1;
    return;
  }
  if (method == "initialized" || method.starts_with("$/")) return;
  if (method == "textDocument/didOpen") {
    const TextDocumentItem item = params.at("textDocument").get<TextDocumentItem>();
    const std::optional<std::string> path = FileNameOfUri(item.uri);
    if (!path) throw RequestError(error_code::kInvalidParams, "'" + item.uri + "' is no file: URI");
    server_.Open(*path, item.text, item.version);
    return;
  }
  if (method == "textDocument/didChange") {
    const DidChangeParams change = params.get<DidChangeParams>();
    const std::string path = OpenPath(params);
    std::vector<TextChange> edits;
    for (const ContentChange& content : change.changes) edits.push_back({content.range, content.text});
    std::string fault;
    if (!server_.Change(path, edits, change.version, &fault))
      throw RequestError(error_code::kInvalidParams, "the change to '" + change.uri + "' cannot be made: " + fault);
    return;
  }
  if (method == "textDocument/didClose") {
    server_.Close(OpenPath(params));
    return;
  }
  if (method == "textDocument/didSave" || method == "workspace/didChangeConfiguration" ||
      method == "workspace/didChangeWatchedFiles")
    return;
  // Other notifications ask nothing of this server.
}

void LanguageServer::CheckPending() {
  for (const auto& [path, shown] : server_.CheckPending()) {
    PublishDiagnosticsParams params;
    params.uri = UriOfFileName(path);
    params.version = shown.version;
    for (const SourceDiagnostic& found : shown.diagnostics) params.diagnostics.push_back(ToProtocol(found));
    Notify("textDocument/publishDiagnostics", params);
  }
}

}  // namespace scenario::lsp
