#include "platform/window/console_text.h"

#include <iostream>

#include "encoding/windows_1252.h"

namespace scenario {

namespace {

// The length of the UTF-8 sequence `lead` starts and the range its second
// byte must be in (the later ones are always 0x80..0xBF); length 0 when
// `lead` starts none. Overlong forms, surrogates and code points past
// U+10FFFF are not well-formed.
struct SequenceStart {
  int length = 0;
  unsigned char second_low = 0x80;
  unsigned char second_high = 0xBF;
};

SequenceStart StartOf(unsigned char lead) {
  if (lead >= 0xC2 && lead <= 0xDF) return {2};
  if (lead == 0xE0) return {3, 0xA0, 0xBF};
  if (lead == 0xED) return {3, 0x80, 0x9F};
  if (lead >= 0xE1 && lead <= 0xEF) return {3};
  if (lead == 0xF0) return {4, 0x90, 0xBF};
  if (lead >= 0xF1 && lead <= 0xF3) return {4};
  if (lead == 0xF4) return {4, 0x80, 0x8F};
  return {};
}

void AppendCodePoint(std::u16string* text, char32_t code) {
  if (code < 0x10000) {
    text->push_back(static_cast<char16_t>(code));
  } else {
    code -= 0x10000;
    text->push_back(static_cast<char16_t>(0xD800 + (code >> 10)));
    text->push_back(static_cast<char16_t>(0xDC00 + (code & 0x3FF)));
  }
}

}  // namespace

std::u16string ConsoleTextDecoder::Decode(std::string_view bytes) {
  const std::string data = held_ + std::string(bytes);
  held_.clear();
  std::u16string text;
  text.reserve(data.size());
  size_t k = 0;
  while (k < data.size()) {
    const auto lead = static_cast<unsigned char>(data[k]);
    const SequenceStart start = StartOf(lead);
    if (start.length == 0) {
      text += Windows1252ToUtf16(data.substr(k, 1));
      ++k;
      continue;
    }
    int valid = 1;  // bytes of the sequence that fit it so far
    char32_t code = lead & (0xFF >> (start.length + 1));
    while (valid < start.length && k + valid < data.size()) {
      const auto next = static_cast<unsigned char>(data[k + valid]);
      const unsigned char low = valid == 1 ? start.second_low : 0x80;
      const unsigned char high = valid == 1 ? start.second_high : 0xBF;
      if (next < low || next > high) break;
      code = (code << 6) | (next & 0x3F);
      ++valid;
    }
    if (valid == start.length) {
      AppendCodePoint(&text, code);
      k += valid;
    } else if (k + valid == data.size()) {
      held_ = data.substr(k);  // cut off: the rest may come with the next piece
      break;
    } else {
      text += Windows1252ToUtf16(data.substr(k, 1));
      ++k;
    }
  }
  return text;
}

std::u16string ConsoleTextDecoder::Finish() {
  std::u16string text = Windows1252ToUtf16(held_);
  held_.clear();
  return text;
}

namespace {

std::string Utf8Of(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t k = 0; k < text.size(); ++k) {
    char32_t code = text[k];
    if (code >= 0xD800 && code <= 0xDBFF && k + 1 < text.size() && text[k + 1] >= 0xDC00 && text[k + 1] <= 0xDFFF) {
      code = 0x10000 + ((code - 0xD800) << 10) + (text[k + 1] - 0xDC00);
      ++k;
    }
    if (code < 0x80) {
      out.push_back(static_cast<char>(code));
    } else if (code < 0x800) {
      out.push_back(static_cast<char>(0xC0 | (code >> 6)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else if (code < 0x10000) {
      out.push_back(static_cast<char>(0xE0 | (code >> 12)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    } else {
      out.push_back(static_cast<char>(0xF0 | (code >> 18)));
      out.push_back(static_cast<char>(0x80 | ((code >> 12) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | ((code >> 6) & 0x3F)));
      out.push_back(static_cast<char>(0x80 | (code & 0x3F)));
    }
  }
  return out;
}

}  // namespace

std::string Utf8TextEncoder::Encode(std::string_view bytes) { return Utf8Of(decoder_.Decode(bytes)); }

std::string Utf8TextEncoder::Finish() { return Utf8Of(decoder_.Finish()); }

void ShowOnStandardError(std::string_view line) { std::cerr << line << '\n' << std::flush; }

}  // namespace scenario
