// The Windows programs' text on a console, under Wine: a terminal of the
// test's own stands for the console, and shows the characters the console
// holds in the terminal's UTF-8. Names reach the programs' output as their
// Windows-1252 bytes, and the tool's tables as UTF-8; on the console both
// must show as their characters, whatever the console's code page. Sent to a
// pipe the bytes stay as they are. Wine's C runtime shows the bytes it is
// given as Latin-1 characters (Windows' own shows them in the console's OEM
// code page): "à" comes out right there even from bytes sent as they are,
// "’" (0x92) and UTF-8 do not. These tests need a Windows build;
// `scripts/test windows` names it in SCENARIO_WINDOWS_BUILD (its build
// directory).
#include <gtest/gtest.h>

#include <fcntl.h>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "platform/files/directory_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;

// A limit against hanging, not a measure of speed: Wine may take seconds to
// start a program.
constexpr std::chrono::milliseconds kPatience = 60s;

// A name with a Latin-1 letter and a character of 0x80..0x9F, as the
// terminal and the Linux file system write it, and as the programs hold it.
const std::string kName = "Citt\xC3\xA0 Sant\xE2\x80\x99" "Angelo";
const std::string kNameBytes = "Citt\xE0 Sant\x92" "Angelo";

// What a terminal shows of what was written to it: the text without the
// terminal's control sequences and carriage returns.
std::string ShownText(const std::string& written) {
  std::string shown;
  for (size_t k = 0; k < written.size(); ++k) {
    const char c = written[k];
    if (c == '\x1B' && k + 1 < written.size() && written[k + 1] == '[') {
      // The console moves the cursor over blanks rather than writing them.
      int count = 0;
      for (k += 2; k < written.size() && !(written[k] >= 0x40 && written[k] <= 0x7E); ++k)
        if (written[k] >= '0' && written[k] <= '9') count = count * 10 + (written[k] - '0');
      if (k < written.size() && written[k] == 'C') shown.append(std::max(count, 1), ' ');
    } else if (c == '\x1B' && k + 1 < written.size() && written[k + 1] == ']') {
      while (k < written.size() && written[k] != '\a') ++k;
    } else if (c == '\x1B') {
      ++k;
    } else if (c != '\r') {
      shown.push_back(c);
    }
  }
  return shown;
}

struct TerminalRun {
  int status = -1;
  std::string shown;
};

// Runs `command` on a terminal of its own, in a UTF-8 locale and without a
// display, with `environment` added. With `output_on_terminal` false its
// standard output goes to /dev/null and only standard error is on the
// terminal.
TerminalRun RunOnTerminal(const std::vector<std::string>& command, bool output_on_terminal,
                          const std::map<std::string, std::string>& environment = {}) {
  std::vector<std::string> arguments = command;
  std::vector<char*> argv;
  for (std::string& argument : arguments) argv.push_back(argument.data());
  argv.push_back(nullptr);
  int terminal = -1;
  // Wide enough that no line of the tests' wraps.
  winsize size{};
  size.ws_row = 50;
  size.ws_col = 400;
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, &size);
  if (pid < 0) return {};
  if (pid == 0) {
    setenv("LANG", "C.UTF-8", 1);
    unsetenv("LC_ALL");
    unsetenv("DISPLAY");
    setenv("WINEDEBUG", "-all", 1);
    for (const auto& [name, value] : environment) setenv(name.c_str(), value.c_str(), 1);
    if (!output_on_terminal) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
    }
    execv(argv[0], argv.data());
    _exit(127);
  }
  TerminalRun run;
  std::string written;
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    pollfd ready{terminal, POLLIN, 0};
    if (std::chrono::steady_clock::now() >= deadline) {
      kill(pid, SIGKILL);
      break;
    }
    if (poll(&ready, 1, 100) <= 0) continue;
    char buffer[4096];
    const ssize_t got = read(terminal, buffer, sizeof buffer);
    if (got <= 0) break;  // the terminal's other side is closed: the run has ended
    written.append(buffer, static_cast<size_t>(got));
  }
  close(terminal);
  int status = 0;
  if (waitpid(pid, &status, 0) == pid && WIFEXITED(status)) run.status = WEXITSTATUS(status);
  run.shown = ShownText(written);
  return run;
}

class WineConsoleTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string skip_reason;
    const std::optional<WineRunner> runner = FindWineRunner(&skip_reason);
    if (!runner) GTEST_SKIP() << skip_reason;
    wine_ = runner->wine;
    build_ = runner->build;
    // The directory's name in the file system is UTF-8, as Wine writes it.
    named_ = directory_.path() / kName;
  }

  std::vector<std::string> Tool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{wine_, (build_ / "tools/scenario-tool.exe").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }

  std::string wine_;
  std::filesystem::path build_;
  TempDir directory_;
  std::filesystem::path named_;
};

TEST_F(WineConsoleTest, ToolOutputOnTheConsoleShowsNamesAsTheirCharacters) {
  const TerminalRun run = RunOnTerminal(Tool({"sources", "--", named_.string()}), true);
  ASSERT_EQ(run.status, 0) << run.shown;
  EXPECT_NE(run.shown.find("wrote " + named_.string() + "\\Calvisio -Sambreta_linea.txt"), std::string::npos)
      << run.shown;
}

TEST_F(WineConsoleTest, ToolErrorsOnTheConsoleShowNamesAsTheirCharacters) {
  ASSERT_EQ(RunOnTerminal(Tool({"sources", "--", named_.string()}), true).status, 0);
  // Again, without --force: refused, naming the files already there.
  const TerminalRun run = RunOnTerminal(Tool({"sources", "--", named_.string()}), false);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.shown.find(named_.string() + "\\Calvisio -Sambreta_linea.txt"), std::string::npos) << run.shown;
  EXPECT_EQ(run.shown.find("wrote "), std::string::npos) << "standard output reached the terminal";
}

TEST_F(WineConsoleTest, ToolTablesOnTheConsoleShowTheirUtf8AsItsCharacters) {
  const EnvironmentChanges quiet{{"WINEDEBUG", "-all"}};
  const std::string sources = (directory_.path() / "sources").string();
  ASSERT_EQ(RunToEnd(Tool({"sources", "--", sources}), quiet, kPatience).status, 0);
  // A station named with an 8-bit letter: the dump's table shows it as UTF-8.
  const std::filesystem::path train = std::filesystem::path(sources) / "Calvisio -Sambreta_31613-.txt";
  std::string text = ReadWholeFile(train);
  const size_t at = text.find("PRAGELLO");
  ASSERT_NE(at, std::string::npos);
  WriteWholeFile(train, text.replace(at, 8, "CITT\xC0"));
  const RunResult compiled =
      RunToEnd(Tool({"compile", "-o", sources, "--", sources + "/Calvisio -Sambreta_linea.txt", train.string()}),
               quiet, kPatience);
  ASSERT_EQ(compiled.status, 0) << compiled.errors;

  const TerminalRun run = RunOnTerminal(Tool({"dump", "--", sources + "/Calvisio -Sambreta_31613.sim"}), true);
  ASSERT_EQ(run.status, 0) << run.shown;
  EXPECT_NE(run.shown.find(" CITT\xC3\x80 "), std::string::npos) << run.shown;
}

// Sent to a pipe, a line that holds a path (Windows-1252 inside the program)
// and a station name (UTF-8 in the dump's table) comes out in UTF-8 alone,
// the bytes Linux gives.
TEST_F(WineConsoleTest, ToolOutputThroughAPipeIsUtf8Throughout) {
  const EnvironmentChanges quiet{{"WINEDEBUG", "-all"}, {"LANG", "C.UTF-8"}};
  const RunResult written = RunToEnd(Tool({"sources", "--", named_.string()}), quiet, kPatience);
  ASSERT_EQ(written.status, 0) << written.errors;
  EXPECT_NE(written.output.find("wrote " + named_.string() + "\\Calvisio -Sambreta_linea.txt"), std::string::npos)
      << written.output;

  const std::filesystem::path train = named_ / "Calvisio -Sambreta_31613-.txt";
  std::string text = ReadWholeFile(train);
  const size_t at = text.find("PRAGELLO");
  ASSERT_NE(at, std::string::npos);
  WriteWholeFile(train, text.replace(at, 8, "CITT\xC0"));
  const RunResult compiled = RunToEnd(
      Tool({"compile", "-o", named_.string(), "--", (named_ / "Calvisio -Sambreta_linea.txt").string(), train.string()}),
      quiet, kPatience);
  ASSERT_EQ(compiled.status, 0) << compiled.errors;

  const std::string station_file = (named_ / "Calvisio -Sambreta_31613.sim").string();
  const RunResult run = RunToEnd(Tool({"dump", "--", station_file}), quiet, kPatience);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.output.find(station_file + ": station file"), std::string::npos) << run.output;
  EXPECT_NE(run.output.find(" CITT\xC3\x80 "), std::string::npos) << run.output;
  for (const RunResult* output : {&written, &compiled, &run})
    EXPECT_EQ(output->output.find(kNameBytes), std::string::npos) << "Windows-1252 bytes in " << output->output;
}

TEST_F(WineConsoleTest, CompactorMessagesOnTheConsoleShowNamesAsTheirCharacters) {
  std::filesystem::create_directories(named_);
  const std::filesystem::path exe = named_ / "scenario-compactor.exe";
  std::filesystem::copy_file(build_ / "app/scenario-compactor.exe", exe);
  // Another run holds the directory for as long as this one waits: it says
  // it waits, naming the directory, and then gives up.
  const int lock = open((named_ / kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(lock, 0);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(lock, F_SETLK, &whole), 0);
  const TerminalRun run = RunOnTerminal({wine_, exe.string()}, true, {{kLockWaitVariable, "300"}});
  close(lock);
  EXPECT_EQ(run.status, 1) << run.shown;
  EXPECT_NE(run.shown.find("scenario-compactor: another run holds the directory"), std::string::npos) << run.shown;
  EXPECT_NE(run.shown.find(kName), std::string::npos) << run.shown;
}

}  // namespace
}  // namespace scenario
