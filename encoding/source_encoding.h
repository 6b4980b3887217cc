// What can be seen of the character set a source is saved in before it is
// read: a UTF-16 file cannot be read at all.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario {

// Why the source `path` with the bytes `text` cannot be read, or nothing
// when it can: a file saved as UTF-16 (a byte-order mark FF FE or FE FF, or
// NUL bytes among its first bytes). Windows-1252 text never holds a NUL.
// A UTF-8 byte-order mark is no reason: the readers pass over it.
std::optional<std::string> UnreadableEncoding(const std::string& path, std::string_view text);

}  // namespace scenario
