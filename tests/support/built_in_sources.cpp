#include "tests/support/built_in_sources.h"

#include <stdexcept>

namespace scenario::testing_support {

BuiltInSources::BuiltInSources() {
  output = root() / "out";
  const ToolRun run = RunTool({"sources", src().string()});
  if (run.status != 0) throw std::runtime_error("sources failed: " + run.err);
}

ToolRun BuiltInSources::Compile(const std::vector<std::string>& extra) const {
  std::vector<std::string> args{"compile", line().string(), train().string(), "-o", output.string()};
  args.insert(args.end(), extra.begin(), extra.end());
  return RunTool(args);
}

ToolRun BuiltInSources::Check(const std::vector<std::string>& extra) const {
  std::vector<std::string> args{"check", line().string(), train().string()};
  args.insert(args.end(), extra.begin(), extra.end());
  return RunTool(args);
}

}  // namespace scenario::testing_support
