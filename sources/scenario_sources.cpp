#include "sources/scenario_sources.h"

#include "model/file_names.h"
#include "sources/line_description.h"
#include "sources/printed_forms.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"

namespace scenario {

void dati_linea(const ScenarioModel& model, const Workspace& workspace) {
  WriteTextFile(workspace, LineSourceName(model.nome_linea),
                WithEndMarker(BuiltInLineDescription()));
}

void dati_treno(const ScenarioModel& model, const Workspace& workspace) {
  WriteTextFile(workspace, TrainSourceName(model.nome_linea, model.numero_treno),
                WithEndMarker(BuiltInTrainService()));
}

void dati_note(const ScenarioModel& model, const Workspace& workspace) {
  WriteTextFile(workspace, FormName(model.nome_linea, model.numero_treno, "note.txt"),
                WithEndMarker(BuiltInNotes()));
}

void dati_rallentamenti(const ScenarioModel& model, const Workspace& workspace) {
  WriteTextFile(workspace, FormName(model.nome_linea, model.numero_treno, "rallentamenti.txt"),
                WithEndMarker(BuiltInSlowdownOrder()));
}

void dati_scheda(const ScenarioModel& model, const Workspace& workspace) {
  WriteTextFile(workspace, FormName(model.nome_linea, model.numero_treno, "scheda_treno.txt"),
                WithEndMarker(BuiltInTrainCard()));
}

}  // namespace scenario
