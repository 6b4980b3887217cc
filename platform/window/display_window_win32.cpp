#include "platform/system/win32_windows.h"

#include <memory>
#include <string>

#include "platform/window/console_text.h"
#include "platform/window/display_window.h"
#include "platform/system/win32_support.h"

namespace scenario {

namespace {

constexpr wchar_t kWaitWindowClass[] = L"scenario-compactor wait window";
// The label's face: MS Sans Serif, which Windows maps to its TrueType
// successor at this size.
constexpr wchar_t kWaitLabelFontName[] = L"MS Sans Serif";

void PrintMessage(const std::string& text) {
  ShowOnStandardError(text);
}

struct WaitWindowState {
  HFONT font = nullptr;
  bool painted = false;
};

LRESULT CALLBACK WaitWindowProcedure(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
  auto* state = reinterpret_cast<WaitWindowState*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_NCCREATE: {
      const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lparam);
      SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
      break;
    }
    case WM_PAINT: {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      if (state != nullptr) {
        HGDIOBJ old_font = SelectObject(dc, state->font);
        SetBkMode(dc, TRANSPARENT);
        SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
        RECT label = {kWaitLabelLeft, kWaitLabelTop, kWaitLabelLeft + kWaitLabelWidth,
                      kWaitLabelTop + kWaitLabelHeight};
        const std::wstring text = win32::Wide(kWaitLabelText);
        DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label,
                  DT_LEFT | DT_TOP | DT_NOPREFIX | DT_WORDBREAK);
        SelectObject(dc, old_font);
        state->painted = true;
      }
      EndPaint(window, &paint);
      return 0;
    }
    case WM_CLOSE:
      // The run ends the window; a close request from the desktop changes
      // nothing.
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wparam, lparam);
}

// Handles the messages waiting for this thread's windows, without waiting.
void HandlePendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// The window on the Windows desktop, drawn with Win32 itself. The wait window
// is made (hidden) when the desktop is opened, so that a run without a
// desktop finds out at once.
class Win32Window : public Window {
 public:
  Win32Window() = default;
  ~Win32Window() override {
    Close();
    if (state_.font != nullptr) DeleteObject(state_.font);
  }
  Win32Window(const Win32Window&) = delete;
  Win32Window& operator=(const Win32Window&) = delete;

  void ShowWaitWindow() override {
    if (closed_ || shown_) return;
    shown_ = true;
    ShowWindow(wait_window_, SW_SHOWNORMAL);
    // Paint it now, before returning; then let the desktop take in what
    // came with showing it.
    UpdateWindow(wait_window_);
    if (!state_.painted) RedrawWindow(wait_window_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
    HandlePendingMessages();
  }

  void ShowMessageBox(const std::string& text) override {
    if (closed_) {
      PrintMessage(text);
      return;
    }
    const std::wstring caption = win32::Wide(kMessageBoxCaption);
    MessageBoxW(shown_ ? wait_window_ : nullptr, win32::Wide(text).c_str(), caption.c_str(),
                MB_OK | MB_APPLMODAL | MB_SETFOREGROUND);
  }

  bool OnScreen() const override { return !closed_ && shown_ && IsWindowVisible(wait_window_); }

  void Close() override {
    if (closed_) return;
    closed_ = true;
    DestroyWindow(wait_window_);
    HandlePendingMessages();
  }

  // Makes the wait window, hidden; false when the desktop refuses.
  bool Create() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    WNDCLASSEXW window_class = {};
    window_class.cbSize = sizeof window_class;
    window_class.lpfnWndProc = WaitWindowProcedure;
    window_class.hInstance = instance;
    window_class.hCursor = LoadCursorW(nullptr, MAKEINTRESOURCEW(32514));  // the hourglass
    window_class.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    window_class.lpszClassName = kWaitWindowClass;
    if (!RegisterClassExW(&window_class) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
      return false;

    // A fixed size: the client area is the wait window's, whatever the
    // desktop's frame.
    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
    RECT frame = {0, 0, kWaitWindowWidth, kWaitWindowHeight};
    AdjustWindowRectEx(&frame, style, FALSE, 0);
    const std::wstring title = win32::Wide(kWaitWindowTitle);
    wait_window_ = CreateWindowExW(0, kWaitWindowClass, title.c_str(), style, CW_USEDEFAULT,
                                   CW_USEDEFAULT, frame.right - frame.left, frame.bottom - frame.top,
                                   nullptr, nullptr, instance, &state_);
    if (wait_window_ == nullptr) return false;

    // Bold, 24 point at the desktop's resolution.
    HDC screen = GetDC(nullptr);
    const int pixels_per_inch = screen != nullptr ? GetDeviceCaps(screen, LOGPIXELSY) : 96;
    if (screen != nullptr) ReleaseDC(nullptr, screen);
    state_.font = CreateFontW(-MulDiv(24, pixels_per_inch, 72), 0, 0, 0, FW_BOLD, FALSE, FALSE,
                              FALSE, ANSI_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, VARIABLE_PITCH | FF_SWISS, kWaitLabelFontName);
    return true;
  }

 private:
  HWND wait_window_ = nullptr;
  WaitWindowState state_;
  bool shown_ = false;
  bool closed_ = false;
};

}  // namespace

std::unique_ptr<Window> OpenDisplayWindow() {
  auto window = std::make_unique<Win32Window>();
  if (!window->Create()) return nullptr;
  return window;
}

}  // namespace scenario
