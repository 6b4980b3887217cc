// The Windows programs' text on a console, under Wine: a terminal of the
// test's own stands for the console. Wine's console starts in an OEM code
// page (437), as cmd does, and shows on the terminal the characters it
// holds, in the terminal's UTF-8: a name whose 8-bit bytes were sent as they
// are shows wrongly there ("Città" as "Cittα"). Sent to a pipe the bytes stay
// as they are. These tests need a Windows build; `scripts/test windows` names
// it in SCENARIO_WINDOWS_BUILD (its build directory).
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

#include "platform/directory_lock.h"
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

// "Città" as the terminal shows it, and as it shows the byte 0xE0 read in
// code page 437.
const std::string kCittaShown = "Citt\xC3\xA0";
const std::string kCittaInCodePage437 = "Citt\xCE\xB1";

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
  const pid_t pid = forkpty(&terminal, nullptr, nullptr, nullptr);
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
    const char* build = std::getenv("SCENARIO_WINDOWS_BUILD");
    if (build == nullptr || *build == '\0')
      GTEST_SKIP() << "no Windows build: scripts/test windows names it in SCENARIO_WINDOWS_BUILD";
    wine_ = FindCommand("wine");
    if (wine_.empty()) GTEST_SKIP() << "Wine is not installed";
    build_ = build;
    // The directory's name in the file system is UTF-8, as Wine writes it.
    citta_ = directory_.path() / kCittaShown;
  }

  std::vector<std::string> Tool(const std::vector<std::string>& arguments) const {
    std::vector<std::string> command{wine_, (build_ / "tools/scenario-tool.exe").string()};
    command.insert(command.end(), arguments.begin(), arguments.end());
    return command;
  }

  std::string wine_;
  std::filesystem::path build_;
  TempDir directory_;
  std::filesystem::path citta_;
};

TEST_F(WineConsoleTest, ToolOutputOnTheConsoleShowsNamesAsTheirCharacters) {
  const TerminalRun run = RunOnTerminal(Tool({"sources", "--", citta_.string()}), true);
  ASSERT_EQ(run.status, 0) << run.shown;
  EXPECT_NE(run.shown.find("wrote " + citta_.string()), std::string::npos) << run.shown;
  EXPECT_EQ(run.shown.find(kCittaInCodePage437), std::string::npos) << run.shown;
}

TEST_F(WineConsoleTest, ToolErrorsOnTheConsoleShowNamesAsTheirCharacters) {
  ASSERT_EQ(RunOnTerminal(Tool({"sources", "--", citta_.string()}), true).status, 0);
  // Again, without --force: refused, naming the files already there.
  const TerminalRun run = RunOnTerminal(Tool({"sources", "--", citta_.string()}), false);
  EXPECT_NE(run.status, 0);
  EXPECT_NE(run.shown.find(citta_.string()), std::string::npos) << run.shown;
  EXPECT_EQ(run.shown.find(kCittaInCodePage437), std::string::npos) << run.shown;
  EXPECT_EQ(run.shown.find("wrote "), std::string::npos) << "standard output reached the terminal";
}

TEST_F(WineConsoleTest, ToolOutputThroughAPipeKeepsTheWindows1252Bytes) {
  const RunResult run = RunToEnd(Tool({"sources", "--", citta_.string()}), {{"WINEDEBUG", "-all"}, {"LANG", "C.UTF-8"}},
                                 kPatience);
  ASSERT_EQ(run.status, 0) << run.errors;
  EXPECT_NE(run.output.find("wrote " + directory_.path().string() + "/Citt\xE0"), std::string::npos)
      << run.output;
  EXPECT_EQ(run.output.find(kCittaShown), std::string::npos) << run.output;
}

TEST_F(WineConsoleTest, CompactorMessagesOnTheConsoleShowNamesAsTheirCharacters) {
  std::filesystem::create_directories(citta_);
  const std::filesystem::path exe = citta_ / "scenario-compactor.exe";
  std::filesystem::copy_file(build_ / "app/scenario-compactor.exe", exe);
  // Another run holds the directory for as long as this one waits: it says
  // it waits, naming the directory, and then gives up.
  const int lock = open((citta_ / kLockFileName).c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0644);
  ASSERT_GE(lock, 0);
  struct flock whole {};
  whole.l_type = F_WRLCK;
  whole.l_whence = SEEK_SET;
  ASSERT_EQ(fcntl(lock, F_SETLK, &whole), 0);
  const TerminalRun run = RunOnTerminal({wine_, exe.string()}, true, {{kLockWaitVariable, "300"}});
  close(lock);
  EXPECT_EQ(run.status, 1) << run.shown;
  EXPECT_NE(run.shown.find("scenario-compactor: another run holds the directory"), std::string::npos) << run.shown;
  EXPECT_NE(run.shown.find(kCittaShown), std::string::npos) << run.shown;
  EXPECT_EQ(run.shown.find(kCittaInCodePage437), std::string::npos) << run.shown;
}

}  // namespace
}  // namespace scenario
