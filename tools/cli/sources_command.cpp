#include "tools/cli/sources_command.h"

#include "model/file_names.h"
#include "platform/files/directory_lock.h"
#include "platform/files/file_set.h"
#include "platform/files/workspace.h"
#include "sources/scenario_sources.h"
#include "tools/common/refusal.h"

namespace scenario::tool {

std::vector<std::string> BuiltInSourceNames() {
  return {LineSourceName(kNomeLinea), TrainSourceName(kNomeLinea, kNumeroTreno),
          FormName(kNomeLinea, kNumeroTreno, "note.txt"),
          FormName(kNomeLinea, kNumeroTreno, "rallentamenti.txt"),
          FormName(kNomeLinea, kNumeroTreno, "scheda_treno.txt")};
}

void RefuseExistingFiles(FileSystem& files, const std::vector<std::string>& paths, const std::string& instead) {
  std::string existing;
  for (const std::string& path : paths)
    if (files.FileExists(path)) existing += "\n  " + path;
  if (!existing.empty()) throw Refusal("these files exist already and would be replaced:" + existing + "\n" + instead);
}

std::vector<std::string> WriteBuiltInSources(FileSystem& files, const std::string& directory,
                                             bool replace, const WorkspaceHold::Tell& tell) {
  Workspace workspace{files, directory};
  workspace.tell = tell;
  std::vector<std::string> paths;
  for (const std::string& name : BuiltInSourceNames()) paths.push_back(workspace.PathOf(name));

  if (!replace) RefuseExistingFiles(files, paths, "write into another directory, or give --force to replace them");
  RequireOk(files.MakeDirectory(directory), directory);
  WorkspaceHold hold(workspace, LockWaitLimit(), tell);
  // Another run may have written them while this one waited.
  if (!replace) RefuseExistingFiles(files, paths, "write into another directory, or give --force to replace them");
  ScenarioModel model;
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  // The five files are one set: each is written whole first, and then all
  // replace the old ones, or none does.
  FileSet written(workspace);
  Workspace gathering = workspace;
  gathering.gathering = &written;
  dati_linea(model, gathering);
  dati_treno(model, gathering);
  dati_note(model, gathering);
  dati_rallentamenti(model, gathering);
  dati_scheda(model, gathering);
  written.Replace();
  hold.Finish();
  return paths;
}

}  // namespace scenario::tool
