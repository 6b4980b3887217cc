#include "tests/support/builtin_line_fixture.h"

#include "sources/line_description.h"

namespace scenario::testing_support {

const std::vector<std::string>& BuiltInLineLines() {
  static const std::vector<std::string> lines = BuiltInLineDescription();
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) {
    text += line;
    text += "\r\n";
  }
  return text;
}

std::string BuiltInLineFileText() { return JoinLines(BuiltInLineLines()); }

}  // namespace scenario::testing_support
