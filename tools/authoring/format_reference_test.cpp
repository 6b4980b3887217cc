// The authors' reference (docs/format.md) against the readers and the error
// numbers it describes: every keyword it lists is read with the number of
// values it gives, every error number the compiler records has its row, and
// the example scenario it prints compiles with no error.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <filesystem>
#include <map>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/keyword_table.h"
#include "compiler/fields/reading_observer.h"
#include "platform/files/real_file_system.h"
#include "tests/support/temp_dir.h"
#include "tools/authoring/author_compile.h"
#include "tools/authoring/error_messages.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;
using scenario::testing_support::WriteWholeFile;

const fs::path kReference = FORMAT_REFERENCE_PATH;
const fs::path kReadme = README_PATH;
const std::string kLineFile = "Valle_linea.txt";
const std::string kTrainFile = "Valle_42-.txt";

std::string Trim(const std::string& text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string::npos) return "";
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = text.find('\n', start);
    if (end == std::string::npos) end = text.size();
    lines.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  return lines;
}

// The lines of the part of the reference under "## <title>", up to the next
// part.
std::vector<std::string> Part(const std::vector<std::string>& lines, const std::string& title) {
  std::vector<std::string> part;
  bool inside = false;
  for (const std::string& line : lines) {
    if (StartsWith(line, "## ")) {
      inside = line == "## " + title;
      continue;
    }
    if (inside) part.push_back(line);
  }
  return part;
}

// The cells of a table row, trimmed; empty for a line that is no row.
std::vector<std::string> Cells(const std::string& line) {
  std::vector<std::string> cells;
  if (!StartsWith(line, "|")) return cells;
  size_t start = 1;
  for (size_t bar = line.find('|', start); bar != std::string::npos; bar = line.find('|', start)) {
    cells.push_back(Trim(line.substr(start, bar - start)));
    start = bar + 1;
  }
  return cells;
}

bool IsDividerRow(const std::vector<std::string>& cells) {
  return !cells.empty() && cells[0].find_first_not_of("-:") == std::string::npos;
}

// The text between the first pair of backticks.
std::optional<std::string> FirstCode(const std::string& text) {
  const size_t open = text.find('`');
  if (open == std::string::npos) return std::nullopt;
  const size_t close = text.find('`', open + 1);
  if (close == std::string::npos) return std::nullopt;
  return text.substr(open + 1, close - open - 1);
}

// The whole number a cell begins with.
std::optional<int> LeadingNumber(const std::string& cell) {
  size_t digits = 0;
  while (digits < cell.size() && std::isdigit(static_cast<unsigned char>(cell[digits]))) ++digits;
  if (digits == 0) return std::nullopt;
  return std::stoi(cell.substr(0, digits));
}

class Reference {
 public:
  Reference() : lines_(SplitLines(ReadWholeFile(kReference))) {}
  const std::vector<std::string>& lines() const { return lines_; }

  // The two files of the complete example, each as its lines.
  std::map<std::string, std::vector<std::string>> ExampleFiles() const {
    std::map<std::string, std::vector<std::string>> files;
    std::string name;
    std::vector<std::string>* block = nullptr;
    for (const std::string& line : Part(lines_, "A complete example")) {
      if (StartsWith(line, "```")) {
        block = block == nullptr ? &files[name] : nullptr;
        continue;
      }
      if (block != nullptr) {
        block->push_back(line);
      } else if (std::optional<std::string> code = FirstCode(line); code && !Trim(line).empty() &&
                                                                    Trim(line).back() == ':') {
        name = *code;
      }
    }
    return files;
  }

 private:
  std::vector<std::string> lines_;
};

struct KeywordRow {
  std::string keyword;  // as written in the example
  int values = 0;
  std::string file;     // which example file it belongs to
};

// The rows of the keyword tables, with the file each table is about.
std::vector<KeywordRow> KeywordRows(const Reference& reference) {
  std::vector<KeywordRow> rows;
  std::string file;
  constexpr size_t kNoTable = std::string::npos;
  size_t values_column = kNoTable;  // in the table being read
  for (const std::string& line : Part(reference.lines(), "Keywords at a glance")) {
    if (StartsWith(line, "Line description")) file = kLineFile;
    if (StartsWith(line, "Train service")) file = kTrainFile;
    const std::vector<std::string> cells = Cells(line);
    if (cells.empty()) {
      values_column = kNoTable;
      continue;
    }
    if (values_column == kNoTable) {  // the heading row
      values_column = static_cast<size_t>(std::find(cells.begin(), cells.end(), "Values") - cells.begin());
      continue;
    }
    if (IsDividerRow(cells)) continue;
    KeywordRow row;
    row.keyword = FirstCode(cells[0]).value_or("");
    row.values = values_column < cells.size() ? LeadingNumber(cells[values_column]).value_or(0) : 0;
    row.file = file;
    rows.push_back(row);
  }
  return rows;
}

// The error table: number and the text of its position column.
std::map<int, std::string> ErrorRows(const Reference& reference) {
  std::map<int, std::string> rows;
  size_t position_column = std::string::npos;
  for (const std::string& line : Part(reference.lines(), "Error numbers")) {
    const std::vector<std::string> cells = Cells(line);
    if (cells.empty()) continue;
    if (cells[0] == "Number") {
      position_column = static_cast<size_t>(std::find(cells.begin(), cells.end(), "Position") - cells.begin());
      continue;
    }
    if (IsDividerRow(cells) || position_column >= cells.size()) continue;
    if (std::optional<int> number = LeadingNumber(cells[0])) rows[*number] = cells[position_column];
  }
  return rows;
}

// Every number the compiler records or shows.
std::set<int> KnownErrorNumbers() {
  std::set<int> numbers;
  for (const ErrorNumber& entry : kErrorNumbers) numbers.insert(entry.numero);
  return numbers;
}

std::string WithCrLf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// Compiles the two texts as the example's files; returns the report.
CompileReport CompileTexts(const std::string& line_text, const std::string& train_text) {
  TempDir dir;
  WriteWholeFile(dir.path() / kLineFile, line_text);
  WriteWholeFile(dir.path() / kTrainFile, train_text);
  CompileRequest request;
  request.line_file = (dir.path() / kLineFile).string();
  request.train_file = (dir.path() / kTrainFile).string();
  request.output_directory = (dir.path() / "out").string();
  RealFileSystem files;
  return RunCompile(request, files);
}

TEST(FormatReference, TheCompleteExampleCompilesWithNoError) {
  const auto files = Reference().ExampleFiles();
  ASSERT_EQ(files.count(kLineFile), 1u);
  ASSERT_EQ(files.count(kTrainFile), 1u);
  const CompileReport report = CompileTexts(WithCrLf(files.at(kLineFile)), WithCrLf(files.at(kTrainFile)));
  EXPECT_EQ(report.codice_errore, 0) << ErrorText(report.codice_errore);
  EXPECT_FALSE(report.stopped_with.has_value());
  EXPECT_EQ(report.files_written.size(), 3u);
}

// Each worked example line under a keyword stands in the complete example,
// so each one has been compiled.
TEST(FormatReference, EveryExampleLineIsPartOfTheCompleteExample) {
  const Reference reference;
  const auto files = reference.ExampleFiles();
  for (const auto& [title, file] : {std::pair{"The line description", kLineFile},
                                    std::pair{"The train service", kTrainFile}}) {
    const std::vector<std::string>& example = files.at(file);
    int shown = 0;
    for (const std::string& line : Part(reference.lines(), title)) {
      if (!StartsWith(line, "    ") || Trim(line).empty()) continue;
      ++shown;
      EXPECT_NE(std::find(example.begin(), example.end(), line.substr(4)), example.end())
          << "'" << line.substr(4) << "' under \"" << title << "\" is not a line of " << file;
    }
    EXPECT_GT(shown, 0) << title;
  }
}

// Where each value of a source line begins (offsets into the line), each
// read as a number when it is one, else as a text.
std::vector<size_t> ValueStarts(const std::string& line) {
  std::vector<size_t> starts;
  FieldStream fields(line);
  fields.ReadText();  // the keyword
  while (!fields.AtEnd()) {
    FieldStream as_number = fields;
    try {
      as_number.ReadLong();
      fields = as_number;
    } catch (const std::exception&) {
      fields.ReadText();
    }
    starts.push_back(static_cast<size_t>(fields.last_field().column - 1));
  }
  return starts;
}

// The reference's keyword tables hold exactly the readers' keywords, each
// with the number of values the readers' keyword table gives it.
TEST(FormatReference, TheKeywordTablesAreTheReadersKeywords) {
  const std::vector<KeywordRow> rows = KeywordRows(Reference());
  ASSERT_FALSE(AllKeywords().empty());
  for (const KeywordSpec* spec : AllKeywords()) {
    SCOPED_TRACE(spec->keyword);
    const std::string file = spec->file == SourceFile::LineDescription ? kLineFile : kTrainFile;
    auto row = std::find_if(rows.begin(), rows.end(), [&](const KeywordRow& r) { return r.keyword == spec->keyword; });
    ASSERT_NE(row, rows.end()) << "the reference does not list '" << spec->keyword << "'";
    EXPECT_EQ(row->values, static_cast<int>(spec->values.size()));
    EXPECT_EQ(row->file, file);
  }
  for (const KeywordRow& row : rows) {
    EXPECT_TRUE(std::any_of(AllKeywords().begin(), AllKeywords().end(),
                            [&](const KeywordSpec* spec) { return row.keyword == spec->keyword; }))
        << "the reference lists '" << row.keyword << "', which no reader reads";
  }
}

// Each keyword of the readers' table is read with exactly the values the
// table gives. Its example line, ending the file, is cut before the last of
// those values: the reading must fail at the end of the file (25), and say
// how many values the line holds of how many. Cut after them, it must read
// cleanly: one value more would fail the same way.
TEST(FormatReference, EveryKeywordReadsTheNumberOfValuesOfTheReadersTable) {
  const Reference reference;
  const auto files = reference.ExampleFiles();
  for (const KeywordSpec* spec : AllKeywords()) {
    KeywordRow row;
    row.keyword = spec->keyword;
    row.values = static_cast<int>(spec->values.size());
    row.file = spec->file == SourceFile::LineDescription ? kLineFile : kTrainFile;
    SCOPED_TRACE(row.keyword + ", " + std::to_string(row.values) + " values");
    ASSERT_GT(row.values, 0);
    const std::vector<std::string>& example = files.at(row.file);
    size_t at = 0;
    while (at < example.size() && !StartsWith(example[at], row.keyword + ",")) ++at;
    ASSERT_LT(at, example.size()) << "no example line in " << row.file;
    const std::string& line = example[at];
    const std::vector<size_t> starts = ValueStarts(line);
    ASSERT_GE(starts.size(), static_cast<size_t>(row.values)) << "the example line has fewer values: " << line;

    // Cut before a value after another, the line ends on that one's
    // delimiter: blanks after it would read as an empty caption or name. A
    // keyword with one value keeps them, so that the keyword field is not
    // the last field of the file, which is never interpreted.
    std::string short_line = line.substr(0, starts[static_cast<size_t>(row.values) - 1]);
    if (row.values > 1) short_line = Trim(short_line);
    const std::string full_line =
        starts.size() > static_cast<size_t>(row.values) ? Trim(line.substr(0, starts[static_cast<size_t>(row.values)]))
                                                        : line;

    const std::vector<std::string> before(example.begin(), example.begin() + static_cast<long>(at));
    const bool in_line_file = row.file == kLineFile;
    const std::string line_text = WithCrLf(files.at(kLineFile));
    const std::string train_text = WithCrLf(files.at(kTrainFile));
    auto compile_ending_with = [&](const std::string& last) {
      const std::string cut = WithCrLf(before) + last;
      return in_line_file ? CompileTexts(cut, train_text) : CompileTexts(line_text, cut);
    };

    const CompileReport short_report = compile_ending_with(short_line);
    EXPECT_EQ(short_report.codice_errore, 25) << "'" << short_line << "' was read without its last value";
    const std::string told = row.values == 1 ? "holds no value for '" + row.keyword + "'"
                                             : "ends after " + std::to_string(row.values - 1) + " of the " +
                                                   std::to_string(row.values) + " values of '";
    EXPECT_NE(short_report.cause.value_or("").find(told), std::string::npos) << short_report.cause.value_or("");
    const CompileReport full_report = compile_ending_with(full_line);
    EXPECT_EQ(full_report.codice_errore, 0)
        << "'" << full_line << "': " << ErrorText(full_report.codice_errore);
  }
}

// Each number of the compiler's table has its row, whose position column
// agrees with the table: a position where one is stored, "none" where none
// is, "shown" for the numbers that stop the run.
TEST(FormatReference, EveryErrorNumberHasItsRowAndItsPosition) {
  const std::map<int, std::string> rows = ErrorRows(Reference());
  const std::set<int> known = KnownErrorNumbers();
  ASSERT_FALSE(known.empty());
  for (const ErrorNumber& entry : kErrorNumbers) {
    SCOPED_TRACE(entry.numero);
    auto row = rows.find(entry.numero);
    ASSERT_NE(row, rows.end()) << "no row for error " << entry.numero;
    const std::string& position = row->second;
    EXPECT_EQ(StartsWith(position, "shown"), entry.source == ErrorSource::CompileRun) << position;
    if (entry.source != ErrorSource::CompileRun) {
      EXPECT_EQ(position == "none", !entry.has_position) << position;
    }
  }
  for (const auto& [numero, position] : rows)
    EXPECT_EQ(known.count(numero), 1u) << "the reference has a row for " << numero << ", which is no error";
}

// Every kind of warning the readers give has its row in the warnings table;
// the table names no other kind.
TEST(FormatReference, EveryWarningKindHasItsRow) {
  std::set<std::string> listed;
  for (const std::string& line : Part(Reference().lines(), "Warnings")) {
    const std::vector<std::string> cells = Cells(line);
    if (cells.empty() || IsDividerRow(cells)) continue;
    if (std::optional<std::string> kind = FirstCode(cells[0])) listed.insert(*kind);
  }
  std::set<std::string> kinds;
  // The kinds are numbered from 0; every one has its name.
  for (int i = 0;; ++i) {
    const std::string name = WarningKindName(static_cast<WarningKind>(i));
    if (name == "unknown") break;
    kinds.insert(name);
  }
  ASSERT_FALSE(kinds.empty());
  for (const std::string& kind : kinds) EXPECT_EQ(listed.count(kind), 1u) << "no row for the warning " << kind;
  for (const std::string& kind : listed) EXPECT_EQ(kinds.count(kind), 1u) << kind << " is no kind of warning";
}

TEST(FormatReference, TheReadmeAndTheToolsHelpPointToIt) {
  EXPECT_NE(ReadWholeFile(kReadme).find("(docs/format.md)"), std::string::npos);
  const testing_support::ToolRun help = testing_support::RunTool({"--help"});
  EXPECT_EQ(help.status, 0);
  EXPECT_NE(help.out.find("docs/format.md"), std::string::npos) << help.out;
}

}  // namespace
}  // namespace scenario::tool
