#include "tools/source_encoding.h"

#include "compiler/source_warnings.h"
#include "tools/text_encoding.h"

namespace scenario::tool {

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

std::optional<std::string> Utf8NameWarning(const std::string& what, const std::string& name,
                                           const std::string& origin, bool from_file_name) {
  if (!LooksLikeUtf8(name)) return std::nullopt;
  return what + " '" + name + "', from " + origin +
         ", is written in UTF-8 bytes: the compiled files and their check codes keep these bytes, and the "
         "simulator reads names as Windows-1252, one byte per letter, so it will show '" +
         Windows1252ToUtf8(name) +
         "'; " +
         (from_file_name ? "rename the files with the Windows-1252 letter (one byte), or use plain ASCII letters in the names"
                         : "give it with the Windows-1252 letter (one byte), or in plain ASCII letters");
}

}  // namespace scenario::tool
