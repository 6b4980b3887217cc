#include "compiler/placement.h"

namespace scenario {

void memo_segnale(ScenarioModel&, int32_t, int32_t&, int32_t&, int32_t&, int32_t&, int32_t&,
                  int32_t&, int32_t&, int32_t&, int32_t&, int32_t&) {}

void memo_rallentamento(ScenarioModel&, int32_t, int32_t&, int32_t&, int32_t&, int32_t,
                        int32_t&) {}

}  // namespace scenario
