// The program's window on a display of the tests' own (an Xvfb server started
// by each test), and the program without a display.
#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <ostream>
#include <string>
#include <thread>

#include "platform/window/display_window.h"
#include "tests/support/child_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/x_display.h"

namespace scenario {
namespace {

using namespace testing_support;
using namespace std::chrono_literals;

// How long a test waits for something that should come at once; a limit
// against hanging, not a measure of speed.
constexpr std::chrono::milliseconds kPatience = 30s;

// The window libraries keep some memory to the end of the process on
// purpose; the suppressions name those libraries only.
const std::string kLeakOptions = "suppressions=" LSAN_SUPPRESSIONS_PATH ":print_suppressions=0";

EnvironmentChanges OnDisplay(const std::string& display) {
  return {{"DISPLAY", display}, {"LSAN_OPTIONS", kLeakOptions}};
}

std::filesystem::path ScreenshotPath(const std::string& name) {
  std::filesystem::create_directories(SCREENSHOT_DIRECTORY);
  return std::filesystem::path(SCREENSHOT_DIRECTORY) / name;
}

// A copy of the program in a directory of its own: it writes its files next
// to itself.
class ProgramCopy {
 public:
  ProgramCopy() : path_(directory_.PathOf("scenario-compactor")) {
    std::filesystem::copy_file(SCENARIO_COMPACTOR_PATH, path_);
  }
  const std::string& path() const { return path_; }
  const TempDir& directory() const { return directory_; }

 private:
  TempDir directory_;
  std::string path_;
};

RunResult RunWithoutDisplay(const std::string& program, const std::vector<std::string>& arguments,
                            const EnvironmentChanges& display) {
  std::vector<std::string> command{program};
  command.insert(command.end(), arguments.begin(), arguments.end());
  EnvironmentChanges changes = display;
  changes["LSAN_OPTIONS"] = kLeakOptions;
  return RunToEnd(command, changes, kPatience);
}

struct TextArea {
  int dark = 0;  // dark pixels inside the rectangle
  int left = 1 << 20, top = 1 << 20, right = -1, bottom = -1;  // their extent
  int stray = 0;  // pixels outside the rectangle that differ from the background
};

// Looks for text inside the rectangle (x, y, width, height) of `shot`, and for
// anything but the background outside it.
TextArea ExamineText(const Screenshot& shot, int x, int y, int width, int height) {
  TextArea area;
  const Rgb background = shot.at(1, 1);
  for (int row = 0; row < shot.height(); ++row)
    for (int column = 0; column < shot.width(); ++column) {
      const bool inside =
          column >= x && column < x + width && row >= y && row < y + height;
      if (!inside) {
        if (!(shot.at(column, row) == background)) ++area.stray;
      } else if (shot.Dark(column, row)) {
        ++area.dark;
        area.left = std::min(area.left, column);
        area.right = std::max(area.right, column);
        area.top = std::min(area.top, row);
        area.bottom = std::max(area.bottom, row);
      }
    }
  return area;
}

bool NoWindowLeft(Display* display) {
  const auto deadline = std::chrono::steady_clock::now() + 5s;
  while (!ViewableWindows(display).empty()) {
    if (std::chrono::steady_clock::now() >= deadline) return false;
    std::this_thread::sleep_for(20ms);
  }
  return true;
}

class WindowOnScreenTest : public ::testing::Test {
 protected:
  Display* display() const { return server_.display(); }
  const std::string& display_name() const { return server_.name(); }

 private:
  XvfbServer server_;
};

TEST_F(WindowOnScreenTest, WaitWindowShowsAttendereInItsLabelOnceShown) {
  ChildProcess probe({WINDOW_PROBE_PATH, "wait"}, OnDisplay(display_name()));
  ASSERT_EQ(probe.ReadOutputLine(kPatience), "shown") << probe.errors();

  // Taken as soon as ShowWaitWindow has returned: the label must be there.
  const std::vector<ScreenWindow> shown = ViewableWindows(display());
  ASSERT_EQ(shown.size(), 1u);
  const ScreenWindow& window = shown[0];
  EXPECT_EQ(window.name, kWaitWindowTitle);
  ASSERT_EQ(window.width, kWaitWindowWidth);
  ASSERT_EQ(window.height, kWaitWindowHeight);
  EXPECT_FALSE(AsksToBeModal(display(), window.id));
  const Screenshot shot = Capture(display(), window);
  shot.WritePng(ScreenshotPath("wait_window.png"));

  const TextArea label =
      ExamineText(shot, kWaitLabelLeft, kWaitLabelTop, kWaitLabelWidth, kWaitLabelHeight);
  EXPECT_EQ(label.stray, 0) << "something is drawn outside the label";
  ASSERT_GT(label.dark, 50) << "no text in the label";
  // "Attendere" in a 24 point face: a line of large letters from the
  // label's left edge across most of its width.
  EXPECT_LE(label.left, kWaitLabelLeft + 6);
  EXPECT_GE(label.right - label.left + 1, 120);
  EXPECT_GE(label.bottom - label.top + 1, 20);

  // The window stays until it is closed, and leaves nothing behind.
  std::this_thread::sleep_for(200ms);
  EXPECT_TRUE(probe.Running());
  probe.CloseInput();
  EXPECT_EQ(probe.Wait(kPatience), 0);
  EXPECT_EQ(probe.errors(), "");
  EXPECT_TRUE(NoWindowLeft(display()));
}

TEST_F(WindowOnScreenTest, ProgramShowsForm1WhileItRunsAndEndsByItself) {
  ProgramCopy program;
  WindowWatcher watcher(display());
  ChildProcess run({program.path()}, OnDisplay(display_name()));
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  while (run.Running() && std::chrono::steady_clock::now() < deadline) watcher.Update(10ms);

  const std::optional<int> status = run.Wait(0ms);
  ASSERT_TRUE(status.has_value())
      << "the program did not end by itself"
      << (WaitForViewableWindow(display(), kMessageBoxCaption, 0ms) ? "; a message box is up" : "");
  EXPECT_EQ(*status, 0);
  EXPECT_EQ(run.output(), "");
  EXPECT_EQ(run.errors(), "");
  EXPECT_TRUE(std::filesystem::exists(program.directory().PathOf("Calvisio -Sambreta_31613.dat")));

  EXPECT_TRUE(NoWindowLeft(display()));
  watcher.Update();
  int form1_windows = 0;
  for (const auto& [id, seen] : watcher.windows()) {
    EXPECT_NE(seen.name_when_mapped, kMessageBoxCaption) << "a message box was shown";
    if (!seen.mapped || seen.name_when_mapped != kWaitWindowTitle) continue;
    ++form1_windows;
    EXPECT_EQ(seen.width, kWaitWindowWidth);
    EXPECT_EQ(seen.height, kWaitWindowHeight);
    EXPECT_TRUE(seen.destroyed);
  }
  EXPECT_EQ(form1_windows, 1);
}

enum class CloseBy { kEnter, kEscape, kClickOnOk, kCloseButton };

std::string Describe(CloseBy way) {
  switch (way) {
    case CloseBy::kEnter: return "enter";
    case CloseBy::kEscape: return "escape";
    case CloseBy::kClickOnOk: return "ok";
    case CloseBy::kCloseButton: return "close";
  }
  return "";
}

void PrintTo(CloseBy way, std::ostream* out) { *out << Describe(way); }

class ErroreBoxTest : public WindowOnScreenTest,
                      public ::testing::WithParamInterface<CloseBy> {};

// Waits until the box has been painted: its text is there.
std::optional<Screenshot> PaintedBox(Display* display, const ScreenWindow& box) {
  const auto deadline = std::chrono::steady_clock::now() + kPatience;
  for (;;) {
    Screenshot shot = Capture(display, box);
    const int text_height = box.height - 3 * kMessageBoxMargin - kMessageBoxButtonHeight;
    if (ExamineText(shot, kMessageBoxMargin, kMessageBoxMargin, box.width - 2 * kMessageBoxMargin,
                    text_height)
            .dark > 30)
      return shot;
    if (std::chrono::steady_clock::now() >= deadline) return std::nullopt;
    std::this_thread::sleep_for(20ms);
  }
}

TEST_P(ErroreBoxTest, ShowsTheBoxUntilClosedThenEndsWithStatus2) {
  ChildProcess probe({WINDOW_PROBE_PATH, "errore"}, OnDisplay(display_name()));
  const std::optional<ScreenWindow> box =
      WaitForViewableWindow(display(), kMessageBoxCaption, kPatience);
  ASSERT_TRUE(box.has_value()) << probe.errors();
  const std::optional<ScreenWindow> form1 = WaitForViewableWindow(display(), kWaitWindowTitle, 0ms);
  ASSERT_TRUE(form1.has_value()) << "the wait window is gone while the box is up";
  EXPECT_EQ(TransientFor(display(), box->id), form1->id);
  EXPECT_TRUE(AsksToBeModal(display(), box->id));

  const std::optional<Screenshot> shot = PaintedBox(display(), *box);
  ASSERT_TRUE(shot.has_value()) << "the box shows no text";
  shot->WritePng(ScreenshotPath("errore_box_" + Describe(GetParam()) + ".png"));
  // The one button, centred at the bottom.
  const int button_left = (box->width - kMessageBoxButtonWidth) / 2;
  const int button_top = box->height - kMessageBoxMargin - kMessageBoxButtonHeight;
  int button_pixels = 0;
  for (int y = button_top; y < button_top + kMessageBoxButtonHeight; ++y)
    for (int x = button_left; x < button_left + kMessageBoxButtonWidth; ++x)
      if (!(shot->at(x, y) == shot->at(1, 1))) ++button_pixels;
  EXPECT_GT(button_pixels, 100) << "no button where OK should be";

  // The box waits for the user.
  std::this_thread::sleep_for(300ms);
  ASSERT_TRUE(probe.Running());

  switch (GetParam()) {
    case CloseBy::kEnter: PressKey(display(), box->id, Key::kEnter); break;
    case CloseBy::kEscape: PressKey(display(), box->id, Key::kEscape); break;
    case CloseBy::kClickOnOk:
      ClickAt(display(), box->x + button_left + kMessageBoxButtonWidth / 2,
              box->y + button_top + kMessageBoxButtonHeight / 2);
      break;
    case CloseBy::kCloseButton: RequestClose(display(), box->id); break;
  }
  const std::optional<int> status = probe.Wait(kPatience);
  ASSERT_TRUE(status.has_value()) << "the box did not close";
  EXPECT_EQ(*status, 2);
  EXPECT_EQ(probe.output(), "");
  EXPECT_EQ(probe.errors(), "");
  EXPECT_TRUE(NoWindowLeft(display()));
}

INSTANTIATE_TEST_SUITE_P(EveryWayToClose, ErroreBoxTest,
                         ::testing::Values(CloseBy::kEnter, CloseBy::kEscape, CloseBy::kClickOnOk,
                                           CloseBy::kCloseButton),
                         [](const auto& info) { return Describe(info.param); });

// Without a display, or with one that cannot be opened, the program runs
// without a window.
struct NoDisplay {
  const char* name;
  EnvironmentChanges environment;
};

void PrintTo(const NoDisplay& display, std::ostream* out) { *out << display.name; }

class WithoutDisplayTest : public ::testing::TestWithParam<NoDisplay> {};

TEST_P(WithoutDisplayTest, ErrorePrintsItsMessageAndEndsAtOnce) {
  const RunResult result = RunWithoutDisplay(WINDOW_PROBE_PATH, {"errore"}, GetParam().environment);
  EXPECT_EQ(result.status, 2);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.errors, " Errore n. 1250\n");
}

TEST_P(WithoutDisplayTest, NormalRunPrintsNothing) {
  ProgramCopy program;
  const RunResult result = RunWithoutDisplay(program.path(), {}, GetParam().environment);
  EXPECT_EQ(result.status, 0);
  EXPECT_EQ(result.output, "");
  EXPECT_EQ(result.errors, "");
}

// No server listens on this display: it has no socket.
const char* const kUnreachableDisplay = ":9876";

INSTANTIATE_TEST_SUITE_P(
    Environments, WithoutDisplayTest,
    ::testing::Values(NoDisplay{"unset", {{"DISPLAY", std::nullopt}}},
                      NoDisplay{"empty", {{"DISPLAY", ""}}},
                      NoDisplay{"unreachable", {{"DISPLAY", kUnreachableDisplay}}}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace scenario
