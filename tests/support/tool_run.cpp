#include "tests/support/tool_run.h"

#include <sstream>
#include <stdexcept>

#include "platform/files/real_file_system.h"
#include "tests/support/temp_dir.h"
#include "tools/cli/scenario_tool.h"

namespace scenario::testing_support {

using namespace tool;  // NOLINT: scenario-tool's front-end, which these runs drive

ToolRun RunTool(const std::vector<std::string>& args) {
  RealFileSystem files;
  return RunTool(args, files);
}

ToolRun RunTool(const std::vector<std::string>& args, FileSystem& files) {
  std::vector<std::string> argv{"scenario-tool"};
  argv.insert(argv.end(), args.begin(), args.end());
  std::ostringstream out;
  std::ostringstream err;
  ToolRun run;
  run.status = RunScenarioTool(argv, files, out, err);
  run.out = out.str();
  run.err = err.str();
  return run;
}

std::vector<std::string> ReadLines(const std::filesystem::path& path) {
  const std::string text = scenario::testing_support::ReadWholeFile(path);
  std::vector<std::string> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find("\r\n", start);
    if (end == std::string::npos) throw std::runtime_error("a line without CR LF in " + path.string());
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

void WriteLines(const std::filesystem::path& path, const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  scenario::testing_support::WriteWholeFile(path, text);
}

void ReplaceLine(const std::filesystem::path& path, int number, const std::string& text) {
  std::vector<std::string> lines = ReadLines(path);
  lines.at(static_cast<size_t>(number - 1)) = text;
  WriteLines(path, lines);
}

}  // namespace scenario::testing_support
