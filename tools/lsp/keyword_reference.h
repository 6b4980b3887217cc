// What the authors' reference tells of every keyword, for the editor: what
// the line does, the section it belongs under, and each value's unit, range
// and stored form, beside the value names of the keyword table (which the
// readers use in their messages).
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "compiler/fields/keyword_table.h"

namespace scenario::lsp {

// How a value turns into what the compiled files hold, when the editor can
// tell it from the value alone (or from its line).
enum class Conversion : uint8_t {
  None,
  PointCell,        // a point item: cell round(p / 50 + 1), which begins at 50 × (cell − 1)
  StepCell,         // a step or a section start: first cell round(p / 50)
  SectionEndCell,   // a mountain's end: last cell round(p / 50 − 1)
  SpeedFifths,      // km/h stored as fifths in a byte
  GradientByte,     // per mille stored as gradient + 100 in a byte
  TimetableHours,   // hours, minutes, seconds of one line: (h × 60 + m) × 60 + s
  TimetableMinutes,
  TimetableSeconds,
  IndicatorSpeed,   // vas × 20 + vad / 5
};

struct ValueReference {
  const char* placeholder;  // the snippet's name for it: no comma, no brace
  const char* unit;         // "m", "km/h", "per mille", "%", "h", "min", "s", "text" or ""
  const char* range;        // as the reference gives it
  const char* stored;       // where and how it is stored; "" when it is not
  Conversion conversion;
};

struct KeywordReference {
  const KeywordSpec* spec;
  const char* section;  // the header it belongs under, without brackets
  const char* summary;  // what the line does
  std::span<const ValueReference> values;
};

// Every keyword's entry, in the order of AllKeywords().
std::span<const KeywordReference> KeywordReferences();

// The entry of the keyword that a keyword field stands for in `file`, as
// the readers recognise it; nothing for a field no keyword matches.
const KeywordReference* RecogniseKeyword(SourceFile file, std::string_view field);

// The size of a value in words: "a Long from -2147483648 to 2147483647".
std::string SizeText(ValueKind kind);

}  // namespace scenario::lsp
