#include "app/form_load.h"

#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile_run.h"
#include "compiler/error_reporting.h"
#include "platform/window/console_text.h"
#include "model/file_names.h"
#include "platform/files/directory_lock.h"
#include "platform/files/file_set.h"
#include "platform/system/system_folders.h"
#include "sources/scenario_sources.h"

namespace scenario {

namespace {

void TellOnStandardError(const std::string& notice) {
  ShowOnStandardError(std::string(kProgramName) + ": " + notice);
}

// Every file a run writes, in the order it writes them.
std::vector<std::string> RunFileNames(const ScenarioModel& model) {
  const std::string& linea = model.nome_linea;
  const std::string& treno = model.numero_treno;
  return {LineSourceName(linea),
          TrainSourceName(linea, treno),
          FormName(linea, treno, "note.txt"),
          FormName(linea, treno, "rallentamenti.txt"),
          FormName(linea, treno, "scheda_treno.txt"),
          CompiledLineName(linea),
          StationFileName(linea, treno),
          CellFileName(linea, treno)};
}

}  // namespace

void Form_Load(ScenarioModel& model, const Workspace& given, Window& window) {
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  window.ShowWaitWindow();
  // Installed for everyone, the program stands among the system's programs:
  // it writes nothing there, not even its lock.
  if (const std::optional<std::string> folder = SystemProgramFolderOf(given.directory)) {
    throw SystemFailure("run in", given.directory,
                        "it is a folder of the system's programs (in '" + *folder +
                            "'), and the compactor writes its files beside itself; copy the program into a "
                            "folder of your own and run the copy there");
  }
  Workspace workspace = given;
  workspace.tell = TellOnStandardError;
  // From here to the last file the directory is this run's alone: another
  // run started meanwhile waits for this one to end.
  WorkspaceHold hold(workspace, LockWaitLimit(), TellOnStandardError);
  // A file that another program holds open, or a read-only one, stops the
  // run before it has changed anything.
  WaitUntilReplaceable(workspace, RunFileNames(model));
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
