// The first half of the reading: the line description source. It sizes the
// route from the route length, fills the line's general records (81 to 86),
// places gradients, mountains, maximum-speed indicators and indication boards
// into the route cells and, when compila_linea is non-zero, computes the plan
// of the track from the curves.
#pragma once

#include <cstdint>

#include "compiler/readers/scenario_reader.h"
#include "model/scenario_model.h"
#include "platform/files/workspace.h"

namespace scenario {

struct LineReadOutcome {
  // The line source was read to its end, or stopped at a range error: the
  // train half runs next.
  bool train_half_runs = false;
  // The record that would take one more indication-board caption.
  int32_t indice_cartello = kPrimoCartello;
};

// Reads and deletes the line description source. A fault is recorded in the
// error slot; the source is then deleted (unless it does not exist, 101) and
// the train half does not run, except after a range error (15). Run-time
// failures are thrown as RuntimeFailure for the trap of memorizza_dati.
LineReadOutcome ReadLineDescription(ScenarioModel& model, const Workspace& workspace, ReadingPlace* place,
                                    ReadingObserver* observer = nullptr);

// Orders the three kilometric progressive zones of records 81 ("tre"), 82
// ("due") and 83 ("uno"), then adds 100 to the chainage of every zone whose
// direction flag is 1.
void progressive_ordina(ScenarioModel& model);

// Stores one mountain section into the mountain tables and the `montagna` of
// its cells. A type above 10 asks for a marker on every fourth free cell and
// stands for the type 10 lower; a section starting 150 m or less after the
// previous one ends is of type 3. The type used is left in `tipo`.
void memo_montagna(ScenarioModel& model, int32_t inizio, int32_t fine, int32_t& tipo);

// Stores one maximum-speed indicator into its cell, or records error 21 when
// the cell is taken.
void memo_indicatori_v_max(ScenarioModel& model, int32_t posizione, int32_t vas, int32_t vbs, int32_t vcs,
                           int32_t strisces, int32_t vad, int32_t vbd, int32_t vcd, int32_t strisced);

}  // namespace scenario
