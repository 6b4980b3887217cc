// A display of the tests' own (an Xvfb server), and what a person would do
// with it: look at the windows on it, take a screenshot, press a key, click.
#pragma once

#include <sys/types.h>

#include <chrono>
#include <cstdint>
#include <filesystem>
#include <map>
#include <optional>
#include <string>
#include <vector>

typedef struct _XDisplay Display;

namespace scenario::testing_support {

// Starts an Xvfb server on the first free display from :93 up, reachable
// only through its local socket, and connects to it; ends it when it goes.
// Throws when no server could be started.
class XvfbServer {
 public:
  XvfbServer();
  ~XvfbServer();
  XvfbServer(const XvfbServer&) = delete;
  XvfbServer& operator=(const XvfbServer&) = delete;

  // The value for DISPLAY, such as ":93".
  const std::string& name() const { return name_; }
  // The tests' own connection to it.
  Display* display() const { return display_; }

 private:
  pid_t pid_ = -1;
  std::string name_;
  Display* display_ = nullptr;
};

// A top-level window: one of the root window's children.
struct ScreenWindow {
  unsigned long id = 0;
  std::string name;  // its title; empty when it has none
  int x = 0;         // its client area, on the screen
  int y = 0;
  int width = 0;
  int height = 0;
  bool viewable = false;
};

std::vector<ScreenWindow> TopLevelWindows(Display* display);
std::vector<ScreenWindow> ViewableWindows(Display* display);
// Waits up to `timeout` for a viewable top-level window of that title.
std::optional<ScreenWindow> WaitForViewableWindow(Display* display, const std::string& name,
                                                  std::chrono::milliseconds timeout);

// The window a dialog belongs to (0 when none), and whether the window asks
// the desktop to treat it as modal.
unsigned long TransientFor(Display* display, unsigned long window);
bool AsksToBeModal(Display* display, unsigned long window);

struct Rgb {
  std::uint8_t red = 0;
  std::uint8_t green = 0;
  std::uint8_t blue = 0;
  bool operator==(const Rgb&) const = default;
};

// A rectangle of the screen as it is shown.
class Screenshot {
 public:
  Screenshot(int width, int height) : width_(width), height_(height), pixels_(width * height) {}
  int width() const { return width_; }
  int height() const { return height_; }
  Rgb at(int x, int y) const { return pixels_[y * width_ + x]; }
  void set(int x, int y, Rgb colour) { pixels_[y * width_ + x] = colour; }
  // A pixel of text: much darker than any background.
  bool Dark(int x, int y) const;
  void WritePng(const std::filesystem::path& path) const;

 private:
  int width_;
  int height_;
  std::vector<Rgb> pixels_;
};

// The client area of `window` as the screen shows it.
Screenshot Capture(Display* display, const ScreenWindow& window);

enum class Key { kEnter, kEscape };
// Gives `window` the keyboard focus, as a desktop would, then presses and
// releases `key`.
void PressKey(Display* display, unsigned long window, Key key);
// Moves the pointer to (x, y) of the screen and clicks the left button.
void ClickAt(Display* display, int x, int y);
// Asks `window` to close, as a desktop's close button does.
void RequestClose(Display* display, unsigned long window);

// Watches the windows that programs create on the screen, from the moment it
// is made: their sizes, their titles when they were mapped, and their end.
class WindowWatcher {
 public:
  struct Seen {
    int width = 0;
    int height = 0;
    bool mapped = false;
    bool destroyed = false;
    std::string name_when_mapped;
  };

  explicit WindowWatcher(Display* display);
  ~WindowWatcher();
  WindowWatcher(const WindowWatcher&) = delete;
  WindowWatcher& operator=(const WindowWatcher&) = delete;

  // Waits up to `timeout` for something to happen on the screen, then takes
  // in everything that happened since the last call.
  void Update(std::chrono::milliseconds timeout = std::chrono::milliseconds(0));
  const std::map<unsigned long, Seen>& windows() const { return windows_; }

 private:
  Display* display_;
  std::map<unsigned long, Seen> windows_;
};

}  // namespace scenario::testing_support
