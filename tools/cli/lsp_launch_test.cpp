// How editors start `scenario-tool lsp`: the arguments language clients add
// by convention are taken, and channels the server does not speak are
// refused with what to set instead.
#include <gtest/gtest.h>

#include <optional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "tools/cli/scenario_tool.h"

namespace scenario::tool {
namespace {

struct LspStart {
  int status = -1;
  std::string err;
  bool served = false;
  LanguageServerLaunch launch;
};

// Runs the command line with a language server that only records how it
// was started.
LspStart StartLsp(const std::vector<std::string>& arguments) {
  std::vector<std::string> args = {"scenario-tool", "lsp"};
  args.insert(args.end(), arguments.begin(), arguments.end());
  MemoryFileSystem files;
  std::ostringstream out;
  std::ostringstream err;
  LspStart start;
  start.status = RunScenarioTool(args, files, out, err, [&start](FileSystem&, const LanguageServerLaunch& launch) {
    start.served = true;
    start.launch = launch;
    return 0;
  });
  start.err = err.str();
  EXPECT_EQ(out.str(), "") << "standard output belongs to the protocol";
  return start;
}

TEST(LspLaunch, TheClientsConventionalArgumentsAreTaken) {
  struct Case {
    std::vector<std::string> arguments;
    std::optional<std::int64_t> client_process_id;
  };
  const Case cases[] = {
      {{}, std::nullopt},
      {{"--stdio"}, std::nullopt},
      {{"--stdio", "--clientProcessId=4242"}, 4242},
      {{"--clientProcessId=4242", "--stdio"}, 4242},
      {{"--clientProcessId", "77"}, 77},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::PrintToString(c.arguments));
    const LspStart start = StartLsp(c.arguments);
    EXPECT_EQ(start.status, 0) << start.err;
    EXPECT_TRUE(start.served);
    EXPECT_EQ(start.launch.client_process_id, c.client_process_id);
  }
}

TEST(LspLaunch, OtherChannelsAreRefusedNamingWhatTheServerSpeaks) {
  const std::vector<std::string> channels[] = {{"--node-ipc"}, {"--pipe=/tmp/scenario.sock"}, {"--socket=5007"}};
  for (const std::vector<std::string>& channel : channels) {
    SCOPED_TRACE(channel[0]);
    const LspStart start = StartLsp(channel);
    EXPECT_EQ(start.status, 64);
    EXPECT_FALSE(start.served);
    EXPECT_EQ(start.err, "scenario-tool lsp: '" + channel[0] +
                             "' asks for a channel this server does not speak: it talks on standard input and "
                             "output only; start it with --stdio (VS Code: TransportKind.stdio) or with no "
                             "channel argument\n");
  }
}

TEST(LspLaunch, AClientProcessThatCannotBeOneIsRefused) {
  for (const char* id : {"0", "-3"}) {
    SCOPED_TRACE(id);
    const LspStart start = StartLsp({"--stdio", std::string("--clientProcessId=") + id});
    EXPECT_EQ(start.status, 64);
    EXPECT_FALSE(start.served);
    EXPECT_NE(start.err.find(std::string("--clientProcessId=") + id + " names no process"), std::string::npos)
        << start.err;
  }
  const LspStart words = StartLsp({"--clientProcessId=vscode"});
  EXPECT_EQ(words.status, 64);
  EXPECT_FALSE(words.served);
  EXPECT_NE(words.err.find("clientProcessId"), std::string::npos) << words.err;
}

}  // namespace
}  // namespace scenario::tool
