// The reader of both text sources: the line description, then the train
// service. Faults are recorded in the model's error slot; a run-time failure
// is trapped and recorded as error 25.
#pragma once

#include "model/scenario_model.h"
#include "platform/workspace.h"

namespace scenario {

void memorizza_dati(ScenarioModel& model, const Workspace& workspace);

}  // namespace scenario
