#include "compiler/readers/line_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

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

namespace scenario {

namespace {

constexpr int32_t kLunghezzaAggiunta = 7000;
constexpr int32_t kLunghezzaMassima = 1000000;
constexpr int64_t kMetroTracciatoMassimo = 1000000;
constexpr int32_t kDistanzaMontagne = 150;
// Keyword fields with a hyphen are comments: so many are passed over in a
// row in the general section, and in the rest of the file. In the general
// section the end of the file is not looked for between them, so a comment
// that runs into the end makes the next read fail.
constexpr int kCommentsInGeneralSection = 10;
constexpr int kCommentsInRest = 2;
// Per-metre turning factor of the curve classes 1 to 6.
constexpr std::array<double, 6> kCurvatura = {0.0001, 0.0002, 0.0004, 0.001, 0.002, 0.003};

// A bracketed header ends the general section, unless it is written as a
// comment.
bool EndsGeneralSection(std::string_view riga) {
  if (!Contains(riga, "[") || !Contains(riga, "]")) return false;
  size_t first = riga.find_first_not_of(" \t");
  return first == std::string_view::npos || riga[first] != '-';
}

int32_t& MountainSlot(std::array<int32_t, kNumeroMontagne>& table, int64_t index) {
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
};

std::string Metres(int64_t metres) { return std::to_string(metres) + " m"; }

// The general values in the order of their tests, for the warning of a value
// given twice.
constexpr const char* kGeneralValues[] = {"lunghezza percorso", "progressiva chilometrica tre",
                                          "progressiva chilometrica due", "progressiva chilometrica uno",
                                          "sfondo uno", "sfondo due", "sfondo tre",
                                          "ripetizione segnali", ""};

class LineReader {
 public:
  LineReader(ScenarioModel& model, OpenSource& source)
      : model_(model), source_(source), warn_(source.warnings()) {}

  LineReadOutcome Run() {
    if (!FindGeneralSection()) return Stopped();
    // Nothing in the general section looks at the route or the plan, so they
    // are allocated once it has ended, however it ends, at the sizes of the
    // last route-length line. A file of many route-length lines thus costs
    // one allocation, not one per line.
    bool general_section_read = false;
    try {
      general_section_read = ReadGeneralSection();
    } catch (...) {
      AllocateRoute();
      throw;
    }
    AllocateRoute();
    if (!general_section_read) return Stopped();
    for (size_t i = 0; i < 3; ++i) state_.progressive_read[i] = model_.stazioni[kRecordProgressivaTre + static_cast<int>(i)];
    NamingCause([&] { progressive_ordina(model_); },
                [&](RuntimeFailure& failure) { NameProgressivesFailure(failure); });
    SetUp();
    if (!ReadRest()) return Stopped();
    Close();
    return {true, state_.indice_cartello};
  }

 private:
  LineReadOutcome Stopped() const { return {false, state_.indice_cartello}; }

  // Records a fault that stops the reader: the source is closed and deleted.
  void Stop(int32_t numero) {
    source_.CloseAndDelete();
    model_.codice_errore = numero;
  }

  void ReadKeyword() { state_.riga = source_.ReadKeyword(); }
  int32_t ReadLong() { return source_.fields().ReadLong(); }
  void BeginValues(const KeywordSpec& spec) { source_.fields().BeginValues(spec); }
  // Where value `index` of the line being read began; its keyword for
  // causes::kKeyword.
  FieldPosition ValueAt(size_t index) const {
    return index == causes::kKeyword ? source_.fields().keyword_position() : source_.fields().value_position(index);
  }

  bool FindGeneralSection() {
    for (;;) {
      NamingCause([&] { ReadKeyword(); },
                  [](RuntimeFailure& failure) { failure.SetCause({}, causes::EmptyLineDescription()); });
      if (source_.AtEnd()) {
        Stop(error_number::kNoGeneralSection);
        return false;
      }
      if (ContainsIgnoringCase(state_.riga, "[generale]")) {
        if (warn_) warn_->EnterSection("generale");
        return true;
      }
    }
  }

  bool ReadGeneralSection() {
    const std::string& riga = state_.riga;
    for (;;) {
      if (source_.AtEnd()) return true;
      ReadKeyword();
      if (source_.AtEnd()) return true;
      for (int i = 0; i < kCommentsInGeneralSection && IsComment(riga); ++i) {
        const FieldPosition comment_at = source_.fields().last_field();
        NamingCause([&] { ReadKeyword(); }, [&](RuntimeFailure& failure) {
          failure.SetCause(comment_at, causes::CommentEndsFile(riga, comment_at));
        });
      }
      if (warn_) WarnGeneralField(riga);

      if (ContainsIgnoringCase(riga, "percorso") && ContainsIgnoringCase(riga, "lunghezza")) {
        if (!ReadRouteLength()) return false;
      }
      if (Contains(riga, "tre") && Contains(riga, "progressiva"))
        ReadProgressive(kRecordProgressivaTre, keyword::kProgressivaTre);
      if (Contains(riga, "due") && Contains(riga, "progressiva"))
        ReadProgressive(kRecordProgressivaDue, keyword::kProgressivaDue);
      if (Contains(riga, "uno") && Contains(riga, "progressiva"))
        ReadProgressive(kRecordProgressivaUno, keyword::kProgressivaUno);
      rec_stazione& scenario = model_.stazioni[kRecordScenario];
      if (Contains(riga, "sfondo") && Contains(riga, "uno")) {
        BeginValues(keyword::kSfondoUno);
        scenario.inizio_zona = ReadLong();
      }
      if (Contains(riga, "sfondo") && Contains(riga, "due")) {
        BeginValues(keyword::kSfondoDue);
        scenario.progressiva = ReadLong();
      }
      if (Contains(riga, "sfondo") && Contains(riga, "tre")) {
        BeginValues(keyword::kSfondoTre);
        scenario.fine_zona = ReadLong();
      }
      if (Contains(riga, "segnali") && Contains(riga, "ripetizione")) {
        if (!ReadCabSignalling()) return false;
      }

      if (EndsGeneralSection(riga)) return true;
    }
  }

  // The warnings of a keyword field of the general section: a value given
  // twice, an item of the rest of the file that the general section skips, a
  // field no test knows.
  void WarnGeneralField(const std::string& riga) {
    const FieldPosition at = source_.fields().last_field();
    const bool tests[8] = {
        ContainsIgnoringCase(riga, "percorso") && ContainsIgnoringCase(riga, "lunghezza"),
        Contains(riga, "tre") && Contains(riga, "progressiva"),
        Contains(riga, "due") && Contains(riga, "progressiva"),
        Contains(riga, "uno") && Contains(riga, "progressiva"),
        Contains(riga, "sfondo") && Contains(riga, "uno"),
        Contains(riga, "sfondo") && Contains(riga, "due"),
        Contains(riga, "sfondo") && Contains(riga, "tre"),
        Contains(riga, "segnali") && Contains(riga, "ripetizione")};
    bool matched = false;
    for (size_t i = 0; i < 8; ++i) {
      if (!tests[i]) continue;
      if (!matched && ws_.general_lines[i].line > 0)
        warn_->Warn(at, WarningKind::ValueReplaced,
                    "'" + std::string(kGeneralValues[i]) + "' is given again: this value replaces the one of line " +
                        std::to_string(ws_.general_lines[i].line));
      ws_.general_lines[i] = at;
      matched = true;
    }
    if (matched) return;
    if (!EndsGeneralSection(riga) && (ContainsIgnoringCase(riga, "pendenza") || ContainsIgnoringCase(riga, "curva") ||
                                      ContainsIgnoringCase(riga, "montagna") || ContainsIgnoringCase(riga, "indicat"))) {
      if (!warn_->WarnedOnLine(at.line))
        warn_->Warn(at, WarningKind::GeneralSection,
                    "'" + riga +
                        "' stands in the general section, which runs up to the first bracketed header and "
                        "reads only its own keywords: this line is skipped; put a header such as [curve] "
                        "before it");
      return;
    }
    warn_->Unrecognised(riga, at);
  }

  bool ReadRouteLength() {
    BeginValues(keyword::kLunghezzaPercorso);
    const int32_t lunghezza = ReadLong();
    model_.stazioni[kRecordDatiGenerali].fine_zona = lunghezza;
    if (lunghezza > kLunghezzaMassima) {
      Stop(error_number::kRouteTooLong);
      return false;
    }
    NamingCause(
        [&] {
          model_.lunghezza_estesa = AddLong(lunghezza, kLunghezzaAggiunta);
          model_.ultima_cella = RoundToLong(InCells(model_.lunghezza_estesa));
          // A bound below 0 fails before the array is replaced.
          if (model_.ultima_cella < 0) throw RuntimeFailure("a route with a negative last cell");
        },
        [&](RuntimeFailure& failure) { failure.SetCause(ValueAt(0), causes::NegativeRoute(lunghezza)); });
    state_.celle_da_allocare = static_cast<size_t>(model_.ultima_cella) + 1;
    if (model_.compila_linea != 0) {
      if (model_.lunghezza_estesa < 0) throw RuntimeFailure("a track plan with a negative length");
      state_.punti_da_allocare = static_cast<size_t>(model_.lunghezza_estesa) + 1;
    }
    return true;
  }

  // Allocates the route and the plan asked for and not yet allocated, every
  // cell and point cleared.
  void AllocateRoute() {
    if (state_.celle_da_allocare) model_.percorso.assign(*state_.celle_da_allocare, rec_cella{});
    if (state_.punti_da_allocare) model_.tracciato.Alloca(*state_.punti_da_allocare);
    state_.celle_da_allocare.reset();
    state_.punti_da_allocare.reset();
  }

  void ReadProgressive(int record, const KeywordSpec& spec) {
    BeginValues(spec);
    rec_stazione& zona = model_.stazioni[record];
    zona.inizio_zona = ReadLong();
    zona.fine_zona = ReadLong();
    zona.progressiva = ReadLong();
    const size_t slot = static_cast<size_t>(record - kRecordProgressivaTre);
    state_.progressiva_at[slot] = {ValueAt(0), ValueAt(1)};
  }

  // The zones are ordered once the general section has ended; a sum that
  // does not fit is the fault of the line with the value that makes it.
  void NameProgressivesFailure(RuntimeFailure& failure) {
    const KeywordSpec* const specs[3] = {&keyword::kProgressivaTre, &keyword::kProgressivaDue,
                                         &keyword::kProgressivaUno};
    int64_t sum = 0;
    size_t largest = 0;
    for (size_t i = 0; i < 3; ++i) {
      const int32_t inizio = model_.stazioni[kRecordProgressivaTre + static_cast<int>(i)].inizio_zona;
      sum += inizio;
      if (std::abs(int64_t{inizio}) >
          std::abs(int64_t{model_.stazioni[kRecordProgressivaTre + static_cast<int>(largest)].inizio_zona}))
        largest = i;
    }
    if (sum < INT32_MIN || sum > INT32_MAX) {
      failure.SetCause(state_.progressiva_at[largest][0],
                       causes::ProgressivesOverflow(specs[largest]->keyword, sum));
      return;
    }
    // The zones are stored in order before 100 is added to a chainage: find
    // the zone by its values.
    for (size_t i = 0; i < 3; ++i) {
      const rec_stazione& zona = model_.stazioni[kRecordProgressivaTre + static_cast<int>(i)];
      if (zona.progressiva != 1 || int64_t{zona.fine_zona} + 100 <= INT32_MAX) continue;
      for (size_t j = 0; j < 3; ++j) {
        if (state_.progressive_read[j].fine_zona == zona.fine_zona && state_.progressive_read[j].progressiva == 1) {
          failure.SetCause(state_.progressiva_at[j][1],
                           causes::ChainageOverflow(specs[j]->keyword, zona.fine_zona));
          return;
        }
      }
    }
    failure.SetCause({}, causes::Unnamed(failure));
  }

  bool ReadCabSignalling() {
    rec_stazione& treno = model_.stazioni[kRecordTreno];
    BeginValues(keyword::kRipetizioneSegnali);
    treno.inizio_zona = ReadLong();
    treno.fine_zona = ReadLong();
    if (treno.inizio_zona % kMetresPerCell != 0) {
      Stop(error_number::kCabSignallingStartOffCell);
      return false;
    }
    if (treno.fine_zona % kMetresPerCell != 0) {
      Stop(error_number::kCabSignallingEndOffCell);
      return false;
    }
    if (Contains(state_.riga, "4")) {
      treno.progressiva = 4;
    } else if (Contains(state_.riga, "9")) {
      treno.progressiva = 9;
    } else {
      Stop(error_number::kCabSignallingCodes);
      return false;
    }
    if (treno.fine_zona == 0) treno.progressiva = 0;
    return true;
  }

  void SetUp() {
    model_.numero_montagne = 0;
    state_.indice_cartello = kPrimoCartello;
    state_.cella_pendenza = 0;
    state_.metro_tracciato = 2;
    if (model_.compila_linea != 0) {
      // The track starts at the origin with a unit step along the second
      // coordinate.
      seme(model_, 0) = {TaggedValue::Integer(0), TaggedValue::Integer(0)};
      seme(model_, 1) = {TaggedValue::Integer(0), TaggedValue::Integer(1)};
    }
  }

  // Reads the next keyword field of the rest of the file. False when the
  // file has ended.
  bool NextKeyword() { return source_.ReadKeywordPassingComments(kCommentsInRest, &state_.riga); }

  // False when a fault stopped the reader; true at the end of the file or
  // after a range error.
  bool ReadRest() {
    const std::string& riga = state_.riga;
    while (NextKeyword()) {
      if (warn_) WarnRestField(riga);
      // The tests are tried in this order on the same keyword field.
      AfterLine outcome = AfterLine::GoOn;
      if (ContainsIgnoringCase(riga, "pendenza")) outcome = ReadGradient();
      if (outcome == AfterLine::GoOn && model_.compila_linea != 0 && ContainsIgnoringCase(riga, "curva"))
        outcome = ReadCurve();
      if (outcome == AfterLine::GoOn && ContainsIgnoringCase(riga, "montagna")) outcome = ReadMountain();
      if (outcome == AfterLine::GoOn && ContainsIgnoringCase(riga, "indicatori_v")) outcome = ReadIndicator();
      if (outcome == AfterLine::GoOn && ContainsIgnoringCase(riga, "indicat") &&
          ContainsIgnoringCase(riga, "cartello"))
        outcome = ReadBoard();
      if (outcome == AfterLine::Close) return true;
      if (outcome == AfterLine::Stopped) return false;
    }
    return true;
  }

  // The warnings of a keyword field after the general section: the section
  // it stands in, a keyword only the general section reads, a field no test
  // knows.
  void WarnRestField(const std::string& riga) {
    ws_.at = source_.fields().last_field();
    const bool curve = ContainsIgnoringCase(riga, "curva");
    if (curve && model_.compila_linea == 0) {
      // Curves are passed over, values and all, when no plan is built.
      warn_->QuietLine(ws_.at.line);
      return;
    }
    struct Test {
      bool matched;
      const char* keyword;
      const char* section;
    };
    const Test tests[] = {
        {ContainsIgnoringCase(riga, "pendenza"), "pendenza", "pendenze"},
        {curve, "curva", "curve"},
        {ContainsIgnoringCase(riga, "montagna"), "montagna", "montagne"},
        {ContainsIgnoringCase(riga, "indicatori_v"), "indicatori_vmax", "cartelli"},
        {ContainsIgnoringCase(riga, "indicat") && ContainsIgnoringCase(riga, "cartello"), "cartello_indicatore",
         "indicazioni"}};
    for (const Test& test : tests) {
      if (test.matched) {
        warn_->Recognised(test.keyword, test.section, ws_.at);
        return;
      }
    }
    if (HeaderName(riga).empty() && !warn_->WarnedOnLine(ws_.at.line) &&
        ((ContainsIgnoringCase(riga, "percorso") && ContainsIgnoringCase(riga, "lunghezza")) ||
         ContainsIgnoringCase(riga, "progressiva") || ContainsIgnoringCase(riga, "sfondo") ||
         ContainsIgnoringCase(riga, "ripetizione"))) {
      warn_->Warn(ws_.at, WarningKind::GeneralSection,
                  "'" + riga +
                      "' is read only in the general section, before the first bracketed header after "
                      "[generale]; here it is skipped with its values");
      return;
    }
    warn_->Unrecognised(riga, ws_.at);
  }

  // An item placed beyond the line's own length, in the run-out after it.
  void WarnRunOut(const char* item, int32_t position) {
    const int32_t length = model_.stazioni[kRecordDatiGenerali].fine_zona;
    if (position <= length) return;
    warn_->Warn(ws_.at, WarningKind::RunOut,
                std::string(item) + " at " + Metres(position) + " lies beyond the end of the line at " +
                    Metres(length) + ", in the 7000 m run-out after it");
  }

  // The range test of an item at `x`: a failure records error 15 and ends
  // the reading of the file.
  bool FailsRangeTest(int32_t x) {
    if (FitsRoute(model_, x, kItemMargin)) return false;
    model_.codice_errore = error_number::kBeyondRoute;
    model_.posizione_errore = x;
    return true;
  }

  // The gradient in force as a cell stores it. It comes from an earlier
  // line and is computed when the next gradient line, or the end of the
  // file, fills the cells: a gradient that cannot be stored is the fault of
  // the line that gave it.
  uint8_t StoredGradient() {
    return Low8(NamingCause([&] { return AddLong(state_.pendenza_attuale, 100); },
                            [&](RuntimeFailure& failure) {
                              failure.SetCause(state_.pendenza_at,
                                               causes::GradientOverflow(state_.pendenza_attuale, state_.pendenza_at));
                            }));
  }

  // Gives the gradient in force to the cells from the cursor on, up to the
  // cell before `end`; at least one cell.
  void FillGradientCells(int64_t end) {
    const uint8_t pendenza = StoredGradient();
    do {
      cella(model_, state_.cella_pendenza).pendenza = pendenza;
      state_.cella_pendenza = AddLong(state_.cella_pendenza, 1);
    } while (state_.cella_pendenza < end);
  }

  AfterLine ReadGradient() {
    BeginValues(keyword::kPendenza);
    const int32_t posizione = ReadLong();
    const int32_t valore = ReadLong();
    if (FailsRangeTest(posizione)) return AfterLine::Close;
    const int64_t n = round_half_even(InCells(posizione));
    if (warn_) WarnGradient(posizione, valore, n);
    if (n > 0) FillGradientCells(n);
    state_.pendenza_attuale = valore;
    state_.pendenza_at = ValueAt(1);
    return AfterLine::GoOn;
  }

  void WarnGradient(int32_t posizione, int32_t valore, int64_t n) {
    if (ws_.gradient_seen && n <= state_.cella_pendenza) {
      if (n > 0)
        warn_->Warn(ws_.at, WarningKind::PositionBack,
                    "the gradient at " + Metres(posizione) + " is not beyond the previous one at " +
                        Metres(ws_.gradient_position) + ": the previous gradient keeps one more route cell, cell " +
                        std::to_string(state_.cella_pendenza) + ", and this one applies from cell " +
                        std::to_string(int64_t{state_.cella_pendenza} + 1) + " on");
      else
        warn_->Warn(ws_.at, WarningKind::PositionBack,
                    "the gradient at " + Metres(posizione) + " is not beyond the previous one at " +
                        Metres(ws_.gradient_position) + ": it replaces it, and the previous gradient is never used");
    }
    const int64_t stored = int64_t{valore} + 100;
    if (stored < 0 || stored > 255)
      warn_->Warn(ws_.at, WarningKind::LowBits,
                  "the gradient " + std::to_string(valore) + " is stored as " + std::to_string(valore) +
                      " + 100 in one byte, which keeps only its low 8 bits (" +
                      std::to_string(static_cast<int>(static_cast<uint8_t>(stored & 0xFF))) +
                      "): gradients run from -100 to 155");
    ws_.gradient_seen = true;
    ws_.gradient_position = posizione;
  }

  void WarnCurve(int32_t inizio, int32_t lunghezza) {
    const int64_t fine = int64_t{inizio} + lunghezza;
    if (lunghezza < 0) {
      warn_->Warn(ws_.at, WarningKind::NegativeLength,
                  "the curve at " + Metres(inizio) + " has a negative length, " + Metres(lunghezza) +
                      ": it adds no turn to the track");
    } else if (ws_.curve_seen && inizio < ws_.curve_end) {
      if (fine <= ws_.curve_end)
        warn_->Warn(ws_.at, WarningKind::CurveOverlap,
                    "the curve from " + Metres(inizio) + " to " + Metres(fine) +
                        " lies within the previous curve, which ends at " + Metres(ws_.curve_end) +
                        ": it adds no turn to the track");
      else
        warn_->Warn(ws_.at, WarningKind::CurveOverlap,
                    "the curve from " + Metres(inizio) + " starts before the previous curve ends at " +
                        Metres(ws_.curve_end) + ": it turns only from " + Metres(ws_.curve_end) + " to " +
                        Metres(fine));
    }
    if (fine > ws_.curve_end || !ws_.curve_seen) ws_.curve_end = static_cast<int32_t>(std::max<int64_t>(fine, ws_.curve_end));
    ws_.curve_seen = true;
  }

  AfterLine ReadCurve() {
    BeginValues(keyword::kCurva);
    const int32_t inizio = ReadLong();
    const int32_t lunghezza = ReadLong();
    if (FailsRangeTest(inizio)) return AfterLine::Close;
    // The class is the lowest digit 1 to 6 in the keyword.
    size_t classe = 0;
    while (classe < kCurvatura.size() &&
           !Contains(state_.riga, std::string(1, static_cast<char>('1' + classe))))
      ++classe;
    if (classe == kCurvatura.size()) {
      Stop(error_number::kCurve);
      return AfterLine::Stopped;
    }
    state_.curvatura = kCurvatura[classe];
    if (ContainsIgnoringCase(state_.riga, "s")) state_.curvatura = -state_.curvatura;
    if (warn_) WarnCurve(inizio, lunghezza);
    return NamingCause([&] { return PlanCurve(inizio, lunghezza); }, [&](RuntimeFailure& failure) {
      failure.SetCause(ValueAt(1), causes::CurveOutsidePlan(failure, inizio, lunghezza, model_));
    });
  }

  // The plan's points up to the curve's end: the straight run before the
  // curve, then the curve itself.
  AfterLine PlanCurve(int32_t inizio, int32_t lunghezza) {
    PlanCursor plan(model_.tracciato, state_.metro_tracciato);
    while (plan.j() <= inizio) {
      plan.Diritto();
      if (plan.j() > kMetroTracciatoMassimo) {
        Stop(error_number::kCurve);
        return AfterLine::Stopped;
      }
    }
    // The curve's end is first computed here, when the straight run before
    // it is stored: a sum beyond a Long fails with the straight run kept,
    // and a straight run past the geometry limit stops before it.
    const int64_t fine = AddLong(inizio, lunghezza);
    while (plan.j() <= fine) {
      plan.InCurva(state_.curvatura);
      if (plan.j() > kMetroTracciatoMassimo) {
        Stop(error_number::kCurve);
        return AfterLine::Stopped;
      }
    }
    state_.metro_tracciato = static_cast<int32_t>(plan.j());
    return AfterLine::GoOn;
  }

  AfterLine ReadMountain() {
    BeginValues(keyword::kMontagna);
    const int32_t inizio = ReadLong();
    const int32_t fine = ReadLong();
    int32_t tipo = ReadLong();
    if (FailsRangeTest(inizio)) return AfterLine::Close;
    if (warn_) WarnMountain(inizio, fine, tipo);
    NamingCause([&] { memo_montagna(model_, inizio, fine, tipo); },
                [&](RuntimeFailure& failure) {
                  const causes::Cause cause = causes::MountainOutside(failure, inizio, fine, model_);
                  failure.SetCause(ValueAt(cause.value), cause.text);
                });
    return AfterLine::GoOn;
  }

  void WarnMountain(int32_t inizio, int32_t fine, int32_t tipo) {
    WarnRunOut("the mountain", inizio);
    if (fine < inizio)
      warn_->Warn(ws_.at, WarningKind::NegativeLength,
                  "the mountain from " + Metres(inizio) + " ends before it starts, at " + Metres(fine) +
                      ": it covers no cell");
    const int64_t type = tipo > 10 ? int64_t{tipo} - 10 : tipo;
    if (type < 0 || type > 255)
      warn_->Warn(ws_.at, WarningKind::LowBits,
                  "the mountain type " + std::to_string(tipo) + " does not fit a byte: only its low 8 bits are kept (" +
                      std::to_string(static_cast<int>(static_cast<uint8_t>(type & 0xFF))) + ")");
  }

  AfterLine ReadIndicator() {
    BeginValues(keyword::kIndicatoriVmax);
    std::array<int32_t, 9> v{};
    for (int32_t& value : v) value = ReadLong();
    const int32_t posizione = v[0];
    if (FailsRangeTest(posizione)) return AfterLine::Close;
    if (warn_) WarnRunOut("the maximum-speed indicator", posizione);
    NamingCause(
        [&] { memo_indicatori_v_max(model_, posizione, v[1], v[2], v[3], v[4], v[5], v[6], v[7], v[8]); },
        [&](RuntimeFailure& failure) {
          const causes::Cause cause = causes::IndicatorValues(failure, v);
          failure.SetCause(ValueAt(cause.value), cause.text);
        });
    if (model_.codice_errore > 0) {
      source_.CloseAndDelete();
      model_.posizione_errore = posizione;
      return AfterLine::Stopped;
    }
    return AfterLine::GoOn;
  }

  AfterLine ReadBoard() {
    BeginValues(keyword::kCartelloIndicatore);
    const int32_t posizione = ReadLong();
    state_.riga = source_.fields().ReadText();  // the caption
    if (warn_) warn_->TextRead("caption", state_.riga, source_.fields().last_field());
    if (FailsRangeTest(posizione)) return AfterLine::Close;
    rec_cella& cell = NamingCause(
        [&]() -> rec_cella& { return cella(model_, round_half_even(InCells(posizione) + 1)); },
        [&](RuntimeFailure& failure) {
          failure.SetCause(ValueAt(0), causes::PointBeforeRoute("the indication board", posizione, failure.index()));
        });
    if (cella_occupata(cell)) {
      Stop(error_number::kBoardCellTaken);
      model_.posizione_errore = posizione;
      return AfterLine::Stopped;
    }
    if (warn_) {
      WarnRunOut("the indication board", posizione);
      if (state_.indice_cartello == 0)
        warn_->Warn(ws_.at, WarningKind::CaptionRecordZero,
                    "this is the 81st indication board: its caption takes record 0 of the station table, "
                    "below the 80 records kept for captions; and with 80 boards or more no station can be "
                    "stored");
    }
    cell.tipo_cella = tipo::cartello;
    cell.valore_1 = Low16(state_.indice_cartello);
    NamingCause([&] { stazione(model_, state_.indice_cartello).nome = state_.riga; },
                [&](RuntimeFailure& failure) {
                  failure.SetCause(source_.fields().keyword_position(), causes::TooManyBoards(state_.indice_cartello));
                });
    state_.indice_cartello = SubtractLong(state_.indice_cartello, 1);
    return AfterLine::GoOn;
  }

  void Close() {
    source_.CloseAndDelete();
    // The gradient in force runs on to the third cell from the end.
    FillGradientCells(static_cast<int64_t>(model_.ultima_cella) - 2);
    // The plan runs straight on to the third point from the end.
    if (model_.compila_linea != 0) {
      PlanCursor plan(model_.tracciato, state_.metro_tracciato);
      while (plan.j() <= static_cast<int64_t>(model_.lunghezza_estesa) - 2) plan.Diritto();
      state_.metro_tracciato = static_cast<int32_t>(plan.j());
    }
  }

  ScenarioModel& model_;
  OpenSource& source_;
  SourceWarnings* warn_;
  LineReaderState state_;
  LineWarningState ws_;
};

// One zone of the progressive records.
struct Zona {
  int32_t inizio = 0;
  int32_t fine = 0;
  int32_t progressiva = 0;
};

Zona ZonaOf(const rec_stazione& record) { return {record.inizio_zona, record.fine_zona, record.progressiva}; }

}  // namespace

LineReadOutcome ReadLineDescription(ScenarioModel& model, const Workspace& workspace, ReadingPlace* place,
                                    ReadingObserver* observer) {
  const std::string name = LineSourceName(model.nome_linea);
  if (!workspace.files.FileExists(workspace.PathOf(name))) {
    model.codice_errore = error_number::kNoLineFile;
    return {false, kPrimoCartello};
  }
  OpenSource source(workspace, name, place, observer, &LineVocabulary());
  LineReader reader(model, source);
  return reader.Run();
}

void progressive_ordina(ScenarioModel& model) {
  const Zona t = ZonaOf(model.stazioni[kRecordProgressivaTre]);
  const Zona d = ZonaOf(model.stazioni[kRecordProgressivaDue]);
  const Zona u = ZonaOf(model.stazioni[kRecordProgressivaUno]);
  std::array<Zona, 3> ordinate{};

  if (AddLong(AddLong(t.inizio, d.inizio), u.inizio) == 0) {
    // Starts adding up to 0 (all zones at the route's start): the zone with a
    // chainage leads, "uno" before "due" before "tre".
    if (t.fine > 0) ordinate = {t, d, u};
    if (d.fine > 0) ordinate = {d, t, u};
    if (u.fine > 0) ordinate = {u, d, t};
  } else {
    // Largest start first; two zones sharing the largest start leave none.
    if (t.inizio > d.inizio && t.inizio > u.inizio)
      ordinate = d.inizio > u.inizio ? std::array{t, d, u} : std::array{t, u, d};
    if (d.inizio > t.inizio && d.inizio > u.inizio)
      ordinate = t.inizio > u.inizio ? std::array{d, t, u} : std::array{d, u, t};
    if (u.inizio > t.inizio && u.inizio > d.inizio)
      ordinate = t.inizio > d.inizio ? std::array{u, t, d} : std::array{u, d, t};
  }

  const int records[3] = {kRecordProgressivaTre, kRecordProgressivaDue, kRecordProgressivaUno};
  for (size_t i = 0; i < ordinate.size(); ++i) {
    rec_stazione& record = model.stazioni[records[i]];
    record.inizio_zona = ordinate[i].inizio;
    record.fine_zona = ordinate[i].fine;
    record.progressiva = ordinate[i].progressiva;
  }
  // Only once all three zones are stored: a chainage that overflows leaves
  // the three records ordered.
  for (int r : records) {
    rec_stazione& record = model.stazioni[r];
    if (record.progressiva == 1) record.fine_zona = AddLong(record.fine_zona, 100);
  }
}

void memo_montagna(ScenarioModel& model, int32_t inizio, int32_t fine, int32_t& tipo) {
  bool marcatori = false;
  if (tipo > 10) {
    tipo = tipo - 10;
    marcatori = true;
  }
  model.numero_montagne = AddLong(model.numero_montagne, 1);
  MountainSlot(model.montagne_inizio, model.numero_montagne) = inizio;
  MountainSlot(model.montagne_fine, model.numero_montagne) = fine;
  if (model.numero_montagne > 1 &&
      SubtractLong(inizio, MountainSlot(model.montagne_fine, model.numero_montagne - 1)) <= kDistanzaMontagne)
    tipo = 3;

  const int64_t prima = round_half_even(InCells(inizio));
  const int64_t ultima = round_half_even(InCells(fine) - 1);
  int64_t contate = 0;
  for (int64_t indice = prima; indice <= ultima; ++indice) {
    rec_cella& cell = cella(model, indice);
    ++contate;
    cell.montagna = Low8(tipo);
    if (marcatori && contate % 4 == 0 && cell.tipo_cella == tipo::libera)
      cell.tipo_cella = tipo::marcatore_montagna;
  }
}

void memo_indicatori_v_max(ScenarioModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced) {
  rec_cella& cell = cella(model, round_half_even(InCells(posizione) + 1));
  if (cella_occupata(cell)) {
    model.codice_errore = error_number::kIndicatorCellTaken;
    return;
  }
  cell.tipo_cella = tipo::indicatore_v_max;
  cell.valore_1 = RoundToInteger(static_cast<double>(vas) * 20 + static_cast<double>(vad) / 5);
  cell.valore_2 = RoundToInteger(static_cast<double>(vbs) * 20 + static_cast<double>(vbd) / 5);
  cell.valore_3 = RoundToInteger(static_cast<double>(vcs) * 20 + static_cast<double>(vcd) / 5);
  cell.valore_4 = Low16(AddLong(MultiplyLong(strisces, 10), strisced));
}

}  // namespace scenario
