// The text sources and printed forms of the built-in scenario, and the one
// write procedure of every text file.
//
// The writers of the built-in scenario: the two text sources and the three
// printed forms, each replacing its file in the workspace. Their content is
// in line_description.h, train_service.h and printed_forms.h; the write
// procedure they share is in text_file_writer.h.
#pragma once

#include "model/scenario_model.h"
#include "platform/files/workspace.h"

namespace scenario {

// The built-in scenario's line name and train number: its sources, its forms
// and its compiled files are named after them.
inline constexpr const char* kNomeLinea = "Calvisio -Sambreta";
inline constexpr const char* kNumeroTreno = "31613";

void dati_linea(const ScenarioModel& model, const Workspace& workspace);
void dati_treno(const ScenarioModel& model, const Workspace& workspace);
void dati_note(const ScenarioModel& model, const Workspace& workspace);
void dati_rallentamenti(const ScenarioModel& model, const Workspace& workspace);
void dati_scheda(const ScenarioModel& model, const Workspace& workspace);

}  // namespace scenario
