// An author's slips, each on one line of the built-in pair as the editor
// holds it: the language server shows each at that line, with the code of
// the error or warning that tells it and, where the warning knows the edit,
// a fix that puts the line right.
#include <gtest/gtest.h>

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/lsp/scenario_server.h"

namespace scenario::lsp {
namespace {

using testing_support::BuiltInLineText;
using testing_support::BuiltInTrainText;
using testing_support::LineStartingWith;
using testing_support::WithLine;

constexpr const char* kLinePath = "/s/Valle_linea.txt";
constexpr const char* kTrainPath = "/s/Valle_42-.txt";

struct SlipCase {
  const char* what;
  bool in_train;            // the slip is made in the train service, else in the line description
  const char* start;        // the line the slip is made on begins with this
  const char* written;      // the line as the slip leaves it
  std::variant<int, std::string> code;
  const char* says;         // a part of the message
  const char* fixed;        // the line once the diagnostic's fix is applied; null when it has none
};

// Line `line` of `text`, without its line end.
std::string LineOf(const std::string& text, int line) {
  size_t start = 0;
  for (int i = 0; i < line; ++i) start = text.find('\n', start) + 1;
  size_t end = text.find('\n', start);
  if (end == std::string::npos) end = text.size();
  if (end > start && text[end - 1] == '\r') --end;
  return text.substr(start, end - start);
}

// `line` with `fix` applied: the fix must lie within the line.
std::optional<std::string> Applied(const std::string& line, int line_number, const TextFix& fix) {
  if (fix.range.start.line != line_number || fix.range.end.line != line_number) return std::nullopt;
  const size_t from = static_cast<size_t>(fix.range.start.character);
  const size_t to = static_cast<size_t>(fix.range.end.character);
  if (from > to || to > line.size()) return std::nullopt;
  return line.substr(0, from) + fix.new_text + line.substr(to);
}

std::string CodeText(const std::variant<int, std::string>& code) {
  return std::holds_alternative<int>(code) ? "error " + std::to_string(std::get<int>(code)) : std::get<std::string>(code);
}

TEST(SlipDiagnostics, EachFindingIsShownAtItsLineWithItsFix) {
  const std::vector<SlipCase> cases = {
      {"a decimal comma", false, "pendenza", "pendenza,   0,    2,2", std::string("value-left-over"),
       "values are whole numbers: '2,2' was read as 2, and 2 was skipped", "pendenza,   0,    2"},
      {"a keyword of the line description in the train service", true, "velocita,      50",
       "pendenza,   14000,    2", std::string("unknown-keyword"),
       "it belongs in the line description, under [pendenze]", nullptr},
      {"a keyword of the train service in the line description", false, "pendenza", "velocita,   0,    30",
       std::string("unknown-keyword"), "it belongs in the train service, under [vel_limite]", nullptr},
      {"a misspelt general header", true, "[generale]", "[generali]", std::string("unknown-keyword"),
       "did you mean '[generale]'?", "[generale]"},
      {"no comma after the keyword", false, "pendenza", "pendenza  0,  -3", std::string("separator"),
       "no comma after the keyword 'pendenza'", "pendenza,  0,  -3"},
      {"a first station's par_2 dropped", true, "stazione,       0",
       "stazione,       0, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO P.N.",
       std::string("value-dropped"), "is stored as 0", nullptr},
      {"a right curve written with a blank", false, "curvad3,  2850", "curva destra 3,  2850,  550",
       std::string("keyword-read"), "is read as 'curvas3', a left curve of class 3", nullptr},
      {"a station line without its name", true, "stazione,    7350",
       "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0", std::string("short-line"),
       "ends after 16 of the 17 values of 'stazione'", nullptr},
      {"a slowdown to 0 km/h", true, "rallentamento,   21850", "rallentamento,   21850,    0,  350, 1,  1,  0",
       std::string("value-range"), "the slowdown's speed v is 0 km/h", nullptr},
      {"a blank after a sign", true, "velocita,      50", "velocita,      - 18,   200", 25,
       "'- 18' has a blank after its sign", "velocita,      -18,   200"},
      {"a time written with colons", true, "velocita,      50", "velocita,      7:11:30,   200", 25,
       "a time is written as three values", nullptr},
      {"a speed and its place swapped", true, "velocita,      50", "velocita,      110,   12000",
       std::string("value-range"), "these two look the wrong way round", nullptr},
  };
  for (const SlipCase& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string path = c.in_train ? kTrainPath : kLinePath;
    const std::string built_in = c.in_train ? BuiltInTrainText() : BuiltInLineText();
    const int line = LineStartingWith(built_in, c.start);
    const std::string text = WithLine(built_in, line, c.written);
    MemoryFileSystem files;
    files.files[c.in_train ? kLinePath : kTrainPath] = c.in_train ? BuiltInLineText() : BuiltInTrainText();
    ScenarioServer server(files);
    server.Open(path, text, 1);
    const std::map<std::string, FileDiagnostics> shown = server.CheckPending();
    const auto file = shown.find(path);
    ASSERT_NE(file, shown.end());
    const SourceDiagnostic* found = nullptr;
    std::string all;
    for (const SourceDiagnostic& diagnostic : file->second.diagnostics) {
      all += "  line " + std::to_string(diagnostic.range.start.line) + " " + CodeText(diagnostic.code) + ": " +
             diagnostic.message + (diagnostic.fixes.empty() ? "" : " [fix: " + diagnostic.fixes.front().new_text + "]") +
             "\n";
      if (found == nullptr && diagnostic.range.start.line == line && diagnostic.code == c.code &&
          diagnostic.message.find(c.says) != std::string::npos)
        found = &diagnostic;
    }
    ASSERT_NE(found, nullptr) << "no " << CodeText(c.code) << " at line " << line << " saying \"" << c.says
                              << "\"; shown:\n" << all;
    if (c.fixed == nullptr) continue;
    ASSERT_FALSE(found->fixes.empty()) << found->message;
    const std::optional<std::string> mended = Applied(LineOf(text, line), line, found->fixes.front());
    ASSERT_TRUE(mended) << "the fix lies outside line " << line;
    EXPECT_EQ(*mended, c.fixed) << found->fixes.front().title;
  }
}

}  // namespace
}  // namespace scenario::lsp
