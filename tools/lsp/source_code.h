// Positions in a source, in one place. The editor counts a position as a
// line and a column of UTF-16 code units in the Unicode text it holds; the
// compiler counts lines and byte columns of the Windows-1252 bytes it
// reads. Every character the code page holds is one byte, so a byte column
// is the number of characters before it on its line: these functions turn
// one count into the other, and the editor's text into the compiler's bytes.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace scenario::lsp {

// A place in a text as the editor counts it: 0-based line, 0-based column in
// UTF-16 code units.
struct TextPosition {
  int line = 0;
  int character = 0;
  bool operator==(const TextPosition&) const = default;
  auto operator<=>(const TextPosition&) const = default;
};

struct TextRange {
  TextPosition start;
  TextPosition end;
  bool operator==(const TextRange&) const = default;
};

// The lines of a text: where each begins and ends (before its line end).
// A line ends at CR LF, LF or CR, as both the editor and the readers count.
class LineTable {
 public:
  explicit LineTable(std::string_view text);
  int line_count() const { return static_cast<int>(starts_.size()); }
  // The bytes of line `line` (0-based) without its line end; empty past the end.
  std::string_view Line(std::string_view text, int line) const;
  size_t LineStart(int line) const { return starts_.at(static_cast<size_t>(line)); }

 private:
  std::vector<size_t> starts_;
  std::vector<size_t> ends_;
};

// The byte offset in the UTF-8 `text` of the editor's `position`; nothing
// when the line lies beyond the text. A column beyond its line's end is
// taken as the line's end, and a column inside a character as its start.
std::optional<size_t> OffsetOf(std::string_view text, const LineTable& lines, TextPosition position);

// The editor's position of the character `column` (0-based, a count of
// characters, which is the compiler's byte column less one) on line `line`
// (0-based) of the UTF-8 `text`. A column beyond the line is its end.
TextPosition PositionOfCharacter(std::string_view text, const LineTable& lines, int line, int column);

// The editor's position of the byte `byte` of line `line` (0-based) of the
// UTF-8 `text`.
TextPosition PositionOfLineByte(std::string_view text, const LineTable& lines, int line, size_t byte);

// The characters before the editor's `position` on its line: the byte
// column less one of that place in the compiler's bytes.
int CharacterOf(std::string_view text, const LineTable& lines, TextPosition position);

// The position just after the last character of the text.
TextPosition EndOf(std::string_view text, const LineTable& lines);

// A character of the editor's text that Windows-1252 cannot hold.
struct UnencodableCharacter {
  int line = 0;       // 0-based
  int column = 0;     // characters before it on its line
  char32_t code = 0;  // the character (U+FFFD for a byte that is no UTF-8)
};

// The editor's text as the compiler reads it: every character as its
// Windows-1252 byte, and each one the code page cannot hold as one '?' (so
// that every later column stays in its place), listed in `unencodable`.
std::string ToWindows1252(std::string_view utf8, std::vector<UnencodableCharacter>* unencodable);

// The code point as the editor would write it: "U+2713".
std::string CodePointName(char32_t code);

}  // namespace scenario::lsp
