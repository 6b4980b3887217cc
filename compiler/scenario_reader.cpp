#include "compiler/scenario_reader.h"

namespace scenario {

void memorizza_dati(ScenarioModel& model, const Workspace& workspace) {
  (void)model;
  (void)workspace;
}

}  // namespace scenario
