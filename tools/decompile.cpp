#include "tools/decompile.h"

#include <algorithm>
#include <array>
#include <climits>
#include <cstdio>
#include <functional>
#include <map>
#include <set>
#include <utility>

#include "compiler/arithmetic.h"
#include "compiler/compile_run.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "compiler/line_reader.h"
#include "model/file_names.h"
#include "platform/memory_file_system.h"
#include "platform/window.h"
#include "platform/workspace.h"
#include "sources/text_file_writer.h"
#include "tools/author_units.h"
#include "tools/compiled_scenario.h"
#include "tools/counted.h"
#include "tools/error_messages.h"
#include "tools/plan_curves.h"
#include "tools/refusal.h"
#include "tools/route_features.h"

namespace scenario::tool {

namespace {

constexpr int64_t kCellMetres = 50;
// How many differences a refusal lists before it only counts the rest.
constexpr size_t kDifferencesListed = 12;
// Rounds of code-change points added where the cell rules do not place what
// the files hold.
constexpr int kCodeChangeRounds = 24;
// The code that the cell rules put into the code changes they place.
constexpr int64_t kRuleCode = 180;

// --- the items of the two sources ------------------------------------------

struct Step {
  int64_t position = 0;
  int64_t value = 0;
};

struct Mountain {
  int64_t start = 0;
  int64_t end = 0;
  int64_t tipo = 0;
  bool markers = false;  // tipo is the type plus 10
};

struct Indicator {
  int64_t position = 0;
  std::array<int64_t, 3> high{};  // vas, vbs, vcs
  std::array<int64_t, 3> low{};   // vad, vbd, vcd
  int64_t strisces = 0;
  int64_t strisced = 0;
};

struct Board {
  int32_t record = 0;
  int64_t position = 0;
  std::string caption;
};

struct Triple {
  int64_t first = 0, second = 0, third = 0;
};

struct LineDescription {
  int64_t length = 0;
  Triple uno, due, tre;
  int64_t sfondo_uno = 0, sfondo_due = 0, sfondo_tre = 0;
  int64_t cab_start = 0, cab_end = 0;
  int cab_codes = 4;
  bool with_curves = false;
  std::vector<Curve> curves;
  std::vector<Step> gradients;
  std::vector<Mountain> mountains;
  std::vector<Indicator> indicators;
  std::vector<Board> boards;
};

struct Station {
  int64_t position = 0;
  int64_t tipo = 0;
  int64_t length = 0;
  std::array<int64_t, 9> par{};  // par_1 to par_9
  int64_t sosta = 0;
  int64_t hours = 0, minutes = 0, seconds = 0;
  std::string nome;
};

struct Slowdown {
  int64_t x = 0, v = 0, l = 0, f_tt = 0, f_ta = 0, d_v = 0;
};

struct Signal {
  int64_t position = 0, sx = 0, s1 = 0, s2 = 0, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0, tempo = 0;
};

struct TrainService {
  int64_t vetture = 0, massa_frenata = 0, sabbia = 0;
  int64_t hours = 0, minutes = 0, seconds = 0;
  std::vector<Step> adhesion;
  std::vector<Step> speed;
  std::vector<Station> stations;
  std::vector<Slowdown> slowdowns;
  std::vector<Signal> signals;
  std::map<int64_t, int64_t> code_changes;  // by cell: the value
};

// --- writing the sources ---------------------------------------------------

std::string Padded(int64_t value, int width) {
  std::string text = std::to_string(value);
  if (static_cast<int>(text.size()) < width) text.insert(0, static_cast<size_t>(width) - text.size(), ' ');
  return text;
}

// The values after a keyword, each after a comma and `blanks` blanks.
std::string Spaced(const std::vector<std::string>& values, const std::string& blanks) {
  std::string text;
  for (const std::string& value : values) text += "," + blanks + value;
  return text;
}

std::string Num(int64_t value) { return std::to_string(value); }

// A speed of a maximum-speed indicator's second set is left empty when 0.
std::string NumOrEmpty(int64_t value) { return value == 0 ? std::string() : std::to_string(value); }

std::string Columns(const std::vector<std::pair<int64_t, int>>& values) {
  std::string text;
  for (const auto& [value, width] : values) text += "," + Padded(value, width);
  return text;
}

// A caption or a name that cannot be written as a text field is written as
// it can be (the self-check then finds the difference and says so).
std::string TextOrAsIs(const std::string& text) {
  std::optional<std::string> value = TextValue(text);
  return value ? *value : text;
}

std::vector<std::string> LineDescriptionLines(const LineDescription& line) {
  std::vector<std::string> lines;
  lines.push_back("[generale]");
  lines.push_back("lunghezza percorso" + Spaced({Num(line.length)}, "    "));
  for (const auto& [word, triple] : {std::pair{"uno", line.uno}, std::pair{"due", line.due}, std::pair{"tre", line.tre}})
    lines.push_back(std::string("progressiva chilometrica ") + word +
                    Spaced({Num(triple.first), Num(triple.second), Num(triple.third)}, "    "));
  lines.push_back("sfondo uno" + Spaced({Num(line.sfondo_uno)}, "    "));
  lines.push_back("sfondo due" + Spaced({Num(line.sfondo_due)}, "    "));
  lines.push_back("sfondo tre" + Spaced({Num(line.sfondo_tre)}, "    "));
  lines.push_back("ripetizione segnali " + std::to_string(line.cab_codes) + " codici" +
                  Spaced({Num(line.cab_start), Num(line.cab_end)}, "    "));
  lines.push_back("[curve]");
  for (const Curve& curve : line.curves)
    lines.push_back(CurveKeyword(curve) + Spaced({Num(curve.start), Num(curve.length)}, "  "));
  lines.push_back("[pendenze]");
  for (const Step& step : line.gradients)
    lines.push_back("pendenza,   " + Num(step.position) + ",    " + Num(step.value));
  lines.push_back("[montagne]");
  for (const Mountain& mountain : line.mountains)
    lines.push_back("montagna,   " + Num(mountain.start) + Spaced({Num(mountain.end), Num(mountain.tipo)}, "  "));
  lines.push_back("[cartelli]");
  for (const Indicator& i : line.indicators)
    lines.push_back("indicatori_vmax" +
                    Spaced({Num(i.position), Num(i.high[0]), Num(i.high[1]), Num(i.high[2]), Num(i.strisces),
                            NumOrEmpty(i.low[0]), NumOrEmpty(i.low[1]), NumOrEmpty(i.low[2]), Num(i.strisced)},
                           "  "));
  lines.push_back("[indicazioni]");
  for (const Board& board : line.boards)
    lines.push_back("cartello_indicatore,  " + Num(board.position) + ",   " + TextOrAsIs(board.caption));
  lines.push_back("[fine]");
  return lines;
}

std::vector<std::string> TrainServiceLines(const TrainService& train) {
  std::vector<std::string> lines;
  lines.push_back("[generale]");
  lines.push_back("numero vetture,    " + Num(train.vetture));
  lines.push_back("percentuale massa frenata,    " + Num(train.massa_frenata));
  lines.push_back("sabbia,    " + Num(train.sabbia));
  // The clock's three numbers are separated by blanks only.
  lines.push_back("orologio,    " + Num(train.hours) + "               " + Num(train.minutes) + "            " +
                  Num(train.seconds) + " ");
  lines.push_back("[aderenze]");
  for (const Step& step : train.adhesion) lines.push_back("aderenza" + Columns({{step.position, 8}, {step.value, 6}}));
  lines.push_back("[vel_limite]");
  for (const Step& step : train.speed) lines.push_back("velocita" + Columns({{step.position, 8}, {step.value, 6}}));
  lines.push_back("[stazioni]");
  for (const Station& s : train.stations)
    lines.push_back("stazione" +
                    Columns({{s.position, 8}, {s.tipo, 3}, {s.length, 5}, {s.par[0], 3}, {s.par[1], 2}, {s.par[2], 2},
                             {s.par[3], 3}, {s.par[4], 1}, {s.par[5], 1}, {s.par[6], 3}, {s.par[7], 1}, {s.par[8], 1},
                             {s.sosta, 5}, {s.hours, 4}, {s.minutes, 2}, {s.seconds, 2}}) +
                    ", " + TextOrAsIs(s.nome));
  lines.push_back("[rallentamenti]");
  for (const Slowdown& r : train.slowdowns)
    lines.push_back("rallentamento" +
                    Columns({{r.x, 8}, {r.v, 6}, {r.l, 5}, {r.f_tt, 2}, {r.f_ta, 3}, {r.d_v, 3}}));
  lines.push_back("[segnali]");
  for (const Signal& s : train.signals)
    lines.push_back("segnale" + Columns({{s.position, 8}, {s.sx, 4}, {s.s1, 2}, {s.s2, 2}, {s.s3, 3}, {s.rapp, 2},
                                         {s.dx, 5}, {s.d1, 3}, {s.d2, 1}, {s.d3, 1}, {s.tempo, 2}}));
  lines.push_back("[codici]");
  for (const auto& [cell, value] : train.code_changes)
    lines.push_back("abbattimento" + Columns({{cell * kCellMetres, 8}, {value, 6}}));
  lines.push_back("[fine]");
  return lines;
}

// --- reading the items back ------------------------------------------------

// Steps of a value filled cell by cell from the start of the route up to
// the fourth cell from its end: one step at the start of every run of equal
// values. A fill writes at least one cell per step and one at its close, so
// steps that do not advance, on the third cell from the end, carry the fill
// over the last cells one by one.
std::vector<Step> StepsOf(const std::vector<rec_cella>& percorso, uint8_t rec_cella::*field,
                          const std::function<int64_t(uint8_t)>& value_of) {
  std::vector<Step> steps;
  const int64_t ultima = static_cast<int64_t>(percorso.size()) - 1;
  auto at = [&](int64_t cell) { return percorso[static_cast<size_t>(cell)].*field; };
  for (int64_t cell = 0; cell <= ultima - 3; ++cell) {
    if (cell == 0 || at(cell) != at(cell - 1)) steps.push_back({cell * kCellMetres, value_of(at(cell))});
  }
  if (steps.empty()) steps.push_back({0, value_of(ultima >= 0 ? at(0) : 0)});
  int64_t last = ultima - 3;
  for (int64_t cell = std::max<int64_t>(ultima - 2, 0); cell <= ultima; ++cell)
    if (at(cell) != 0) last = cell;
  for (int64_t cell = std::max<int64_t>(ultima - 2, 0); cell <= last; ++cell)
    steps.push_back({(ultima - 2) * kCellMetres, value_of(at(cell))});
  return steps;
}

class Recovery {
 public:
  explicit Recovery(const CompiledInput& input) : input_(input), percorso_(input.percorso) {
    // Cell 1 carries the route marker and a check code, stamped on a cell
    // whose two values were 0.
    if (percorso_.size() > 1) {
      percorso_[1].valore_1 = 0;
      percorso_[1].valore_2 = 0;
    }
  }

  LineDescription Line() {
    LineDescription line;
    const std::vector<rec_stazione>& st = input_.stazioni;
    line.length = st[kRecordDatiGenerali].fine_zona;
    RecoverProgressives(&line);
    line.sfondo_uno = st[kRecordScenario].inizio_zona;
    line.sfondo_due = st[kRecordScenario].progressiva;
    line.sfondo_tre = st[kRecordScenario].fine_zona;
    line.cab_start = st[kRecordTreno].inizio_zona;
    line.cab_end = st[kRecordTreno].fine_zona;
    line.cab_codes = st[kRecordTreno].progressiva == 9 ? 9 : 4;
    if (input_.tracciato) {
      line.with_curves = true;
      line.curves = CurvesOf(*input_.tracciato);
    }
    line.gradients = StepsOf(percorso_, &rec_cella::pendenza, [](uint8_t b) { return int64_t{b} - 100; });
    line.mountains = Mountains();
    for (size_t k = 0; k < percorso_.size(); ++k) {
      const rec_cella& c = percorso_[k];
      const int64_t position = (static_cast<int64_t>(k) - 1) * kCellMetres;
      if (c.tipo_cella == tipo::indicatore_v_max) {
        Indicator i;
        i.position = position;
        const std::array<int16_t, 3> values = {c.valore_1, c.valore_2, c.valore_3};
        for (size_t n = 0; n < 3; ++n) {
          // Read as two decimal pairs: 100 x (high / 5) + low / 5.
          i.high[n] = values[n] / 100 * 5;
          i.low[n] = values[n] % 100 * 5;
        }
        i.strisces = c.valore_4 / 10;
        i.strisced = c.valore_4 % 10;
        line.indicators.push_back(i);
      }
      if (c.tipo_cella == tipo::cartello) {
        const int32_t record = c.valore_1;
        const std::string caption =
            record >= 0 && record < kNumeroStazioni ? input_.stazioni[static_cast<size_t>(record)].nome : "";
        line.boards.push_back({record, position, caption});
      }
    }
    AddBoardsUnderStops(&line.boards);
    // Captions go to records 80 downward in the order of the boards.
    std::stable_sort(line.boards.begin(), line.boards.end(),
                     [](const Board& a, const Board& b) { return a.record > b.record; });
    lowest_caption_ = kPrimoCartello + 1;
    for (const Board& board : line.boards) lowest_caption_ = std::min(lowest_caption_, board.record);
    return line;
  }

  TrainService Train() {
    TrainService train;
    const std::vector<rec_stazione>& st = input_.stazioni;
    train.massa_frenata = st[kRecordDatiGenerali].inizio_zona;
    train.vetture = st[kRecordDatiGenerali].progressiva;
    train.sabbia = st[kRecordTreno].par_4;
    train.hours = st[kRecordTreno].par_7;
    train.minutes = st[kRecordTreno].par_8;
    train.seconds = st[kRecordTreno].par_9;
    train.adhesion = StepsOf(percorso_, &rec_cella::aderenza, [](uint8_t b) { return int64_t{b}; });
    // A speed is kept in fifths.
    train.speed = StepsOf(percorso_, &rec_cella::velocita_limite, [](uint8_t b) { return int64_t{b} * 5; });
    train.stations = Stations();
    train.slowdowns = Slowdowns();
    train.signals = Signals();
    return train;
  }

 private:
  void RecoverProgressives(LineDescription* line) const {
    const std::vector<rec_stazione>& st = input_.stazioni;
    std::array<Triple, 3> records;  // 81, 82, 83 as stored
    for (int n = 0; n < 3; ++n) {
      const rec_stazione& r = st[static_cast<size_t>(kRecordProgressivaTre + n)];
      // A zone whose direction flag is 1 was stored 100 m further.
      records[static_cast<size_t>(n)] = {r.inizio_zona, r.progressiva == 1 ? int64_t{r.fine_zona} - 100 : r.fine_zona,
                                         r.progressiva};
    }
    // The three lines "uno", "due", "tre" for which the ordering gives the
    // records back; the stored order as it stands first.
    std::array<int, 3> order = {0, 1, 2};  // order[n]: the record read as uno, due, tre
    std::array<int, 3> found = order;
    bool matched = false;
    do {
      ScenarioModel scratch;
      const Triple& uno = records[static_cast<size_t>(order[0])];
      const Triple& due = records[static_cast<size_t>(order[1])];
      const Triple& tre = records[static_cast<size_t>(order[2])];
      auto put = [&](int record, const Triple& t) {
        rec_stazione& r = scratch.stazioni[static_cast<size_t>(record)];
        r.inizio_zona = static_cast<int32_t>(t.first);
        r.fine_zona = static_cast<int32_t>(t.second);
        r.progressiva = static_cast<int32_t>(t.third);
      };
      put(kRecordProgressivaTre, tre);
      put(kRecordProgressivaDue, due);
      put(kRecordProgressivaUno, uno);
      try {
        progressive_ordina(scratch);
      } catch (const std::exception&) {
        continue;  // a chainage that leaves 32 bits on the way: not this order
      }
      bool same = true;
      for (int n = 0; n < 3; ++n) {
        const rec_stazione& want = st[static_cast<size_t>(kRecordProgressivaTre + n)];
        const rec_stazione& got = scratch.stazioni[static_cast<size_t>(kRecordProgressivaTre + n)];
        same = same && want.inizio_zona == got.inizio_zona && want.fine_zona == got.fine_zona &&
               want.progressiva == got.progressiva;
      }
      if (same) {
        found = order;
        matched = true;
      }
    } while (!matched && std::next_permutation(order.begin(), order.end()));
    line->uno = records[static_cast<size_t>(found[0])];
    line->due = records[static_cast<size_t>(found[1])];
    line->tre = records[static_cast<size_t>(found[2])];
  }

  std::vector<Mountain> Mountains() const {
    std::vector<Mountain> mountains;
    const int64_t n = static_cast<int64_t>(percorso_.size());
    for (int64_t cell = 0; cell < n;) {
      const uint8_t type = percorso_[static_cast<size_t>(cell)].montagna;
      if (type == 0) {
        ++cell;
        continue;
      }
      int64_t end = cell;
      while (end + 1 < n && percorso_[static_cast<size_t>(end + 1)].montagna == type) ++end;
      // Markers stand on every fourth cell of a marked mountain, the first
      // on its fourth cell, wherever the cell was free. A marker out of
      // step, or a free cell where the step wants one, is where another
      // mountain followed at once (both then of type 3).
      int64_t segment = cell;
      bool marked = false;
      int64_t last_marker = -1;
      bool free_in_step = false;          // a free cell where this one would have a marker
      int64_t ended_by = -1;              // a marked one ended before this free cell
      auto push = [&](int64_t from, int64_t to, bool with_markers) {
        if (to > from)
          mountains.push_back({from * kCellMetres, to * kCellMetres, int64_t{type} + (with_markers ? 10 : 0),
                               with_markers});
      };
      for (int64_t m = cell; m <= end; ++m) {
        const uint8_t kind = percorso_[static_cast<size_t>(m)].tipo_cella;
        const bool in_step = (m - segment) % 4 == 3;
        if (kind == tipo::marcatore_montagna) {
          if (ended_by < 0 && in_step && !free_in_step) {
            marked = true;
            last_marker = m;
            continue;
          }
          const int64_t start = m - 3;
          if (start <= segment || (marked && start <= last_marker)) continue;
          if (ended_by >= 0 && ended_by < start) {
            push(segment, ended_by, marked);
            push(ended_by, start, false);
          } else {
            push(segment, start, marked);
          }
          segment = start;
          marked = true;
          last_marker = m;
          free_in_step = false;
          ended_by = -1;
        } else if (kind == tipo::libera && in_step && ended_by < 0) {
          if (marked) ended_by = m;
          else free_in_step = true;
        }
      }
      if (ended_by >= 0) {
        push(segment, ended_by, marked);
        push(ended_by, end + 1, false);
      } else {
        push(segment, end + 1, marked);
      }
      cell = end + 1;
    }
    // A mountain that starts 150 m or less after the one before it ends is
    // of type 3: when this one is not, its start goes as late and the end
    // before it as early as their cells allow.
    for (size_t i = 1; i < mountains.size(); ++i) {
      Mountain& before = mountains[i - 1];
      Mountain& after = mountains[i];
      if (after.start - before.end > 150 || (after.markers ? after.tipo - 10 : after.tipo) == 3) continue;
      const int64_t end_cell = before.end / kCellMetres - 1;
      const int64_t start_cell = after.start / kCellMetres;
      for (int64_t metre = end_cell * kCellMetres; metre <= before.end; ++metre) {
        if (round_half_even(static_cast<double>(metre) / 50 - 1) == end_cell) {
          before.end = metre;
          break;
        }
      }
      for (int64_t metre = (start_cell + 1) * kCellMetres; metre >= after.start; --metre) {
        if (round_half_even(static_cast<double>(metre) / 50) == start_cell) {
          after.start = metre;
          break;
        }
      }
    }
    return mountains;
  }

  // A station's stop cell overwrites whatever stood there, a board too:
  // a caption whose board cell is gone had its board under a stop cell.
  void AddBoardsUnderStops(std::vector<Board>* boards) const {
    std::set<int32_t> records;
    int32_t lowest = kPrimoCartello + 1;
    for (const Board& board : *boards) {
      records.insert(board.record);
      lowest = std::min(lowest, board.record);
    }
    lowest = std::max(lowest, 1);  // captions never reach record 0
    std::vector<int64_t> stops;
    for (size_t k = 0; k < percorso_.size(); ++k)
      if (percorso_[k].tipo_cella == tipo::fermata_stazione) stops.push_back(static_cast<int64_t>(k));
    size_t next_stop = 0;
    for (int32_t record = kPrimoCartello; record >= lowest; --record) {
      if (records.count(record) != 0) continue;
      if (next_stop >= stops.size()) break;
      const int64_t cell = stops[next_stop++];
      boards->push_back({record, (cell - 1) * kCellMetres, input_.stazioni[static_cast<size_t>(record)].nome});
    }
  }

  std::vector<Station> Stations() const {
    std::vector<Station> stations;
    const std::vector<rec_stazione>& st = input_.stazioni;
    int count = 0;
    for (int i = 1; i < lowest_caption_ && i < kPrimoCartello + 1; ++i)
      if (!(st[static_cast<size_t>(i)] == rec_stazione{})) count = i;
    for (int i = 1; i <= count; ++i) {
      const rec_stazione& r = st[static_cast<size_t>(i)];
      Station s;
      s.position = r.progressiva;
      s.tipo = r.tipo_stazione;
      s.par = ParValues(r);
      s.sosta = r.sosta;
      s.nome = r.nome;
      if (s.tipo >= 5 && s.tipo <= 8) {
        s.length = s.position - r.inizio_zona;
      } else {
        s.length = 2 * (s.position - r.inizio_zona);
        // A zone 50 m longer at its end is the mark of a non-zero value 6,
        // which the first station's record does not keep.
        if (r.fine_zona - (s.position + s.length / 2) == 50 && s.par[2] == 0) s.par[2] = 1;
      }
      const std::array<int32_t, 3> time = TimeOfDay(r.orario);
      s.hours = time[0];
      s.minutes = time[1];
      s.seconds = time[2];
      stations.push_back(s);
    }
    return stations;
  }

  const rec_cella* CellAt(int64_t k) const {
    if (k < 0 || k >= static_cast<int64_t>(percorso_.size())) return nullptr;
    return &percorso_[static_cast<size_t>(k)];
  }

  std::vector<Slowdown> Slowdowns() const {
    std::vector<Slowdown> slowdowns;
    std::set<int64_t> ends_used;
    for (int64_t s = 0; s < static_cast<int64_t>(percorso_.size()); ++s) {
      const rec_cella& start = percorso_[static_cast<size_t>(s)];
      if (start.tipo_cella != tipo::inizio_rallentamento) continue;
      // The first free end after it with the same values; none when start
      // and end fell on one cell.
      int64_t e = s;
      for (int64_t k = s + 1; k < static_cast<int64_t>(percorso_.size()); ++k) {
        const rec_cella& c = percorso_[static_cast<size_t>(k)];
        if (c.tipo_cella == tipo::fine_rallentamento && ends_used.count(k) == 0 && c.valore_1 == start.valore_1 &&
            c.valore_2 == start.valore_2 && c.valore_3 == start.valore_3) {
          e = k;
          ends_used.insert(k);
          break;
        }
      }
      Slowdown r;
      r.v = start.valore_1;
      r.d_v = start.valore_2;
      r.f_tt = start.valore_3;
      r.x = (s - 1) * kCellMetres;
      const rec_cella* warning = CellAt(s - 24);
      // Only a slowdown beyond 1500 m has a warning; at cell 31 one just
      // past 1500 m still has.
      if (r.x == 1500 && warning && warning->tipo_cella == tipo::avviso_rallentamento) r.x = 1510;
      if (r.x > 1500) {
        auto markers_from = [&](int64_t w) {
          bool markers = true;
          for (int n = 0; n < 4; ++n) {
            const rec_cella* m = CellAt(w - n);
            markers = markers && m && m->tipo_cella == tipo::prima_dell_avviso && m->valore_1 == n + 1;
          }
          return markers;
        };
        if (markers_from(s - 25)) {
          r.f_ta = 1;
        } else if (s % 2 == 0 && markers_from(s - 26)) {
          // Halfway between two cells the start rounds up to an even cell
          // and the markers' base down: they stand one cell further back.
          r.x -= 25;
          r.f_ta = 1;
        }
      }
      r.l = (e - 1) * kCellMetres - r.x;
      slowdowns.push_back(r);
    }
    return slowdowns;
  }

  std::vector<Signal> Signals() const {
    std::vector<Signal> signals;
    for (int64_t k = 0; k < static_cast<int64_t>(percorso_.size()); ++k) {
      const rec_cella& c = percorso_[static_cast<size_t>(k)];
      if (c.tipo_cella != tipo::segnale) continue;
      Signal s;
      s.position = (k - 1) * kCellMetres;
      // sx x 3 + dx, as the approach marks carry it (most of them agree
      // unless a later mark overwrote one), or as the fourth value alone.
      std::map<int64_t, int> votes;
      for (int n = 1; n <= 4; ++n) {
        const rec_cella* mark = CellAt(k - 2 * n);
        if (mark && mark->avviso >= n && (mark->avviso - n) % 10 == 0) ++votes[(mark->avviso - n) / 10];
      }
      std::vector<std::pair<int, int64_t>> ranked;
      for (const auto& [q, count] : votes) ranked.push_back({-count, q});
      std::sort(ranked.begin(), ranked.end());
      int64_t q = c.valore_4;
      for (const auto& [count, candidate] : ranked) {
        if ((c.valore_4 - candidate) % 10 == 0) {
          q = candidate;
          break;
        }
      }
      s.rapp = (c.valore_4 - q) / 10;
      if (c.tempo_segnale != 0) {
        s.sx = 2;
        s.dx = q - 6;
        // A time from 1 to 100 is raised to 101.
        s.tempo = c.tempo_segnale > 100 ? c.tempo_segnale : c.tempo_segnale + 256;
      } else if (q >= 0) {
        s.sx = q / 3;
        s.dx = q % 3;
      } else {
        s.dx = q;
      }
      s.s1 = c.valore_1 / 10;
      s.d1 = c.valore_1 % 10;
      s.s2 = c.valore_2 / 10;
      s.d2 = c.valore_2 % 10;
      s.s3 = c.valore_3 / 10;
      s.d3 = c.valore_3 % 10;
      signals.push_back(s);
    }
    return signals;
  }

  const CompiledInput& input_;
  std::vector<rec_cella> percorso_;
  int32_t lowest_caption_ = kPrimoCartello + 1;
};

// --- compiling in memory ---------------------------------------------------

struct Recompiled {
  std::optional<std::string> stopped_with;  // the number errore showed
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  // What made the reading fail (error 25), with its place.
  std::optional<std::string> cause;
  std::string station_bytes;
  std::string cell_bytes;
  std::optional<std::string> line_bytes;
};

Recompiled CompileInMemory(const std::string& nome_linea, const std::string& numero_treno, const std::string& line_text,
                           const std::string& train_text, bool with_line) {
  MemoryFileSystem files;
  const Workspace workspace{files, "decompiled"};
  files.files[workspace.PathOf(LineSourceName(nome_linea))] = line_text;
  files.files[workspace.PathOf(TrainSourceName(nome_linea, numero_treno))] = train_text;
  ScenarioModel model;
  model.nome_linea = nome_linea;
  model.numero_treno = numero_treno;
  SilentWindow window;  // a stop is taken from ErroreShown
  Recompiled result;
  ReadingPlace place;
  try {
    memorizza_percorso(model, with_line ? 1 : 0, workspace, window, &place);
  } catch (const ErroreShown& shown) {
    result.stopped_with = shown.numero;
  }
  result.codice_errore = model.codice_errore;
  result.posizione_errore = model.posizione_errore;
  if (model.codice_errore == error_number::kReadFailure && place.failure) {
    result.cause = place.failure->cause;
    if (place.failure->at.line > 0)
      *result.cause = "line " + std::to_string(place.failure->at.line) + " of '" + place.file + "': " + *result.cause;
  }
  auto take = [&](const std::string& name) -> std::optional<std::string> {
    auto found = files.files.find(workspace.PathOf(name));
    if (found == files.files.end()) return std::nullopt;
    return found->second;
  };
  result.station_bytes = take(StationFileName(nome_linea, numero_treno)).value_or("");
  result.cell_bytes = take(CellFileName(nome_linea, numero_treno)).value_or("");
  if (with_line) result.line_bytes = take(CompiledLineName(nome_linea));
  return result;
}

// --- comparing -------------------------------------------------------------

template <typename Record>
using Fields = std::vector<std::pair<const char*, std::function<std::string(const Record&)>>>;

const Fields<rec_stazione>& StationFields() {
  static const Fields<rec_stazione> fields = [] {
    Fields<rec_stazione> list = {
        {"tipo_stazione", [](const rec_stazione& r) { return Num(r.tipo_stazione); }},
        {"inizio_zona", [](const rec_stazione& r) { return Num(r.inizio_zona); }},
        {"fine_zona", [](const rec_stazione& r) { return Num(r.fine_zona); }},
        {"progressiva", [](const rec_stazione& r) { return Num(r.progressiva); }},
        {"nome", [](const rec_stazione& r) { return "\"" + r.nome + "\""; }},
        {"sosta", [](const rec_stazione& r) { return Num(r.sosta); }},
        {"orario", [](const rec_stazione& r) { return Num(r.orario); }},
    };
    static constexpr const char* kParNames[9] = {"par_1", "par_2", "par_3", "par_4", "par_5",
                                                 "par_6", "par_7", "par_8", "par_9"};
    for (size_t n = 0; n < 9; ++n)
      list.push_back({kParNames[n], [n](const rec_stazione& r) { return Num(ParValues(r)[n]); }});
    return list;
  }();
  return fields;
}

const Fields<rec_cella>& CellFields() {
  static const Fields<rec_cella> fields = {
      {"tipo_cella", [](const rec_cella& c) { return Num(c.tipo_cella); }},
      {"valore_1", [](const rec_cella& c) { return Num(c.valore_1); }},
      {"valore_2", [](const rec_cella& c) { return Num(c.valore_2); }},
      {"valore_3", [](const rec_cella& c) { return Num(c.valore_3); }},
      {"valore_4", [](const rec_cella& c) { return Num(c.valore_4); }},
      {"tempo_segnale", [](const rec_cella& c) { return Num(c.tempo_segnale); }},
      {"avviso", [](const rec_cella& c) { return Num(c.avviso); }},
      {"montagna", [](const rec_cella& c) { return Num(c.montagna); }},
      {"velocita_limite", [](const rec_cella& c) { return Num(c.velocita_limite); }},
      {"pendenza", [](const rec_cella& c) { return Num(c.pendenza); }},
      {"aderenza", [](const rec_cella& c) { return Num(c.aderenza); }},
  };
  return fields;
}

template <typename Record>
std::string FieldDifferences(const Record& given, const Record& recompiled, const Fields<Record>& fields) {
  std::string text;
  for (const auto& [name, value] : fields) {
    const std::string a = value(given), b = value(recompiled);
    if (a == b) continue;
    if (!text.empty()) text += ", ";
    text += std::string(name) + " " + a + " in the file, " + b + " recompiled";
  }
  return text;
}

std::string PointText(const PuntoTracciato& point) {
  auto one = [](const TaggedValue& v) {
    if (v.type == ValueType::Empty) return std::string("Empty");
    char buffer[40];
    std::snprintf(buffer, sizeof buffer, "%.17g", v.AsReal());
    return std::string(buffer);
  };
  return "(" + one(point[0]) + ", " + one(point[1]) + ")";
}

class DifferenceList {
 public:
  void Add(std::string text) {
    ++count_;
    if (list_.size() < kDifferencesListed) list_.push_back(std::move(text));
  }
  std::vector<std::string> Done() {
    if (count_ > list_.size()) list_.push_back("... and " + std::to_string(count_ - list_.size()) + " more");
    return std::move(list_);
  }
  size_t count() const { return count_; }

 private:
  std::vector<std::string> list_;
  size_t count_ = 0;
};

void CompareStations(const CompiledInput& input, const std::string& bytes, DifferenceList* out) {
  std::vector<rec_stazione> recompiled;
  std::string error;
  if (!DecodeStazioni(bytes, &recompiled, &error) || recompiled.size() != input.stazioni.size()) {
    out->Add("station file: the recompiled file is not a station table (" + error + ")");
    return;
  }
  const std::vector<RecordRole> roles = RecordRoles(input.stazioni);
  for (size_t i = 0; i < recompiled.size(); ++i) {
    const std::string diff = FieldDifferences(input.stazioni[i], recompiled[i], StationFields());
    if (!diff.empty()) out->Add("station record " + std::to_string(i) + " (" + RoleName(roles[i]) + "): " + diff);
  }
}

void CompareCells(const CompiledInput& input, const std::string& bytes, DifferenceList* out) {
  std::vector<rec_cella> recompiled;
  std::string error;
  if (!DecodePercorso(bytes, &recompiled, &error)) {
    out->Add("cell file: the recompiled file is not a route (" + error + ")");
    return;
  }
  if (recompiled.size() != input.percorso.size())
    out->Add("cell file: " + Counted(static_cast<long long>(input.percorso.size()), "cell") + " in the file, " +
             std::to_string(recompiled.size()) + " recompiled");
  const size_t n = std::min(recompiled.size(), input.percorso.size());
  for (size_t k = 0; k < n; ++k) {
    const std::string diff = FieldDifferences(input.percorso[k], recompiled[k], CellFields());
    if (!diff.empty())
      out->Add("cell " + std::to_string(k) + " (" + std::to_string((static_cast<int64_t>(k) - 1) * kCellMetres) +
               " m, " + CellKindName(input.percorso[k].tipo_cella) + "): " + diff);
  }
}

void ComparePlan(const CompiledInput& input, const std::optional<std::string>& bytes, DifferenceList* out) {
  std::vector<PuntoTracciato> recompiled;
  std::string error;
  if (!bytes || !DecodeTracciato(*bytes, &recompiled, &error)) {
    out->Add("compiled line file: none was recompiled" + (error.empty() ? std::string() : " (" + error + ")"));
    return;
  }
  const std::vector<PuntoTracciato>& given = *input.tracciato;
  if (recompiled.size() != given.size())
    out->Add("compiled line file: " + Counted(static_cast<long long>(given.size()), "plan point") + " in the file, " +
             std::to_string(recompiled.size()) + " recompiled");
  const size_t n = std::min(recompiled.size(), given.size());
  for (size_t x = 0; x < n; ++x) {
    if (given[x] == recompiled[x]) continue;
    out->Add("plan point " + std::to_string(x) + ": " + PointText(given[x]) + " in the file, " +
             PointText(recompiled[x]) + " recompiled");
  }
}

// Where the cells recompiled differ from the files in a code change: the
// cells that need a code-change point of their own, with its value.
std::map<int64_t, int64_t> CodeChangesToAdd(const CompiledInput& input, const std::string& cell_bytes) {
  std::map<int64_t, int64_t> missing;
  std::vector<rec_cella> recompiled;
  std::string error;
  if (!DecodePercorso(cell_bytes, &recompiled, &error) || recompiled.size() != input.percorso.size()) return missing;
  for (size_t k = 0; k < recompiled.size(); ++k) {
    const rec_cella& want = input.percorso[k];
    const rec_cella& got = recompiled[k];
    if (want.tipo_cella == got.tipo_cella && want.valore_1 == got.valore_1) continue;
    if (want.tipo_cella == tipo::cambio_codice) {
      // A positive value keeps its low 16 bits.
      missing[static_cast<int64_t>(k)] = want.valore_1 > 0 ? want.valore_1 : int64_t{want.valore_1} + 65536;
    } else if (want.tipo_cella == tipo::cambio_codice_abbattimento) {
      missing[static_cast<int64_t>(k)] = 0;
    }
  }
  return missing;
}

// The first cell whose bytes differ from the files' (the number of cells
// when none does).
int64_t FirstDifferentCell(const CompiledInput& input, const std::string& cell_bytes) {
  const size_t n = std::min(cell_bytes.size(), input.cell_bytes.size());
  size_t at = 0;
  while (at < n && cell_bytes[at] == input.cell_bytes[at]) ++at;
  return static_cast<int64_t>(at / kCellBytes);
}

std::string Joined(const std::vector<std::string>& lines) { return TextLinesBytes(lines); }

}  // namespace

std::optional<std::string> TextValue(const std::string& text) {
  auto blank = [](char c) { return c == ' ' || c == '\t'; };
  const bool plain = text.find_first_of(",\r\n") == std::string::npos &&
                     (text.empty() || (!blank(text.front()) && !blank(text.back()) && text.front() != '"'));
  if (plain) return text;
  if (text.find('"') != std::string::npos) return std::nullopt;
  return "\"" + text + "\"";
}

CompiledInput DecodeCompiledInput(const std::string& station_path, std::string station_bytes,
                                  const std::string& cell_path, std::string cell_bytes, const std::string& line_path,
                                  std::optional<std::string> line_bytes) {
  auto refuse = [](const std::string& path, const std::string& kind, const std::string& what) {
    throw Refusal(path + ": not a good " + kind + ": " + what);
  };
  CompiledInput input;
  std::string error;
  if (station_bytes.empty()) throw Refusal(station_path + ": the file is empty; a station file never is");
  if (!DecodeStazioni(station_bytes, &input.stazioni, &error)) refuse(station_path, "station file", error);
  if (std::optional<std::string> problem = StationTableProblem(input.stazioni))
    refuse(station_path, "station file", *problem);
  if (cell_bytes.empty()) throw Refusal(cell_path + ": the file is empty; a cell file never is");
  if (!DecodePercorso(cell_bytes, &input.percorso, &error)) refuse(cell_path, "cell file", error);
  if (std::optional<std::string> problem = RouteProblem(input.percorso)) refuse(cell_path, "cell file", *problem);
  if (std::optional<std::string> mismatch = RouteMismatch(input.stazioni, input.percorso))
    throw Refusal(cell_path + ": " + *mismatch);
  if (line_bytes) {
    std::vector<PuntoTracciato> plan;
    if (line_bytes->empty()) throw Refusal(line_path + ": the file is empty; a compiled line file never is");
    if (!DecodeTracciato(*line_bytes, &plan, &error)) refuse(line_path, "compiled line file", error);
    if (std::optional<std::string> problem = PlanProblem(plan)) refuse(line_path, "compiled line file", *problem);
    const int64_t points = int64_t{RouteLength(input.stazioni)} + 7000 + 1;
    if (static_cast<int64_t>(plan.size()) != points)
      throw Refusal(line_path + ": the station table gives a route of " + std::to_string(RouteLength(input.stazioni)) +
                    " m, that is " + std::to_string(points) + " plan points, but the compiled line file holds " +
                    std::to_string(plan.size()) + ": the files come from different compiles");
    input.tracciato = std::move(plan);
  }
  input.station_bytes = std::move(station_bytes);
  input.cell_bytes = std::move(cell_bytes);
  input.line_bytes = std::move(line_bytes);
  return input;
}

RecoveredScenario Decompile(const CompiledInput& input) {
  RecoveredScenario result;
  result.nome_linea = input.stazioni[kRecordScenario].nome;
  result.numero_treno = input.stazioni[kRecordTreno].nome;
  Recovery recovery(input);
  const LineDescription line = recovery.Line();
  TrainService train = recovery.Train();
  const bool with_line = input.tracciato.has_value();
  if (!with_line)
    result.notes.push_back(
        "no compiled line file: the curves are left out of the line description, so its plan is straight");

  result.line_description = Joined(LineDescriptionLines(line));
  auto compile = [&](const TrainService& service) {
    return CompileInMemory(result.nome_linea, result.numero_treno, result.line_description,
                           Joined(TrainServiceLines(service)), with_line);
  };
  auto same_bytes = [&](const Recompiled& r) {
    return !r.stopped_with && r.station_bytes == input.station_bytes && r.cell_bytes == input.cell_bytes &&
           (!with_line || r.line_bytes == input.line_bytes);
  };
  Recompiled recompiled = compile(train);
  for (int round = 0; round < kCodeChangeRounds && !same_bytes(recompiled) && !recompiled.stopped_with; ++round) {
    // Code changes the cell rules do not place by themselves become
    // code-change points of the train service. The rules place only the
    // code 180, so the others go first: the rules then work round them as
    // they did in the files, and a 180 that was theirs needs no point.
    const std::map<int64_t, int64_t> missing = CodeChangesToAdd(input, recompiled.cell_bytes);
    std::map<int64_t, int64_t> own;
    std::optional<int64_t> first_plain;
    for (const auto& [cell, value] : missing) {
      if (train.code_changes.count(cell) != 0 && train.code_changes[cell] == value) continue;
      if (value != kRuleCode) own[cell] = value;
      else if (!first_plain) first_plain = cell;
    }
    if (!own.empty()) {
      for (const auto& [cell, value] : own) train.code_changes[cell] = value;
      recompiled = compile(train);
      continue;
    }
    if (!first_plain) break;
    // The first 180 missing, or one beside it that the files also hold: a
    // point there moves the rules' code change one cell aside. The one that
    // leaves the first difference furthest along the route wins.
    std::optional<TrainService> best;
    Recompiled best_compiled;
    int64_t best_reach = -1;
    for (const int64_t cell : {*first_plain, *first_plain + 1, *first_plain - 1}) {
      if (cell < 0 || cell >= static_cast<int64_t>(input.percorso.size())) continue;
      const rec_cella& c = input.percorso[static_cast<size_t>(cell)];
      if (c.tipo_cella != tipo::cambio_codice || c.valore_1 != kRuleCode || train.code_changes.count(cell) != 0)
        continue;
      TrainService candidate = train;
      candidate.code_changes[cell] = kRuleCode;
      Recompiled compiled = compile(candidate);
      const int64_t reach = same_bytes(compiled) ? INT64_MAX : FirstDifferentCell(input, compiled.cell_bytes);
      if (reach > best_reach) {
        best_reach = reach;
        best = std::move(candidate);
        best_compiled = std::move(compiled);
      }
    }
    // A point that brings the first difference no further is no help.
    if (!best || best_reach <= FirstDifferentCell(input, recompiled.cell_bytes)) break;
    train = std::move(*best);
    recompiled = std::move(best_compiled);
  }
  result.train_service = Joined(TrainServiceLines(train));

  if (recompiled.stopped_with) {
    result.differences.push_back("the recovered sources do not compile: the run stops with \"" +
                                 ErrorMessage(*recompiled.stopped_with) + "\"");
    return result;
  }
  if (same_bytes(recompiled)) {
    result.exact = true;
    if (recompiled.codice_errore != 0) {
      std::string note = "the recovered sources compile with error " + std::to_string(recompiled.codice_errore);
      if (HasPosition(recompiled.codice_errore)) note += " at " + std::to_string(recompiled.posizione_errore) + " m";
      result.notes.push_back(note + ": " + recompiled.cause.value_or(ErrorText(recompiled.codice_errore)) +
                             " (the files were compiled with it, and hold what was read before it)");
    }
    return result;
  }
  DifferenceList differences;
  CompareStations(input, recompiled.station_bytes, &differences);
  CompareCells(input, recompiled.cell_bytes, &differences);
  if (with_line) ComparePlan(input, recompiled.line_bytes, &differences);
  if (differences.count() == 0) differences.Add("the recompiled files differ from the given ones");
  result.differences = differences.Done();
  return result;
}

}  // namespace scenario::tool
