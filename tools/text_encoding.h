// Names and captions in the compiled files are byte strings in the
// simulator's 8-bit code page. For people and for JSON and SVG they are
// shown as UTF-8: every byte is read as the Latin-1 character of that code.
#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

// The bytes read as Latin-1, written as UTF-8. Always valid UTF-8.
std::string Latin1ToUtf8(std::string_view bytes);

// For a terminal: as Latin1ToUtf8, with control characters shown as \xNN.
std::string PrintableText(std::string_view bytes);

// For XML character data and attribute values: as Latin1ToUtf8, with the
// markup characters escaped and the control characters that XML cannot
// carry at all replaced by U+FFFD.
std::string XmlText(std::string_view bytes);

}  // namespace scenario::tool
