#include "tools/cli/new_command.h"

#include "model/file_names.h"
#include "platform/files/directory_lock.h"
#include "platform/files/file_set.h"
#include "sources/text_file_writer.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/sources_command.h"
#include "tools/common/refusal.h"

namespace scenario::tool {

namespace {

constexpr const char* kCommand = "scenario-tool new";
constexpr const char* kInsteadOfReplacing =
    "write into another directory (-o DIR), choose other names, or give --force to replace them";

}  // namespace

std::vector<std::string> WriteNewScenario(FileSystem& files, const std::string& directory,
                                          const std::string& nome_linea, const std::string& numero_treno,
                                          int32_t length, bool replace, const WorkspaceHold::Tell& tell) {
  Workspace workspace{files, directory};
  workspace.tell = tell;
  const std::string line_name = LineSourceName(nome_linea);
  const std::string train_name = TrainSourceName(nome_linea, numero_treno);
  const std::vector<std::string> paths = {workspace.PathOf(line_name), workspace.PathOf(train_name)};

  if (!replace) RefuseExistingFiles(files, paths, kInsteadOfReplacing);
  RequireOk(files.MakeDirectory(directory), directory);
  WorkspaceHold hold(workspace, LockWaitLimit(), tell);
  // Another run may have written them while this one waited.
  if (!replace) RefuseExistingFiles(files, paths, kInsteadOfReplacing);
  // Both sources or neither.
  FileSet written(workspace);
  Workspace gathering = workspace;
  gathering.gathering = &written;
  WriteTextFile(gathering, line_name, WithEndMarker(NewLineDescription(length)));
  WriteTextFile(gathering, train_name, WithEndMarker(NewTrainService(length)));
  written.Replace();
  hold.Finish();
  return paths;
}

int RunNew(const NewRequest& request, FileSystem& files, std::ostream& out, std::ostream& err) {
  const int32_t length = NewLineLength(request.length);
  const std::string nome_linea = NewScenarioName("the line name", request.line_name);
  const std::string numero_treno = NewScenarioName("the train number", request.train_number);
  CheckNewNamesFit(nome_linea, numero_treno);
  const auto tell = [&err](const std::string& notice) { err << kCommand << ": " << notice << "\n" << std::flush; };
  for (const std::string& path :
       WriteNewScenario(files, request.output_directory, nome_linea, numero_treno, length, request.force, tell))
    out << "wrote " << path << "\n";
  return kExitOk;
}

}  // namespace scenario::tool
