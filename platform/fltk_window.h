// The window on a display, drawn with FLTK: the wait window "Form1" with its
// label, and the modal message box.
#pragma once

#include <memory>
#include <string>

#include "platform/window.h"

class Fl_Window;

namespace scenario {

// The wait window, in pixels: its client area and the label's rectangle.
inline constexpr const char* kWaitWindowTitle = "Form1";
inline constexpr int kWaitWindowWidth = 280;
inline constexpr int kWaitWindowHeight = 179;
inline constexpr const char* kWaitLabelText = "Attendere";
inline constexpr int kWaitLabelLeft = 64;
inline constexpr int kWaitLabelTop = 64;
inline constexpr int kWaitLabelWidth = 177;
inline constexpr int kWaitLabelHeight = 53;
// 24 point at 96 pixels per inch.
inline constexpr int kWaitLabelFontPixels = 32;

// The message box: its caption and its one button, centred at the bottom.
inline constexpr const char* kMessageBoxCaption = "scenario-compactor";
inline constexpr int kMessageBoxButtonWidth = 90;
inline constexpr int kMessageBoxButtonHeight = 26;
inline constexpr int kMessageBoxMargin = 16;

class FltkWindow : public Window {
 public:
  ~FltkWindow() override;
  FltkWindow(const FltkWindow&) = delete;
  FltkWindow& operator=(const FltkWindow&) = delete;

  void ShowWaitWindow() override;
  void ShowMessageBox(const std::string& text) override;
  bool OnScreen() const override;
  void Close() override;

 private:
  // Made by OpenDisplayWindow, once the display is open.
  FltkWindow();
  friend std::unique_ptr<Window> OpenDisplayWindow();

  std::unique_ptr<Fl_Window> wait_window_;
  bool closed_ = false;
};

// A window on the display that DISPLAY names; nullptr when DISPLAY is unset
// or empty or the display cannot be opened. Prints nothing in either case.
std::unique_ptr<Window> OpenDisplayWindow();

}  // namespace scenario
