// An edit that puts right what a warning or a failure's cause tells of,
// made by the reader that writes the message, beside it: where the bytes to
// replace begin, how far they reach, and what to write there. Tools offer it
// as a fix; nothing reads a fix back out of a message's words.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/fields/field_stream.h"

namespace scenario {

// How far the replaced bytes reach from where they begin.
enum class EditReach : uint8_t {
  Field,    // to the end of the field that begins there (its closing quote, or its last letter before a comma)
  LineEnd,  // to the end of the line, blanks at its end left alone
};

struct SourceEdit {
  // What the edit does, for a menu: "Write 'stazione'".
  std::string title;
  FieldPosition from;
  EditReach reach = EditReach::Field;
  // The text to write, in the source's own bytes.
  std::string replacement;
  bool operator==(const SourceEdit&) const = default;
};

}  // namespace scenario
