// What decompile recovers, between reading it off the compiled files and
// writing it as the two sources: the items of the line description and of
// the train service, and the reading of them off the cells, records and
// plan points. Used by the files of this folder only.
#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "model/scenario_model.h"
#include "tools/decompile/decompile.h"
#include "tools/readback/plan_curves.h"

namespace scenario::tool::recovery {

inline constexpr int64_t kCellMetres = 50;
// How many differences a refusal lists before it only counts the rest.
inline constexpr size_t kDifferencesListed = 12;
// Rounds of code-change points added where the cell rules do not place what
// the files hold.
inline constexpr int kCodeChangeRounds = 24;
// The code that the cell rules put into the code changes they place.
inline constexpr int64_t kRuleCode = 180;

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

// A station or a signal of the train service, by its place in `stations`
// or `signals`: the items whose approach marks overwrite each other's.
struct MarkedItem {
  enum class Kind { Station, Signal };
  Kind kind = Kind::Station;
  size_t index = 0;
  bool operator==(const MarkedItem&) const = default;
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
  // The order in which stations and signals are written, where the
  // approach marks in the cells need one other than the usual (stations,
  // then signals by position); empty for the usual order.
  std::vector<MarkedItem> marked_order;
};

// A number as the sources write it.
inline std::string Num(int64_t value) { return std::to_string(value); }

// The sources' lines, in the layout of the built-in sources.
std::vector<std::string> LineDescriptionLines(const LineDescription& line);
std::vector<std::string> TrainServiceLines(const TrainService& train);
// Lines as the bytes of a whole source file, with CR LF line ends.
std::string Joined(const std::vector<std::string>& lines);

// Steps of a value filled cell by cell from the start of the route up to
// the fourth cell from its end: one step at the start of every run of equal
// values. A fill writes at least one cell per step and one at its close, so
// steps that do not advance, on the third cell from the end, carry the fill
// over the last cells one by one.
std::vector<Step> StepsOf(const std::vector<rec_cella>& percorso, uint8_t rec_cella::*field,
                          const std::function<int64_t(uint8_t)>& value_of) ;

// Reads every item back off the compiled files: the line description's
// from the records 81 to 86, the cells and the plan, the train service's
// from the records and the cells.
class Recovery {
 public:
  explicit Recovery(const CompiledInput& input);

  LineDescription Line();

  // The train service; where items overwrite each other's approach marks,
  // `conflicts` is told those whose marks no order of reading gives.
  TrainService Train(std::vector<std::string>* conflicts = nullptr);

 private:
  void RecoverProgressives(LineDescription* line) const;

  std::vector<Mountain> Mountains() const;

  // A station's stop cell overwrites whatever stood there, a board too:
  // a caption whose board cell is gone had its board under a stop cell.
  void AddBoardsUnderStops(std::vector<Board>* boards) const;

  std::vector<Station> Stations() const;

  const rec_cella* CellAt(int64_t k) const;

  std::vector<Slowdown> Slowdowns() const;

  std::vector<Signal> Signals() const;

  // The order of reading that leaves in every cell the approach mark it
  // holds: each mark is that of the item read last among those that mark
  // the cell. A precedence graph over the items whose marks overlap, sorted
  // with the usual order breaking ties; empty when the usual order serves,
  // or when no order does (then `conflicts` says which items and why).
  std::vector<MarkedItem> MarkedOrder(const TrainService& train, std::vector<std::string>* conflicts) const;

  const CompiledInput& input_;
  std::vector<rec_cella> percorso_;
  int32_t lowest_caption_ = kPrimoCartello + 1;
};

}  // namespace scenario::tool::recovery
