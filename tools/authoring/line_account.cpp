#include "tools/authoring/line_account.h"

#include <algorithm>

#include "tools/authoring/author_compile.h"
#include "tools/authoring/source_writes.h"

namespace scenario::tool {

namespace {

// How far before and after an item's cells the compile's rules place what
// belongs to it (the code changes before a slowdown or a signal).
constexpr size_t kRulesReachBefore = 20;
constexpr size_t kRulesReachAfter = 4;

// Whether a line after `line` is among `writers` too: the lines that
// changed one thing, in the order of the reading.
bool LaterLineWrote(const WritingLines& writers, const WritingLine& line) {
  auto it = std::find(writers.begin(), writers.end(), line);
  return it != writers.end() && it + 1 != writers.end();
}

const WritingLines& WritersOf(const std::vector<WritingLines>& all, size_t k) {
  static const WritingLines kNone;
  return k < all.size() ? all[k] : kNone;
}

void SortUnique(std::vector<size_t>* list) {
  std::sort(list->begin(), list->end());
  list->erase(std::unique(list->begin(), list->end()), list->end());
}

}  // namespace

LineAccounts AccountLines(const WritesTracer& tracer, const CompileReport& report, const ScenarioModel& model,
                          const std::function<std::string(const std::string&)>& author_file) {
  LineAccounts accounts;
  const SourceWrites& writes = tracer.writes();
  const std::vector<rec_cella>& read_cells = tracer.cells_after_reading();
  const auto& read_records = tracer.records_after_reading();
  for (const LineReading& reading : tracer.readings()) {
    LineAccount account;
    account.file = author_file(reading.line.file);
    account.line = reading.at.line;
    account.column = reading.at.column;
    account.keyword = reading.line.keyword;
    for (const KeywordReading& recognised : reading.keywords) {
      AccountKeyword keyword{recognised.spec, KeywordMeaning(*recognised.spec, reading.line.keyword), {}};
      for (const ValueReading& value : recognised.values) {
        if (value.index >= recognised.spec->values.size()) continue;
        keyword.values.push_back(
            {&recognised.spec->values[value.index], value.index, value.at.line, value.at.column, value.number,
             value.text});
      }
      account.keywords.push_back(std::move(keyword));
    }
    if (const AccountKeyword* first = account.keywords.empty() ? nullptr : &account.keywords.front();
        first != nullptr && first->spec->first == FirstValue::Place && !first->values.empty() &&
        first->values.front().index == 0)
      account.metres = first->values.front().number;

    account.cells = reading.cells;
    for (const auto& [k, fields] : reading.steps) account.cells.push_back(k);
    SortUnique(&account.cells);
    account.marks = reading.marks;
    account.records = reading.records;
    // What the line left may be changed by a later line, or after the
    // reading by the cell rules, the markers and the check codes.
    const auto final_cell = [&](size_t k) -> const rec_cella* {
      return k < read_cells.size() && k < model.percorso.size() ? &model.percorso[k] : nullptr;
    };
    for (size_t k : reading.cells)
      if (LaterLineWrote(WritersOf(writes.cell_items, k), reading.line) ||
          (final_cell(k) && !SameItem(read_cells[k], *final_cell(k))))
        account.cells_changed.push_back(k);
    for (const auto& [k, fields] : reading.steps) {
      bool changed = false;
      for (size_t f = 0; f < std::size(kStepFields); ++f)
        if ((fields & (1u << f)) != 0 &&
            (LaterLineWrote(WritersOf(writes.cell_steps[f], k), reading.line) ||
             (final_cell(k) && read_cells[k].*kStepFields[f] != final_cell(k)->*kStepFields[f])))
          changed = true;
      if (changed) account.cells_changed.push_back(k);
    }
    SortUnique(&account.cells_changed);
    // The items the compile's rules placed near the line's own.
    if (!reading.cells.empty()) {
      const auto [low, high] = std::minmax_element(reading.cells.begin(), reading.cells.end());
      const size_t first = *low > kRulesReachBefore ? *low - kRulesReachBefore : 0;
      const size_t last = std::min(*high + kRulesReachAfter + 1, std::min(read_cells.size(), model.percorso.size()));
      for (size_t k = first; k < last; ++k)
        if (!SameItem(read_cells[k], model.percorso[k]) &&
            std::find(reading.cells.begin(), reading.cells.end(), k) == reading.cells.end())
          account.rules_near.push_back(k);
    }
    for (size_t k : reading.marks) {
      const bool after_reading = k < read_cells.size() && k < model.percorso.size() &&
                                 read_cells[k].avviso != model.percorso[k].avviso;
      if (LaterLineWrote(WritersOf(writes.cell_marks, k), reading.line) || after_reading)
        account.marks_changed.push_back(k);
    }
    for (size_t i : reading.records) {
      const bool after_reading = i < read_records.size() && !(read_records[i] == model.stazioni[i]);
      if (LaterLineWrote(WritersOf(writes.records, i), reading.line) || after_reading)
        account.records_changed.push_back(i);
    }
    accounts.push_back(std::move(account));
  }

  // The warnings and the error, on the lines they are told at.
  for (size_t w = 0; w < report.warnings.size(); ++w) {
    const SourcePlace& place = report.warnings[w].place;
    for (LineAccount& account : accounts)
      if (account.file == place.file && account.line == place.line) {
        account.warnings.push_back(w);
        break;
      }
  }
  if (report.place)
    for (LineAccount& account : accounts)
      if (account.file == report.place->file && account.line == report.place->line) account.error = true;
  return accounts;
}

const LineAccount* AccountOf(const LineAccounts& accounts, const std::string& file, int line) {
  // A line whose keyword field is met twice (a text cut at a comma goes on
  // as fields of its own line) is one account: the first.
  for (const LineAccount& account : accounts)
    if (account.line == line && account.file == file) return &account;
  return nullptr;
}

}  // namespace scenario::tool
