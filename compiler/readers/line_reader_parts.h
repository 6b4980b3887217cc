// The reader of the line description, shared by the files that hold its
// parts: the general section (line_reader.cpp) and the items of the rest of
// the file (line_items.cpp). Used by those two files only.
#pragma once

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields/arithmetic.h"
#include "compiler/fields/keyword_match.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/fields/failure_causes.h"
#include "compiler/fields/keyword_table.h"
#include "compiler/fields/model_access.h"
#include "compiler/fields/reading_rules.h"
#include "compiler/fields/runtime_failure.h"
#include "compiler/fields/source_warnings.h"
#include "model/file_names.h"
#include "compiler/readers/line_reader.h"

namespace scenario::line_reading {

inline constexpr int32_t kLunghezzaAggiunta = 7000;
inline constexpr int32_t kLunghezzaMassima = 1000000;
inline constexpr int64_t kMetroTracciatoMassimo = 1000000;
inline constexpr int32_t kDistanzaMontagne = 150;
// Keyword fields with a hyphen are comments: so many are passed over in a
// row in the general section, and in the rest of the file. In the general
// section the end of the file is not looked for between them, so a comment
// that runs into the end makes the next read fail.
inline constexpr int kCommentsInGeneralSection = 10;
inline constexpr int kCommentsInRest = 2;
// Per-metre turning factor of the curve classes 1 to 6.
inline constexpr std::array<double, 6> kCurvatura = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// A bracketed header ends the general section, unless it is written as a
// comment.
inline bool EndsGeneralSection(std::string_view riga) {
  if (!Contains(riga, "[") || !Contains(riga, "]")) return false;
  size_t first = riga.find_first_not_of(" \t");
  return first == std::string_view::npos || riga[first] != '-';
}

inline int32_t& MountainSlot(std::array<int32_t, kNumeroMontagne>& table, int64_t index) {
  if (index < 0 || index >= kNumeroMontagne)
    throw RuntimeFailure("mountain record " + std::to_string(index) + " does not exist",
                         RuntimeFailure::Kind::MissingRecord, index);
  return table[static_cast<size_t>(index)];
}

// Computes the plan's points one after another from metre j on, each from
// the step between the two points before it: straight on, or with the step
// turned by `curvatura`. The two points before j are held as they were
// stored, so each point is exactly what the two stored before it give.
class PlanCursor {
 public:
  PlanCursor(Tracciato& plan, int64_t j) : plan_(plan), j_(j) {
    const auto at = static_cast<size_t>(j);
    x1_ = plan.Reale(at - 1, 0);
    y1_ = plan.Reale(at - 1, 1);
    x2_ = plan.Reale(at - 2, 0);
    y2_ = plan.Reale(at - 2, 1);
  }

  int64_t j() const { return j_; }

  void Diritto() {
    const double dx = x1_ - x2_;
    const double dy = y1_ - y2_;
    Store(x1_ + dx, y1_ + dy);
  }

  void InCurva(double curvatura) {
    const double dx = x1_ - x2_;
    const double dy = y1_ - y2_;
    Store(x1_ + (dx + curvatura * dy), y1_ + (dy - curvatura * dx));
  }

 private:
  // Stores point j and moves on; a point beyond the plan is a failure.
  void Store(double x, double y) {
    if (static_cast<uint64_t>(j_) >= plan_.size()) [[unlikely]]
      NoPoint(j_);
    plan_.Poni(static_cast<size_t>(j_), x, y);
    x2_ = x1_;
    y2_ = y1_;
    x1_ = x;
    y1_ = y;
    ++j_;
  }

  // Kept out of Store, which runs for every metre of the plan: its message
  // would otherwise give every call a frame to set up.
  [[noreturn, gnu::noinline, gnu::cold]] static void NoPoint(int64_t j) {
    throw RuntimeFailure("plan point " + std::to_string(j) + " does not exist", RuntimeFailure::Kind::MissingPlanPoint,
                         j);
  }

  Tracciato& plan_;
  int64_t j_;
  double x1_, y1_;  // point j - 1
  double x2_, y2_;  // point j - 2
};

// The reader's working values, for one reading of the file.
struct LineReaderState {
  std::string riga;                          // the keyword field (or caption) read last
  int32_t indice_cartello = kPrimoCartello;  // record of the next board caption
  int32_t cella_pendenza = 0;                // first cell without a gradient
  int32_t pendenza_attuale = 0;              // the gradient in force
  FieldPosition pendenza_at;                 // where the gradient in force was written
  // Where the position and the chainage of each progressive zone ("tre",
  // "due", "uno") were written, and the zones as read, before ordering.
  std::array<std::array<FieldPosition, 2>, 3> progressiva_at{};
  std::array<rec_stazione, 3> progressive_read{};
  int32_t metro_tracciato = 2;               // next point of the plan
  double curvatura = 0.0;                    // turning factor of the curve read last
  // Sizes of the route and of the plan asked for by the last route-length
  // line and not yet allocated.
  std::optional<size_t> celle_da_allocare;
  std::optional<size_t> punti_da_allocare;
};

// What the warnings remember of the lines read before: only kept while an
// observer listens.
struct LineWarningState {
  FieldPosition at;                          // the keyword field of the line being read
  std::array<FieldPosition, 9> general_lines{};  // where each general value was last given
  bool gradient_seen = false;
  int32_t gradient_position = 0;
  bool curve_seen = false;
  int32_t curve_end = 0;
  int boards = 0;
  bool before_general_told = false;
};

inline std::string Metres(int64_t metres) { return std::to_string(metres) + " m"; }

// The general values in the order of their tests, for the warning of a value
// given twice.
inline constexpr const char* kGeneralValues[] = {"lunghezza percorso", "progressiva chilometrica tre",
                                          "progressiva chilometrica due", "progressiva chilometrica uno",
                                          "sfondo uno", "sfondo due", "sfondo tre",
                                          "ripetizione segnali", ""};

class LineReader {
 public:
  LineReader(ScenarioModel& model, OpenSource& source)
      : model_(model), source_(source), warn_(source.warnings()) {}

  LineReadOutcome Run();

 private:
  LineReadOutcome Stopped() const { return {false, state_.indice_cartello}; }

  // Records a fault that stops the reader: the source is closed and deleted.
  void Stop(int32_t numero);

  void ReadKeyword() { state_.riga = source_.ReadKeyword(); }
  int32_t ReadLong() { return source_.fields().ReadLong(); }
  void BeginValues(const KeywordSpec& spec) { source_.fields().BeginValues(spec); }
  // Where value `index` of the line being read began; its keyword for
  // causes::kKeyword.
  FieldPosition ValueAt(size_t index) const;

  bool FindGeneralSection();

  bool ReadGeneralSection();

  // The warnings of a keyword field of the general section: a value given
  // twice, an item of the rest of the file that the general section skips, a
  // field no test knows.
  void WarnBeforeGeneral();
  void WarnGeneralField(const std::string& riga);

  bool ReadRouteLength();

  // Allocates the route and the plan asked for and not yet allocated, every
  // cell and point cleared.
  void AllocateRoute();

  void ReadProgressive(int record, const KeywordSpec& spec);

  // The zones are ordered once the general section has ended; a sum that
  // does not fit is the fault of the line with the value that makes it.
  void NameProgressivesFailure(RuntimeFailure& failure);

  bool ReadCabSignalling();
  void WarnCabSignalling(const rec_stazione& treno);
  void WarnProgressivesCleared();
  void WarnCurveKeyword(size_t classe);

  void SetUp();

  // Reads the next keyword field of the rest of the file. False when the
  // file has ended.
  bool NextKeyword() { return source_.ReadKeywordPassingComments(kCommentsInRest, &state_.riga); }

  // False when a fault stopped the reader; true at the end of the file or
  // after a range error.
  bool ReadRest();

  // The warnings of a keyword field after the general section: the section
  // it stands in, a keyword only the general section reads, a field no test
  // knows.
  void WarnRestField(const std::string& riga);

  // An item placed beyond the line's own length, in the run-out after it.
  void WarnRunOut(const char* item, int32_t position);

  // The range test of an item at `x`: a failure records error 15 and ends
  // the reading of the file.
  bool FailsRangeTest(int32_t x, const char* item);

  // The gradient in force as a cell stores it. It comes from an earlier
  // line and is computed when the next gradient line, or the end of the
  // file, fills the cells: a gradient that cannot be stored is the fault of
  // the line that gave it.
  uint8_t StoredGradient();

  // Gives the gradient in force to the cells from the cursor on, up to the
  // cell before `end`; at least one cell.
  void FillGradientCells(int64_t end);

  AfterLine ReadGradient();

  void WarnGradient(int32_t posizione, int32_t valore, int64_t n);

  void WarnCurve(int32_t inizio, int32_t lunghezza);

  AfterLine ReadCurve();

  // The plan's points up to the curve's end: the straight run before the
  // curve, then the curve itself.
  AfterLine PlanCurve(int32_t inizio, int32_t lunghezza);

  AfterLine ReadMountain();

  void WarnMountain(int32_t inizio, int32_t fine, int32_t tipo);

  AfterLine ReadIndicator();

  AfterLine ReadBoard();

  void Close();

  ScenarioModel& model_;
  OpenSource& source_;
  SourceWarnings* warn_;
  LineReaderState state_;
  LineWarningState ws_;
  // Where the route length was written, and its line.
  FieldPosition route_length_at_;
};

}  // namespace scenario::line_reading
