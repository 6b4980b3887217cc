// The editor's help inside one source: hover, completion, signature help
// and the outline, from the text as the editor holds it and, for what the
// compile made of a line, the model of the last check. No JSON here.
#pragma once

#include <array>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fields/keyword_table.h"
#include "model/scenario_model.h"
#include "tools/authoring/line_account.h"
#include "tools/lsp/source_code.h"

namespace scenario::lsp {

// A source as the editor holds it.
struct SourceDocument {
  SourceDocument(SourceFile file, std::string text) : file(file), text(std::move(text)), lines(this->text) {}
  SourceFile file;
  std::string text;  // UTF-8
  LineTable lines;
};

// What the last check compiled: the route cells, the station table and
// the account of each line of the document that the reading came to.
struct CompiledCells {
  std::vector<rec_cella> percorso;
  std::array<rec_stazione, kNumeroStazioni> stazioni{};
  std::vector<tool::LineAccount> lines;
  // The same of the other source of the pair.
  std::vector<tool::LineAccount> partner_lines;
};

// The account of line `line` (0-based) among `accounts`, when it is the
// account of the line as it stands: null when the reading never came to it,
// or when the line's keyword field, `keyword_text` (UTF-8), was edited
// since the check.
const tool::LineAccount* CurrentAccount(const std::vector<tool::LineAccount>& accounts, int line,
                                        std::string_view keyword_text);

struct HoverText {
  std::string markdown;
  TextRange range;
};

enum class CompletionKind { Keyword, Section, Value };
struct Completion {
  std::string label;
  CompletionKind kind = CompletionKind::Keyword;
  std::string detail;
  std::string documentation;
  std::string insert;  // a snippet: ${1:name} placeholders
};

struct Signature {
  std::string label;
  // Each value's place in the label, in UTF-16 units: [start, end).
  std::vector<std::pair<int, int>> parameters;
  std::string documentation;
  int active = 0;
};

enum class SymbolKind { Section, Station, Signal, Slowdown, Curve, Board, Item };
struct Symbol {
  std::string name;
  std::string detail;
  SymbolKind kind = SymbolKind::Item;
  TextRange range;
  TextRange selection;
  std::vector<Symbol> children;
};

std::optional<HoverText> HoverAt(const SourceDocument& document, TextPosition position, const CompiledCells* compiled);
std::vector<Completion> CompletionsAt(const SourceDocument& document, TextPosition position);
std::optional<Signature> SignatureAt(const SourceDocument& document, TextPosition position);
// The outline; `compiled`, when given, names each line as the compile read
// it, and the text stands in for lines the reading never came to.
std::vector<Symbol> SymbolsOf(const SourceDocument& document, const CompiledCells* compiled = nullptr);

}  // namespace scenario::lsp
