#include "tools/lsp/source_code.h"

#include <cstdio>

#include "encoding/windows_1252.h"

namespace scenario::lsp {

namespace {

struct Decoded {
  char32_t code;
  size_t length;
};

// The character that begins at `at`: a well-formed UTF-8 sequence, or one
// byte standing for U+FFFD.
Decoded DecodeAt(std::string_view text, size_t at) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char first = byte(at);
  if (first < 0x80) return {first, 1};
  size_t length = 0;
  char32_t code = 0;
  char32_t least = 0;
  if ((first & 0xE0) == 0xC0) {
    length = 2, code = first & 0x1F, least = 0x80;
  } else if ((first & 0xF0) == 0xE0) {
    length = 3, code = first & 0x0F, least = 0x800;
  } else if ((first & 0xF8) == 0xF0) {
    length = 4, code = first & 0x07, least = 0x10000;
  } else {
    return {0xFFFD, 1};
  }
  if (at + length > text.size()) return {0xFFFD, 1};
  for (size_t k = 1; k < length; ++k) {
    if ((byte(at + k) & 0xC0) != 0x80) return {0xFFFD, 1};
    code = (code << 6) | (byte(at + k) & 0x3F);
  }
  if (code < least || code > 0x10FFFF || (code >= 0xD800 && code < 0xE000)) return {0xFFFD, 1};
  return {code, length};
}

int Utf16Units(char32_t code) { return code >= 0x10000 ? 2 : 1; }

// The Windows-1252 byte of a character, or nothing.
std::optional<char> ByteOf(char32_t code) {
  if (code < 0x80) return static_cast<char>(code);
  if (code >= 0x10000) return std::nullopt;
  const char16_t unit = static_cast<char16_t>(code);
  const std::optional<std::string> byte = Utf16ToWindows1252(std::u16string_view(&unit, 1));
  if (!byte) return std::nullopt;
  return byte->front();
}

}  // namespace

LineTable::LineTable(std::string_view text) {
  size_t start = 0;
  for (size_t k = 0; k < text.size(); ++k) {
    if (text[k] != '\n' && text[k] != '\r') continue;
    starts_.push_back(start);
    ends_.push_back(k);
    if (text[k] == '\r' && k + 1 < text.size() && text[k + 1] == '\n') ++k;
    start = k + 1;
  }
  starts_.push_back(start);
  ends_.push_back(text.size());
}

std::string_view LineTable::Line(std::string_view text, int line) const {
  if (line < 0 || line >= line_count()) return {};
  const size_t k = static_cast<size_t>(line);
  return text.substr(starts_[k], ends_[k] - starts_[k]);
}

std::optional<size_t> OffsetOf(std::string_view text, const LineTable& lines, TextPosition position) {
  if (position.line < 0 || position.line >= lines.line_count() || position.character < 0) return std::nullopt;
  const std::string_view line = lines.Line(text, position.line);
  const size_t start = lines.LineStart(position.line);
  size_t at = 0;
  int units = 0;
  while (at < line.size()) {
    const Decoded c = DecodeAt(line, at);
    if (units + Utf16Units(c.code) > position.character) break;
    units += Utf16Units(c.code);
    at += c.length;
  }
  return start + at;
}

TextPosition PositionOfCharacter(std::string_view text, const LineTable& lines, int line, int column) {
  if (line >= lines.line_count()) return EndOf(text, lines);
  if (line < 0) return {};
  const std::string_view bytes = lines.Line(text, line);
  size_t at = 0;
  int units = 0;
  for (int k = 0; k < column && at < bytes.size(); ++k) {
    const Decoded c = DecodeAt(bytes, at);
    units += Utf16Units(c.code);
    at += c.length;
  }
  return {line, units};
}

TextPosition PositionOfLineByte(std::string_view text, const LineTable& lines, int line, size_t byte) {
  const std::string_view bytes = lines.Line(text, line);
  int characters = 0;
  for (size_t at = 0; at < bytes.size() && at < byte;) {
    at += DecodeAt(bytes, at).length;
    ++characters;
  }
  return PositionOfCharacter(text, lines, line, characters);
}

int CharacterOf(std::string_view text, const LineTable& lines, TextPosition position) {
  const std::string_view bytes = lines.Line(text, position.line);
  size_t at = 0;
  int units = 0;
  int characters = 0;
  while (at < bytes.size()) {
    const Decoded c = DecodeAt(bytes, at);
    if (units + Utf16Units(c.code) > position.character) break;
    units += Utf16Units(c.code);
    at += c.length;
    ++characters;
  }
  return characters;
}

TextPosition EndOf(std::string_view text, const LineTable& lines) {
  const int last = lines.line_count() - 1;
  return PositionOfCharacter(text, lines, last, static_cast<int>(lines.Line(text, last).size()));
}

std::string ToWindows1252(std::string_view utf8, std::vector<UnencodableCharacter>* unencodable) {
  std::string bytes;
  bytes.reserve(utf8.size());
  int line = 0;
  int column = 0;
  for (size_t at = 0; at < utf8.size();) {
    const Decoded c = DecodeAt(utf8, at);
    at += c.length;
    if (c.code == '\n' || c.code == '\r') {
      bytes.push_back(static_cast<char>(c.code));
      // CR LF is one line end.
      if (c.code == '\r' && at < utf8.size() && utf8[at] == '\n') {
        bytes.push_back('\n');
        ++at;
      }
      ++line;
      column = 0;
      continue;
    }
    const std::optional<char> byte = ByteOf(c.code);
    if (byte) {
      bytes.push_back(*byte);
    } else {
      bytes.push_back('?');
      if (unencodable) unencodable->push_back({line, column, c.code});
    }
    ++column;
  }
  return bytes;
}

std::string CodePointName(char32_t code) {
  char name[16];
  std::snprintf(name, sizeof name, "U+%04X", static_cast<unsigned>(code));
  return name;
}

}  // namespace scenario::lsp
