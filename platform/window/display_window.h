// The window on a display: the wait window "Form1" with its label, and the
// modal message box. Each system draws it with its own means (FLTK on X11,
// Win32 on Windows), at the same size and places.
#pragma once

#include <memory>
#include <string>

#include "platform/window/window.h"

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

// A window on the display; nullptr when there is none to open (on X11: DISPLAY
// unset or empty, or the display cannot be opened; on Windows: no desktop to
// create windows on). Prints nothing in either case.
std::unique_ptr<Window> OpenDisplayWindow();

}  // namespace scenario
