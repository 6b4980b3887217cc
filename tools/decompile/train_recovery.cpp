// Reading the train service back: the general values off the records, the
// adhesion and speed steps off the cells, and the stations, slowdowns and
// signals off the records and the cells they took.
#include <algorithm>
#include <array>
#include <functional>
#include <map>
#include <optional>
#include <queue>
#include <set>
#include <utility>

#include "compiler/fields/arithmetic.h"
#include "tools/decompile/recovered_items.h"
#include "tools/readback/author_units.h"
#include "tools/readback/route_features.h"

namespace scenario::tool::recovery {

TrainService Recovery::Train(std::vector<std::string>* conflicts) {
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
  std::vector<std::string> unused;
  train.marked_order = MarkedOrder(train, conflicts != nullptr ? conflicts : &unused);
  return train;
}

std::vector<MarkedItem> Recovery::MarkedOrder(const TrainService& train, std::vector<std::string>* conflicts) const {
  // Items by number in the usual order: the stations by record, then the
  // signals by position.
  const size_t station_count = train.stations.size();
  const size_t count = station_count + train.signals.size();
  auto item_of = [&](size_t n) {
    return n < station_count ? MarkedItem{MarkedItem::Kind::Station, n}
                             : MarkedItem{MarkedItem::Kind::Signal, n - station_count};
  };
  auto name_of = [&](size_t n) {
    return n < station_count ? "the station at " + Num(train.stations[n].position) + " m"
                             : "the signal at " + Num(train.signals[n - station_count].position) + " m";
  };
  // The marks each item writes: cell, value.
  std::map<int64_t, std::vector<std::pair<size_t, uint8_t>>> marks;
  auto mark = [&](int64_t cell, size_t item, int64_t value) {
    if (cell >= 0 && cell < static_cast<int64_t>(percorso_.size()))
      marks[cell].push_back({item, static_cast<uint8_t>(value & 0xFF)});
  };
  for (size_t n = 0; n < station_count; ++n) {
    const rec_stazione& r = input_.stazioni[n + 1];
    if (r.tipo_stazione >= 25 || r.tipo_stazione == 5 || r.tipo_stazione == 6) continue;
    for (int j = 1; j <= 4; ++j) {
      const double y = static_cast<double>(r.fine_zona) / 50 - j - 1;
      if (y > 1) mark(round_half_even(y), n, 80 + j);
    }
  }
  for (size_t n = 0; n < train.signals.size(); ++n) {
    const Signal& s = train.signals[n];
    const int64_t k = s.position / kCellMetres + 1;
    for (int m = 1; m <= 4; ++m) mark(k - 2 * m, station_count + n, (s.sx * 3 + s.dx) * 10 + m);
  }

  // Built from the end: an item may be read after all the others left when
  // each of its marks is what its cell holds or is overwritten by an item
  // already put after it. Putting an item after others only covers more
  // cells, so whichever item is taken first, an order is found whenever
  // one exists. Of the items that may come last, the one latest in the
  // usual order is taken, so the usual order stays where nothing else is
  // needed. A cell whose mark no item gives binds none. A station's record
  // is its place among the stations: each comes before the next.
  std::map<int64_t, std::vector<size_t>> blocked_by;  // cell: the items whose mark there differs
  std::vector<size_t> blocks(count, 0);               // what keeps each item from coming last
  std::vector<std::vector<int64_t>> cells_of(count);
  std::set<int64_t> covered;
  for (const auto& [cell, writers] : marks) {
    const uint8_t held = percorso_[static_cast<size_t>(cell)].avviso;
    const bool explained =
        std::any_of(writers.begin(), writers.end(), [&](const auto& w) { return w.second == held; });
    if (!explained) covered.insert(cell);
    for (const auto& [item, value] : writers) {
      cells_of[item].push_back(cell);
      if (explained && value != held) {
        blocked_by[cell].push_back(item);
        ++blocks[item];
      }
    }
  }
  for (size_t n = 0; n + 1 < station_count; ++n) ++blocks[n];
  std::priority_queue<size_t> may_come_last;
  for (size_t n = 0; n < count; ++n)
    if (blocks[n] == 0) may_come_last.push(n);
  auto unblock = [&](size_t n) {
    if (--blocks[n] == 0) may_come_last.push(n);
  };
  std::vector<size_t> reversed;
  while (!may_come_last.empty()) {
    const size_t last = may_come_last.top();
    may_come_last.pop();
    reversed.push_back(last);
    for (const int64_t cell : cells_of[last])
      if (covered.insert(cell).second)
        for (const size_t other : blocked_by[cell]) unblock(other);
    if (last > 0 && last < station_count) unblock(last - 1);
  }
  if (reversed.size() < count) {
    std::string caught;
    for (size_t n = 0; n < count; ++n)
      if (blocks[n] != 0) caught += (caught.empty() ? "" : ", ") + name_of(n);
    conflicts->push_back("no order of reading gives the approach marks of " + caught +
                         ": where their marks fall on one cell, none of them leaves what the cell holds");
    return {};
  }
  const std::vector<size_t> order(reversed.rbegin(), reversed.rend());
  bool usual = true;
  for (size_t n = 0; n < count; ++n) usual = usual && order[n] == n;
  if (usual) return {};
  std::vector<MarkedItem> items;
  for (size_t n : order) items.push_back(item_of(n));
  return items;
}

std::vector<Station> Recovery::Stations() const {
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

const rec_cella* Recovery::CellAt(int64_t k) const {
  if (k < 0 || k >= static_cast<int64_t>(percorso_.size())) return nullptr;
  return &percorso_[static_cast<size_t>(k)];
}

std::vector<Slowdown> Recovery::Slowdowns() const {
  std::vector<Slowdown> slowdowns;
  std::set<int64_t> ends_used;
  std::set<int64_t> markers_used;  // the base cells of marker groups taken
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
      // Markers serve one slowdown: one whose start lies a cell further
      // back, read before this one, may have taken them already.
      if (markers_from(s - 25) && markers_used.count(s - 25) == 0) {
        r.f_ta = 1;
        markers_used.insert(s - 25);
      } else if (s % 2 == 0 && markers_from(s - 26) && markers_used.count(s - 26) == 0) {
        // Halfway between two cells the start rounds up to an even cell
        // and the markers' base down: they stand one cell further back.
        r.x -= 25;
        r.f_ta = 1;
        markers_used.insert(s - 26);
      }
    }
    r.l = (e - 1) * kCellMetres - r.x;
    slowdowns.push_back(r);
  }
  return slowdowns;
}

std::vector<Signal> Recovery::Signals() const {
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

}  // namespace scenario::tool::recovery
