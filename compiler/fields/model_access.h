// Checked access to the model's arrays for the readers and the placement
// operations: an index outside an array is a RuntimeFailure, never a read or
// write outside it.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace scenario {

// Route cell k of `percorso`; fails when the route was never allocated or k
// lies outside 0..ultima_cella.
rec_cella& cella(ScenarioModel& model, int64_t k);
// Station record i, 0..86.
rec_stazione& stazione(ScenarioModel& model, int64_t i);
// Seed point x (0 or 1) of `tracciato`; fails outside 0..lunghezza_estesa.
PuntoTracciato& seme(ScenarioModel& model, int64_t x);

}  // namespace scenario
