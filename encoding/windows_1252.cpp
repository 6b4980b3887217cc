#include "encoding/windows_1252.h"

namespace scenario {

namespace {

// The characters of 0x80..0x9F; the rest of the code page is Latin-1.
constexpr char16_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021,  // 80..87
    0x02C6, 0x2030, 0x0160, 0x2039, 0x0152, 0x008D, 0x017D, 0x008F,  // 88..8F
    0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90..97
    0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,  // 98..9F
};

// The byte of one UTF-16 code unit, or -1 when the code page has none.
int ByteOf(char16_t unit) {
  if (unit < 0x80 || (unit >= 0xA0 && unit <= 0xFF)) return unit;
  for (int k = 0; k < 32; ++k)
    if (kHighControls[k] == unit) return 0x80 + k;
  return -1;
}

}  // namespace

std::u16string Windows1252ToUtf16(std::string_view bytes) {
  std::u16string text;
  text.reserve(bytes.size());
  for (char c : bytes) {
    const unsigned char byte = static_cast<unsigned char>(c);
    text.push_back(byte >= 0x80 && byte < 0xA0 ? kHighControls[byte - 0x80] : char16_t{byte});
  }
  return text;
}

std::optional<std::string> Utf16ToWindows1252(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (char16_t unit : text) {
    const int byte = ByteOf(unit);
    if (byte < 0) return std::nullopt;
    bytes.push_back(static_cast<char>(byte));
  }
  return bytes;
}

std::string Utf16ToWindows1252Shown(std::u16string_view text) {
  std::string bytes;
  bytes.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    const int byte = ByteOf(text[k]);
    bytes.push_back(byte < 0 ? '?' : static_cast<char>(byte));
    // A surrogate pair is one character: one '?'.
    if (text[k] >= 0xD800 && text[k] < 0xDC00 && k + 1 < text.size() && text[k + 1] >= 0xDC00 &&
        text[k + 1] < 0xE000)
      ++k;
  }
  return bytes;
}

}  // namespace scenario
