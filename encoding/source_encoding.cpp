#include "encoding/source_encoding.h"


namespace scenario {

namespace {

// How far into a file a NUL counts as the mark of UTF-16: every other byte
// of its first letters is 0.
constexpr size_t kLookedAtBytes = 512;

constexpr std::string_view kSaveAs =
    "the sources are read as Windows-1252, one byte per letter, and cannot be read from it; save it as "
    "Windows-1252 (\"ANSI\" in Notepad, \"Western European\" in other editors) and compile again";

}  // namespace

std::optional<std::string> UnreadableEncoding(const std::string& path, std::string_view text) {
  const std::string_view start = text.substr(0, 2);
  if (start == "\xFF\xFE" || start == "\xFE\xFF") {
    const char* order = start[0] == '\xFF' ? "UTF-16 little-endian" : "UTF-16 big-endian";
    return "'" + path + "' is saved as " + order + " (Notepad's \"Unicode\"): " + std::string(kSaveAs);
  }
  const size_t nul = text.substr(0, kLookedAtBytes).find('\0');
  if (nul != std::string_view::npos)
    return "'" + path + "' holds a NUL byte at byte " + std::to_string(nul + 1) +
           ": it is saved as UTF-16 (Notepad's \"Unicode\"), or it is no text file; " + std::string(kSaveAs);
  return std::nullopt;
}

}  // namespace scenario
