#include "tools/cli/view_command.h"

#include <algorithm>
#include <stdexcept>

#include "platform/files/memory_file_system.h"
#include "platform/files/workspace.h"
#include "platform/system/file_names.h"
#include "tools/authoring/author_compile.h"
#include "tools/cli/compile_report.h"
#include "tools/common/paths.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/cli/plot_command.h"
#include "tools/viewer/view_data.h"
#include "tools/viewer/view_page.h"

namespace scenario::tool {

namespace {

// Where the compile in memory puts its files.
constexpr const char* kCompiledInMemory = "(view)";

// Told apart by the names, as compile and the language server tell them.
bool IsLineDescription(const std::string& path) {
  return SourceRoleOf(path, FileNamesIgnoreCase()) == SourceRole::LineDescription;
}

}  // namespace

void ViewCompiledScenario(FileSystem& files, const std::vector<std::string>& inputs, const std::string& output,
                          std::ostream& err) {
  const CompiledScenario scenario = ScenarioToDraw(files, inputs, err, "page");
  std::vector<std::string> warnings;
  if (scenario.line_path.empty())
    warnings.push_back("no compiled line file (NAME_linea.dat) was found or given: the page has no plan");
  if (std::optional<std::string> mismatch = RouteMismatch(scenario.stazioni, scenario.percorso))
    warnings.push_back(*mismatch);
  const std::string page = ViewerPage(ViewData(scenario, warnings));
  RequireOk(files.ReplaceFile(output, page), output);
}

bool AreSources(const std::vector<std::string>& inputs) {
  return !inputs.empty() &&
         std::all_of(inputs.begin(), inputs.end(), [](const std::string& input) { return NameEndsWith(input, ".txt", FileNamesIgnoreCase()); });
}

int ViewSources(FileSystem& files, const std::vector<std::string>& sources, const std::string& output,
                std::ostream& err) {
  if (sources.size() != 2 || IsLineDescription(sources[0]) == IsLineDescription(sources[1]))
    throw std::invalid_argument(
        "give either compiled files or the two sources of one scenario: its line description "
        "(NAME_linea.txt) and its train service (NAME_NUMBER-.txt)");
  CompileRequest request;
  request.line_file = IsLineDescription(sources[0]) ? sources[0] : sources[1];
  request.train_file = IsLineDescription(sources[0]) ? sources[1] : sources[0];
  request.output_directory = kCompiledInMemory;
  request.trace_writes = true;
  // The sources are read once from where they are; the compile and its
  // files stay in memory.
  MemoryFileSystem memory;
  for (const std::string& source : sources) {
    std::string text;
    RequireOk(files.ReadFile(source, &text), source);
    memory.files[source] = std::move(text);
  }
  const CompileReport report = RunCompile(request, memory);
  PrintCompileReport(report, err, err, false);
  const int status = ExitStatusOf(report);
  if (report.stopped_with) return status;

  CompiledScenario scenario = FindCompiledScenario(memory, kCompiledInMemory);
  LoadCompiledScenario(memory, &scenario);
  // The files as the compile would name them; none of them is on disk.
  for (std::string* path : {&scenario.station_path, &scenario.cell_path, &scenario.line_path})
    if (!path->empty()) *path = BaseName(*path);
  std::vector<std::string> warnings;
  for (const CompileWarning& warning : report.warnings)
    warnings.push_back(warning.place.file + (warning.place.line > 0 ? ":" + std::to_string(warning.place.line) : "") +
                       ": " + warning.message);
  if (report.codice_errore != 0)
    warnings.push_back("the compile recorded error " + std::to_string(report.codice_errore) +
                       (report.place ? " at " + report.place->file + ":" + std::to_string(report.place->line) : "") +
                       (report.cause ? ": " + *report.cause : ""));
  const std::string page = ViewerPage(ViewData(scenario, warnings, &report.lines));
  RequireOk(files.ReplaceFile(output, page), output);
  return status;
}

}  // namespace scenario::tool
