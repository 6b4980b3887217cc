#include "tools/cli/decompile_command.h"

#include <stdexcept>

#include "model/file_names.h"
#include "platform/files/directory_lock.h"
#include "platform/files/file_set.h"
#include "platform/files/workspace.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/decompile/decompile.h"
#include "tools/cli/exit_status.h"
#include "tools/common/refusal.h"
#include "tools/authoring/scenario_names.h"

namespace scenario::tool {

namespace {

constexpr const char* kCommand = "scenario-tool decompile";

std::string ReadInput(FileSystem& files, const std::string& path) {
  std::string bytes;
  RequireOk(files.ReadFile(path, &bytes), path);
  return bytes;
}

}  // namespace

int RunDecompile(const DecompileRequest& request, FileSystem& files, std::ostream& out, std::ostream& err) {
  const CompiledScenario scenario = CompiledScenarioOf(files, request.inputs);
  std::optional<std::string> line_bytes;
  if (!scenario.line_path.empty()) line_bytes = ReadInput(files, scenario.line_path);
  const CompiledInput input =
      DecodeCompiledInput(scenario.station_path, ReadInput(files, scenario.station_path), scenario.cell_path,
                          ReadInput(files, scenario.cell_path), scenario.line_path, std::move(line_bytes));

  const std::string nome_linea = request.line_name.value_or(input.stazioni[kRecordScenario].nome);
  const std::string numero_treno = request.train_number.value_or(input.stazioni[kRecordTreno].nome);
  CheckNamePart(request.line_name ? "the line name given" : "the line name recorded in the station file (record 85)",
                nome_linea);
  CheckNamePart(request.train_number ? "the train number given"
                                     : "the train number recorded in the station file (record 86)",
                numero_treno);
  const Workspace output{files, request.output_directory};
  const std::string line_path = output.PathOf(LineSourceName(nome_linea));
  const std::string train_path = output.PathOf(TrainSourceName(nome_linea, numero_treno));
  auto refuse_existing = [&] {
    if (request.force) return;
    std::string existing;
    for (const std::string& path : {line_path, train_path})
      if (files.FileExists(path)) existing += "\n  " + path;
    if (!existing.empty())
      throw Refusal("these files exist already and would be replaced:" + existing +
                    "\nwrite into another directory, or give --force to replace them");
  };
  refuse_existing();

  const RecoveredScenario recovered = Decompile(input);
  for (const std::string& note : recovered.notes) err << kCommand << ": note: " << note << "\n";
  if (!recovered.exact) {
    err << kCommand << ": the recovered sources would not compile to the same bytes, so none is written;"
        << " what could not be recovered:\n";
    for (const std::string& difference : recovered.differences) err << "  " << difference << "\n";
    return kExitRefused;
  }

  RequireOk(files.MakeDirectory(request.output_directory), request.output_directory);
  // Runs in one directory take turns; another may have written the sources
  // while this one waited.
  const auto tell = [&err](const std::string& notice) { err << kCommand << ": " << notice << "\n" << std::flush; };
  WorkspaceHold hold(output, LockWaitLimit(), tell);
  refuse_existing();
  // Both new sources or neither.
  Workspace told = output;
  told.tell = tell;
  FileSet sources(told);
  sources.Add(LineSourceName(nome_linea), recovered.line_description);
  sources.Add(TrainSourceName(nome_linea, numero_treno), recovered.train_service);
  sources.Replace();
  hold.Finish();
  out << "wrote " << line_path << "\n" << "wrote " << train_path << "\n";
  return kExitOk;
}

}  // namespace scenario::tool
