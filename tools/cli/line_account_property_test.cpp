// Every tool that shows a line shows what the compile made of it. Over
// made-up scenarios of both generators, for every line the reading came to:
// - the values the compile read for the line are the values `dump` reads
//   back from the compiled files, in the cells and records the line wrote
//   and left as they stay, unless a warning on the line tells why not;
// - the hover names the keyword as the readers took it, and each value as
//   read;
// - the outline gives metres to the items that stand at a place, and to
//   nothing else;
// - the viewer's source rows give each value to a line that wrote it, and
//   that line read the value the row shows;
// - the editor's own reading of a line (for lines it has not compiled yet)
//   takes the keyword the readers take.
// SCENARIO_ACCOUNT_SCENARIOS sets how many scenarios (half the round
// trip's when unset: 200, fewer under the sanitizers).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>
#include <map>
#include <sstream>
#include <variant>

#include "encoding/text_encoding.h"
#include "platform/files/memory_file_system.h"
#include "tests/support/scenario_generator.h"
#include "tests/support/tool_compile.h"
#include "tools/authoring/author_compile.h"
#include "tools/lsp/source_features.h"
#include "tools/lsp/source_lines.h"
#include "tools/readback/author_units.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/viewer/view_data.h"

namespace scenario::tool {
namespace {

using testing_support::GeneratedScenario;

int ScenarioCount() {
  const char* given = std::getenv("SCENARIO_ACCOUNT_SCENARIOS");
  return given != nullptr ? std::atoi(given) : SCENARIO_ROUND_TRIP_SCENARIOS / 2;
}

bool Has(const std::vector<size_t>& list, size_t k) { return std::find(list.begin(), list.end(), k) != list.end(); }

// What the checks found, by kind, with the first few cases of each.
struct Findings {
  std::map<std::string, int> counts;
  std::map<std::string, std::vector<std::string>> examples;
  void Add(const std::string& kind, const std::string& example) {
    ++counts[kind];
    if (examples[kind].size() < 4) examples[kind].push_back(example);
  }
  int Total() const {
    int total = 0;
    for (const auto& [kind, count] : counts) total += count;
    return total;
  }
  std::string Text() const {
    std::ostringstream out;
    for (const auto& [kind, count] : counts) {
      out << kind << ": " << count << "\n";
      for (const std::string& example : examples.at(kind)) out << "    " << example << "\n";
    }
    return out.str();
  }
};

// A made-up scenario compiled as `compile` compiles it, with the account of
// its lines, and its compiled files read back as `dump` reads them.
struct Compiled : testing_support::ToolCompiled {
  GeneratedScenario scenario;
  std::vector<rec_stazione> stazioni;  // read back
  std::vector<rec_cella> percorso;     // read back
};

Compiled CompileWithAccount(const GeneratedScenario& scenario) {
  Compiled compiled;
  static_cast<testing_support::ToolCompiled&>(compiled) = testing_support::CompileWithTool(scenario, true);
  compiled.scenario = scenario;
  if (!compiled.report.files_written.empty()) {
    MemoryFileSystem files;
    for (const auto& [path, bytes] : compiled.written) files.files[path] = bytes;
    CompiledScenario written = SortCompiledFiles(compiled.report.files_written);
    LoadCompiledScenario(files, &written);
    compiled.stazioni = std::move(written.stazioni);
    compiled.percorso = std::move(written.percorso);
  }
  return compiled;
}

std::string Where(const Compiled& compiled, const LineAccount& account) {
  return compiled.scenario.kind + ": " + account.file.substr(account.file.rfind('/') + 1) + ":" +
         std::to_string(account.line) + " '" + account.keyword + "'";
}

// How a value read back compares with the value read: a value shown as
// stored must be the value read; a place shown as the start of its route
// cell must round to that cell (within half a cell); values made of others
// or not stored are left to the cells' own checks.
enum class Agreement { Same, Differs, NotComparable };

Agreement Compare(const FieldValue& stored, const std::string& note, const AccountValue& read) {
  if (const auto* text = std::get_if<std::string>(&stored))
    return !note.empty() ? Agreement::NotComparable
                         : read.text && *read.text == *text ? Agreement::Same : Agreement::Differs;
  if (read.text) return Agreement::Differs;
  const int64_t number = std::get<int64_t>(stored);
  if (note.empty()) return number == read.number ? Agreement::Same : Agreement::Differs;
  if (note.find("cell begins") != std::string::npos)
    return number - read.number <= 25 && read.number - number <= 25 ? Agreement::Same : Agreement::Differs;
  return Agreement::NotComparable;
}

std::string Shown(const FieldValue& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return "\"" + *text + "\"";
  return std::to_string(std::get<int64_t>(value));
}

std::string Shown(const AccountValue& value) { return value.text ? "\"" + *value.text + "\"" : std::to_string(value.number); }

// A value the item's own rules store otherwise, as the keyword table tells
// (and the hover shows, under "Stored as"): a station's par_2 is stored as
// 0 at the first station and below 600 m.
bool StoredByItsRules(const AccountKeyword& read, const AuthorValue& value) {
  return read.spec == &keyword::kStazione && value.column == 5 && std::holds_alternative<int64_t>(value.value) &&
         std::get<int64_t>(value.value) == 0;
}

// The values `dump` reads back, in the cells and records the line wrote and
// left, that lines of the line's keyword give: each is the value read.
void CompareWithDump(const Compiled& compiled, const LineAccount& account, Findings* findings, int* compared,
                     int* stored_by_rules) {
  if (account.keywords.empty() || compiled.stazioni.empty()) return;
  const AccountKeyword& read = account.keywords.front();
  const auto compare = [&](const std::vector<AuthorValue>& values, const std::string& what) {
    for (const AuthorValue& value : values) {
      if (value.column <= 0 || !KeywordGives(*read.spec, value)) continue;
      const auto given = std::find_if(read.values.begin(), read.values.end(), [&](const AccountValue& v) {
        return v.index == static_cast<size_t>(value.column - 1);
      });
      if (given == read.values.end()) continue;
      const Agreement agreement = Compare(value.value, value.note, *given);
      if (agreement == Agreement::NotComparable) continue;
      ++*compared;
      if (agreement == Agreement::Same || !account.warnings.empty()) continue;
      if (StoredByItsRules(read, value)) {
        ++*stored_by_rules;
        continue;
      }
      findings->Add("a value read differs from the compiled files' with no warning on its line",
                    Where(compiled, account) + ": " + what + " " + value.name + " read " + Shown(*given) +
                        ", compiled " + Shown(value.value));
    }
  };
  const std::vector<RecordRole> roles = RecordRoles(compiled.stazioni);
  for (size_t i : account.records)
    if (!Has(account.records_changed, i) && i < compiled.stazioni.size())
      compare(RecordInSources(roles[i], compiled.stazioni[i]), "record " + std::to_string(i));
  for (size_t k : account.cells)
    if (!Has(account.cells_changed, k) && k < compiled.percorso.size())
      compare(CellInSources(static_cast<int64_t>(k), compiled.percorso[k]), "cell " + std::to_string(k));
}

// The document of one source as the editor holds it, and the compile's
// account of it, as the language server keeps them after a check.
struct EditorView {
  lsp::SourceDocument document;
  lsp::CompiledCells compiled;
  std::string bytes;  // the source as on disk
  lsp::LineTable byte_lines;
};

EditorView ViewOf(const Compiled& compiled, SourceFile file) {
  const bool line = file == SourceFile::LineDescription;
  const std::string& bytes = line ? compiled.scenario.line_description : compiled.scenario.train_service;
  EditorView view{lsp::SourceDocument(file, Windows1252ToUtf8(bytes)), {}, bytes, lsp::LineTable(bytes)};
  view.compiled.percorso = compiled.model.percorso;
  view.compiled.stazioni = compiled.model.stazioni;
  const std::string& path = line ? compiled.line_file : compiled.train_file;
  for (const LineAccount& account : compiled.report.lines)
    if (account.file == path) view.compiled.lines.push_back(account);
  return view;
}

// The editor's position of a byte column (1-based, Windows-1252) of a line.
lsp::TextPosition PositionOf(const EditorView& view, int line, int column) {
  const std::string_view bytes = view.byte_lines.Line(view.bytes, line - 1);
  const size_t utf8 = Windows1252ToUtf8(bytes.substr(0, static_cast<size_t>(column - 1))).size();
  return lsp::PositionOfLineByte(view.document.text, view.document.lines, line - 1, utf8);
}

bool Contains(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

void CheckEditor(const Compiled& compiled, const EditorView& view, Findings* findings) {
  std::map<int, const lsp::Symbol*> symbols_by_line;
  const std::vector<lsp::Symbol> symbols = lsp::SymbolsOf(view.document, &view.compiled);
  std::vector<const lsp::Symbol*> all;
  for (const lsp::Symbol& symbol : symbols) {
    all.push_back(&symbol);
    for (const lsp::Symbol& child : symbol.children) all.push_back(&child);
  }
  for (const lsp::Symbol* symbol : all) symbols_by_line[symbol->selection.start.line] = symbol;

  for (const LineAccount& account : view.compiled.lines) {
    if (account.keywords.empty()) continue;
    const AccountKeyword& read = account.keywords.front();
    // The editor's own reading of the text takes the keyword the readers took.
    const std::string_view text = view.byte_lines.Line(view.bytes, account.line - 1);
    const lsp::LineFields fields = lsp::ReadLineFields(Windows1252ToUtf8(text), view.document.file);
    if (fields.spec != read.spec && account.column == 1)
      findings->Add("the editor's reading of a line takes another keyword than the readers",
                    Where(compiled, account) + ": editor " + (fields.spec ? fields.spec->keyword : "none") +
                        ", readers " + read.spec->keyword);

    // The hover of the keyword says what the readers made of it.
    const std::optional<lsp::HoverText> hover =
        lsp::HoverAt(view.document, PositionOf(view, account.line, account.column), &view.compiled);
    if (!hover) {
      findings->Add("no hover on a keyword the readers read", Where(compiled, account));
    } else {
      if (!read.meaning.empty() && !Contains(hover->markdown, read.meaning))
        findings->Add("the hover does not say what the keyword was read as",
                      Where(compiled, account) + ": " + read.meaning);
      if (!Contains(hover->markdown, std::string("under `[") + read.spec->section + "]`"))
        findings->Add("the hover names another keyword's section", Where(compiled, account));
    }
    // The hover of each value says the value read.
    for (const AccountValue& value : read.values) {
      // A value the line gives on the next line, or an empty text, which
      // has nothing to hover over.
      if (value.line != account.line || (value.text && value.text->empty())) continue;
      const std::optional<lsp::HoverText> on_value =
          lsp::HoverAt(view.document, PositionOf(view, value.line, value.column), &view.compiled);
      const std::string says = "Read: " + (value.text ? "\"" + Windows1252ToUtf8(*value.text) + "\""
                                                      : std::to_string(value.number));
      if (!on_value || !Contains(on_value->markdown, says) ||
          !Contains(on_value->markdown, "**" + std::string(value.spec->name) + "**"))
        findings->Add("the hover of a value does not give the value read",
                      Where(compiled, account) + ": value " + std::to_string(value.index + 1) + " " + says);
    }

    // The outline gives metres to an item at a place, and to nothing else.
    const auto symbol = symbols_by_line.find(account.line - 1);
    if (symbol == symbols_by_line.end()) {
      findings->Add("a line the readers read has no place in the outline", Where(compiled, account));
      continue;
    }
    const std::string& name = symbol->second->name;
    const bool named_at = Contains(name, " at ") && name.ends_with(" m");
    const bool placed = read.spec->first == FirstValue::Place;
    if (!placed && named_at) findings->Add("the outline gives metres to a setting", Where(compiled, account) + ": " + name);
    if (placed && read.spec != &keyword::kStazione && account.metres &&
        name != Windows1252ToUtf8(account.keyword) + " at " + std::to_string(*account.metres) + " m")
      findings->Add("the outline gives an item another place than the one read",
                    Where(compiled, account) + ": " + name);
  }
}

// The viewer's rows give each value to a line that wrote its cell or record
// with a keyword that gives it, and that line read the value shown.
void CheckViewer(const Compiled& compiled, Findings* findings) {
  if (compiled.stazioni.empty() || compiled.percorso.empty()) return;
  CompiledScenario scenario;
  scenario.stazioni = compiled.stazioni;
  scenario.percorso = compiled.percorso;
  const Json data = ViewData(scenario, {}, &compiled.report.lines);
  std::map<std::pair<std::string, int>, const LineAccount*> by_line;
  for (const LineAccount& account : compiled.report.lines) by_line.emplace(std::make_pair(account.file, account.line), &account);
  const auto check = [&](const Json& rows, size_t index, bool record) {
    for (const Json& row : rows) {
      if (!row.contains("line")) continue;
      const auto found = by_line.find({row["file"].get<std::string>(), row["line"].get<int>()});
      if (found == by_line.end()) {
        findings->Add("the viewer gives a value to a line the reading never came to", row.dump());
        continue;
      }
      const LineAccount& account = *found->second;
      const bool mark = row["keyword"].get<std::string>().starts_with("approach mark");
      const std::vector<size_t>& wrote = record ? account.records : mark ? account.marks : account.cells;
      if (!Has(wrote, index))
        findings->Add("the viewer gives a value to a line that did not write it",
                      Where(compiled, account) + ": " + (record ? "record " : "cell ") + std::to_string(index));
      const int column = row["column"].get<int>();
      if (column <= 0 || account.keywords.empty() || Has(record ? account.records_changed : account.cells_changed, index))
        continue;
      for (const AccountValue& value : account.keywords.front().values) {
        if (value.index != static_cast<size_t>(column - 1)) continue;
        const Json& shown = row["value"];
        AccountValue as_shown = value;
        if (as_shown.text) as_shown.text = Windows1252ToUtf8(*value.text);
        const FieldValue stored = shown.is_string() ? FieldValue(shown.get<std::string>()) : FieldValue(shown.get<int64_t>());
        AuthorValue author;
        author.column = column;
        author.value = stored;
        if (Compare(stored, row["note"].get<std::string>(), as_shown) == Agreement::Differs &&
            account.warnings.empty() && !StoredByItsRules(account.keywords.front(), author))
          findings->Add("the viewer shows another value than the line read",
                        Where(compiled, account) + ": " + row["name"].get<std::string>() + " shown " + shown.dump() +
                            ", read " + Shown(value));
      }
    }
  };
  for (const auto& [cell, rows] : data["cell_sources"].items()) check(rows, std::stoul(cell), false);
  const Json& records = data["records"];
  for (size_t i = 0; i < records.size(); ++i) check(records[i]["source_rows"], i, true);
}

TEST(LineAccountProperty, EveryToolShowsALineAsTheCompileReadIt) {
  const int count = ScenarioCount();
  Findings findings;
  int lines = 0, compared = 0, compiled_clean = 0, stored_by_rules = 0;
  for (int n = 0; n < count; ++n) {
    const uint64_t seed = 7000 + static_cast<uint64_t>(n / 2);
    const GeneratedScenario scenario =
        n % 2 == 0 ? testing_support::GenerateScenario(seed) : testing_support::GenerateCrowdedScenario(seed);
    const Compiled compiled = CompileWithAccount(scenario);
    if (compiled.report.codice_errore == 0 && !compiled.report.stopped_with) ++compiled_clean;
    lines += static_cast<int>(compiled.report.lines.size());
    for (const LineAccount& account : compiled.report.lines) CompareWithDump(compiled, account, &findings, &compared, &stored_by_rules);
    CheckEditor(compiled, ViewOf(compiled, SourceFile::LineDescription), &findings);
    CheckEditor(compiled, ViewOf(compiled, SourceFile::TrainService), &findings);
    CheckViewer(compiled, &findings);
  }
  std::cout << count << " scenarios (" << compiled_clean << " without an error), " << lines << " lines, " << compared
            << " values compared with the compiled files (" << stored_by_rules
            << " a station's par_2 stored as 0 by its rules); " << findings.Total() << " disagreements\n"
            << findings.Text();
  EXPECT_GT(compared, count * 20);  // the checks did see the values
  EXPECT_EQ(findings.Total(), 0) << findings.Text();
}

}  // namespace
}  // namespace scenario::tool
