#include "sources/scenario_sources.h"

namespace scenario {

void dati_linea(const ScenarioModel&, const Workspace&) {}
void dati_treno(const ScenarioModel&, const Workspace&) {}
void dati_note(const ScenarioModel&, const Workspace&) {}
void dati_rallentamenti(const ScenarioModel&, const Workspace&) {}
void dati_scheda(const ScenarioModel&, const Workspace&) {}

}  // namespace scenario
