#include "compiler/fields/model_access.h"

#include <cstdint>
#include <string>

#include "compiler/fields/runtime_failure.h"

namespace scenario {

namespace {
// Kept out of Element, which runs for every cell a reader touches: its
// message would otherwise give every call a frame to set up.
[[noreturn, gnu::noinline, gnu::cold]] void NoElement(const char* what, int64_t index, RuntimeFailure::Kind kind) {
  throw RuntimeFailure(std::string(what) + " " + std::to_string(index) + " does not exist", kind, index);
}

template <typename Container>
auto& Element(Container& container, int64_t index, const char* what, RuntimeFailure::Kind kind) {
  if (index < 0 || static_cast<uint64_t>(index) >= container.size()) [[unlikely]]
    NoElement(what, index, kind);
  // The index is tested just above.
  return container.data()[index];
}
}  // namespace

namespace {
thread_local CellReach* cell_reach = nullptr;
}  // namespace

CellReach::CellReach() : outer_(cell_reach) {
  low_ = INT64_MAX;
  high_ = -1;
  cell_reach = this;
}

CellReach::~CellReach() { cell_reach = outer_; }

bool CellReach::Take(int64_t* low, int64_t* high) {
  if (high_ < low_) return false;
  *low = low_;
  *high = high_;
  low_ = INT64_MAX;
  high_ = -1;
  return true;
}

rec_cella& cella(ScenarioModel& model, int64_t k) {
  if (CellReach* reach = cell_reach) [[unlikely]]
    reach->Note(k);
  return Element(model.percorso, k, "route cell", RuntimeFailure::Kind::MissingCell);
}

rec_stazione& stazione(ScenarioModel& model, int64_t i) {
  return Element(model.stazioni, i, "station record", RuntimeFailure::Kind::MissingRecord);
}

PuntoTracciato& seme(ScenarioModel& model, int64_t x) {
  if (x < 0 || x > 1 || static_cast<uint64_t>(x) >= model.tracciato.size())
    throw RuntimeFailure("plan point " + std::to_string(x) + " does not exist", RuntimeFailure::Kind::MissingPlanPoint,
                         x);
  return model.tracciato.seme(static_cast<size_t>(x));
}

}  // namespace scenario
