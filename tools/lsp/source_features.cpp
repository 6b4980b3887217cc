#include "tools/lsp/source_features.h"

#include <algorithm>
#include <cstdio>

#include "tools/readback/author_units.h"
#include "tools/lsp/source_lines.h"
#include "tools/readback/route_features.h"
#include "encoding/text_encoding.h"

namespace scenario::lsp {

namespace {

long long CellStartMetres(long long cell) { return 50 * (cell - 1); }

std::string FileTitle(SourceFile file) {
  return file == SourceFile::LineDescription ? "line description" : "train service";
}

// The keyword `written` (as the line has it, or as the table names it) and
// what the readers make of it: "**curvad4** — a right curve of class 4".
std::string KeywordHeading(std::string_view written, const std::string& meaning) {
  std::string heading = "**" + std::string(written) + "**";
  if (!meaning.empty()) heading += " — " + meaning;
  return heading;
}

// The text of a value as the reader read it.
std::string ReadText(const tool::AccountValue& value) {
  if (value.text) return "\"" + Windows1252ToUtf8(*value.text) + "\"";
  return std::to_string(value.number);
}

// A keyword's entry: what the line does, and its values; with `read`, the
// values the compile read for the line.
std::string KeywordMarkdown(const KeywordSpec& spec, std::string_view written, const std::string& meaning,
                            const tool::AccountKeyword* read) {
  std::string text = KeywordHeading(written, meaning) + " — " + FileTitle(spec.file) + ", under `[" +
                     spec.section + "]`\n\n" + spec.summary + "\n\n";
  text += read ? "| # | Value | Read | Unit | Range | Stored as |\n|---|---|---|---|---|---|\n"
               : "| # | Value | Unit | Range | Stored as |\n|---|---|---|---|---|\n";
  for (size_t k = 0; k < spec.values.size(); ++k) {
    const ValueSpec& value = spec.values[k];
    text += "| " + std::to_string(k + 1) + " | " + value.name + " | ";
    if (read) {
      std::string shown = "—";
      for (const tool::AccountValue& given : read->values)
        if (given.index == k) shown = ReadText(given);
      text += shown + " | ";
    }
    text += std::string(value.unit) + " | " + value.range + " | " + value.stored + " |\n";
  }
  return text;
}

std::string CellLine(size_t cell, const rec_cella& content, bool changed) {
  std::string text = "- cell " + std::to_string(cell) + " (from " +
                     std::to_string(CellStartMetres(static_cast<long long>(cell))) +
                     " m): " + tool::CellKindName(content.tipo_cella);
  std::string values;
  for (const tool::AuthorValue& value : tool::CellInSources(static_cast<int64_t>(cell), content))
    values += (values.empty() ? "" : ", ") + tool::AuthorText(value);
  if (!values.empty()) text += " — " + values;
  text += "; speed " + std::to_string(tool::SpeedKmh(content.velocita_limite)) + " km/h, gradient " +
          std::to_string(tool::GradientPerMille(content.pendenza)) + " ‰, adhesion " +
          std::to_string(content.aderenza);
  if (changed) text += " (changed after this line)";
  return text + "\n";
}

bool Has(const std::vector<size_t>& list, size_t k) { return std::find(list.begin(), list.end(), k) != list.end(); }

// What the line wrote, as the compile left it.
std::string CompiledMarkdown(const tool::LineAccount& account, const CompiledCells& compiled) {
  constexpr size_t kMostShown = 12;
  std::string text;
  std::vector<size_t> cells = account.cells;
  for (size_t k : account.marks)
    if (!Has(cells, k)) cells.push_back(k);
  std::sort(cells.begin(), cells.end());
  size_t shown = 0;
  for (size_t k : cells) {
    if (k >= compiled.percorso.size()) continue;
    if (shown++ == kMostShown) {
      text += "- and " + std::to_string(cells.size() - kMostShown) + " cells more\n";
      break;
    }
    text += CellLine(k, compiled.percorso[k], Has(account.cells_changed, k) || Has(account.marks_changed, k));
  }
  std::string near;
  for (size_t k : account.rules_near)
    if (k < compiled.percorso.size()) near += CellLine(k, compiled.percorso[k], false);
  if (!near.empty()) text += "\nPlaced near it by the compile's rules:\n\n" + near;
  const std::vector<tool::RecordRole> roles =
      tool::RecordRoles(std::vector<rec_stazione>(compiled.stazioni.begin(), compiled.stazioni.end()));
  for (size_t i : account.records) {
    if (i >= compiled.stazioni.size()) continue;
    std::string values;
    for (const tool::AuthorValue& value : tool::RecordInSources(roles[i], compiled.stazioni[i]))
      values += (values.empty() ? "" : ", ") + tool::AuthorText(value);
    text += "- record " + std::to_string(i) + " (" + tool::RoleName(roles[i]) + ")" +
            (values.empty() ? "" : ": " + values) + (Has(account.records_changed, i) ? " (changed after this line)" : "") +
            "\n";
  }
  if (text.empty()) return "";
  return "\n\n**Compiled** (as the compile left it):\n\n" + text;
}

// The account of the line under the cursor, when it is of this text.
const tool::LineAccount* AccountAt(const CompiledCells* compiled, int line, const std::string& keyword_text) {
  return compiled == nullptr ? nullptr : CurrentAccount(compiled->lines, line, keyword_text);
}

std::string ValueMarkdown(const KeywordSpec& spec, size_t k, std::string_view written, const std::string& meaning,
                          const tool::AccountValue* read) {
  const ValueSpec& value = spec.values[k];
  std::string text = "**" + std::string(value.name) + "** — value " + std::to_string(k + 1) + " of " +
                     std::to_string(spec.values.size()) + " of `" + std::string(written) + "`";
  if (!meaning.empty()) text += " (" + meaning + ")";
  if (*value.unit) text += ", in " + std::string(value.unit);
  if (read) text += "\n\nRead: " + ReadText(*read);
  text += "\n\nRange: " + std::string(value.range) + " (read as " + SizeText(value.type) + ")";
  if (*value.stored) text += "\n\nStored: " + std::string(value.stored);
  return text;
}

std::string SectionAt(const SourceDocument& document, int line) {
  for (int above = line - 1; above >= 0; --above) {
    const LineFields fields = ReadLineFields(document.lines.Line(document.text, above), document.file);
    if (!fields.header.empty()) return fields.header;
  }
  return "";
}

std::span<const char* const> HeadersOf(SourceFile file) {
  static const char* const kLine[] = {"generale", "curve", "pendenze", "montagne", "cartelli", "indicazioni", "fine"};
  static const char* const kTrain[] = {"generale", "aderenze", "vel_limite", "stazioni", "rallentamenti",
                                       "segnali", "codici", "fine"};
  if (file == SourceFile::LineDescription) return kLine;
  return kTrain;
}

std::string Snippet(const KeywordSpec& spec) {
  std::string snippet = spec.keyword;
  if (&spec == &keyword::kCurva) snippet = "curva${1|s,d|}${2|1,2,3,4,5,6|}";
  const int first = &spec == &keyword::kCurva ? 3 : 1;
  for (size_t k = 0; k < spec.values.size(); ++k)
    snippet += ", ${" + std::to_string(first + static_cast<int>(k)) + ":" + spec.values[k].placeholder + "}";
  return snippet;
}

TextRange SpanRange(const SourceDocument& document, int line, FieldSpan span) {
  return {PositionOfLineByte(document.text, document.lines, line, span.start),
          PositionOfLineByte(document.text, document.lines, line, span.end)};
}

// The line's fields and the value under the cursor.
struct AtCursor {
  LineFields fields;
  std::string_view line;
  size_t offset = 0;
  int value = -1;
};
std::optional<AtCursor> Cursor(const SourceDocument& document, TextPosition position) {
  const std::optional<size_t> offset = OffsetOf(document.text, document.lines, position);
  if (!offset) return std::nullopt;
  AtCursor at;
  at.line = document.lines.Line(document.text, position.line);
  at.offset = *offset - document.lines.LineStart(position.line);
  at.fields = ReadLineFields(at.line, document.file);
  at.value = ValueAt(at.fields, at.line, at.offset);
  return at;
}

}  // namespace

const tool::LineAccount* CurrentAccount(const std::vector<tool::LineAccount>& accounts, int line,
                                        std::string_view keyword_text) {
  for (const tool::LineAccount& account : accounts)
    if (account.line == line + 1) return Windows1252ToUtf8(account.keyword) == keyword_text ? &account : nullptr;
  return nullptr;
}

std::optional<HoverText> HoverAt(const SourceDocument& document, TextPosition position, const CompiledCells* compiled) {
  const std::optional<AtCursor> at = Cursor(document, position);
  if (!at) return std::nullopt;
  const LineFields& fields = at->fields;
  // The compile's account of the line, where the reading came to it;
  // otherwise what the readers' first test makes of the text.
  const tool::LineAccount* account = AccountAt(compiled, position.line, fields.keyword_text);
  if (account != nullptr && account->keywords.empty()) account = nullptr;
  const KeywordSpec* spec = account ? account->spec() : fields.spec;
  if (spec == nullptr) return std::nullopt;
  const std::string meaning = account ? account->keywords.front().meaning : KeywordMeaning(*spec, fields.keyword_text);
  if (at->value < 0) {
    if (at->offset < fields.keyword.start) return std::nullopt;
    std::string markdown;
    if (account) {
      for (const tool::AccountKeyword& read : account->keywords) {
        if (!markdown.empty()) markdown += "\n\nThe same field is read again, as another keyword:\n\n";
        markdown += KeywordMarkdown(*read.spec, fields.keyword_text, read.meaning, &read);
      }
      markdown += CompiledMarkdown(*account, *compiled);
    } else {
      markdown = KeywordMarkdown(*spec, fields.keyword_text, meaning, nullptr);
    }
    return HoverText{markdown, SpanRange(document, position.line, fields.keyword)};
  }
  const size_t k = static_cast<size_t>(at->value);
  if (k >= fields.values.size() || k >= spec->values.size() || at->offset < fields.values[k].start) return std::nullopt;
  const tool::AccountValue* read = nullptr;
  if (account)
    for (const tool::AccountValue& value : account->keywords.front().values)
      if (value.index == k) read = &value;
  std::string markdown = ValueMarkdown(*spec, k, fields.keyword_text, meaning, read);
  if (account) markdown += CompiledMarkdown(*account, *compiled);
  return HoverText{markdown, SpanRange(document, position.line, fields.values[k])};
}

std::vector<Completion> CompletionsAt(const SourceDocument& document, TextPosition position) {
  std::vector<Completion> completions;
  const std::optional<AtCursor> at = Cursor(document, position);
  if (!at) return completions;
  if (at->value >= 0) {
    // After a keyword: the next value, by name and range.
    if (!at->fields.spec) return completions;
    const KeywordSpec& spec = *at->fields.spec;
    const size_t k = static_cast<size_t>(at->value);
    if (k >= spec.values.size()) return completions;
    const ValueSpec& value = spec.values[k];
    completions.push_back({value.name, CompletionKind::Value,
                           "value " + std::to_string(k + 1) + " of " + std::to_string(spec.values.size()) + " of '" +
                               at->fields.keyword_text + "'" + (*value.unit ? ", " + std::string(value.unit) : "") +
                               ": " + value.range,
                           *value.stored ? "Stored: " + std::string(value.stored) : "",
                           "${1:" + std::string(value.placeholder) + "}"});
    return completions;
  }
  const std::string section = SectionAt(document, position.line);
  for (const char* header : HeadersOf(document.file))
    completions.push_back({"[" + std::string(header) + "]", CompletionKind::Section, "section header", "",
                           "[" + std::string(header) + "]"});
  if (section.empty() || section == "fine") return completions;
  for (const KeywordSpec* spec : AllKeywords()) {
    if (spec->file != document.file || section != spec->section) continue;
    completions.push_back({spec->keyword, CompletionKind::Keyword, spec->summary,
                           KeywordMarkdown(*spec, spec->keyword, KeywordMeaning(*spec, spec->keyword), nullptr),
                           Snippet(*spec)});
  }
  return completions;
}

std::optional<Signature> SignatureAt(const SourceDocument& document, TextPosition position) {
  const std::optional<AtCursor> at = Cursor(document, position);
  if (!at || !at->fields.spec || at->value < 0) return std::nullopt;
  const KeywordSpec& spec = *at->fields.spec;
  Signature signature;
  // The keyword as written, which may hold letters of more than one byte:
  // the places of the values are counted in UTF-16 units.
  signature.label = at->fields.keyword_text;
  std::vector<std::pair<size_t, size_t>> bytes;
  for (const ValueSpec& value : spec.values) {
    signature.label += ", ";
    const size_t start = signature.label.size();
    signature.label += value.placeholder;
    bytes.emplace_back(start, signature.label.size());
  }
  const LineTable label_lines(signature.label);
  const auto units = [&](size_t byte) {
    return PositionOfLineByte(signature.label, label_lines, 0, byte).character;
  };
  for (const auto& [start, end] : bytes) signature.parameters.emplace_back(units(start), units(end));
  const std::string meaning = KeywordMeaning(spec, at->fields.keyword_text);
  signature.documentation = meaning.empty() ? spec.summary : "The keyword reads as " + meaning + ". " + spec.summary;
  signature.active = std::min(at->value, static_cast<int>(spec.values.size()) - 1);
  return signature;
}

namespace {

// A line of the outline: what the compile read there, or, for a line it
// never came to, what the text says.
struct OutlineLine {
  const KeywordSpec* spec = nullptr;
  std::string meaning;
  std::optional<long long> metres;  // only for an item that stands at a place
  std::vector<std::string> values;  // as read, or as written
};

OutlineLine OutlineOf(const LineFields& fields, const tool::LineAccount* account) {
  OutlineLine line;
  if (account != nullptr) {
    if (account->keywords.empty()) return line;
    const tool::AccountKeyword& read = account->keywords.front();
    line.spec = read.spec;
    line.meaning = read.meaning;
    if (account->metres) line.metres = *account->metres;
    for (const tool::AccountValue& value : read.values)
      line.values.push_back(value.text ? Windows1252ToUtf8(*value.text) : std::to_string(value.number));
    return line;
  }
  if (!fields.spec) return line;
  line.spec = fields.spec;
  line.meaning = KeywordMeaning(*fields.spec, fields.keyword_text);
  long long position = 0;
  if (fields.spec->first == FirstValue::Place && !fields.value_texts.empty() &&
      WholeNumber(fields.value_texts[0], &position))
    line.metres = position;
  line.values = fields.value_texts;
  return line;
}

}  // namespace

std::vector<Symbol> SymbolsOf(const SourceDocument& document, const CompiledCells* compiled) {
  std::vector<Symbol> symbols;
  for (int line = 0; line < document.lines.line_count(); ++line) {
    const std::string_view text = document.lines.Line(document.text, line);
    const LineFields fields = ReadLineFields(text, document.file);
    const TextRange whole = {{line, 0}, PositionOfLineByte(document.text, document.lines, line, text.size())};
    if (!fields.header.empty()) {
      symbols.push_back({"[" + fields.header + "]", "", SymbolKind::Section, whole, whole, {}});
      continue;
    }
    const OutlineLine read = OutlineOf(fields, AccountAt(compiled, line, fields.keyword_text));
    if (!read.spec) continue;
    const KeywordSpec* spec = read.spec;
    Symbol symbol{fields.keyword_text, read.meaning, SymbolKind::Item, whole, SpanRange(document, line, fields.keyword), {}};
    // Only an item that stands at a place is named by its metres; a
    // setting of the whole scenario shows its values instead.
    if (read.metres) symbol.name += " at " + std::to_string(*read.metres) + " m";
    if (spec->first == FirstValue::Setting) {
      std::string values;
      for (const std::string& value : read.values) values += (values.empty() ? "" : ", ") + value;
      symbol.detail = read.meaning.empty() ? values : values.empty() ? read.meaning : read.meaning + ": " + values;
    } else if (spec == &keyword::kStazione) {
      symbol.kind = SymbolKind::Station;
      if (read.values.size() == spec->values.size()) symbol.name = read.values.back();
      char km[32];
      std::snprintf(km, sizeof km, "km %.3f", static_cast<double>(read.metres.value_or(0)) / 1000.0);
      symbol.detail = km;
    } else if (spec == &keyword::kSegnale) {
      symbol.kind = SymbolKind::Signal;
    } else if (spec == &keyword::kRallentamento) {
      symbol.kind = SymbolKind::Slowdown;
      if (read.values.size() > 1) symbol.detail = read.values[1] + " km/h";
    } else if (spec == &keyword::kCurva) {
      symbol.kind = SymbolKind::Curve;
    } else if (spec == &keyword::kCartelloIndicatore || spec == &keyword::kIndicatoriVmax) {
      symbol.kind = SymbolKind::Board;
      if (spec == &keyword::kCartelloIndicatore && read.values.size() > 1) symbol.detail = read.values[1];
    }
    if (symbols.empty() || symbols.back().kind != SymbolKind::Section) {
      symbols.push_back(std::move(symbol));
    } else {
      symbols.back().range.end = whole.end;
      symbols.back().children.push_back(std::move(symbol));
    }
  }
  return symbols;
}

}  // namespace scenario::lsp
