#include "tools/cli/plot_command.h"

#include <stdexcept>

#include "platform/files/workspace.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/drawing/scenario_plot.h"

namespace scenario::tool {

void PlotCompiledScenario(FileSystem& files, const std::vector<std::string>& inputs, const std::string& output,
                          std::ostream& err) {
  CompiledScenario scenario = CompiledScenarioOf(files, inputs);
  LoadCompiledScenario(files, &scenario);
  if (scenario.line_path.empty())
    err << "warning: no compiled line file (NAME_linea.dat) found or given: the picture has no plan\n";
  if (std::optional<std::string> mismatch = RouteMismatch(scenario.stazioni, scenario.percorso))
    err << "warning: " << *mismatch << "\n";
  RequireOk(files.ReplaceFile(output, PlotScenario(scenario)), output);
}

}  // namespace scenario::tool
