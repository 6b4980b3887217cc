// The compactor's run driver: from start-up to its end, in the fixed order of
// a run.
//
// The run of the program, from start-up to its end.
#pragma once

#include "model/scenario_model.h"
#include "platform/window/window.h"
#include "platform/files/workspace.h"
// The built-in scenario the run names and writes (kNomeLinea, kNumeroTreno).
#include "sources/scenario_sources.h"

namespace scenario {

inline constexpr const char* kProgramName = "scenario-compactor";

// Names the scenario, shows the wait window, writes the sources and forms and
// compiles the scenario into the workspace.
void Form_Load(ScenarioModel& model, const Workspace& workspace, Window& window);

// The whole program on a workspace and a window; returns the exit status:
// 0 after a normal end, 1 after a failure of the system (named on standard
// error and, when a window is on screen, in a message box), 2 after errore.
// A workspace in a folder of the system's programs is refused (status 1)
// before anything is written.
int RunProgram(const Workspace& workspace, Window& window);

}  // namespace scenario
