#include "compiler/compile_run.h"

#include <string>

#include "compiler/cell_rules.h"
#include "compiler/check_codes.h"
#include "compiler/compiled_files.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/error_reporting.h"
#include "compiler/readers/scenario_reader.h"

namespace scenario {

void ClearStationTable(ScenarioModel& model) {
  for (rec_stazione& record : model.stazioni) record = rec_stazione{};
}

void memorizza_percorso(ScenarioModel& model, int32_t compila_linea, const Workspace& workspace,
                        Window& window, ReadingPlace* place, ReadingObserver* observer) {
  model.compila_linea = compila_linea;
  model.codice_errore = 0;
  ClearStationTable(model);

  memorizza_dati(model, workspace, place, observer);
  FinishCompileRun(model, workspace, window);
}

void FinishCompileRun(ScenarioModel& model, const Workspace& workspace, Window& window) {
  // Without a cell 1 there is no route to stamp or write: the reading
  // stopped before the route was sized.
  if (model.percorso.size() < 2) {
    errore(window, NumeroText(model.codice_errore != 0 ? model.codice_errore : error_number::kRouteTooLong));
  }

  ApplyCellRules(model);

  rec_stazione& scenario_record = model.stazioni[kRecordScenario];
  rec_cella& first_cell = model.percorso[1];

  if (scenario_record.par_4 != 0 || first_cell.valore_1 != 0) errore(window, NumeroText(error_number::kMarkerPlaceTaken));
  scenario_record.par_4 = marcatore_stazioni;
  first_cell.valore_1 = marcatore_percorso;

  if (scenario_record.orario != 0 || first_cell.valore_2 != 0) errore(window, NumeroText(error_number::kCheckCodePlaceTaken));
  scenario_record.orario = codice_gara_st(model);
  first_cell.valore_2 = static_cast<int16_t>(codice_gara_og(model));

  WriteCompiledFiles(model, workspace);
}

}  // namespace scenario
