#include "tests/support/tool_compile.h"

#include "model/file_names.h"
#include "platform/files/memory_file_system.h"

namespace scenario::testing_support {

ToolCompiled CompileWithTool(const GeneratedScenario& scenario, bool account) {
  ToolCompiled compiled;
  MemoryFileSystem files;
  compiled.line_file = "src/" + LineSourceName(scenario.nome_linea);
  compiled.train_file = "src/" + TrainSourceName(scenario.nome_linea, scenario.numero_treno);
  files.files[compiled.line_file] = scenario.line_description;
  files.files[compiled.train_file] = scenario.train_service;
  tool::CompileRequest request;
  request.line_file = compiled.line_file;
  request.train_file = compiled.train_file;
  request.output_directory = "out";
  request.no_line = !scenario.with_plan;
  request.trace_writes = account;
  request.names_ignore_case = false;
  compiled.report = tool::RunCompile(request, files, {}, &compiled.model);
  for (const std::string& path : compiled.report.files_written) compiled.written[path] = files.files[path];
  return compiled;
}

}  // namespace scenario::testing_support
