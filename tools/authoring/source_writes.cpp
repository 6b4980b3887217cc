#include "tools/authoring/source_writes.h"

#include <algorithm>
#include <cctype>
#include <sstream>

namespace scenario::tool {

namespace {

bool SameItem(const rec_cella& a, const rec_cella& b) {
  return a.tipo_cella == b.tipo_cella && a.valore_1 == b.valore_1 && a.valore_2 == b.valore_2 &&
         a.valore_3 == b.valore_3 && a.valore_4 == b.valore_4 && a.tempo_segnale == b.tempo_segnale;
}

void Add(WritingLines* lines, const WritingLine& line) {
  if (lines->empty() || !(lines->back() == line)) lines->push_back(line);
}

std::string Lower(std::string text) {
  for (char& c : text) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  return text;
}

}  // namespace

void WritesTracer::KeywordField(const std::string& file, const std::string& field, FieldPosition at) {
  // A text cut at a comma goes on as fields of its own line: still the
  // same line's writing.
  if (reading_ && current_.file == file && current_.line == at.line) return;
  Settle();
  reading_ = true;
  current_ = {file, at.line, field};
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
    writes_.cell_marks.resize(cells.size());
  }
  if (writes_.records.size() < model_.stazioni.size()) writes_.records.resize(model_.stazioni.size());
  // A route allocated anew starts from free cells.
  if (cells_seen_.size() != cells.size()) cells_seen_.resize(cells.size());
  for (size_t k = 0; k < cells.size(); ++k) {
    if (cells[k] == cells_seen_[k]) continue;
    if (reading_ && !SameItem(cells[k], cells_seen_[k])) Add(&writes_.cell_items[k], current_);
    if (reading_ && cells[k].avviso != cells_seen_[k].avviso) Add(&writes_.cell_marks[k], current_);
    cells_seen_[k] = cells[k];
  }
  for (size_t i = 0; i < model_.stazioni.size(); ++i) {
    if (model_.stazioni[i] == records_seen_[i]) continue;
    if (reading_) Add(&writes_.records[i], current_);
    records_seen_[i] = model_.stazioni[i];
  }
}

const WritingLine* WriterOf(const WritingLines& lines, const std::string& keyword) {
  std::vector<std::string> words;
  std::string word;
  std::istringstream split(Lower(keyword));
  while (std::getline(split, word, ' ')) {
    std::istringstream parts(word);
    std::string part;
    while (std::getline(parts, part, '_'))
      if (!part.empty() && part != "approach" && part != "mark" && part != "of" && part != "a") words.push_back(part);
  }
  if (words.empty()) return nullptr;
  for (auto line = lines.rbegin(); line != lines.rend(); ++line) {
    const std::string field = Lower(line->keyword);
    if (std::all_of(words.begin(), words.end(),
                    [&](const std::string& w) { return field.find(w) != std::string::npos; }))
      return &*line;
  }
  return nullptr;
}

}  // namespace scenario::tool
