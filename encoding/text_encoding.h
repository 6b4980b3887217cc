// Text encodings of both programs: Windows-1252 bytes as UTF-16 and UTF-8,
// UTF-8 runs in messages, UTF-16 sources told apart.
//
// Names and captions in the compiled files are byte strings in the
// simulator's 8-bit code page. For people and for JSON and SVG they are
// shown as UTF-8: every byte is read as the Windows-1252 character of that
// code, the code page the sources are written in.
#pragma once

#include <string>
#include <string_view>

namespace scenario {

// The bytes read as Windows-1252, written as UTF-8. Always valid UTF-8. The
// five bytes the code page leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D)
// become the control characters of the same number, as Windows reads them.
std::string Windows1252ToUtf8(std::string_view bytes);

// For a message that quotes the sources inside the system's own words: the
// runs of bytes that are UTF-8 (the words, and a text saved as UTF-8) stay
// as they are, every other byte is read as Windows-1252. Always valid UTF-8.
std::string MessageToUtf8(std::string_view message);

// For a terminal: as Windows1252ToUtf8, with control characters shown as \xNN.
std::string PrintableText(std::string_view bytes);

// For XML character data and attribute values: as Windows1252ToUtf8, with the
// markup characters escaped and the control characters that XML cannot
// carry at all replaced by U+FFFD.
std::string XmlText(std::string_view bytes);

// Whether `text` holds a sequence of bytes that reads as UTF-8 beyond ASCII.
bool LooksLikeUtf8(std::string_view text);

}  // namespace scenario
