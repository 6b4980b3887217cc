#include "tools/lsp/source_features.h"

#include <cmath>
#include <cstdio>

#include "tools/readback/author_units.h"
#include "tools/lsp/keyword_reference.h"
#include "tools/lsp/source_lines.h"
#include "tools/readback/route_features.h"
#include "encoding/text_encoding.h"

namespace scenario::lsp {

namespace {

// The cell of a point item at `p`, and the others' first cells, rounded as
// the compiler rounds (a half to the even one).
long long RoundHalfEven(double value) { return static_cast<long long>(std::nearbyint(value)); }
long long PointCell(long long p) { return RoundHalfEven(static_cast<double>(p) / 50.0 + 1.0); }
long long StepCell(long long p) { return RoundHalfEven(static_cast<double>(p) / 50.0); }
long long CellStartMetres(long long cell) { return 50 * (cell - 1); }

std::string FileTitle(SourceFile file) {
  return file == SourceFile::LineDescription ? "line description" : "train service";
}

std::string ValueLabel(const ValueSpec& value) { return value.name; }

// The keyword `written` (as the line has it, or as the table names it) and
// what the readers make of it: "**curvad4** — a right curve of class 4".
std::string KeywordHeading(const KeywordSpec& spec, std::string_view written) {
  std::string heading = "**" + std::string(written) + "**";
  const std::string meaning = KeywordMeaning(spec, written);
  if (!meaning.empty()) heading += " — " + meaning;
  return heading;
}

std::string KeywordMarkdown(const KeywordReference& reference, std::string_view written) {
  const KeywordSpec& spec = *reference.spec;
  std::string text = KeywordHeading(spec, written) + " — " + FileTitle(spec.file) + ", under `[" +
                     reference.section + "]`\n\n" + reference.summary + "\n\n| # | Value | Unit | Range | Stored as |\n|---|---|---|---|---|\n";
  for (size_t k = 0; k < spec.values.size(); ++k) {
    const ValueReference& value = reference.values[k];
    text += "| " + std::to_string(k + 1) + " | " + ValueLabel(spec.values[k]) + " | " + value.unit + " | " +
            value.range + " | " + value.stored + " |\n";
  }
  return text;
}

std::string Clock(long long seconds) {
  char text[48];
  std::snprintf(text, sizeof text, "%lld:%02lld:%02lld", seconds / 3600, seconds / 60 % 60, seconds % 60);
  return text;
}

// What value `k` of the line becomes when stored, from its number.
std::string StoredForm(const LineFields& fields, size_t k, long long n) {
  const ValueReference& value = fields.reference->values[k];
  const auto number = [&](size_t index, long long* out) {
    return index < fields.value_texts.size() && WholeNumber(fields.value_texts[index], out);
  };
  switch (value.conversion) {
    case Conversion::PointCell: {
      const long long cell = PointCell(n);
      return std::to_string(n) + " m → route cell " + std::to_string(cell) + ", which begins at " +
             std::to_string(CellStartMetres(cell)) + " m";
    }
    case Conversion::StepCell: {
      const long long cell = StepCell(n);
      return std::to_string(n) + " m → first cell " + std::to_string(cell) + ", which begins at " +
             std::to_string(CellStartMetres(cell)) + " m";
    }
    case Conversion::SectionEndCell: {
      const long long cell = RoundHalfEven(static_cast<double>(n) / 50.0 - 1.0);
      return std::to_string(n) + " m → last cell " + std::to_string(cell) + ", which begins at " +
             std::to_string(CellStartMetres(cell)) + " m";
    }
    case Conversion::SpeedFifths: {
      const long long fifths = RoundHalfEven(static_cast<double>(n) / 5.0);
      std::string text = std::to_string(n) + " km/h → velocita_limite " + std::to_string(fifths) + " (fifths of km/h)";
      if (fifths < 0 || fifths > 255) text += ", which does not fit a byte: the reading fails (error 25)";
      return text;
    }
    case Conversion::GradientByte: {
      const long long stored = (n + 100) & 0xFF;
      std::string text = std::to_string(n) + " ‰ → pendenza " + std::to_string(stored);
      if (n < -100 || n > 155) text += ", which reads back as " + std::to_string(stored - 100) + " ‰";
      return text;
    }
    case Conversion::TimetableHours:
    case Conversion::TimetableMinutes:
    case Conversion::TimetableSeconds: {
      const size_t hours_at = k - (static_cast<size_t>(value.conversion) - static_cast<size_t>(Conversion::TimetableHours));
      long long h = 0, m = 0, s = 0;
      if (!number(hours_at, &h) || !number(hours_at + 1, &m) || !number(hours_at + 2, &s)) return "";
      const long long orario = (h * 60 + m) * 60 + s;
      return std::to_string(h) + " h " + std::to_string(m) + " min " + std::to_string(s) + " s → orario " +
             std::to_string(orario) + " s (" + Clock(orario) + ")";
    }
    case Conversion::IndicatorSpeed: {
      long long second = 0;
      number(k + 4, &second);
      const long long stored = n * 20 + RoundHalfEven(static_cast<double>(second) / 5.0);
      std::string text = std::to_string(n) + " km/h with " + std::to_string(second) + " km/h of the second set → " +
                         std::to_string(stored);
      if (stored < -32768 || stored > 32767) text += ", which does not fit an Integer: the reading fails (error 25)";
      return text;
    }
    case Conversion::None:
      break;
  }
  return "";
}

std::string ValueMarkdown(const LineFields& fields, size_t k) {
  const KeywordSpec& spec = *fields.reference->spec;
  const ValueReference& value = fields.reference->values[k];
  std::string text = "**" + ValueLabel(spec.values[k]) + "** — value " + std::to_string(k + 1) + " of " +
                     std::to_string(spec.values.size()) + " of `" + fields.keyword_text + "`";
  const std::string meaning = KeywordMeaning(spec, fields.keyword_text);
  if (!meaning.empty()) text += " (" + meaning + ")";
  if (*value.unit) text += ", in " + std::string(value.unit);
  text += "\n\nRange: " + std::string(value.range) + " (read as " + SizeText(spec.values[k].type) + ")";
  if (*value.stored) text += "\n\nStored: " + std::string(value.stored);
  long long n = 0;
  if (spec.values[k].type != ValueKind::Text && WholeNumber(fields.value_texts[k], &n)) {
    const std::string form = StoredForm(fields, k, n);
    if (!form.empty()) text += "\n\n" + form;
  }
  return text;
}

// The route cell an item line puts its object in, when the compile shows it.
std::optional<long long> CellOfLine(const LineFields& fields, const CompiledCells& compiled) {
  const KeywordSpec* spec = fields.reference->spec;
  long long position = 0;
  if (fields.value_texts.empty() || !WholeNumber(fields.value_texts[0], &position)) return std::nullopt;
  if (spec == &keyword::kSegnale || spec == &keyword::kRallentamento || spec == &keyword::kIndicatoriVmax ||
      spec == &keyword::kCartelloIndicatore)
    return PointCell(position);
  if (spec == &keyword::kAbbattimento) return StepCell(position);
  if (spec == &keyword::kStazione) {
    // The stop cell of the station record at this position.
    for (size_t record = 1; record < compiled.stazioni.size(); ++record) {
      if (compiled.stazioni[record].progressiva != position) continue;
      for (size_t cell = 0; cell < compiled.percorso.size(); ++cell)
        if (compiled.percorso[cell].tipo_cella == tipo::fermata_stazione &&
            compiled.percorso[cell].valore_1 == static_cast<int16_t>(record))
          return static_cast<long long>(cell);
    }
  }
  return std::nullopt;
}

std::string CellLine(long long cell, const rec_cella& content) {
  std::string text = "- cell " + std::to_string(cell) + " (from " + std::to_string(CellStartMetres(cell)) +
                     " m): " + tool::CellKindName(content.tipo_cella);
  std::string values;
  for (const tool::AuthorValue& value : tool::CellInSources(cell, content))
    values += (values.empty() ? "" : ", ") + tool::AuthorText(value);
  if (!values.empty()) text += " — " + values;
  text += "; speed " + std::to_string(tool::SpeedKmh(content.velocita_limite)) + " km/h, gradient " +
          std::to_string(tool::GradientPerMille(content.pendenza)) + " ‰, adhesion " +
          std::to_string(content.aderenza);
  return text + "\n";
}

std::string CellsMarkdown(long long cell, const CompiledCells& compiled) {
  const long long count = static_cast<long long>(compiled.percorso.size());
  if (cell < 0 || cell >= count) return "";
  std::string text = "\n\n**Compiled** (after the cell rules), route cell " + std::to_string(cell) +
                     " and the items near it:\n\n";
  // The cell rules put code changes up to 20 cells before a slowdown.
  for (long long near = std::max(0LL, cell - 20); near <= std::min(count - 1, cell + 4); ++near) {
    const rec_cella& content = compiled.percorso[static_cast<size_t>(near)];
    if (near == cell || content.tipo_cella != tipo::libera || content.avviso != 0) text += CellLine(near, content);
  }
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

std::string Snippet(const KeywordReference& reference) {
  std::string snippet = reference.spec->keyword;
  if (reference.spec == &keyword::kCurva) snippet = "curva${1|s,d|}${2|1,2,3,4,5,6|}";
  const int first = reference.spec == &keyword::kCurva ? 3 : 1;
  for (size_t k = 0; k < reference.values.size(); ++k)
    snippet += ", ${" + std::to_string(first + static_cast<int>(k)) + ":" + reference.values[k].placeholder + "}";
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

std::optional<HoverText> HoverAt(const SourceDocument& document, TextPosition position, const CompiledCells* compiled) {
  const std::optional<AtCursor> at = Cursor(document, position);
  if (!at || !at->fields.reference) return std::nullopt;
  const LineFields& fields = at->fields;
  if (at->value < 0) {
    if (at->offset < fields.keyword.start) return std::nullopt;
    std::string markdown = KeywordMarkdown(*fields.reference, fields.keyword_text);
    if (compiled)
      if (const std::optional<long long> cell = CellOfLine(fields, *compiled)) markdown += CellsMarkdown(*cell, *compiled);
    return HoverText{markdown, SpanRange(document, position.line, fields.keyword)};
  }
  const size_t k = static_cast<size_t>(at->value);
  if (k >= fields.values.size() || at->offset < fields.values[k].start) return std::nullopt;
  std::string markdown = ValueMarkdown(fields, k);
  if (compiled && k == 0)
    if (const std::optional<long long> cell = CellOfLine(fields, *compiled)) markdown += CellsMarkdown(*cell, *compiled);
  return HoverText{markdown, SpanRange(document, position.line, fields.values[k])};
}

std::vector<Completion> CompletionsAt(const SourceDocument& document, TextPosition position) {
  std::vector<Completion> completions;
  const std::optional<AtCursor> at = Cursor(document, position);
  if (!at) return completions;
  if (at->value >= 0) {
    // After a keyword: the next value, by name and range.
    if (!at->fields.reference) return completions;
    const KeywordSpec& spec = *at->fields.reference->spec;
    const size_t k = static_cast<size_t>(at->value);
    if (k >= spec.values.size()) return completions;
    const ValueReference& value = at->fields.reference->values[k];
    completions.push_back({ValueLabel(spec.values[k]), CompletionKind::Value,
                           "value " + std::to_string(k + 1) + " of " + std::to_string(spec.values.size()) + " of '" +
                               at->fields.keyword_text + "'" + (*value.unit ? ", " + std::string(value.unit) : "") + ": " +
                               value.range,
                           *value.stored ? "Stored: " + std::string(value.stored) : "",
                           "${1:" + std::string(value.placeholder) + "}"});
    return completions;
  }
  const std::string section = SectionAt(document, position.line);
  for (const char* header : HeadersOf(document.file))
    completions.push_back({"[" + std::string(header) + "]", CompletionKind::Section, "section header", "",
                           "[" + std::string(header) + "]"});
  if (section.empty() || section == "fine") return completions;
  for (const KeywordReference& reference : KeywordReferences()) {
    if (reference.spec->file != document.file || section != reference.section) continue;
    completions.push_back({reference.spec->keyword, CompletionKind::Keyword, reference.summary,
                           KeywordMarkdown(reference, reference.spec->keyword), Snippet(reference)});
  }
  return completions;
}

std::optional<Signature> SignatureAt(const SourceDocument& document, TextPosition position) {
  const std::optional<AtCursor> at = Cursor(document, position);
  if (!at || !at->fields.reference || at->value < 0) return std::nullopt;
  const KeywordReference& reference = *at->fields.reference;
  Signature signature;
  // The keyword as written, which may hold letters of more than one byte:
  // the places of the values are counted in UTF-16 units.
  signature.label = at->fields.keyword_text;
  std::vector<std::pair<size_t, size_t>> bytes;
  for (const ValueReference& value : reference.values) {
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
  const std::string meaning = KeywordMeaning(*reference.spec, at->fields.keyword_text);
  signature.documentation = meaning.empty() ? reference.summary : "The keyword reads as " + meaning + ". " + reference.summary;
  signature.active = std::min(at->value, static_cast<int>(reference.values.size()) - 1);
  return signature;
}

std::vector<Symbol> SymbolsOf(const SourceDocument& document) {
  std::vector<Symbol> symbols;
  for (int line = 0; line < document.lines.line_count(); ++line) {
    const std::string_view text = document.lines.Line(document.text, line);
    const LineFields fields = ReadLineFields(text, document.file);
    const TextRange whole = {{line, 0}, PositionOfLineByte(document.text, document.lines, line, text.size())};
    if (!fields.header.empty()) {
      symbols.push_back({"[" + fields.header + "]", "", SymbolKind::Section, whole, whole, {}});
      continue;
    }
    if (!fields.reference) continue;
    const KeywordSpec* spec = fields.reference->spec;
    // Only an item that stands at a place is named by its metres; a
    // setting of the whole scenario shows its values instead.
    long long position = 0;
    const bool placed = spec->first == FirstValue::Place && !fields.value_texts.empty() &&
                        WholeNumber(fields.value_texts[0], &position);
    const std::string meaning = KeywordMeaning(*spec, fields.keyword_text);
    Symbol symbol{fields.keyword_text, meaning, SymbolKind::Item, whole, SpanRange(document, line, fields.keyword), {}};
    if (placed) symbol.name += " at " + std::to_string(position) + " m";
    if (spec->first == FirstValue::Setting) {
      std::string values;
      for (const std::string& value : fields.value_texts) values += (values.empty() ? "" : ", ") + value;
      symbol.detail = meaning.empty() ? values : values.empty() ? meaning : meaning + ": " + values;
    } else if (spec == &keyword::kStazione) {
      symbol.kind = SymbolKind::Station;
      if (fields.value_texts.size() == spec->values.size()) symbol.name = fields.value_texts.back();
      char km[32];
      std::snprintf(km, sizeof km, "km %.3f", static_cast<double>(position) / 1000.0);
      symbol.detail = km;
    } else if (spec == &keyword::kSegnale) {
      symbol.kind = SymbolKind::Signal;
    } else if (spec == &keyword::kRallentamento) {
      symbol.kind = SymbolKind::Slowdown;
      if (fields.value_texts.size() > 1) symbol.detail = fields.value_texts[1] + " km/h";
    } else if (spec == &keyword::kCurva) {
      symbol.kind = SymbolKind::Curve;
    } else if (spec == &keyword::kCartelloIndicatore || spec == &keyword::kIndicatoriVmax) {
      symbol.kind = SymbolKind::Board;
      if (spec == &keyword::kCartelloIndicatore && fields.value_texts.size() > 1) symbol.detail = fields.value_texts[1];
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
