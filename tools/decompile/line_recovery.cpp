// Reading the line description back: the general values and progressive
// zones off the records 81 to 86, the curves off the plan, the gradient
// steps, mountains, maximum-speed indicators and boards off the cells.
#include <algorithm>
#include <array>
#include <climits>
#include <set>
#include <utility>

#include "compiler/fields/arithmetic.h"
#include "compiler/readers/line_reader.h"
#include "tools/decompile/recovered_items.h"
#include "tools/readback/author_units.h"
#include "tools/readback/route_features.h"

namespace scenario::tool::recovery {

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

Recovery::Recovery(const CompiledInput& input) : input_(input), percorso_(input.percorso) {
  // Cell 1 carries the route marker and a check code, stamped on a cell
  // whose two values were 0.
  if (percorso_.size() > 1) {
    percorso_[1].valore_1 = 0;
    percorso_[1].valore_2 = 0;
  }
}

LineDescription Recovery::Line() {
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

void Recovery::RecoverProgressives(LineDescription* line) const {
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

// Each point of the plan is the straight step or the step turned by one
// of the six curvatures to either side; runs of one turn are the curves.
std::vector<Curve> Recovery::CurvesOf(const std::vector<PuntoTracciato>& plan) {
  std::vector<Curve> curves;
  int current = 0;  // 0 straight, +class right, -class left
  int64_t run_start = 0;
  auto close_run = [&](int64_t end_point) {
    if (current == 0) return;
    curves.push_back({run_start - 1, end_point - run_start + 1, current > 0 ? current : -current, current < 0});
  };
  for (size_t j = 2; j < plan.size() && plan[j][0].type == ValueType::Double; ++j) {
    const double x1 = plan[j - 1][0].AsReal(), y1 = plan[j - 1][1].AsReal();
    const double dx = x1 - plan[j - 2][0].AsReal();
    const double dy = y1 - plan[j - 2][1].AsReal();
    const double x = plan[j][0].real, y = plan[j][1].real;
    int turn = 0;
    if (!(x1 + dx == x && y1 + dy == y)) {
      turn = 0;
      for (int classe = 1; classe <= 6 && turn == 0; ++classe) {
        for (int side : {1, -1}) {
          const double c = side * kCurvature[static_cast<size_t>(classe - 1)];
          if (x1 + (dx + c * dy) == x && y1 + (dy - c * dx) == y) {
            turn = side * classe;
            break;
          }
        }
      }
      // A point that no step gives is left to the self-check, as straight.
    }
    if (turn != current) {
      close_run(static_cast<int64_t>(j) - 1);
      current = turn;
      run_start = static_cast<int64_t>(j);
    }
  }
  // The run still open ends at the last computed point.
  size_t last = 1;
  while (last + 1 < plan.size() && plan[last + 1][0].type == ValueType::Double) ++last;
  close_run(static_cast<int64_t>(last));
  return curves;
}

std::vector<Mountain> Recovery::Mountains() const {
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
void Recovery::AddBoardsUnderStops(std::vector<Board>* boards) const {
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

}  // namespace scenario::tool::recovery
