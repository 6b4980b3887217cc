#include "tools/lsp/source_lines.h"

#include <charconv>

namespace scenario::lsp {

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

size_t SkipBlanks(std::string_view line, size_t at) {
  while (at < line.size() && IsBlank(line[at])) ++at;
  return at;
}

// A text field from `at`: quoted, or up to the next comma, trailing blanks
// dropped. Returns the span and moves `at` past its delimiter.
FieldSpan ReadText(std::string_view line, size_t* at) {
  const size_t start = SkipBlanks(line, *at);
  size_t end = 0;
  size_t next = 0;
  if (start < line.size() && line[start] == '"') {
    const size_t quote = line.find('"', start + 1);
    end = quote == std::string_view::npos ? line.size() : quote + 1;
    next = SkipBlanks(line, end);
    if (next < line.size() && line[next] == ',') ++next;
  } else {
    const size_t comma = line.find(',', start);
    end = comma == std::string_view::npos ? line.size() : comma;
    next = comma == std::string_view::npos ? line.size() : comma + 1;
    while (end > start && IsBlank(line[end - 1])) --end;
  }
  *at = next;
  return {start, end};
}

// A number field from `at`: up to a blank, a comma or the line's end.
FieldSpan ReadNumber(std::string_view line, size_t* at) {
  const size_t start = SkipBlanks(line, *at);
  size_t end = start;
  while (end < line.size() && !IsBlank(line[end]) && line[end] != ',') ++end;
  size_t next = SkipBlanks(line, end);
  if (next < line.size() && line[next] == ',') ++next;
  *at = next;
  return {start, end};
}

std::string Lower(std::string_view text) {
  std::string lower(text);
  for (char& c : lower)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return lower;
}

}  // namespace

LineFields ReadLineFields(std::string_view line, SourceFile file) {
  LineFields fields;
  size_t end = line.size();
  while (end > 0 && IsBlank(line[end - 1])) --end;
  fields.end = end;
  size_t at = 0;
  fields.keyword = ReadText(line, &at);
  fields.keyword_text = std::string(line.substr(fields.keyword.start, fields.keyword.end - fields.keyword.start));
  if (fields.keyword_text.size() >= 2 && fields.keyword_text.front() == '[') {
    const size_t close = fields.keyword_text.find(']');
    if (close != std::string::npos) fields.header = Lower(fields.keyword_text.substr(1, close - 1));
    return fields;
  }
  // A field with a hyphen is a comment.
  if (fields.keyword_text.find('-') != std::string::npos) return fields;
  fields.spec = RecogniseKeyword(file, fields.keyword_text);
  if (!fields.spec) return fields;
  for (const ValueSpec& value : fields.spec->values) {
    if (SkipBlanks(line, at) >= line.size()) break;
    const FieldSpan span = value.type == ValueKind::Text ? ReadText(line, &at) : ReadNumber(line, &at);
    fields.values.push_back(span);
    fields.value_texts.emplace_back(line.substr(span.start, span.end - span.start));
  }
  return fields;
}

int ValueAt(const LineFields& fields, std::string_view line, size_t offset) {
  if (offset <= fields.keyword.end) return -1;
  size_t previous_end = fields.keyword.end;
  // Past a value's end and its delimiter (a comma or a blank), the next.
  for (size_t k = 0; k < fields.values.size(); ++k) {
    if (offset <= fields.values[k].end) return static_cast<int>(k);
    previous_end = fields.values[k].end;
  }
  // After the last value read: the next one once a delimiter follows it.
  const std::string_view after = line.substr(previous_end, offset - previous_end);
  const bool delimited = after.find(',') != std::string_view::npos ||
                         (!fields.values.empty() && !after.empty() && IsBlank(after.back()));
  if (fields.values.empty()) return delimited ? 0 : -1;
  return static_cast<int>(fields.values.size()) - (delimited ? 0 : 1);
}

bool WholeNumber(std::string_view text, long long* number) {
  if (!text.empty() && text.front() == '+') text.remove_prefix(1);
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), *number);
  return !text.empty() && error == std::errc() && end == text.data() + text.size();
}

}  // namespace scenario::lsp
