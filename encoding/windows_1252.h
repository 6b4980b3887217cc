// Names are bytes inside the system. On Windows those bytes are Windows-1252
// and the file system and the window speak UTF-16: these are the two ways
// between them. Plain code, the same on every system.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario {

// Every byte as its Windows-1252 character. The five bytes the code page
// leaves unassigned (0x81, 0x8D, 0x8F, 0x90, 0x9D) become the control
// characters of the same number, as Windows itself converts them.
std::u16string Windows1252ToUtf16(std::string_view bytes);

// The Windows-1252 bytes of `text`; nothing when it holds a character the
// code page cannot hold (or a lone surrogate).
std::optional<std::string> Utf16ToWindows1252(std::u16string_view text);

// As Utf16ToWindows1252, with '?' for each character the code page cannot
// hold: for texts that are only shown, such as the system's own messages.
std::string Utf16ToWindows1252Shown(std::u16string_view text);

}  // namespace scenario
