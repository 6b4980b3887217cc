// Which line of the sources wrote what the compile stored: for each route
// cell its item and its approach mark, and each record of the station
// table. The reading is watched line by line; what changed in the model
// between one keyword field and the next was written by the first's line.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

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
  std::vector<WritingLines> cell_items;  // kind and values of each route cell
  std::vector<WritingLines> cell_marks;  // the approach mark (avviso) of each route cell
  std::vector<WritingLines> records;     // each record of the station table
};

// Watches the reading of `model`; forwards warnings to `warnings` when
// given. Nothing it does changes what is read.
class WritesTracer : public ReadingObserver {
 public:
  WritesTracer(const ScenarioModel& model, ReadingObserver* warnings) : model_(model), warnings_(warnings) {}

  void Warn(const ReadingWarning& warning) override {
    if (warnings_ != nullptr) warnings_->Warn(warning);
  }
  void KeywordField(const std::string& file, const std::string& field, FieldPosition at) override;
  void SourceEnd(const std::string& file) override;

  const SourceWrites& writes() const { return writes_; }

 private:
  // Gives what changed since the last look to the line being read, if any.
  void Settle();

  const ScenarioModel& model_;
  ReadingObserver* warnings_;
  bool reading_ = false;
  WritingLine current_;
  std::vector<rec_cella> cells_seen_;
  std::array<rec_stazione, kNumeroStazioni> records_seen_{};
  SourceWrites writes_;
};

// The line of `lines` that wrote a value given under `keyword` (a keyword
// of the sources, or "approach mark of a KEYWORD"): the last one whose
// keyword field holds each of its words, letter case aside; null when none
// does (a value no line changed, or one the compile made itself).
const WritingLine* WriterOf(const WritingLines& lines, const std::string& keyword);

}  // namespace scenario::tool
