// One line of a source as the editor sees it while it is written: its
// keyword field, the values after it where they stand, and the section it
// lies in. The readers read the file as one stream of fields; for the
// editor's help a line is read on its own, the way an author writes it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields/keyword_table.h"

namespace scenario::lsp {

// A field's bytes within its line: [start, end).
struct FieldSpan {
  size_t start = 0;
  size_t end = 0;
};

struct LineFields {
  FieldSpan keyword;
  std::string keyword_text;
  // The keyword the readers' first test takes the field for; none for a
  // line no keyword matches.
  const KeywordSpec* spec = nullptr;
  // The values read after the keyword, in order, at most as many as it has.
  std::vector<FieldSpan> values;
  std::vector<std::string> value_texts;
  // A bracketed header: its name, lower case, without brackets.
  std::string header;
  // Where the line's text ends (trailing blanks dropped).
  size_t end = 0;
};

LineFields ReadLineFields(std::string_view line, SourceFile file);

// Which value the place `offset` (bytes into the line) is at: -1 for the
// keyword field, otherwise the index of the value written there or to be
// written next.
int ValueAt(const LineFields& fields, std::string_view line, size_t offset);

// The number a value field holds, when it is a whole number.
bool WholeNumber(std::string_view text, long long* number);

}  // namespace scenario::lsp
