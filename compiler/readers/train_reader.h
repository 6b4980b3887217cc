// The second half of the reading: the train service source.
#pragma once

#include <cstdint>

#include "compiler/readers/scenario_reader.h"
#include "model/scenario_model.h"
#include "platform/files/workspace.h"

namespace scenario {

// Reads and deletes the train service source. `indice_cartello` is the
// record the line half would give to one more board caption. Run-time
// failures are thrown as RuntimeFailure for the trap of memorizza_dati.
void ReadTrainService(ScenarioModel& model, const Workspace& workspace, int32_t indice_cartello,
                      ReadingPlace* place, ReadingObserver* observer = nullptr);

}  // namespace scenario
