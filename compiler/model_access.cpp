#include "compiler/model_access.h"

#include <string>

#include "compiler/runtime_failure.h"

namespace scenario {

namespace {
template <typename Container>
auto& Element(Container& container, int64_t index, const char* what, RuntimeFailure::Kind kind) {
  if (index < 0 || static_cast<uint64_t>(index) >= container.size())
    throw RuntimeFailure(std::string(what) + " " + std::to_string(index) + " does not exist", kind, index);
  return container[static_cast<size_t>(index)];
}
}  // namespace

rec_cella& cella(ScenarioModel& model, int64_t k) { return Element(model.percorso, k, "route cell", RuntimeFailure::Kind::MissingCell); }

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
