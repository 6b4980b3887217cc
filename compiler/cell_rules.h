// The route cell rules: code changes to 180 in front of signals near a
// slowdown warning, before slowdown starts, along slow slowdowns and before
// the first signal after them.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace scenario {

// b when a is greater than b, otherwise a.
inline int32_t minimo(int32_t a, int32_t b) { return a > b ? b : a; }

// One forward sweep over cells 1 to ultima_cella - 2.
void ApplyCellRules(ScenarioModel& model);

}  // namespace scenario
