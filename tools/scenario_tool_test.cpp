// The scenario-tool program itself: its help and its usage errors.
#include <gtest/gtest.h>

#include "tests/support/program_process.h"
#include "tools/test_support/tool_run.h"

namespace scenario::tool {
namespace {

using scenario::testing_support::RunProcess;
using testing::RunTool;

TEST(ToolProgram, EverySubcommandHasHelpAndAWrongLineEndsWith64) {
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, "--help"}).exit_status, 0);
  for (const char* command : {"sources", "compile", "dump", "plot"}) {
    SCOPED_TRACE(command);
    const testing::ToolRun help = RunTool({command, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(std::string("Usage: scenario-tool ") + command), std::string::npos) << help.out;
    EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, command, "--help"}).exit_status, 0);
  }
  const testing::ToolRun compile_help = RunTool({"compile", "--help"});
  EXPECT_NE(compile_help.out.find("Exit status: 0 no error recorded"), std::string::npos);

  const testing::ToolRun nothing = RunTool({});
  EXPECT_EQ(nothing.status, 64);
  EXPECT_NE(nothing.err.find("A subcommand is required"), std::string::npos);
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH}).exit_status, 64);
  EXPECT_EQ(RunTool({"compile", "only-one.txt"}).status, 64);
  EXPECT_EQ(RunTool({"dump", "a.sim", "--colour"}).status, 64);
  EXPECT_EQ(RunTool({"plot", "dir"}).status, 64);  // no -o
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, "draw"}).exit_status, 64);
}

}  // namespace
}  // namespace scenario::tool
