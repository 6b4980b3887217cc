// What a person sees: the wait window, the message box, and text on a console.
//
// The program's one window: the wait window with its label, and the modal
// message box. A run without a display gets the headless window.
#pragma once

#include <memory>
#include <string>

namespace scenario {

class Window {
 public:
  virtual ~Window() = default;

  // Shows the wait window ("Attendere") and paints it at once, before
  // returning. Nothing is painted after that.
  virtual void ShowWaitWindow() = 0;
  // Shows `text` in a modal box with one OK button and returns when it has
  // been closed. Without a display the text goes to standard error.
  virtual void ShowMessageBox(const std::string& text) = 0;
  // Whether the window is on a screen (false for the headless window).
  virtual bool OnScreen() const = 0;
  // Destroys the window; nothing is shown afterwards.
  virtual void Close() = 0;
};

// No display: no window; a message box prints its text on standard error.
class HeadlessWindow : public Window {
 public:
  void ShowWaitWindow() override {}
  void ShowMessageBox(const std::string& text) override;
  bool OnScreen() const override { return false; }
  void Close() override {}
};

// No window and no message anywhere: for a run whose caller reports the
// outcome itself (scenario-tool).
class SilentWindow : public Window {
 public:
  void ShowWaitWindow() override {}
  void ShowMessageBox(const std::string&) override {}
  bool OnScreen() const override { return false; }
  void Close() override {}
};

// The window for this run: a real one when a display can be opened,
// otherwise the headless one.
std::unique_ptr<Window> OpenWindow();

}  // namespace scenario
