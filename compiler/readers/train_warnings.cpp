// The warnings of the train service reader: told only while an observer
// listens, about lines that compile but not as their author may think.
#include "compiler/readers/train_reader_parts.h"

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields/arithmetic.h"
#include "compiler/fields/keyword_match.h"
#include "compiler/fields/model_access.h"
#include "compiler/fields/source_warnings.h"

namespace scenario {

namespace train_reading {

namespace {

// A time of day in seconds as hours:minutes:seconds.
std::string ClockText(int32_t seconds) {
  auto two = [](int32_t n) { return (n < 10 ? "0" : "") + std::to_string(n); };
  if (seconds < 0) return std::to_string(seconds) + " s";
  return std::to_string(seconds / 3600) + ":" + two(seconds / 60 % 60) + ":" + two(seconds % 60);
}

// The words, with commas between them and "and" before the last.
std::string Joined(const std::vector<std::string>& words) {
  std::string text;
  for (size_t i = 0; i < words.size(); ++i) {
    if (i > 0) text += i + 1 == words.size() ? " and " : ", ";
    text += words[i];
  }
  return text;
}

}  // namespace

// A field before the general section, which the reading passes over.
void TrainServiceReading::WarnBeforeGeneral(const std::string& field) {
  const FieldPosition at = fields_.last_field();
  if (warned_before_general_) return;
  if (warn_->GeneralMisspelt(field, at)) {
    warned_before_general_ = true;
    return;
  }
  if (field.empty() || IsComment(field) || !HeaderName(field).empty()) return;
  warned_before_general_ = true;
  warn_->Warn(at, WarningKind::WrongSection,
              "'" + field + "' stands before [generale]: everything before that line is skipped");
}

// The warnings of a keyword field: the section it stands in, a general
// value given again, a field no test knows.
void TrainServiceReading::WarnField(const std::string& riga) {
  ws_.at = fields_.last_field();
  struct Test {
    bool matched;
    const char* keyword;
    const char* section;
    int general;  // index of a general value, -1 for the others
  };
  const Test tests[] = {
      {ContainsIgnoringCase(riga, "frenata") && ContainsIgnoringCase(riga, "massa"), "percentuale massa frenata",
       "generale", 0},
      {ContainsIgnoringCase(riga, "vetture"), "numero vetture", "generale", 1},
      {ContainsIgnoringCase(riga, "velocit"), "velocita", "vel_limite", -1},
      {ContainsIgnoringCase(riga, "aderenza"), "aderenza", "aderenze", -1},
      {ContainsIgnoringCase(riga, "orologio"), "orologio", "generale", 2},
      {ContainsIgnoringCase(riga, "sabbia"), "sabbia", "generale", 3},
      {ContainsIgnoringCase(riga, "segnale"), "segnale", "segnali", -1},
      {ContainsIgnoringCase(riga, "rallentamento"), "rallentamento", "rallentamenti", -1},
      {ContainsIgnoringCase(riga, "abbattimento"), "abbattimento", "codici", -1},
      {ContainsIgnoringCase(riga, "stazione"), "stazione", "stazioni", -1}};
  bool matched = false;
  std::vector<std::string> keywords;
  for (const Test& test : tests)
    if (test.matched) keywords.push_back(test.keyword);
  warn_->SeveralKeywords(riga, ws_.at, keywords);
  for (const Test& test : tests) {
    if (!test.matched) continue;
    if (!matched) warn_->Recognised(test.keyword, test.section, ws_.at);
    matched = true;
    if (test.general < 0) continue;
    FieldPosition& before = ws_.general_lines[static_cast<size_t>(test.general)];
    if (before.line > 0 && !warn_->WarnedOnLine(ws_.at.line))
      warn_->Warn(ws_.at, WarningKind::ValueReplaced,
                  "'" + std::string(test.keyword) + "' is given again: this value replaces the one of line " +
                      std::to_string(before.line));
    before = ws_.at;
  }
  if (!matched) warn_->Unrecognised(riga, ws_.at);
}

// Hours, minutes and seconds (values 0 to 2 of the line, or from
// `first`) that make no time of day.
void TrainServiceReading::WarnTimeOfDay(const std::string& whose, int32_t hours, int32_t minutes, int32_t seconds,
                                        size_t first) {
  warn_->OutsideRange(ValueAt(first), whose + " hours", hours, 0, 23, "the hours of a time of day");
  warn_->OutsideRange(ValueAt(first + 1), whose + " minutes", minutes, 0, 59, "minutes");
  warn_->OutsideRange(ValueAt(first + 2), whose + " seconds", seconds, 0, 59, "seconds");
}

// An item placed beyond the line's own length, in the run-out after it.
void TrainServiceReading::WarnRunOut(const std::string& item, int32_t position) {
  const int32_t length = model_.stazioni[kRecordDatiGenerali].fine_zona;
  if (position <= length) return;
  warn_->Warn(ws_.at, WarningKind::RunOut,
              item + " at " + Metres(position) + " lies beyond the end of the line at " + Metres(length) +
                  ", in the 7000 m run-out after it");
}

// A step not beyond the step of its kind before it.
void TrainServiceReading::WarnStep(const char* kind, bool& seen, int32_t& previous_position, const StepFill& fill,
                                   int32_t position, int64_t first_cell) {
  // A step nearer the route's start written after the first one: the
  // first-step cause lies at that line, told there.
  std::optional<PlaceWritten> earlier;
  if (!seen && first_cell > 0)
    for (const PlaceWritten& later :
         PlacesWritten(fields_.Unread(), fields_.UnreadLine(), std::string_view(kind) == "speed" ? "velocita" : "aderenza"))
      if (later.place < position && later.line > ws_.at.line) {
        earlier = later;
        break;
      }
  if (earlier)
    warn_->Warn(FieldPosition{earlier->line, 1}, WarningKind::FirstStep,
                std::string("this ") + kind + " step at " + Metres(earlier->place) + " is written after the first " +
                    kind + " step, at " + Metres(position) + " (line " + std::to_string(ws_.at.line) +
                    "): steps are read in the order they are written, so the route before that one, up to cell " +
                    std::to_string(first_cell - 1) + ", has the " + kind +
                    " 0, and this step, read where it stands, replaces the value of the step read before it; write "
                    "this line before line " + std::to_string(ws_.at.line));
  else if (!seen && first_cell > 0)
    warn_->Warn(ws_.at, WarningKind::FirstStep,
                std::string("the first ") + kind + " step is at " + Metres(position) + ": the route before it, up to cell " +
                    std::to_string(first_cell - 1) + ", has the " + kind +
                    " 0; write the first step at 0 m");
  // A step told of already at its line (written after the first step) is
  // told once.
  if (seen && first_cell <= fill.index && !warn_->WarnedOnLine(ws_.at.line)) {
    if (first_cell > 0)
      warn_->Warn(ws_.at, WarningKind::PositionBack,
                  std::string("the ") + kind + " step at " + Metres(position) + " is not beyond the previous one at " +
                      Metres(previous_position) + ": the previous value keeps one more route cell, cell " +
                      std::to_string(fill.index) + ", and this one applies from cell " +
                      std::to_string(fill.index + 1) + " on");
    else
      warn_->Warn(ws_.at, WarningKind::PositionBack,
                  std::string("the ") + kind + " step at " + Metres(position) + " is not beyond the previous one at " +
                      Metres(previous_position) + ": it replaces it, and the previous value is never used");
  }
  seen = true;
  previous_position = position;
}

// The signal's values as its cell stores them: each sum in 16 bits, the
// code of the approach marks in 8.
void TrainServiceReading::WarnSignalBits(int64_t sx, int64_t s1, int64_t s2, int64_t s3, int64_t rapp, int64_t dx,
                                         int64_t d1, int64_t d2, int64_t d3) {
  const auto fits = [](int64_t v) { return v >= INT32_MIN && v <= INT32_MAX; };
  if (fits(rapp * 10) && fits(sx * 3) && fits(rapp * 10 + sx * 3))
    warn_->SixteenBits(ValueAt(5), "the signal's rapp × 10 + sx × 3 + dx (valore_4),", rapp * 10 + sx * 3 + dx);
  const int64_t tens[3] = {s1, s2, s3};
  const int64_t units[3] = {d1, d2, d3};
  for (size_t i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    if (fits(tens[i] * 10))
      warn_->SixteenBits(ValueAt(2 + i), "the signal's s" + n + " × 10 + d" + n + " (valore_" + n + "),",
                         tens[i] * 10 + units[i]);
  }
  const int64_t code = sx * 3 + dx;
  if (fits(sx * 3) && fits(code) && fits(code * 10) && (code * 10 + 1 < 0 || code * 10 + 4 > 255))
    warn_->Warn(ValueAt(1), WarningKind::LowBits,
                "the signal's approach marks, (sx × 3 + dx) × 10 + 1 to 4 = " + std::to_string(code * 10 + 1) +
                    " to " + std::to_string(code * 10 + 4) +
                    ", do not fit a byte (0 to 255): only their low 8 bits are kept, " +
                    std::to_string(Low8(code * 10 + 1)) + " to " + std::to_string(Low8(code * 10 + 4)) +
                    "; write sx and dx so that sx × 3 + dx lies from 0 to 25");
}

// Signal values outside what the packed cell reads back as, and a tempo
// that the compile bends or drops.
void TrainServiceReading::WarnSignalCodes(int32_t sx, int32_t s1, int32_t s2, int32_t s3, int32_t rapp, int32_t dx,
                                          int32_t d1, int32_t d2, int32_t d3, int32_t tempo) {
  const char* const names[] = {"s1", "s2", "s3"};
  const int32_t tens[] = {s1, s2, s3};
  const int32_t units[] = {d1, d2, d3};
  for (size_t i = 0; i < 3; ++i) {
    const std::string n = std::to_string(i + 1);
    warn_->OutsideRange(ValueAt(7 + i), std::string("the signal's d") + n, units[i], 0, 9,
                        "the units of valore_" + n + " (s" + n + " × 10 + d" + n + ")");
    if (tens[i] < 0)
      warn_->OutsideRange(ValueAt(2 + i), std::string("the signal's ") + names[i], tens[i], 0, INT32_MAX / 10,
                          "the tens of valore_" + n);
  }
  warn_->OutsideRange(ValueAt(6), "the signal's dx", dx, 0, 2, "dx in valore_4 (rapp × 10 + sx × 3 + dx)");
  if (rapp < 0) warn_->OutsideRange(ValueAt(5), "the signal's rapp", rapp, 0, 3276, "the tens of valore_4");
  if (int64_t{sx} * 3 + dx == 8)
    warn_->Warn(ValueAt(1), WarningKind::UnknownCode,
                "the signal's sx " + std::to_string(sx) + " and dx " + std::to_string(dx) +
                    " give sx × 3 + dx = 8, so its approach marks are 81 to 84, the marks of a station's stop: in "
                    "the compiled cells the two cannot be told apart; choose another sx or dx");
  if (sx == 2 && tempo >= 1 && tempo <= 100)
    warn_->Warn(ValueAt(10), WarningKind::UnknownCode,
                "the signal's tempo " + std::to_string(tempo) +
                    " lies from 1 to 100, and every such tempo is compiled as 101; write 0, or 101 to 255");
  else if (sx != 2 && tempo != 0)
    warn_->Warn(ValueAt(10), WarningKind::UnknownCode,
                "the signal's tempo " + std::to_string(tempo) + " is dropped: only a signal with sx 2 keeps its "
                "tempo, and this one has sx " + std::to_string(sx) + "; write 0, or sx 2");
}

void TrainServiceReading::WarnSlowdown(int32_t x, int32_t l) {
  WarnRunOut("the slowdown", x);
  if (x <= 1500)
    warn_->Warn(ws_.at, WarningKind::NoWarningBoard,
                "the slowdown at " + Metres(x) + " starts within the first 1500 m of the route: it gets no warning "
                "board 1200 m before it, and its f_ta is taken as 0; start it after 1500 m for a board");
  if (l < 0) {
    warn_->Warn(ws_.at, WarningKind::NegativeLength,
                "the slowdown at " + Metres(x) + " has a negative length, " + Metres(l) +
                    ": its end lies before its start");
  } else if (round_half_even(InCells(x) + 1) == round_half_even(InCells(static_cast<double>(x) + l) + 1)) {
    warn_->Warn(ws_.at, WarningKind::CellReplaced,
                "the slowdown at " + Metres(x) + " is " + Metres(l) +
                    " long: its start and its end fall in one route cell, and the start replaces the end");
  }
}

void TrainServiceReading::WarnStation(const rec_stazione& record, int32_t length) {
  const std::string name = "the station '" + record.nome + "'";
  WarnRunOut(name, record.progressiva);
  if (length < 0)
    warn_->Warn(ws_.at, WarningKind::NegativeLength,
                name + " has a negative length, " + Metres(length) + ": its zone is turned inside out");
  if (record.orario != 0) {
    if (record.orario < ws_.last_orario)
      warn_->Warn(ws_.at, WarningKind::TimetableBack,
                  name + " is timetabled at " + ClockText(record.orario) + ", before " + ws_.last_timed_station +
                      " at " + ClockText(ws_.last_orario));
    ws_.last_orario = record.orario;
    ws_.last_timed_station = name;
  }
  ws_.station_seen = true;
}

// The flags the station's zone rules store as 0, where the source gives
// them. The first station's par_2 is left unsaid: every service gives it
// there and every compile clears it.
void TrainServiceReading::WarnFlagsDropped(const rec_stazione& record, int32_t i, int32_t length, uint8_t par_2,
                                           uint8_t par_3) {
  const std::string station = "the station '" + record.nome + "'";
  if (par_2 != 0 && record.par_2 == 0 && i != 1)
    warn_->Warn(ValueAt(4), WarningKind::ValueDropped,
                "the par_2 " + std::to_string(par_2) + " of " + station + " is stored as 0: a station shorter than "
                    "600 m (this one is " + std::to_string(length) + " m) keeps no par_2; write 0, or make the "
                    "station 600 m long or more");
  if (par_3 != 0 && record.par_3 == 0) {
    const uint8_t t = record.tipo_stazione;
    const std::string why = t >= 5 && t <= 8 ? "a station of kind " + std::to_string(t) +
                                                   " (5 to 8) keeps no par_3, and its zone does not read it"
                                             : "the first station keeps no par_3 (it still makes the zone end "
                                               "50 m further)";
    warn_->Warn(ValueAt(5), WarningKind::ValueDropped,
                "the par_3 " + std::to_string(par_3) + " of " + station + " is stored as 0: " + why + "; write 0");
  }
}

// The approach marks `cells` hold now; -1 for a cell outside the route.
std::vector<int> TrainServiceReading::MarksOn(const std::vector<int64_t>& cells) const {
  std::vector<int> marks;
  for (int64_t cell : cells)
    marks.push_back(cell >= 0 && static_cast<size_t>(cell) < model_.percorso.size()
                        ? model_.percorso[static_cast<size_t>(cell)].avviso
                        : -1);
  return marks;
}

// `item` has written its approach marks on `cells`, which held `before`:
// a mark of another item that it replaced by a different one is lost, as
// a cell keeps one mark, the last written. Told once for each item that
// lost marks, with the cells.
void TrainServiceReading::WarnMarksReplaced(const std::string& item, const std::vector<int64_t>& cells,
                                            const std::vector<int>& before) {
  const int line = fields_.keyword_position().line;
  struct Lost {
    std::string owner;
    int line;
    std::vector<std::string> cells, was, now;
  };
  std::vector<Lost> lost;
  for (size_t i = 0; i < cells.size(); ++i) {
    if (before[i] < 0) continue;
    const int now = model_.percorso[static_cast<size_t>(cells[i])].avviso;
    const auto writer = ws_.marks.find(cells[i]);
    if (writer != ws_.marks.end() && before[i] != now) {
      auto same = std::find_if(lost.begin(), lost.end(), [&](const Lost& l) {
        return l.owner == writer->second.first && l.line == writer->second.second;
      });
      if (same == lost.end()) same = lost.insert(lost.end(), Lost{writer->second.first, writer->second.second, {}, {}, {}});
      same->cells.push_back(std::to_string(cells[i]));
      same->was.push_back(std::to_string(before[i]));
      same->now.push_back(std::to_string(now));
    }
    ws_.marks[cells[i]] = {item, line};
  }
  for (const Lost& l : lost) {
    const bool one = l.cells.size() == 1;
    warn_->Warn(ws_.at, WarningKind::MarksReplaced,
                "the approach marks of " + item + " are written over those of " + l.owner + " (line " +
                    std::to_string(l.line) + ") in route " + (one ? "cell " : "cells ") + Joined(l.cells) + ": " +
                    (one ? "the mark " : "the marks ") + Joined(l.was) + (one ? " becomes " : " become ") +
                    Joined(l.now) + ", as a cell keeps only the mark written last, and " + l.owner +
                    " loses " + (one ? "it" : "them") + "; move one of the two so that their marks do not meet");
  }
}

void TrainServiceReading::WarnStopCellTaken(const rec_stazione& record, const rec_cella& cell, int64_t k) {
  const char* held = "an item";
  switch (cell.tipo_cella) {
    case tipo::segnale: held = "a signal"; break;
    case tipo::fine_rallentamento: held = "a slowdown's end"; break;
    case tipo::inizio_rallentamento: held = "a slowdown's start"; break;
    case tipo::avviso_rallentamento: held = "a slowdown's warning board"; break;
    case tipo::prima_dell_avviso: held = "a cell before a slowdown's warning board"; break;
    case tipo::indicatore_v_max: held = "a maximum-speed indicator"; break;
    case tipo::fermata_stazione: held = "another station's stop cell"; break;
    case tipo::cambio_codice:
    case tipo::cambio_codice_abbattimento: held = "a code change"; break;
    case tipo::cartello: held = "an indication board"; break;
    default: break;
  }
  const std::string holder = HolderOf(k);
  if (!holder.empty()) held = holder.c_str();
  warn_->Warn(ws_.at, WarningKind::CellReplaced,
              "the stop cell of the station '" + record.nome + "' (route cell " + std::to_string(k) + ") replaces " + held +
                  " that stood there");
}

}  // namespace train_reading

}  // namespace scenario
