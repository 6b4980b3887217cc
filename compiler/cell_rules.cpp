#include "compiler/cell_rules.h"

namespace scenario {

void ApplyCellRules(ScenarioModel& model) { (void)model; }

}  // namespace scenario
