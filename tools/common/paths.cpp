#include "tools/common/paths.h"

#include "platform/system/system_path.h"

namespace scenario::tool {

namespace {

// The small letter of a Windows-1252 byte, or the byte itself.
unsigned char SmallLetter(unsigned char byte) {
  if (byte >= 'A' && byte <= 'Z') return static_cast<unsigned char>(byte + ('a' - 'A'));
  if (byte >= 0xC0 && byte <= 0xDE && byte != 0xD7) return static_cast<unsigned char>(byte + 0x20);
  switch (byte) {
    case 0x8A: return 0x9A;  // Š
    case 0x8C: return 0x9C;  // Œ
    case 0x8E: return 0x9E;  // Ž
    case 0x9F: return 0xFF;  // Ÿ
    default: return byte;
  }
}

bool SameName(std::string_view a, std::string_view b, bool ignore_case) {
  if (a.size() != b.size()) return false;
  if (!ignore_case) return a == b;
  for (size_t i = 0; i < a.size(); ++i)
    if (SmallLetter(static_cast<unsigned char>(a[i])) != SmallLetter(static_cast<unsigned char>(b[i])))
      return false;
  return true;
}

}  // namespace

std::string BaseName(const std::string& path) { return SystemName(SystemPath(path).filename()); }

bool NameEndsWith(std::string_view name, std::string_view ending, bool ignore_case) {
  return name.size() >= ending.size() && SameName(name.substr(name.size() - ending.size()), ending, ignore_case);
}

bool NameStartsWith(std::string_view name, std::string_view prefix, bool ignore_case) {
  return name.size() >= prefix.size() && SameName(name.substr(0, prefix.size()), prefix, ignore_case);
}

}  // namespace scenario::tool
