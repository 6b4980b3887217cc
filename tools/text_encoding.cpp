#include "tools/text_encoding.h"

#include <cstdio>

#include "platform/windows_1252.h"

namespace scenario::tool {

namespace {

// The character a byte stands for in Windows-1252.
char32_t CharacterOf(unsigned char byte) {
  const char bytes[1] = {static_cast<char>(byte)};
  return Windows1252ToUtf16(std::string_view(bytes, 1))[0];
}

void AppendUtf8(std::string* out, char32_t character) {
  if (character < 0x80) {
    out->push_back(static_cast<char>(character));
  } else if (character < 0x800) {
    out->push_back(static_cast<char>(0xC0 | (character >> 6)));
    out->push_back(static_cast<char>(0x80 | (character & 0x3F)));
  } else {
    // Every character of the code page lies below U+10000.
    out->push_back(static_cast<char>(0xE0 | (character >> 12)));
    out->push_back(static_cast<char>(0x80 | ((character >> 6) & 0x3F)));
    out->push_back(static_cast<char>(0x80 | (character & 0x3F)));
  }
}

// C0 and C1 control codes, and DEL.
bool IsControl(char32_t character) {
  return character < 0x20 || (character >= 0x7F && character < 0xA0);
}

}  // namespace

std::string Windows1252ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendUtf8(&out, CharacterOf(static_cast<unsigned char>(c)));
  return out;
}

std::string PrintableText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    const char32_t character = CharacterOf(byte);
    if (IsControl(character) || byte == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      AppendUtf8(&out, character);
    }
  }
  return out;
}

std::string XmlText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    switch (byte) {
      case '&': out += "&amp;"; break;
      case '<': out += "&lt;"; break;
      case '>': out += "&gt;"; break;
      case '"': out += "&quot;"; break;
      case '\'': out += "&apos;"; break;
      default:
        if (byte < 0x20 && byte != '\t' && byte != '\n' && byte != '\r')
          out += "\xEF\xBF\xBD";
        else
          AppendUtf8(&out, CharacterOf(byte));
    }
  }
  return out;
}

}  // namespace scenario::tool
