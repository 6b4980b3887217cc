#include "tools/authoring/source_writes.h"

#include <algorithm>

namespace scenario::tool {

bool SameItem(const rec_cella& a, const rec_cella& b) {
  return a.tipo_cella == b.tipo_cella && a.valore_1 == b.valore_1 && a.valore_2 == b.valore_2 &&
         a.valore_3 == b.valore_3 && a.valore_4 == b.valore_4 && a.tempo_segnale == b.tempo_segnale;
}

namespace {

void Add(WritingLines* lines, const WritingLine& line) {
  if (lines->empty() || !(lines->back() == line)) lines->push_back(line);
}

}  // namespace

void WritesTracer::KeywordField(const std::string& file, const std::string& field, FieldPosition at) {
  // A text cut at a comma goes on as fields of its own line: still the
  // same line's writing.
  if (reading_ && current_.file == file && current_.line == at.line) return;
  Settle();
  reading_ = true;
  current_ = {file, at.line, field};
  current_reading_ = readings_.size();
  readings_.push_back({current_, at, {}, {}, {}, {}, {}});
}

void WritesTracer::WritingFor(const std::string& file, FieldPosition value) {
  Settle();
  resume_ = Resume{reading_, current_, current_reading_};
  reading_ = false;
  // The line that gave the value, the latest first.
  for (size_t r = readings_.size(); r-- > 0;) {
    const LineReading& reading = readings_[r];
    if (reading.line.file != file) continue;
    for (const KeywordReading& keyword : reading.keywords)
      for (const ValueReading& given : keyword.values)
        if (given.at == value) {
          reading_ = true;
          current_ = reading.line;
          current_reading_ = r;
          return;
        }
  }
}

void WritesTracer::WritingDone(const std::string& /*file*/) {
  // Told from a destructor: what cannot be noted for want of memory is left
  // out rather than thrown.
  try {
    Settle();
  } catch (...) {
  }
  if (resume_) {
    reading_ = resume_->reading;
    current_ = resume_->line;
    current_reading_ = resume_->index;
    resume_.reset();
  }
}

void WritesTracer::LineValues(const std::string& file, const KeywordSpec& spec, FieldPosition /*keyword*/) {
  if (readings_.empty() || readings_.back().line.file != file) return;
  readings_.back().keywords.push_back({&spec, {}});
}

void WritesTracer::ValueRead(const std::string& file, size_t index, FieldPosition at, int64_t number,
                             const std::string* text) {
  if (readings_.empty() || readings_.back().line.file != file || readings_.back().keywords.empty()) return;
  ValueReading value{index, at, number, std::nullopt};
  if (text != nullptr) value.text = *text;
  readings_.back().keywords.back().values.push_back(std::move(value));
}

void WritesTracer::SourceEnd(const std::string& /*file*/) {
  // Told while the source closes: what cannot be noted for want of memory
  // is left out rather than thrown.
  try {
    Settle();
  } catch (...) {
  }
  reading_ = false;
}

void WritesTracer::Settle() {
  const std::vector<rec_cella>& cells = model_.percorso;
  if (writes_.cell_items.size() < cells.size()) {
    writes_.cell_items.resize(cells.size());
    for (std::vector<WritingLines>& field : writes_.cell_steps) field.resize(cells.size());
    writes_.cell_marks.resize(cells.size());
  }
  if (writes_.records.size() < model_.stazioni.size()) writes_.records.resize(model_.stazioni.size());
  // Only the cells the readers reached since the last look can have
  // changed; a route allocated anew is looked at whole.
  size_t from = 0, to = 0;
  int64_t low = 0, high = 0;
  const bool reached = reach_.Take(&low, &high);
  if (cells_seen_.size() != cells.size()) {
    cells_seen_.resize(cells.size());
    to = cells.size();
  } else if (reached) {
    from = static_cast<size_t>(std::max<int64_t>(low, 0));
    to = static_cast<size_t>(std::min<int64_t>(high + 1, static_cast<int64_t>(cells.size())));
  }
  LineReading* line = reading_ && current_reading_ < readings_.size() ? &readings_[current_reading_] : nullptr;
  for (size_t k = from; k < to; ++k) {
    if (cells[k] == cells_seen_[k]) continue;
    if (line != nullptr && !SameItem(cells[k], cells_seen_[k])) {
      Add(&writes_.cell_items[k], current_);
      line->cells.push_back(k);
    }
    uint8_t fields = 0;
    for (size_t f = 0; f < std::size(kStepFields); ++f)
      if (line != nullptr && cells[k].*kStepFields[f] != cells_seen_[k].*kStepFields[f]) {
        Add(&writes_.cell_steps[f][k], current_);
        fields |= static_cast<uint8_t>(1u << f);
      }
    if (fields != 0) line->steps.emplace_back(k, fields);
    if (line != nullptr && cells[k].avviso != cells_seen_[k].avviso) {
      Add(&writes_.cell_marks[k], current_);
      line->marks.push_back(k);
    }
    cells_seen_[k] = cells[k];
  }
  for (size_t i = 0; i < model_.stazioni.size(); ++i) {
    if (model_.stazioni[i] == records_seen_[i]) continue;
    if (line != nullptr) {
      Add(&writes_.records[i], current_);
      line->records.push_back(i);
    }
    records_seen_[i] = model_.stazioni[i];
  }
}

}  // namespace scenario::tool
