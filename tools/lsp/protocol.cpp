#include "tools/lsp/protocol.h"

namespace scenario::lsp {

void to_json(Json& json, const TextPosition& position) {
  json = Json{{"line", position.line}, {"character", position.character}};
}
void from_json(const Json& json, TextPosition& position) {
  json.at("line").get_to(position.line);
  json.at("character").get_to(position.character);
}
void to_json(Json& json, const TextRange& range) { json = Json{{"start", range.start}, {"end", range.end}}; }
void from_json(const Json& json, TextRange& range) {
  json.at("start").get_to(range.start);
  json.at("end").get_to(range.end);
}

void to_json(Json& json, const Location& location) {
  json = Json{{"uri", location.uri}, {"range", location.range}};
}

void to_json(Json& json, const Diagnostic& diagnostic) {
  json = Json{{"range", diagnostic.range},
              {"severity", diagnostic.severity},
              {"source", diagnostic.source},
              {"message", diagnostic.message}};
  std::visit([&json](const auto& code) { json["code"] = code; }, diagnostic.code);
  if (!diagnostic.related.empty()) {
    Json related = Json::array();
    for (const DiagnosticRelatedInformation& info : diagnostic.related)
      related.push_back(Json{{"location", info.location}, {"message", info.message}});
    json["relatedInformation"] = related;
  }
}

void to_json(Json& json, const PublishDiagnosticsParams& params) {
  json = Json{{"uri", params.uri}, {"diagnostics", params.diagnostics}};
  if (params.version) json["version"] = *params.version;
}

void from_json(const Json& json, TextDocumentItem& item) {
  json.at("uri").get_to(item.uri);
  item.language_id = json.value("languageId", "");
  json.at("version").get_to(item.version);
  json.at("text").get_to(item.text);
}

void from_json(const Json& json, ContentChange& change) {
  if (json.contains("range")) change.range = json.at("range").get<TextRange>();
  json.at("text").get_to(change.text);
}

void from_json(const Json& json, DidChangeParams& params) {
  json.at("textDocument").at("uri").get_to(params.uri);
  json.at("textDocument").at("version").get_to(params.version);
  json.at("contentChanges").get_to(params.changes);
}

void from_json(const Json& json, TextDocumentPositionParams& params) {
  json.at("textDocument").at("uri").get_to(params.uri);
  json.at("position").get_to(params.position);
}

void to_json(Json& json, const Hover& hover) {
  json = Json{{"contents", {{"kind", "markdown"}, {"value", hover.markdown}}}, {"range", hover.range}};
}

void to_json(Json& json, const CompletionItem& item) {
  json = Json{{"label", item.label}, {"kind", item.kind}};
  if (!item.detail.empty()) json["detail"] = item.detail;
  if (!item.documentation.empty())
    json["documentation"] = Json{{"kind", "markdown"}, {"value", item.documentation}};
  if (!item.insert_text.empty()) {
    json["insertText"] = item.insert_text;
    json["insertTextFormat"] = item.snippet ? 2 : 1;
  }
}

void to_json(Json& json, const SignatureHelp& help) {
  Json signatures = Json::array();
  for (const SignatureInformation& signature : help.signatures) {
    Json parameters = Json::array();
    for (const auto& [start, end] : signature.parameters) parameters.push_back(Json{{"label", Json::array({start, end})}});
    Json entry{{"label", signature.label}, {"parameters", parameters}};
    if (!signature.documentation.empty())
      entry["documentation"] = Json{{"kind", "markdown"}, {"value", signature.documentation}};
    signatures.push_back(entry);
  }
  json = Json{{"signatures", signatures}, {"activeSignature", 0}, {"activeParameter", help.active_parameter}};
}

void to_json(Json& json, const DocumentSymbol& symbol) {
  json = Json{{"name", symbol.name},
              {"kind", symbol.kind},
              {"range", symbol.range},
              {"selectionRange", symbol.selection_range}};
  if (!symbol.detail.empty()) json["detail"] = symbol.detail;
  if (!symbol.children.empty()) json["children"] = symbol.children;
}

void to_json(Json& json, const TextEdit& edit) { json = Json{{"range", edit.range}, {"newText", edit.new_text}}; }

void to_json(Json& json, const CodeAction& action) {
  json = Json{{"title", action.title},
              {"kind", "quickfix"},
              {"diagnostics", action.diagnostics},
              {"edit", {{"changes", {{action.uri, action.edits}}}}}};
  if (action.preferred) json["isPreferred"] = true;
}

}  // namespace scenario::lsp
