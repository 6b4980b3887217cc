#include "tools/cli/studio_command.h"

#include <stdexcept>

#include "platform/system/status.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/sources_command.h"

namespace scenario::tool {

int WriteStudio(const StudioRequest& request, std::string_view page, FileSystem& files, std::ostream& out) {
  if (page.empty())
    throw std::invalid_argument(
        "this scenario-tool was built without the studio's page. The release packages hold it: studio.html "
        "beside scenario-tool.exe in the Windows folder, share/scenario-compactor/studio.html in the .deb. "
        "To build it: scripts/install-dependencies web, cmake --preset web, cmake --build --preset web, then "
        "configure this build with -DSCENARIO_STUDIO_PAGE= and the full path of build/web/studio/studio.html, and "
        "build it again");
  if (!request.force)
    RefuseExistingFiles(files, {request.output}, "write to another file (-o FILE), or give --force to replace it");
  RequireOk(files.ReplaceFile(request.output, std::string(page)), request.output);
  out << "wrote " << request.output << "\n";
  return kExitOk;
}

}  // namespace scenario::tool
