#include <cstdlib>

#include "tests/support/program_process.h"

namespace scenario::testing_support {

std::optional<WineRunner> FindWineRunner(std::string* skip_reason) {
  const char* build = std::getenv("SCENARIO_WINDOWS_BUILD");
  if (build == nullptr || *build == '\0') {
    *skip_reason = "no Windows build: scripts/test windows names it in SCENARIO_WINDOWS_BUILD";
    return std::nullopt;
  }
  WineRunner runner{FindCommand("wine"), build};
  if (runner.wine.empty()) {
    *skip_reason = "Wine is not installed";
    return std::nullopt;
  }
  return runner;
}

}  // namespace scenario::testing_support
