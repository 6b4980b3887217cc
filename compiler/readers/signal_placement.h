// Placing one signal of the train service into the route cells: the signal's
// own cell and the approach marks 2, 4, 6 and 8 cells before it.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace scenario {

// Places the signal at `posizione` metres into cell round(posizione / 50 + 1).
// When that cell is taken it records error 16 and writes nothing. A `tempo`
// of 1 to 100 is raised to 101 for the caller as well.
// Throws RuntimeFailure for a cell outside the route or a value that leaves
// 32 bits; what was written before the failure stays.
void memo_segnale(ScenarioModel& model, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                  int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                  int32_t& tempo);

}  // namespace scenario
