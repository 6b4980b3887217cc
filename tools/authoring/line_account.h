// What the compile made of each line of the sources, told once, where the
// compile reads it: the keyword as written and what the readers took it
// for, each value with its name and the number or text read, the item's
// place when it stands at one, the route cells, approach marks and station
// records the line wrote and which of them a later line or the compile's
// own rules changed, and the warnings and the error that lie on the line.
// Hover, the outline, the viewer and dump read a line here; none of them
// works out what a line means on its own.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fields/keyword_table.h"
#include "model/scenario_model.h"

namespace scenario::tool {

struct CompileReport;
struct LineReading;
class WritesTracer;

// A value of a line: its entry in the keyword table (name, unit, range,
// where it is stored) and what the reader read.
struct AccountValue {
  const ValueSpec* spec = nullptr;
  size_t index = 0;  // 0 for the first value after the keyword
  int line = 0;      // where the value began (a line's values may go on on
  int column = 0;    // the next line after a comma)
  int64_t number = 0;               // a number value
  std::optional<std::string> text;  // a text value, as its bytes stand
};

// A keyword the readers recognised in the line's keyword field. A field
// that several keywords recognise is read once for each of them.
struct AccountKeyword {
  const KeywordSpec* spec = nullptr;
  // What the readers made of the field, in words: "a right curve of class
  // 4"; empty when the field says no more than its keyword's name.
  std::string meaning;
  std::vector<AccountValue> values;
};

struct LineAccount {
  std::string file;  // as the author named it
  int line = 0;
  int column = 0;          // of the keyword field
  std::string keyword;     // the keyword field as written
  std::vector<AccountKeyword> keywords;  // none: a comment, a header or a word no reader knows
  // The place where the item stands or from which it holds, in metres: only
  // for an item that stands at a place, and only once its first value has
  // been read.
  std::optional<int64_t> metres;
  // What the line wrote, in order: route cells (an item, or a step's speed,
  // gradient or adhesion, or a mountain), the approach marks of route
  // cells, records of the station table.
  std::vector<size_t> cells;
  std::vector<size_t> marks;
  std::vector<size_t> records;
  // Of those, the ones that do not end as this line left them: a later
  // line or the compile's rules after the reading changed them.
  std::vector<size_t> cells_changed;
  std::vector<size_t> marks_changed;
  std::vector<size_t> records_changed;
  // Route cells near the line's own items whose items the compile's rules
  // placed or changed after the reading (the code changes before a slowdown
  // or a signal, the markers): what the line's item brought about.
  std::vector<size_t> rules_near;
  // The report's warnings that lie on this line (indexes into its list),
  // and whether its error or the cause of its stop lies here.
  std::vector<size_t> warnings;
  bool error = false;

  // The first keyword the readers recognised; null when none.
  const KeywordSpec* spec() const { return keywords.empty() ? nullptr : keywords.front().spec; }
};

// Every keyword field the reading met, in the order read, in the author's
// file names.
using LineAccounts = std::vector<LineAccount>;

// The accounts of a compile's lines, from what `tracer` saw of the reading,
// the report (its warnings and error, in the author's names; `author_file`
// turns a file the run read into the author's name) and the model as the
// compile left it.
LineAccounts AccountLines(const WritesTracer& tracer, const CompileReport& report, const ScenarioModel& model,
                          const std::function<std::string(const std::string&)>& author_file);

// The account of `line` of `file`; null when the reading never came to it.
const LineAccount* AccountOf(const LineAccounts& accounts, const std::string& file, int line);

}  // namespace scenario::tool
