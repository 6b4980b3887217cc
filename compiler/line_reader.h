// The first half of the reading: the line description source.
#pragma once

#include <cstdint>

#include "compiler/scenario_reader.h"
#include "model/scenario_model.h"
#include "platform/workspace.h"

namespace scenario {

struct LineReadOutcome {
  // The line source was read to its end, or stopped at a range error: the
  // train half runs next.
  bool train_half_runs = false;
  // The record that would take one more indication-board caption.
  int32_t indice_cartello = kPrimoCartello;
};

// Reads and deletes the line description source. Run-time failures are
// thrown as RuntimeFailure for the trap of memorizza_dati.
LineReadOutcome ReadLineDescription(ScenarioModel& model, const Workspace& workspace,
                                    ReadingPlace* place);

}  // namespace scenario
