// The Windows programs, run under Wine on a display of the tests' own: the
// wait window, the error box, and the files of a run to the byte. They need a
// Windows build; `scripts/test windows` names it in SCENARIO_WINDOWS_BUILD
// (its build directory) and runs these tests after the Windows ones, with a
// Wine prefix of their own: Wine puts every window of a prefix on the display
// of the first program that opened one while its server runs.
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <string>
#include <thread>

#include "platform/files/directory_lock.h"
#include "platform/window/display_window.h"
#include "tests/support/child_process.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_display.h"

namespace scenario {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;

// A limit against hanging, not a measure of speed: Wine may take seconds to
// start a program.
constexpr std::chrono::milliseconds kPatience = 60s;

std::filesystem::path ScreenshotPath(const std::string& name) {
  std::filesystem::create_directories(SCREENSHOT_DIRECTORY);
  return std::filesystem::path(SCREENSHOT_DIRECTORY) / name;
}

std::optional<ScreenWindow> ViewableWindowNamed(Display* display, const std::string& name) {
  for (const ScreenWindow& window : ViewableWindows(display))
    if (window.name == name) return window;
  return std::nullopt;
}

bool NoWindowNamed(Display* display, const std::string& name) {
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (ViewableWindowNamed(display, name)) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class WineWindowTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string skip_reason;
    const std::optional<WineRunner> runner = FindWineRunner(&skip_reason);
    if (!runner) GTEST_SKIP() << skip_reason;
    wine_ = runner->wine;
    build_ = runner->build;
    server_ = std::make_unique<XvfbServer>();
  }

  Display* display() const { return server_->display(); }
  std::string Program(const std::string& relative) const { return (build_ / relative).string(); }
  ChildProcess* Start(const std::vector<std::string>& windows_command) {
    std::vector<std::string> command{wine_};
    command.insert(command.end(), windows_command.begin(), windows_command.end());
    process_ = std::make_unique<ChildProcess>(
        command, EnvironmentChanges{{"DISPLAY", server_->name()}, {"WINEDEBUG", "-all"}});
    return process_.get();
  }

 private:
  std::string wine_;
  std::filesystem::path build_;
  std::unique_ptr<XvfbServer> server_;
  std::unique_ptr<ChildProcess> process_;
};

TEST_F(WineWindowTest, RunShowsForm1EndsByItselfAndWritesTheBytesOfTheLinuxRun) {
  TempDir windows_run;
  const std::filesystem::path exe = windows_run.path() / "scenario-compactor.exe";
  std::filesystem::copy_file(Program("app/scenario-compactor.exe"), exe);
  WindowWatcher watcher(display());
  ChildProcess* run = Start({exe.string()});
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (run->Running() && std::chrono::steady_clock::now() < deadline) watcher.Update(10ms);

  const std::optional<int> status = run->Wait(0ms);
  ASSERT_TRUE(status.has_value())
      << "the program did not end by itself"
      << (ViewableWindowNamed(display(), kMessageBoxCaption) ? "; a message box is up" : "");
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(run->errors(), "");
  watcher.Update(100ms);
  int form1_windows = 0;
  for (const auto& [id, seen] : watcher.windows()) {
    EXPECT_NE(seen.name_when_mapped, kMessageBoxCaption) << "a message box was shown";
    if (!seen.mapped || seen.name_when_mapped != kWaitWindowTitle) continue;
    ++form1_windows;
    EXPECT_EQ(seen.width, kWaitWindowWidth);
    EXPECT_EQ(seen.height, kWaitWindowHeight);
  }
  EXPECT_EQ(form1_windows, 1);
  EXPECT_TRUE(NoWindowNamed(display(), kWaitWindowTitle));

  // The Linux program, run the same way, leaves the same six files.
  TempDir linux_run;
  const std::filesystem::path linux_program = CopyProgramInto(linux_run.path());
  ASSERT_EQ(RunProcess({linux_program.string()}).exit_status, 0);
  std::map<std::string, std::string> windows_files = windows_run.Files();
  std::map<std::string, std::string> linux_files = linux_run.Files();
  windows_files.erase(exe.filename().string());
  linux_files.erase(linux_program.filename().string());
  EXPECT_EQ(windows_files.count(kLockFileName), 1u);
  windows_files.erase(kLockFileName);
  linux_files.erase(kLockFileName);
  EXPECT_EQ(windows_files.size(), 6u);
  EXPECT_TRUE(windows_files == linux_files) << "the files of the two runs differ";
}

TEST_F(WineWindowTest, WaitWindowShowsAttendereInItsLabel) {
  ChildProcess* probe = Start({Program("tests/window_probe.exe"), "wait"});
  // Its standard output is in text mode: the line ends with CR LF.
  ASSERT_EQ(probe->ReadOutputLine(kPatience), "shown\r") << probe->errors();
  // Wine maps the window on the display a moment after it has been shown.
  const std::optional<ScreenWindow> window =
      WaitForViewableWindow(display(), kWaitWindowTitle, kPatience);
  ASSERT_TRUE(window.has_value());
  ASSERT_EQ(window->width, kWaitWindowWidth);
  ASSERT_EQ(window->height, kWaitWindowHeight);

  // The label's text, in its rectangle: large letters from its left edge.
  std::optional<Screenshot> shot;
  int dark = 0, left = 1 << 20, right = -1, top = 1 << 20, bottom = -1, stray = 0;
  const auto deadline = std::chrono::steady_clock::now() + 10s;
  while (dark == 0 && std::chrono::steady_clock::now() < deadline) {
    std::this_thread::sleep_for(50ms);
    shot = Capture(display(), *window);
    for (int y = 0; y < shot->height(); ++y)
      for (int x = 0; x < shot->width(); ++x) {
        if (!shot->Dark(x, y)) continue;
        const bool inside = x >= kWaitLabelLeft && x < kWaitLabelLeft + kWaitLabelWidth &&
                            y >= kWaitLabelTop && y < kWaitLabelTop + kWaitLabelHeight;
        if (!inside) {
          ++stray;
          continue;
        }
        ++dark;
        left = std::min(left, x);
        right = std::max(right, x);
        top = std::min(top, y);
        bottom = std::max(bottom, y);
      }
  }
  shot->WritePng(ScreenshotPath("wine_wait_window.png"));
  EXPECT_EQ(stray, 0) << "something dark is drawn outside the label";
  ASSERT_GT(dark, 50) << "no text in the label";
  EXPECT_LE(left, kWaitLabelLeft + 6);
  EXPECT_GE(right - left + 1, 120);
  EXPECT_GE(bottom - top + 1, 20);

  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(probe->Running());
  probe->CloseInput();
  EXPECT_EQ(probe->Wait(kPatience), 0);
  EXPECT_TRUE(NoWindowNamed(display(), kWaitWindowTitle));
}

TEST_F(WineWindowTest, ErrorBoxWaitsForEnterThenTheProgramEndsWithStatus2) {
  ChildProcess* probe = Start({Program("tests/window_probe.exe"), "errore"});
  const std::optional<ScreenWindow> box =
      WaitForViewableWindow(display(), kMessageBoxCaption, kPatience);
  ASSERT_TRUE(box.has_value()) << probe->errors();
  EXPECT_TRUE(ViewableWindowNamed(display(), kWaitWindowTitle).has_value())
      << "the wait window is gone while the box is up";
  Capture(display(), *box).WritePng(ScreenshotPath("wine_errore_box.png"));

  // The box waits for the user.
  std::this_thread::sleep_for(500ms);
  ASSERT_TRUE(probe->Running());
  PressKey(display(), box->id, Key::kEnter);
  const std::optional<int> status = probe->Wait(kPatience);
  ASSERT_TRUE(status.has_value()) << "the box did not close";
  EXPECT_EQ(*status, 2);
  EXPECT_EQ(probe->output(), "");
  EXPECT_TRUE(NoWindowNamed(display(), kMessageBoxCaption));
  EXPECT_TRUE(NoWindowNamed(display(), kWaitWindowTitle));
}

}  // namespace
}  // namespace scenario
