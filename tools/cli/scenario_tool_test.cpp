// The scenario-tool program itself: its help and its usage errors.
#include <gtest/gtest.h>

#include <regex>

#include "tests/support/program_process.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

using scenario::testing_support::RunProcess;
using testing_support::RunTool;

TEST(ToolProgram, EverySubcommandHasHelpAndAWrongLineEndsWith64) {
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, "--help"}).exit_status, 0);
  for (const char* command : {"new", "sources", "compile", "dump", "plot"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun help = RunTool({command, "--help"});
    EXPECT_EQ(help.status, 0);
    EXPECT_NE(help.out.find(std::string("Usage: scenario-tool ") + command), std::string::npos) << help.out;
    EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, command, "--help"}).exit_status, 0);
  }
  // The commands that take one to three inputs say so.
  for (const char* command : {"plot", "view", "decompile"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun help = RunTool({command, "--help"});
    EXPECT_NE(help.out.find(std::string("Usage: scenario-tool ") + command + " [OPTIONS] INPUTS...\n"),
              std::string::npos)
        << help.out;
    EXPECT_NE(help.out.find("two or three files"), std::string::npos);
  }
  const testing_support::ToolRun compile_help = RunTool({"compile", "--help"});
  EXPECT_NE(compile_help.out.find("Exit status: 0 no error recorded"), std::string::npos);

  const testing_support::ToolRun nothing = RunTool({});
  EXPECT_EQ(nothing.status, 64);
  EXPECT_NE(nothing.err.find("A subcommand is required"), std::string::npos);
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH}).exit_status, 64);
  EXPECT_EQ(RunTool({"compile", "only-one.txt"}).status, 64);
  EXPECT_EQ(RunTool({"dump", "a.sim", "--colour"}).status, 64);
  EXPECT_EQ(RunTool({"plot", "dir"}).status, 64);  // no -o
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, "draw"}).exit_status, 64);
  // A mistyped subcommand is named as such, not taken for a missing one.
  for (const std::vector<std::string>& args : {std::vector<std::string>{"draw"},
                                               std::vector<std::string>{"compil", "a_linea.txt", "a_1-.txt"}}) {
    const testing_support::ToolRun mistyped = RunTool(args);
    EXPECT_EQ(mistyped.status, 64);
    EXPECT_EQ(mistyped.err.rfind("scenario-tool: '" + args[0] +
                                     "' is no subcommand; the subcommands are new, sources, compile, check, dump, "
                                     "plot, view, studio, decompile, lsp\n",
                                 0),
              0u)
        << mistyped.err;
  }
}

// On Windows too, where "/name" could be taken for an option.
TEST(ToolProgram, AnArgumentThatBeginsWithASlashIsAPath) {
  const std::string path = "/no such directory/Valle_42.sim";
  for (const std::vector<std::string>& args :
       {std::vector<std::string>{"dump", path}, std::vector<std::string>{"plot", path, "-o", "x.svg"},
        std::vector<std::string>{"check", "/no such directory/Valle_linea.txt", "/no such directory/Valle_42-.txt"}}) {
    SCOPED_TRACE(args[0]);
    const testing_support::ToolRun run = RunTool(args);
    EXPECT_EQ(run.status, 3);
    EXPECT_EQ(run.err.rfind("scenario-tool " + args[0] + ": cannot read '/no such directory/Valle_", 0), 0u)
        << run.err;
  }
}

TEST(ToolProgram, VersionIsTheProjectsAndAsksForNothingElse) {
  const testing_support::ToolRun version = RunTool({"--version"});
  EXPECT_EQ(version.status, 0);
  EXPECT_TRUE(std::regex_match(std::string(SCENARIO_VERSION), std::regex("[0-9]+\\.[0-9]+\\.[0-9]+")));
  EXPECT_EQ(version.out, std::string("scenario-tool ") + SCENARIO_VERSION + "\n");
  EXPECT_EQ(RunProcess({SCENARIO_TOOL_PATH, "--version"}).exit_status, 0);
  EXPECT_NE(RunTool({"--help"}).out.find("--version"), std::string::npos);
}

}  // namespace
}  // namespace scenario::tool
