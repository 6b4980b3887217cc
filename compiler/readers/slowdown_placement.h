// Placing one temporary slowdown of the train service into the route cells:
// its warning board 1200 m before the start, its start and end cells, and
// four marker cells before the warning.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace scenario {

// Places the slowdown that starts at `x` metres, `l` metres long, at speed
// `v`. A slowdown at 1500 m or less has no warning and no markers. The
// warning, start and end cells are all tested before any is written: a taken
// one records error 17, 18 or 19 and nothing is written. Markers (only when
// `f_ta` is non-zero) are tested after that: a taken one records error 20
// and leaves the warning, start and end cells written. `indice_j` is set to
// the first marker cell.
// Throws RuntimeFailure for a cell outside the route.
void memo_rallentamento(ScenarioModel& model, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt,
                        int32_t f_ta, int32_t& d_v);

}  // namespace scenario
