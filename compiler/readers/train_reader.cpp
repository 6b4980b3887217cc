// The reading of the train service: its general section, the steps of
// speed and adhesion, signals, slowdowns, code changes and stations, and
// the closing fill of the route.
#include "compiler/readers/train_reader.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields/arithmetic.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/fields/failure_causes.h"
#include "compiler/fields/keyword_match.h"
#include "compiler/fields/keyword_table.h"
#include "compiler/fields/model_access.h"
#include "compiler/fields/reading_rules.h"
#include "compiler/fields/runtime_failure.h"
#include "compiler/fields/source_warnings.h"
#include "compiler/readers/signal_placement.h"
#include "compiler/readers/slowdown_placement.h"
#include "compiler/readers/train_reader_parts.h"
#include "model/file_names.h"

namespace scenario {

namespace train_reading {

namespace {

// Up to two comment fields are passed over before a keyword; the third field
// is taken whatever it holds.
constexpr int kCommentsBeforeKeyword = 2;
// A station's zone must begin this far after the previous station's zone ends.
constexpr int32_t kStationSpacing = 350;
// The largest values that still mean a train: warned of above them.
constexpr int64_t kMostBrakedMass = 300;
constexpr int64_t kMostCoaches = 100;

uint8_t SpeedFifth(int32_t speed) { return RoundToByte(speed / 5.0); }

uint8_t AdhesionByte(int32_t adhesion) { return Low8(adhesion); }

}  // namespace

std::vector<PlaceWritten> PlacesWritten(std::string_view text, int first_line, std::string_view keyword) {
  std::vector<PlaceWritten> places;
  size_t start = 0;
  for (int line = first_line; start < text.size(); ++line) {
    // A line end is CR LF, LF alone or CR alone.
    size_t end = text.find_first_of("\r\n", start);
    if (end == std::string_view::npos) end = text.size();
    std::string_view rest = text.substr(start, end - start);
    start = end + (text.substr(end, 2) == "\r\n" ? 2 : 1);
    const size_t first = rest.find_first_not_of(" \t");
    if (first == std::string_view::npos) continue;
    rest.remove_prefix(first);
    // The reading ends at [fine]: nothing after it is read.
    if (rest.size() >= 6 && rest[0] == '[' && (rest.substr(1, 5) == "fine]" || rest.substr(1, 5) == "FINE]")) break;
    bool same = rest.size() >= keyword.size();
    for (size_t i = 0; same && i < keyword.size(); ++i) same = (rest[i] | 0x20) == keyword[i];
    if (!same) continue;
    rest.remove_prefix(keyword.size());
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
    if (rest.empty() || rest[0] != ',') continue;
    rest.remove_prefix(1);
    rest.remove_prefix(std::min(rest.size(), rest.find_first_not_of(" \t")));
    int32_t place = 0;
    size_t digits = 0;
    while (digits < rest.size() && digits < 9 && rest[digits] >= '0' && rest[digits] <= '9')
      place = place * 10 + (rest[digits++] - '0');
    if (digits == 0 || (digits < rest.size() && rest[digits] >= '0' && rest[digits] <= '9')) continue;
    places.push_back({line, place});
  }
  return places;
}

void TrainServiceReading::Run() {
  // Everything before the general section is passed over.
  bool general_found = false;
  while (!source_.AtEnd()) {
    const std::string field = source_.ReadKeyword();
    if (ContainsIgnoringCase(field, "[generale]")) {
      general_found = true;
      break;
    }
    if (warn_) WarnBeforeGeneral(field);
  }
  general_found_ = general_found;
  if (warn_) {
    if (general_found)
      warn_->EnterSection("generale");
    else
      warn_->Warn({}, WarningKind::EmptyService,
                  "the train service has no [generale] line: nothing in it is read, so the train has no "
                  "station, no speed limit and no adhesion");
  }
  std::string riga;
  while (source_.ReadKeywordPassingComments(kCommentsBeforeKeyword, &riga)) {
    AfterLine next = HandleLine(riga);
    if (next == AfterLine::Stopped) return;
    if (next == AfterLine::Close) break;
  }
  Close();
}

// Every keyword test is made on the same field, in this order; a field
// that matches several reads the values of each in turn.
AfterLine TrainServiceReading::HandleLine(const std::string& riga) {
  if (warn_) WarnField(riga);
  if (ContainsIgnoringCase(riga, "frenata") && ContainsIgnoringCase(riga, "massa")) {
    fields_.BeginValues(keyword::kMassaFrenata);
    stazione(model_, kRecordDatiGenerali).inizio_zona = fields_.ReadLong();
    if (warn_)
      warn_->OutsideRange(ValueAt(0), "the braked-mass percentage", stazione(model_, kRecordDatiGenerali).inizio_zona,
                          0, kMostBrakedMass, "a braked-mass percentage");
  }
  if (ContainsIgnoringCase(riga, "vetture")) {
    fields_.BeginValues(keyword::kNumeroVetture);
    stazione(model_, kRecordDatiGenerali).progressiva = fields_.ReadLong();
    if (warn_)
      warn_->OutsideRange(ValueAt(0), "the number of coaches", stazione(model_, kRecordDatiGenerali).progressiva, 1,
                          kMostCoaches, "a train's coaches");
  }
  if (ContainsIgnoringCase(riga, "velocit")) {
    fields_.BeginValues(keyword::kVelocita);
    if (AfterLine next = ReadStep(speed_, &rec_cella::velocita_limite, SpeedFifth); next != AfterLine::GoOn)
      return next;
  }
  if (ContainsIgnoringCase(riga, "aderenza")) {
    fields_.BeginValues(keyword::kAderenza);
    if (AfterLine next = ReadStep(adhesion_, &rec_cella::aderenza, AdhesionByte); next != AfterLine::GoOn)
      return next;
  }
  if (ContainsIgnoringCase(riga, "orologio")) {
    fields_.BeginValues(keyword::kOrologio);
    rec_stazione& treno = stazione(model_, kRecordTreno);
    treno.par_7 = fields_.ReadInteger();
    treno.par_8 = fields_.ReadInteger();
    treno.par_9 = fields_.ReadInteger();
    if (warn_) WarnTimeOfDay("the clock's", treno.par_7, treno.par_8, treno.par_9);
  }
  if (ContainsIgnoringCase(riga, "sabbia")) {
    fields_.BeginValues(keyword::kSabbia);
    stazione(model_, kRecordTreno).par_4 = fields_.ReadInteger();
  }
  if (ContainsIgnoringCase(riga, "segnale")) {
    if (AfterLine next = ReadSignal(); next != AfterLine::GoOn) return next;
  }
  if (ContainsIgnoringCase(riga, "rallentamento")) {
    if (AfterLine next = ReadSlowdown(); next != AfterLine::GoOn) return next;
  }
  if (ContainsIgnoringCase(riga, "abbattimento")) {
    if (AfterLine next = ReadCodeChange(); next != AfterLine::GoOn) return next;
  }
  if (ContainsIgnoringCase(riga, "stazione")) return ReadStation();
  return AfterLine::GoOn;
}

// An item beyond the route's reach: recorded, and the reading goes on to
// the closing steps.
AfterLine TrainServiceReading::OutOfRange(int32_t posizione, const std::string& item, double margin) {
  model_.codice_errore = error_number::kBeyondRoute;
  model_.posizione_errore = posizione;
  source_.ExplainStop(ValueAt(0), causes::BeyondRoute(item, posizione, margin, model_) +
                                      "; the reading of the train service stops here");
  stopped_short_ = true;
  return AfterLine::Close;
}

// What took route cell `cell`, when the warnings know it.
std::string TrainServiceReading::HolderOf(int64_t cell) const {
  return warn_ ? warn_->HolderOf(cell) : std::string();
}

// Where value `index` of the line being read began; its keyword for
// causes::kKeyword.
FieldPosition TrainServiceReading::ValueAt(size_t index) const {
  return index == causes::kKeyword ? fields_.keyword_position() : fields_.value_position(index);
}

AfterLine TrainServiceReading::Stop(int32_t numero, int32_t posizione) {
  source_.CloseAndDelete();
  model_.codice_errore = numero;
  model_.posizione_errore = posizione;
  return AfterLine::Stopped;
}

AfterLine TrainServiceReading::StopKeepingPosition(int32_t numero) {
  source_.CloseAndDelete();
  model_.codice_errore = numero;
  return AfterLine::Stopped;
}

// Gives `fill.previous` to the cells from the fill index up to the cell
// before `end`, never past the route's last cell; at least one cell.
template <typename ValueOf>
void TrainServiceReading::FillSteps(StepFill& fill, uint8_t rec_cella::*field, ValueOf value_of, int64_t end) {
  if (fill.index >= model_.ultima_cella) return;
  const WritingForLine writing(source_, fill.previous_at);
  const uint8_t value = StepValue(fill, value_of);
  do {
    if (fill.index >= model_.ultima_cella) break;
    cella(model_, fill.index).*field = value;
    ++fill.index;
  } while (fill.index < end);
}

// The value a step line gives its cells. It is computed when the next
// line of its kind, or the end of the file, fills them: a value that does
// not fit is the fault of the line that gave it. Only a speed can fail
// (its fifth must fit a byte); an adhesion keeps its low bits.
template <typename ValueOf>
uint8_t TrainServiceReading::StepValue(const StepFill& fill, ValueOf value_of) {
  return NamingCause([&] { return value_of(fill.previous); }, [&](RuntimeFailure& failure) {
    failure.SetCause(fill.previous_at, causes::SpeedFifth(fill.previous, fill.previous_at),
                     causes::SpeedFifthFix(fill.previous, fill.previous_at));
  });
}

template <typename ValueOf>
AfterLine TrainServiceReading::ReadStep(StepFill& fill, uint8_t rec_cella::*field, ValueOf value_of) {
  const int32_t posizione = fields_.ReadLong();
  const int32_t value = fields_.ReadLong();
  if (!FitsRoute(model_, posizione, kItemMargin))
    return OutOfRange(posizione, &fill == &speed_ ? "the speed step" : "the adhesion step");
  const int64_t first_cell = round_half_even(InCells(posizione));
  if (warn_) {
    if (&fill == &speed_) {
      WarnStep("speed", ws_.speed_seen, ws_.speed_position, fill, posizione, first_cell);
      if (value % 5 != 0 && value > 0 && value <= 1275)
        warn_->Warn(fields_.value_position(1), WarningKind::ValueRange,
                    "the speed " + std::to_string(value) + " km/h is kept in steps of 5 km/h: it is compiled as " +
                        std::to_string(5 * static_cast<int>(RoundToByte(value / 5.0))) +
                        " km/h; write a multiple of 5");
    } else {
      WarnStep("adhesion", ws_.adhesion_seen, ws_.adhesion_position, fill, posizione, first_cell);
      if (value < 0 || value > 255)
        warn_->Warn(ws_.at, WarningKind::LowBits,
                    "the adhesion " + std::to_string(value) + " does not fit a byte: only its low 8 bits are kept (" +
                        std::to_string(static_cast<int>(Low8(value))) + ")");
    }
  }
  if (first_cell > 0) FillSteps(fill, field, value_of, first_cell);
  fill.previous = value;
  fill.previous_at = fields_.value_position(1);
  return AfterLine::GoOn;
}

AfterLine TrainServiceReading::ReadSignal() {
  fields_.BeginValues(keyword::kSegnale);
  int32_t posizione = fields_.ReadLong();
  int32_t sx = fields_.ReadLong();
  int32_t s1 = fields_.ReadLong();
  int32_t s2 = fields_.ReadLong();
  int32_t s3 = fields_.ReadLong();
  int32_t rapp = fields_.ReadLong();
  int32_t dx = fields_.ReadLong();
  int32_t d1 = fields_.ReadLong();
  int32_t d2 = fields_.ReadLong();
  int32_t d3 = fields_.ReadLong();
  int32_t tempo = fields_.ReadLong();
  if (!FitsRoute(model_, posizione, kItemMargin)) return OutOfRange(posizione, "the signal");
  if (warn_) {
    WarnRunOut("the signal", posizione);
    WarnSignalBits(sx, s1, s2, s3, rapp, dx, d1, d2, d3);
    WarnSignalCodes(sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
    if (sx == 2 && (tempo < 0 || tempo > 255))
      warn_->Warn(ws_.at, WarningKind::LowBits,
                  "the signal's time " + std::to_string(tempo) + " does not fit a byte: only its low 8 bits are kept (" +
                      std::to_string(static_cast<int>(Low8(tempo))) + ")");
  }
  const std::array<int32_t, 11> read = {posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo};
  std::optional<MarkerWatch> watch;
  if (warn_) watch.emplace(model_);
  const int64_t signal_cell = round_half_even(InCells(posizione) + 1);
  std::vector<int64_t> mark_cells;
  for (int64_t n = 1; n <= 4; ++n) mark_cells.push_back(signal_cell - 2 * n);
  const std::vector<int> marks_before = warn_ ? MarksOn(mark_cells) : std::vector<int>();
  NamingCause([&] { memo_segnale(model_, posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo); },
              [&](RuntimeFailure& failure) {
                const causes::Cause cause = causes::SignalOutside(failure, read);
                failure.SetCause(ValueAt(cause.value), cause.text);
              });
  // Any error in the slot stops the reading here, also one left by the
  // line description.
  if (model_.codice_errore == error_number::kSignalCellTaken)
    source_.ExplainStop(ValueAt(0), CellTaken("the signal", posizione, signal_cell, 1, HolderOf(signal_cell), model_));
  if (model_.codice_errore > 0) return Stop(model_.codice_errore, posizione);
  if (warn_) {
    warn_->Holds(signal_cell, "the signal at " + Metres(posizione), ValueAt(0));
    WarnMarksReplaced("the signal at " + Metres(posizione), mark_cells, marks_before);
  }
  if (watch) watch->After(*warn_, model_, ValueAt(0), "the signal", posizione);
  return AfterLine::GoOn;
}

AfterLine TrainServiceReading::ReadSlowdown() {
  fields_.BeginValues(keyword::kRallentamento);
  int32_t x = fields_.ReadLong();
  int32_t v = fields_.ReadLong();
  int32_t l = fields_.ReadLong();
  int32_t f_tt = fields_.ReadLong();
  int32_t f_ta = fields_.ReadLong();
  int32_t d_v = fields_.ReadLong();
  if (!FitsRoute(model_, x, kItemMargin)) return OutOfRange(x, "the slowdown");
  if (warn_) {
    WarnSlowdown(x, l);
    warn_->SixteenBits(ValueAt(1), "the slowdown's speed v", v);
    if (v <= 0)
      warn_->Warn(ValueAt(1), WarningKind::ValueRange,
                  "the slowdown's speed v is " + std::to_string(v) +
                      " km/h: a slowdown gives the speed the train may keep along it, and at " + std::to_string(v) +
                      " km/h it cannot pass; write that speed, such as 30");
    if (f_ta != 0 && f_ta != 1)
      warn_->Warn(ValueAt(4), WarningKind::UnknownCode,
                  "the slowdown's f_ta " + std::to_string(f_ta) +
                      " is a flag, read only as 0 or not 0: it is compiled as 1 (marker cells before the warning "
                      "board); write 0 or 1");
    warn_->SixteenBits(ValueAt(3), "the slowdown's f_tt", f_tt);
    if (d_v != 0) warn_->SixteenBits(ValueAt(5), "the slowdown's d_v", d_v);
  }
  std::optional<MarkerWatch> watch;
  if (warn_) watch.emplace(model_);
  NamingCause([&] { memo_rallentamento(model_, x, v, l, f_tt, f_ta, d_v); },
              [&](RuntimeFailure& failure) {
                const causes::Cause cause = causes::SlowdownOutside(failure, x, l, model_);
                failure.SetCause(ValueAt(cause.value), cause.text);
              });
  // The cells of the slowdown: its warning board 1200 m before it, its
  // start and its end.
  const int64_t board = round_half_even(InCells(x - 1200.0) + 1);
  const int64_t start = round_half_even(InCells(x) + 1);
  const int64_t end = round_half_even(InCells(static_cast<double>(x) + l) + 1);
  switch (model_.codice_errore) {
    case error_number::kWarningBoardCellTaken:
      source_.ExplainStop(ValueAt(0), CellTaken("the warning board of the slowdown, 1200 m before it,", x - 1200,
                                                board, 1, HolderOf(board), model_));
      break;
    case error_number::kSlowdownStartCellTaken:
      source_.ExplainStop(ValueAt(0), CellTaken("the start of the slowdown", x, start, 1, HolderOf(start), model_));
      break;
    case error_number::kSlowdownEndCellTaken:
      source_.ExplainStop(ValueAt(2), CellTaken("the end of the slowdown", x + l, end, 1, HolderOf(end), model_));
      break;
    default: break;
  }
  if (model_.codice_errore > 0) return Stop(model_.codice_errore, x);
  if (warn_) {
    if (board >= 0 && static_cast<size_t>(board) < model_.percorso.size() &&
        model_.percorso[static_cast<size_t>(board)].tipo_cella == tipo::avviso_rallentamento)
      warn_->Holds(board, "the warning board of the slowdown at " + Metres(x), ValueAt(0));
    warn_->Holds(end, "the end of the slowdown at " + Metres(x), ValueAt(2));
    warn_->Holds(start, "the start of the slowdown at " + Metres(x), ValueAt(0));
  }
  if (watch) watch->After(*warn_, model_, ValueAt(0), "the slowdown", x);
  return AfterLine::GoOn;
}

AfterLine TrainServiceReading::ReadCodeChange() {
  fields_.BeginValues(keyword::kAbbattimento);
  const int32_t posizione = fields_.ReadLong();
  const int32_t value = fields_.ReadLong();
  if (!FitsRoute(model_, posizione, kItemMargin)) return OutOfRange(posizione, "the code change");
  if (warn_) {
    WarnRunOut("the code change", posizione);
    if (value > 32767)
      warn_->Warn(ws_.at, WarningKind::LowBits,
                  "the code-change value " + std::to_string(value) +
                      " does not fit 16 bits: only its low 16 bits are kept (" + std::to_string(Low16(value)) + ")");
  }
  rec_cella& cell = NamingCause(
      [&]() -> rec_cella& { return cella(model_, round_half_even(InCells(posizione))); },
      [&](RuntimeFailure& failure) {
        failure.SetCause(ValueAt(0), causes::PointBeforeRoute("the code change", posizione, failure.index()));
      });
  const int64_t change_cell = round_half_even(InCells(posizione));
  if (cella_occupata(cell)) {
    source_.ExplainStop(ValueAt(0), CellTaken("the code change", posizione, change_cell, 0, HolderOf(change_cell),
                                              model_));
    return Stop(error_number::kCodeChangeCellTaken, posizione);
  }
  if (warn_) warn_->Holds(change_cell, "the code change at " + Metres(posizione), ValueAt(0));
  std::optional<MarkerWatch> watch;
  if (warn_) watch.emplace(model_);
  if (value > 0) {
    cell.tipo_cella = tipo::cambio_codice;
    cell.valore_1 = Low16(value);
  } else {
    cell.tipo_cella = tipo::cambio_codice_abbattimento;
  }
  if (watch) watch->After(*warn_, model_, ValueAt(0), "the code change", posizione);
  return AfterLine::GoOn;
}

AfterLine TrainServiceReading::ReadStation() {
  // The records above the next caption slot hold the line's board
  // captions: a station never goes there.
  if (station_index_ > indice_cartello_) return StopKeepingPosition(error_number::kNoStationRecordLeft);
  const int32_t i = station_index_;
  rec_stazione& record = stazione(model_, i);

  int32_t length = 0;
  if (AfterLine next = ReadStationFields(record, &length); next != AfterLine::GoOn) return next;
  const int32_t p = record.progressiva;
  if (warn_) WarnStation(record, length);
  const AfterLine placed = NamingCause(
      [&] {
        const uint8_t par_2 = record.par_2;
        const uint8_t par_3 = record.par_3;
        SetStationZone(record, i, length);
        if (warn_) WarnFlagsDropped(record, i, length, par_2, par_3);
        if (AfterLine next = MarkStationCells(record, i); next != AfterLine::GoOn) return next;
        if (i > 1 && NamingCause([&] { return SubtractLong(record.inizio_zona, kStationSpacing); },
                                 [&](RuntimeFailure& failure) {
                                   failure.SetCause(ValueAt(0), causes::SpacingOverflow(record));
                                 }) < stazione(model_, i - 1).fine_zona) {
          // The station before stands further along than this one: when
          // it alone is out of order (the one before it and the one after
          // this one both stand nearer than it), the cause is there.
          const rec_stazione& previous = stazione(model_, i - 1);
          // A station at 0 m after the first one read is where the route
          // begins, and the first one is out of place.
          const std::vector<PlaceWritten> after = PlacesWritten(fields_.Unread(), fields_.UnreadLine(), "stazione");
          const std::optional<int32_t> next =
              after.empty() ? std::nullopt : std::optional<int32_t>(after.front().place);
          const bool previous_out =
              p <= previous.progressiva && previous_station_at_.line > 0 && next &&
              ((i == 2 && p == 0) ||
               ((i == 2 || stazione(model_, i - 2).progressiva < p) && *next > p && *next < previous.progressiva));
          if (previous_out)
            source_.ExplainStop(previous_station_at_,
                                causes::StationOutOfOrder(previous, record, fields_.keyword_position().line, *next));
          else
            source_.ExplainStop(ValueAt(0), causes::StationsTooClose(record, previous, previous_station_line_));
          return Stop(error_number::kStationsTooClose, p);
        }
        return AfterLine::GoOn;
      },
      [&](RuntimeFailure& failure) {
        const causes::Cause cause = causes::StationZone(failure, record, length, model_);
        failure.SetCause(ValueAt(cause.value), cause.text);
      });
  if (placed != AfterLine::GoOn) return placed;

  ++station_index_;
  previous_station_line_ = fields_.keyword_position().line;
  previous_station_at_ = ValueAt(0);
  if (station_index_ >= indice_cartello_) return StopKeepingPosition(error_number::kNoStationRecordLeft);
  return AfterLine::GoOn;
}

// The seventeen values of a station line, with the tests made between
// them; the station's length goes to `length`.
AfterLine TrainServiceReading::ReadStationFields(rec_stazione& record, int32_t* length) {
  fields_.BeginValues(keyword::kStazione);
  const int32_t p = fields_.ReadLong();
  record.progressiva = p;
  if (!FitsRoute(model_, p, kStationMargin)) return OutOfRange(p, "the station", kStationMargin);
  if (p % kMetresPerCell != 0) return Stop(error_number::kStationOffCell, p);
  record.tipo_stazione = fields_.ReadByte();
  *length = fields_.ReadLong();
  if (*length % 100 != 0) return Stop(error_number::kStationLength, p);
  record.par_1 = fields_.ReadByte();
  record.par_2 = fields_.ReadByte();
  record.par_3 = fields_.ReadByte();
  record.par_4 = fields_.ReadInteger();
  record.par_5 = fields_.ReadInteger();
  record.par_6 = fields_.ReadByte();
  record.par_7 = fields_.ReadInteger();
  record.par_8 = fields_.ReadInteger();
  record.par_9 = fields_.ReadInteger();
  record.sosta = fields_.ReadByte();
  const int32_t hours = fields_.ReadLong();
  const int32_t minutes = fields_.ReadLong();
  const int32_t seconds = fields_.ReadLong();
  record.nome = fields_.ReadText();
  if (warn_) {
    const uint8_t flags[] = {record.par_1, record.par_2, record.par_3};
    for (size_t f = 0; f < 3; ++f) {
      if (flags[f] <= 1) continue;
      warn_->Warn(ValueAt(3 + f), WarningKind::UnknownCode,
                  "the station's par_" + std::to_string(f + 1) + " " + std::to_string(flags[f]) +
                      " is a flag, 0 or 1" +
                      (f == 2 ? ": the zone reads it only as 0 or not 0, as 1, and it is stored as it stands"
                              : ": it is stored as it stands") +
                      "; write 0 or 1");
    }
    warn_->TextRead("station name", record.nome, fields_.last_text());
    if (hours != 0 || minutes != 0 || seconds != 0) WarnTimeOfDay("the timetable's", hours, minutes, seconds, 13);
  }
  record.orario = NamingCause(
      [&] { return AddLong(MultiplyLong(AddLong(MultiplyLong(hours, 60), minutes), 60), seconds); },
      [&](RuntimeFailure& failure) {
        failure.SetCause(ValueAt(13), causes::TimetableOverflow(hours, minutes, seconds));
      });
  return AfterLine::GoOn;
}

// The station's zone around its position, by its kind; and the flags that
// a short station or the first one does not keep.
void TrainServiceReading::SetStationZone(rec_stazione& record, int32_t i, int32_t length) {
  const int32_t p = record.progressiva;
  const uint8_t t = record.tipo_stazione;
  if (t == 5 || t == 6) {
    record.fine_zona = AddLong(p, 150);
    record.inizio_zona = SubtractLong(p, length);
    record.par_3 = 0;
  } else if (t == 7 || t == 8) {
    record.inizio_zona = SubtractLong(p, length);
    record.fine_zona = AddLong(p, length);
    record.par_3 = 0;
  } else {
    record.inizio_zona = RoundToLong(p - length / 2.0);
    record.fine_zona = record.par_3 != 0 ? RoundToLong(p + length / 2.0 + 50.0)
                                         : RoundToLong(p + length / 2.0);
  }
  if (length < 600) record.par_2 = 0;
  if (i == 1) {
    record.par_3 = 0;
    record.par_2 = 0;
  }
}

// The approach marks before the end of the zone and the stop cell of a
// station of kind below 25.
AfterLine TrainServiceReading::MarkStationCells(const rec_stazione& record, int32_t i) {
  const uint8_t t = record.tipo_stazione;
  const double last_zone_cell = InCells(record.fine_zona);
  if (t < 25 && t != 5 && t != 6) {
    std::vector<int64_t> mark_cells;
    for (int j = 1; j <= 4; ++j) {
      const double y = last_zone_cell - j - 1;
      if (y > 1) mark_cells.push_back(round_half_even(y));
    }
    const std::vector<int> marks_before = warn_ ? MarksOn(mark_cells) : std::vector<int>();
    for (int j = 1; j <= 4; ++j) {
      const double y = last_zone_cell - j - 1;
      if (y > 1) cella(model_, round_half_even(y)).avviso = static_cast<uint8_t>(80 + j);
    }
    if (warn_) WarnMarksReplaced("the station '" + record.nome + "'", mark_cells, marks_before);
  }
  if (t < 25) {
    const double y = last_zone_cell - 1;
    if (y <= 1) return StopKeepingPosition(error_number::kStationZoneAtRouteStart);
    rec_cella& stop_cell = cella(model_, round_half_even(y));
    if (warn_ && cella_occupata(stop_cell)) WarnStopCellTaken(record, stop_cell, round_half_even(y));
    if (warn_)
      warn_->Holds(round_half_even(y), "the stop cell of the station '" + record.nome + "'",
                   fields_.keyword_position());
    stop_cell.tipo_cella = tipo::fermata_stazione;
    stop_cell.valore_1 = Low16(i);
  }
  return AfterLine::GoOn;
}

void TrainServiceReading::Close() {
  // Lines after an error 15 were never read: what they would give is not
  // missing.
  if (warn_ && general_found_ && !stopped_short_) {
    if (!ws_.station_seen)
      warn_->Warn({}, WarningKind::EmptyService, "the train service has no station line ('stazione')");
    if (!ws_.speed_seen)
      warn_->Warn({}, WarningKind::EmptyService,
                  "the train service has no speed step ('velocita'): the speed limit is 0 along the whole route");
    if (!ws_.adhesion_seen)
      warn_->Warn({}, WarningKind::EmptyService,
                  "the train service has no adhesion step ('aderenza'): the adhesion is 0 along the whole route");
  }
  source_.CloseAndDelete();
  // The last value of each kind holds to the end of the route, short of
  // its last three cells.
  const int64_t end = int64_t{model_.ultima_cella} - 2;
  {
    const WritingForLine writing(source_, speed_.previous_at);
    const uint8_t speed = StepValue(speed_, SpeedFifth);
    do {
      cella(model_, speed_.index).velocita_limite = speed;
      ++speed_.index;
    } while (speed_.index < end);
  }
  {
    const WritingForLine writing(source_, adhesion_.previous_at);
    const uint8_t adhesion = StepValue(adhesion_, AdhesionByte);
    do {
      cella(model_, adhesion_.index).aderenza = adhesion;
      ++adhesion_.index;
    } while (adhesion_.index < end);
  }
  // The line's kilometric progressives must fall on whole cells.
  for (int r : {kRecordProgressivaTre, kRecordProgressivaDue, kRecordProgressivaUno}) {
    const rec_stazione& progressive = stazione(model_, r);
    if (progressive.inizio_zona % kMetresPerCell != 0 || progressive.fine_zona % kMetresPerCell != 0)
      model_.codice_errore = error_number::kProgressiveOffCell;
  }
}

}  // namespace train_reading

void ReadTrainService(ScenarioModel& model, const Workspace& workspace, int32_t indice_cartello,
                      ReadingPlace* place, ReadingObserver* observer) {
  OpenSource source(workspace, TrainSourceName(model.nome_linea, model.numero_treno), place, observer,
                    &TrainVocabulary());
  train_reading::TrainServiceReading(model, source, indice_cartello).Run();
}

}  // namespace scenario
