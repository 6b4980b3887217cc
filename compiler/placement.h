// Placing one signal and one temporary slowdown of the train service into
// the route cells.
#pragma once

#include <cstdint>

#include "model/scenario_model.h"

namespace scenario {

// Places a signal and its four approach marks. Records error 16 and writes
// nothing when the signal's cell is taken. May change the caller's `tempo`.
void memo_segnale(ScenarioModel& model, int32_t posizione, int32_t& sx, int32_t& s1, int32_t& s2,
                  int32_t& s3, int32_t& rapp, int32_t& dx, int32_t& d1, int32_t& d2, int32_t& d3,
                  int32_t& tempo);

// Places a slowdown: its warning, start and end cells and the four marker
// cells before the warning. Records error 17, 18, 19 or 20 on a taken cell.
void memo_rallentamento(ScenarioModel& model, int32_t x, int32_t& v, int32_t& l, int32_t& f_tt,
                        int32_t f_ta, int32_t& d_v);

}  // namespace scenario
