#include "tests/support/built_in_compiled.h"

#include <memory>
#include <stdexcept>

#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace scenario::testing_support {

const BuiltInCompiled& CompiledBuiltIn() {
  static const std::unique_ptr<scenario::testing_support::TempDir> dir =
      std::make_unique<scenario::testing_support::TempDir>();
  static const BuiltInCompiled compiled = [] {
    const std::filesystem::path sources = dir->path() / "sources";
    const std::filesystem::path out = dir->path() / "compiled";
    if (RunTool({"sources", sources.string()}).status != 0) throw std::runtime_error("sources failed");
    const ToolRun run = RunTool({"compile", (sources / "Calvisio -Sambreta_linea.txt").string(),
                                 (sources / "Calvisio -Sambreta_31613-.txt").string(), "-o", out.string()});
    if (run.status != 0) throw std::runtime_error("compile failed: " + run.err);
    return BuiltInCompiled{out, (out / "Calvisio -Sambreta_linea.dat").string(),
                           (out / "Calvisio -Sambreta_31613.sim").string(),
                           (out / "Calvisio -Sambreta_31613.dat").string()};
  }();
  return compiled;
}

}  // namespace scenario::testing_support
