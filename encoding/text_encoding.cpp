#include "encoding/text_encoding.h"

#include <cstdio>

#include "encoding/windows_1252.h"

namespace scenario {

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

namespace {

// The length of the UTF-8 sequence of two to four bytes at the start of
// `bytes`, or 0 when none stands there.
size_t Utf8SequenceAt(std::string_view bytes) {
  const auto byte = [&](size_t k) { return static_cast<unsigned char>(bytes[k]); };
  size_t length = 0;
  char32_t character = 0;
  if (byte(0) >= 0xC2 && byte(0) <= 0xDF) {
    length = 2;
    character = byte(0) & 0x1F;
  } else if (byte(0) >= 0xE0 && byte(0) <= 0xEF) {
    length = 3;
    character = byte(0) & 0x0F;
  } else if (byte(0) >= 0xF0 && byte(0) <= 0xF4) {
    length = 4;
    character = byte(0) & 0x07;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  for (size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return 0;
    character = (character << 6) | (byte(k) & 0x3F);
  }
  // Overlong forms, surrogates and what lies beyond U+10FFFF are no UTF-8.
  if ((length == 3 && character < 0x800) || (length == 4 && character < 0x10000) || character > 0x10FFFF ||
      (character >= 0xD800 && character <= 0xDFFF))
    return 0;
  return length;
}

}  // namespace

std::string MessageToUtf8(std::string_view message) {
  std::string out;
  out.reserve(message.size());
  for (size_t k = 0; k < message.size();) {
    if (const size_t length = Utf8SequenceAt(message.substr(k))) {
      out.append(message.substr(k, length));
      k += length;
    } else {
      AppendUtf8(&out, CharacterOf(static_cast<unsigned char>(message[k])));
      ++k;
    }
  }
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

bool LooksLikeUtf8(std::string_view text) {
  for (size_t i = 0; i + 1 < text.size(); ++i) {
    const auto lead = static_cast<unsigned char>(text[i]);
    size_t follow = 0;
    if (lead >= 0xC2 && lead <= 0xDF) follow = 1;
    else if (lead >= 0xE0 && lead <= 0xEF) follow = 2;
    else if (lead >= 0xF0 && lead <= 0xF4) follow = 3;
    else continue;
    if (i + follow >= text.size()) continue;
    bool all = true;
    for (size_t k = 1; k <= follow; ++k) {
      const auto next = static_cast<unsigned char>(text[i + k]);
      if (next < 0x80 || next > 0xBF) all = false;
    }
    if (all) return true;
  }
  return false;
}

}  // namespace scenario
