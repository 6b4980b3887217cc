// The substring tests by which the readers recognise a line from its keyword
// field.
#pragma once

#include <string_view>

namespace scenario {

// Whether `part` occurs in `text`, letter for letter.
inline bool Contains(std::string_view text, std::string_view part) {
  return text.find(part) != std::string_view::npos;
}

// Whether `part`, given in lower case, occurs in `text` with the letters A to
// Z of `text` taken as lower case.
inline bool ContainsIgnoringCase(std::string_view text, std::string_view part) {
  auto lower = [](char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; };
  if (part.size() > text.size()) return false;
  for (size_t start = 0; start + part.size() <= text.size(); ++start) {
    size_t matched = 0;
    while (matched < part.size() && lower(text[start + matched]) == part[matched]) ++matched;
    if (matched == part.size()) return true;
  }
  return false;
}

}  // namespace scenario
