// The compile run: the readers, the route cell rules, the markers and check
// codes, and the three compiled files.
//
// The compile run: from the two text sources to the three compiled files.
#pragma once

#include <cstdint>

#include "compiler/readers/scenario_reader.h"
#include "model/scenario_model.h"
#include "platform/window/window.h"
#include "platform/files/workspace.h"

namespace scenario {

inline constexpr int16_t marcatore_stazioni = 610;
inline constexpr int16_t marcatore_percorso = 5121;

// Clears the error number and the station table, reads both sources, applies
// the cell rules, stamps the markers and check codes and writes the compiled
// files (the line file only when compila_linea is non-zero). Ends the program
// through errore (ErroreShown) when a marker's or a code's place is taken, or
// when no route was read. `place`, when given, receives where the reading of
// the sources ended.
void memorizza_percorso(ScenarioModel& model, int32_t compila_linea, const Workspace& workspace,
                        Window& window, ReadingPlace* place = nullptr, ReadingObserver* observer = nullptr);

// The compile run after the reading: the cell rules, the two checks with
// their stamps, the check codes and the compiled files.
void FinishCompileRun(ScenarioModel& model, const Workspace& workspace, Window& window);

// The station table as it stands after the reset: every record cleared.
void ClearStationTable(ScenarioModel& model);

}  // namespace scenario
