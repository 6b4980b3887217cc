// Which line of the sources wrote what the compile stored: for each route
// cell its item, its steps (speed, gradient, adhesion, mountain) and its
// approach mark, and each record of the station table. The reading is watched line by line; what changed in the model
// between one keyword field and the next was written by the first's line.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fields/model_access.h"
#include "compiler/fields/reading_observer.h"
#include "model/scenario_model.h"

namespace scenario::tool {

// A line that wrote something: the file as the run reads it (or, in a
// report, as the author named it), the line, and its keyword field as
// written.
struct WritingLine {
  std::string file;
  int line = 0;
  std::string keyword;
  bool operator==(const WritingLine&) const = default;
};

// Every line that changed a thing, in the order of the reading, each once.
using WritingLines = std::vector<WritingLine>;

struct SourceWrites {
  std::vector<WritingLines> cell_items;  // each route cell's item: its kind and values
  // Each route cell's steps, field by field: speed, gradient, adhesion and
  // mountain (see kStepFields).
  std::array<std::vector<WritingLines>, 4> cell_steps;
  std::vector<WritingLines> cell_marks;  // the approach mark (avviso) of each route cell
  std::vector<WritingLines> records;     // each record of the station table
};

// The fields of a route cell that step lines write, each by lines of one
// keyword: the speed (velocita), the gradient (pendenza), the adhesion
// (aderenza) and the mountain type (montagna).
inline constexpr uint8_t rec_cella::*kStepFields[] = {&rec_cella::velocita_limite, &rec_cella::pendenza,
                                                      &rec_cella::aderenza, &rec_cella::montagna};

// Whether two route cells hold the same item: its kind and values.
bool SameItem(const rec_cella& a, const rec_cella& b);

// A value of a line as the reader read it.
struct ValueReading {
  size_t index = 0;  // 0 for the first value after the keyword
  FieldPosition at;
  int64_t number = 0;               // a number value
  std::optional<std::string> text;  // a text value, as its bytes stand
};

// A keyword that a reader recognised in a keyword field, with the values it
// read for it.
struct KeywordReading {
  const KeywordSpec* spec = nullptr;
  std::vector<ValueReading> values;
};

// One keyword field of the sources, as the reading met it (comments and
// unknown words too), and what the reading made of it.
struct LineReading {
  WritingLine line;  // the file, the line, the keyword field as written
  FieldPosition at;  // where the keyword field began
  std::vector<KeywordReading> keywords;
  // What the reading changed while on this line, in order, each once.
  std::vector<size_t> cells;    // route cells: the item's kind or values
  // Route cells whose steps the line wrote, each with the fields it wrote
  // (bit f for kStepFields[f]).
  std::vector<std::pair<size_t, uint8_t>> steps;
  std::vector<size_t> marks;    // route cells: the approach mark
  std::vector<size_t> records;  // records of the station table
};

// Watches the reading of `model`; forwards warnings to `warnings` when
// given. Nothing it does changes what is read. It must live on the thread
// that reads: it looks only at the route cells the readers reach there.
class WritesTracer : public ReadingObserver {
 public:
  WritesTracer(const ScenarioModel& model, ReadingObserver* warnings) : model_(model), warnings_(warnings) {}

  void Warn(const ReadingWarning& warning) override {
    if (warnings_ != nullptr) warnings_->Warn(warning);
  }
  void KeywordField(const std::string& file, const std::string& field, FieldPosition at) override;
  void SourceEnd(const std::string& file) override;
  void LineValues(const std::string& file, const KeywordSpec& spec, FieldPosition keyword) override;
  void ValueRead(const std::string& file, size_t index, FieldPosition at, int64_t number,
                 const std::string* text) override;
  void WritingFor(const std::string& file, FieldPosition value) override;
  void WritingDone(const std::string& file) override;

  const SourceWrites& writes() const { return writes_; }
  // Every keyword field read, in the order of the reading.
  const std::vector<LineReading>& readings() const { return readings_; }
  // The route and the station table as the reading left them, before the
  // cell rules and the markers.
  const std::vector<rec_cella>& cells_after_reading() const { return cells_seen_; }
  const std::array<rec_stazione, kNumeroStazioni>& records_after_reading() const { return records_seen_; }

 private:
  // Gives what changed since the last look to the line being read, if any.
  void Settle();

  const ScenarioModel& model_;
  ReadingObserver* warnings_;
  bool reading_ = false;
  WritingLine current_;
  size_t current_reading_ = 0;  // the index of current_'s reading
  // The line being read while writing for an earlier one.
  struct Resume {
    bool reading;
    WritingLine line;
    size_t index;
  };
  std::optional<Resume> resume_;
  std::vector<rec_cella> cells_seen_;
  CellReach reach_;
  std::array<rec_stazione, kNumeroStazioni> records_seen_{};
  SourceWrites writes_;
  std::vector<LineReading> readings_;
};

}  // namespace scenario::tool
