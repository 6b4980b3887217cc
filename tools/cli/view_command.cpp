#include "tools/cli/view_command.h"

#include "platform/files/workspace.h"
#include "tools/readback/compiled_scenario.h"
#include "tools/cli/plot_command.h"
#include "tools/viewer/view_data.h"
#include "tools/viewer/view_page.h"

namespace scenario::tool {

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

}  // namespace scenario::tool
