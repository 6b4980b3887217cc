#include "compiler/compile_run.h"

#include <map>
#include <string>
#include <vector>

#include "compiler/cell_rules.h"
#include "compiler/check_codes.h"
#include "compiler/compiled_files.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/fields/reading_observer.h"
#include "compiler/fields/source_warnings.h"
#include "compiler/error_reporting.h"
#include "compiler/readers/scenario_reader.h"

namespace scenario {

void ClearStationTable(ScenarioModel& model) {
  for (rec_stazione& record : model.stazioni) record = rec_stazione{};
}

namespace {

std::string Cells(const std::vector<int64_t>& cells) {
  std::string text = cells.size() == 1 ? "route cell " : "route cells ";
  for (size_t i = 0; i < cells.size(); ++i) {
    if (i > 0) text += i + 1 == cells.size() ? " and " : ", ";
    text += std::to_string(cells[i]);
  }
  return text;
}

FieldPosition At(const CellHolder& holder) { return {holder.line, holder.column}; }

// What took a cell, with its line, in the file of `whose`.
std::string Taker(const ReadingObserver& observer, int64_t cell, uint8_t tipo_cella, const CellHolder& whose) {
  const auto found = observer.held_cells.find(cell);
  if (found == observer.held_cells.end()) return CellKindText(tipo_cella);
  std::string text = found->second.item + " (line " + std::to_string(found->second.line);
  if (found->second.file != whose.file) text += " of " + found->second.file;
  return text + ")";
}

// The items that the reading placed and that are not in the compiled cells
// as their lines wrote them: mountain markers that a later item took, and,
// from a trial of the cell rules on a copy of the cells, markers that the
// rules take and code changes whose code they lower. Nothing of the model
// changes.
void WarnHiddenItems(const ScenarioModel& model, ReadingObserver& observer) {
  // Markers taken, by mountain, each with the cells and what took them.
  std::map<std::pair<std::string, int>, std::vector<std::pair<int64_t, std::string>>> taken;
  std::map<std::pair<std::string, int>, CellHolder> mountains;
  std::vector<int64_t> free_markers;
  for (const auto& [cell, mountain] : observer.mountain_markers) {
    if (cell < 0 || static_cast<size_t>(cell) >= model.percorso.size()) continue;
    const uint8_t kind = model.percorso[static_cast<size_t>(cell)].tipo_cella;
    if (kind == tipo::marcatore_montagna) {
      free_markers.push_back(cell);
      continue;
    }
    const std::pair<std::string, int> key{mountain.file, mountain.line};
    mountains[key] = mountain;
    taken[key].push_back({cell, Taker(observer, cell, kind, mountain)});
  }
  for (const auto& [key, cells] : taken) {
    const CellHolder& mountain = mountains[key];
    std::string what;
    for (size_t i = 0; i < cells.size(); ++i) {
      if (i > 0) what += i + 1 == cells.size() ? " and " : ", ";
      what += "route cell " + std::to_string(cells[i].first) + " to " + cells[i].second;
    }
    observer.Warn(ReadingWarning{mountain.file, At(mountain), WarningKind::CellReplaced,
                                 mountain.item + " loses " + (cells.size() == 1 ? "a marker" : "markers") +
                                     " to the items read after it: " + what +
                                     "; a marker counts as a free cell, so any item takes it. Move the items, "
                                     "or the mountain, if the markers are wanted there"});
  }

  // The cell rules, tried on a copy of the cells.
  ScenarioModel trial;
  trial.percorso = model.percorso;
  trial.ultima_cella = model.ultima_cella;
  ApplyCellRules(trial);
  std::map<std::pair<std::string, int>, std::vector<int64_t>> ruled;
  for (int64_t cell : free_markers) {
    if (trial.percorso[static_cast<size_t>(cell)].tipo_cella == tipo::marcatore_montagna) continue;
    const CellHolder& mountain = observer.mountain_markers[cell];
    mountains[{mountain.file, mountain.line}] = mountain;
    ruled[{mountain.file, mountain.line}].push_back(cell);
  }
  for (const auto& [key, cells] : ruled) {
    const CellHolder& mountain = mountains[key];
    observer.Warn(ReadingWarning{
        mountain.file, At(mountain), WarningKind::CellRules,
        mountain.item + " loses its " + (cells.size() == 1 ? "marker in " : "markers in ") + Cells(cells) +
            " to the code changes to 180 that the compactor places by itself near slowdowns and the signals "
            "before them (the cell rules): a marker counts as a free cell; move the mountain, or the slowdown, "
            "if the markers are wanted there"});
  }
  for (const auto& [cell, holder] : observer.held_cells) {
    if (cell < 0 || static_cast<size_t>(cell) >= model.percorso.size()) continue;
    const rec_cella& read = model.percorso[static_cast<size_t>(cell)];
    const rec_cella& ruled_cell = trial.percorso[static_cast<size_t>(cell)];
    if (read.tipo_cella != tipo::cambio_codice || read.valore_1 == ruled_cell.valore_1) continue;
    observer.Warn(ReadingWarning{
        holder.file, At(holder), WarningKind::CellRules,
        holder.item + " (route cell " + std::to_string(cell) + ") gives the code " + std::to_string(read.valore_1) +
            ", and the compactor lowers it to " + std::to_string(ruled_cell.valore_1) +
            " (the cell rules): a signal one or two cells after it stands within 1000 m before a slowdown's warning "
            "board, and neither cell before the signal is free; free one of them to keep this code"});
  }
}

}  // namespace

void memorizza_percorso(ScenarioModel& model, int32_t compila_linea, const Workspace& workspace,
                        Window& window, ReadingPlace* place, ReadingObserver* observer) {
  model.compila_linea = compila_linea;
  model.codice_errore = 0;
  ClearStationTable(model);

  memorizza_dati(model, workspace, place, observer);
  if (observer != nullptr && model.percorso.size() >= 2) WarnHiddenItems(model, *observer);
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
