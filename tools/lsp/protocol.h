// The protocol's messages as plain structs, to and from JSON, and nothing
// else. Reading a message that lacks a field it needs throws
// nlohmann::json::exception, which the server answers as invalid params.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include <nlohmann/json.hpp>

#include "tools/lsp/source_code.h"

namespace scenario::lsp {

using Json = nlohmann::json;

// The protocol's error codes.
namespace error_code {
inline constexpr int kParseError = -32700;
inline constexpr int kInvalidRequest = -32600;
inline constexpr int kMethodNotFound = -32601;
inline constexpr int kInvalidParams = -32602;
inline constexpr int kInternalError = -32603;
inline constexpr int kServerNotInitialized = -32002;
inline constexpr int kRequestFailed = -32803;
}  // namespace error_code

void to_json(Json& json, const TextPosition& position);
void from_json(const Json& json, TextPosition& position);
void to_json(Json& json, const TextRange& range);
void from_json(const Json& json, TextRange& range);

struct Location {
  std::string uri;
  TextRange range;
};
void to_json(Json& json, const Location& location);

struct DiagnosticRelatedInformation {
  Location location;
  std::string message;
};

struct Diagnostic {
  TextRange range;
  int severity = 1;  // 1 error, 2 warning, 3 information, 4 hint
  std::variant<int, std::string> code;
  std::string source = "scenario-tool";
  std::string message;
  std::vector<DiagnosticRelatedInformation> related;
};
void to_json(Json& json, const Diagnostic& diagnostic);

struct PublishDiagnosticsParams {
  std::string uri;
  std::optional<int> version;
  std::vector<Diagnostic> diagnostics;
};
void to_json(Json& json, const PublishDiagnosticsParams& params);

struct TextDocumentItem {
  std::string uri;
  std::string language_id;
  int version = 0;
  std::string text;
};
void from_json(const Json& json, TextDocumentItem& item);

struct ContentChange {
  std::optional<TextRange> range;  // none: the whole text
  std::string text;
};
void from_json(const Json& json, ContentChange& change);

struct DidChangeParams {
  std::string uri;
  int version = 0;
  std::vector<ContentChange> changes;
};
void from_json(const Json& json, DidChangeParams& params);

// textDocument/hover, completion, signatureHelp, definition.
struct TextDocumentPositionParams {
  std::string uri;
  TextPosition position;
};
void from_json(const Json& json, TextDocumentPositionParams& params);

struct Hover {
  std::string markdown;
  TextRange range;
};
void to_json(Json& json, const Hover& hover);

struct CompletionItem {
  std::string label;
  int kind = 14;  // 14 keyword, 22 struct (a section header), 12 value
  std::string detail;
  std::string documentation;
  std::string insert_text;
  bool snippet = false;
};
void to_json(Json& json, const CompletionItem& item);

struct SignatureInformation {
  std::string label;
  std::string documentation;
  std::vector<std::pair<int, int>> parameters;  // each a part of the label: [start, end) in UTF-16 units
};
struct SignatureHelp {
  std::vector<SignatureInformation> signatures;
  int active_parameter = 0;
};
void to_json(Json& json, const SignatureHelp& help);

struct DocumentSymbol {
  std::string name;
  std::string detail;
  int kind = 0;  // the protocol's SymbolKind
  TextRange range;
  TextRange selection_range;
  std::vector<DocumentSymbol> children;
};
void to_json(Json& json, const DocumentSymbol& symbol);

struct TextEdit {
  TextRange range;
  std::string new_text;
};
void to_json(Json& json, const TextEdit& edit);

struct CodeAction {
  std::string title;
  std::string uri;
  std::vector<TextEdit> edits;
  std::vector<Diagnostic> diagnostics;
  bool preferred = false;
};
void to_json(Json& json, const CodeAction& action);

}  // namespace scenario::lsp
