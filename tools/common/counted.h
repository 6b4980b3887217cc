// A count with its noun, singular or plural as the number wants: "1 slowdown",
// "2 slowdowns", "0 slowdowns".
#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

// The plural is the noun with "s" added unless given.
inline std::string Counted(long long count, std::string_view noun, std::string_view plural = {}) {
  std::string text = std::to_string(count) + " ";
  if (count == 1 || count == -1) return text.append(noun);
  if (!plural.empty()) return text.append(plural);
  return text.append(noun).append("s");
}

}  // namespace scenario::tool
