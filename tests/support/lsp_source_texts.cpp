#include "tests/support/lsp_source_texts.h"

#include <stdexcept>

#include "sources/line_description.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"
#include "tools/lsp/source_code.h"
#include "encoding/text_encoding.h"

namespace scenario::testing_support {

using namespace lsp;  // NOLINT: LineTable, the language server's lines of a text

std::string BuiltInLineText() {
  return Windows1252ToUtf8(TextFileBytes(WithEndMarker(BuiltInLineDescription())));
}

std::string BuiltInTrainText() {
  return Windows1252ToUtf8(TextFileBytes(WithEndMarker(BuiltInTrainService())));
}

int LineStartingWith(const std::string& text, const std::string& start) {
  const LineTable lines(text);
  for (int line = 0; line < lines.line_count(); ++line)
    if (lines.Line(text, line).starts_with(start)) return line;
  throw std::logic_error("no line starts with '" + start + "'");
}

std::string WithLine(const std::string& text, int line, const std::string& replacement) {
  const LineTable lines(text);
  std::string changed = text;
  changed.replace(lines.LineStart(line), lines.Line(text, line).size(), replacement);
  return changed;
}

std::string WithLineBefore(const std::string& text, int line, const std::string& inserted) {
  const LineTable lines(text);
  std::string changed = text;
  changed.insert(lines.LineStart(line), inserted + "\r\n");
  return changed;
}

}  // namespace scenario::testing_support
