// A made-up scenario compiled as `scenario-tool compile` compiles it, on a
// file system in memory: the report (with, when asked, the account of every
// line), the model as the compile left it and the compiled files' bytes.
#pragma once

#include <map>
#include <string>

#include "model/scenario_model.h"
#include "tests/support/scenario_generator.h"
#include "tools/authoring/author_compile.h"

namespace scenario::testing_support {

struct ToolCompiled {
  tool::CompileReport report;
  ScenarioModel model;
  std::map<std::string, std::string> written;  // the compiled files, by path
  std::string line_file, train_file;           // the sources, as the report names them
};

ToolCompiled CompileWithTool(const GeneratedScenario& scenario, bool account = false);

}  // namespace scenario::testing_support
