#include "tools/text_encoding.h"

#include <cstdio>

namespace scenario::tool {

namespace {

void AppendLatin1(std::string* out, unsigned char byte) {
  if (byte < 0x80) {
    out->push_back(static_cast<char>(byte));
  } else {
    out->push_back(static_cast<char>(0xC0 | (byte >> 6)));
    out->push_back(static_cast<char>(0x80 | (byte & 0x3F)));
  }
}

bool IsControl(unsigned char byte) { return byte < 0x20 || byte == 0x7F; }

}  // namespace

std::string Latin1ToUtf8(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) AppendLatin1(&out, static_cast<unsigned char>(c));
  return out;
}

std::string PrintableText(std::string_view bytes) {
  std::string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto byte = static_cast<unsigned char>(c);
    if (IsControl(byte) || byte == '\\') {
      char escaped[8];
      std::snprintf(escaped, sizeof escaped, "\\x%02X", byte);
      out += escaped;
    } else {
      AppendLatin1(&out, byte);
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
          AppendLatin1(&out, byte);
    }
  }
  return out;
}

}  // namespace scenario::tool
