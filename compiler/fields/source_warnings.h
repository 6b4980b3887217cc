// The warnings of one source while it is read: what its keywords and section
// headers are, which section the reading is in, and what was warned about on
// which line. A reader makes one only when an observer listens.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/reading_observer.h"
#include "model/scenario_model.h"

namespace scenario {

// The words of one source, as an author writes them.
struct SourceVocabulary {
  // What the file is called in a message: "the line description".
  const char* file_title;
  // Every keyword as written, lower case.
  std::span<const char* const> keywords;
  // Every section header name, without its brackets.
  std::span<const char* const> headers;
};

const SourceVocabulary& LineVocabulary();
const SourceVocabulary& TrainVocabulary();

// The keyword of `keywords` closest to `field` (letter case ignored), when
// one is close enough to be the one meant; empty otherwise.
std::string ClosestKeyword(std::string_view field, std::span<const char* const> keywords);

// The name inside a bracketed header field, lower case; empty when the field
// is no header.
std::string HeaderName(std::string_view field);

class SourceWarnings {
 public:
  SourceWarnings(ReadingObserver& observer, std::string file, const SourceVocabulary& vocabulary)
      : observer_(observer), file_(std::move(file)), vocabulary_(vocabulary) {}

  void Warn(FieldPosition at, WarningKind kind, std::string message, std::optional<SourceEdit> fix = std::nullopt);
  bool WarnedOnLine(int line) const { return line > 0 && line == last_warned_line_; }

  // Every keyword field as it is read from `stream`, comments included: the
  // rest of a text cut at a comma shows here as a field on the text's own
  // line.
  void KeywordRead(std::string_view field, const FieldStream& stream);
  // A caption or a station name as read (`what` says which).
  void TextRead(std::string_view what, std::string_view text, const TextShape& shape);
  // A comment field read as a keyword field: `passed` comments in a row
  // before it were passed over.
  void CommentTaken(std::string_view field, FieldPosition at, int passed);

  // A field before [generale], which the reading passes over: a header
  // written for [generale] and misspelt is told at its line. True when
  // told.
  bool GeneralMisspelt(std::string_view field, FieldPosition at);
  // A keyword field that no test recognised: a section header, a value left
  // over, a misspelt keyword.
  void Unrecognised(std::string_view field, FieldPosition at);
  // A keyword field that a test recognised as `keyword`, whose lines belong
  // under the header `section`.
  void Recognised(std::string_view keyword, std::string_view section, FieldPosition at);
  // The values of `spec`'s line are read next.
  void LineValues(const KeywordSpec& spec) {
    line_spec_ = &spec;
    line_numbers_.clear();
  }
  // Value `index` of that line, a number, was read at `at`: a place that
  // reads like kilometres, a curve shorter than a route cell, two values
  // that look the wrong way round.
  void NumberRead(size_t index, FieldPosition at, int64_t number);
  // A value that fits its field but lies outside `low` to `high`, the range
  // in which it means `meaning`.
  void OutsideRange(FieldPosition at, const std::string& what, int64_t value, int64_t low, int64_t high,
                    const std::string& meaning);
  // A keyword field that the tests `keywords`, in their order, all
  // recognise: each reads its values in turn.
  void SeveralKeywords(std::string_view field, FieldPosition at, const std::vector<std::string>& keywords);
  // A value stored in a cell's 16-bit field: warned of when it lies
  // outside -32768 to 32767 but within a Long (beyond a Long the reading
  // fails instead).
  void SixteenBits(FieldPosition at, const std::string& what, int64_t value);
  // The item `item`, written at `at`, has taken route cell `cell`.
  void Holds(int64_t cell, std::string item, FieldPosition at) {
    observer_.held_cells[cell] = CellHolder{std::move(item), file_, at.line, at.column};
  }
  // The mountain `item`, written at `at`, has put a marker in route cell
  // `cell`.
  void MountainMarker(int64_t cell, std::string item, FieldPosition at) {
    observer_.mountain_markers[cell] = CellHolder{std::move(item), file_, at.line, at.column};
  }
  // What took route cell `cell`, with its line: empty when no item is known.
  std::string HolderOf(int64_t cell) const;
  // A line whose fields are passed over on purpose: no warning for them.
  void QuietLine(int line) { quiet_line_ = line; }

  // The reading has entered the section `name` (lower case, no brackets).
  void EnterSection(std::string name) {
    section_ = std::move(name);
    section_known_ = true;
  }
  // The section the reading is in: the last header read, lower case.
  const std::string& section() const { return section_; }

  const std::string& file() const { return file_; }

 private:
  // A quoted text that runs over line ends, or to the end of the file.
  void WarnQuote(const TextShape& shape);
  // A keyword field that is the rest of a caption or station name cut at a
  // comma. True when warned.
  bool WarnTextCut(std::string_view field, const FieldStream& stream);
  // A number read as a keyword field on the line of the values before it:
  // a value too many, or the decimals of a number written with a comma.
  // True when warned.
  bool WarnLeftOver(std::string_view field, const FieldStream& stream);
  // A keyword field that holds its line's values: no comma after the
  // keyword, or values separated by semicolons or tabs.
  void WarnSeparators(std::string_view field, const FieldStream& stream);
  // A bracketed field that is no header of the file but holds a keyword,
  // which the readers' tests find in it: it is read as that keyword's line.
  void WarnHeaderRead(std::string_view field, const FieldStream& stream);

  ReadingObserver& observer_;
  std::string file_;
  const SourceVocabulary& vocabulary_;
  std::string section_;
  bool section_known_ = false;
  int last_warned_line_ = 0;
  int quiet_line_ = 0;
  // The line whose values a left-over field was warned of.
  int left_over_line_ = 0;
  // The line whose values are being read, and its numbers so far.
  const KeywordSpec* line_spec_ = nullptr;
  std::vector<int64_t> line_numbers_;
  // The last place read for each kind of item, and its line.
  std::map<const KeywordSpec*, std::pair<int64_t, int>> last_place_;
  // The last text read, to tell when its line goes on after it.
  int text_line_ = 0;
  std::string text_what_;
  std::string text_;
  FieldPosition text_at_;
};

// The item a taken cell holds, told from its kind: "a signal".
std::string CellKindText(uint8_t tipo_cella);

// Why an item found its cell taken: `item` at `position` wanted route cell
// `cell`, which holds `holder` (told from the cell's kind when empty).
// `own_cell_offset` is 1 when the cell is round(position / 50 + 1), 0 when
// round(position / 50).
std::string CellTaken(const std::string& item, int32_t position, int64_t cell, int own_cell_offset,
                      const std::string& holder, const ScenarioModel& model);

// Route cell 1's first two values, watched across the placing of one item:
// the compiled cell file keeps its marker and its check code there, and a
// value an item leaves in them stops the compile.
class MarkerWatch {
 public:
  explicit MarkerWatch(const ScenarioModel& model);
  // Warns at `at` when the item `item` at `position` has just written one
  // of these values.
  void After(SourceWarnings& warn, const ScenarioModel& model, FieldPosition at, const std::string& item,
             int32_t position) const;

 private:
  bool has_cell_ = false;
  int16_t valore_1_ = 0;
  int16_t valore_2_ = 0;
};

}  // namespace scenario
