// What the tool sees of the character set a source is saved in, before it
// is read: a UTF-16 file cannot be read at all, and a name in UTF-8 bytes
// shows as other letters in the simulator.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario::tool {

// Why the source `path` with the bytes `text` cannot be read, or nothing
// when it can: a file saved as UTF-16 (a byte-order mark FF FE or FE FF, or
// NUL bytes among its first bytes). Windows-1252 text never holds a NUL.
// A UTF-8 byte-order mark is no reason: the readers pass over it.
std::optional<std::string> UnreadableEncoding(const std::string& path, std::string_view text);

// The warning for a line name or train number whose bytes read as UTF-8
// beyond ASCII, or nothing. `what` is "the line name" or "the train number",
// `origin` where it came from ("the file name 'Città_linea.txt'"), a file
// name or an option.
std::optional<std::string> Utf8NameWarning(const std::string& what, const std::string& name,
                                           const std::string& origin, bool from_file_name);

}  // namespace scenario::tool
