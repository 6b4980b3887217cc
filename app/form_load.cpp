#include "app/form_load.h"

#include <exception>
#include <string>

#include "compiler/compile_run.h"
#include "compiler/error_reporting.h"
#include "platform/window/console_text.h"
#include "platform/files/directory_lock.h"
#include "sources/scenario_sources.h"

namespace scenario {

namespace {

void TellOnStandardError(const std::string& notice) {
  ShowOnStandardError(std::string(kProgramName) + ": " + notice);
}

}  // namespace

void Form_Load(ScenarioModel& model, const Workspace& workspace, Window& window) {
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  window.ShowWaitWindow();
  // From here to the last file the directory is this run's alone: another
  // run started meanwhile waits for this one to end.
  WorkspaceHold hold(workspace, LockWaitLimit(), TellOnStandardError);
  dati_linea(model, workspace);
  dati_treno(model, workspace);
  dati_note(model, workspace);
  dati_rallentamenti(model, workspace);
  dati_scheda(model, workspace);
  memorizza_percorso(model, 1, workspace, window);
  hold.Finish();
}

namespace {

int ReportFailure(Window& window, const std::string& what) {
  const std::string message = std::string(kProgramName) + ": " + what;
  ShowOnStandardError(message);
  if (window.OnScreen()) window.ShowMessageBox(message);
  window.Close();
  return 1;
}

}  // namespace

int RunProgram(const Workspace& workspace, Window& window) {
  try {
    ScenarioModel model;
    Form_Load(model, workspace, window);
  } catch (const ErroreShown&) {
    window.Close();
    return 2;
  } catch (const std::exception& failure) {
    return ReportFailure(window, failure.what());
  }
  window.Close();
  return 0;
}

}  // namespace scenario
