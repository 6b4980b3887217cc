#include "platform/window/display_window.h"

#include <FL/Enumerations.H>
#include <FL/Fl.H>
#include <FL/Fl_Box.H>
#include <FL/Fl_Return_Button.H>
#include <FL/Fl_Window.H>
#include <FL/fl_draw.H>
#include <FL/x.H>
#include <X11/Xlib.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <memory>
#include <string>

#include "platform/window/console_text.h"

namespace scenario {

// The window on an X11 display, drawn with FLTK.
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

namespace {

// The label's face: MS Sans Serif where it is installed, else a sans-serif
// of the same metrics, else the display's default sans-serif. The leading
// "B" asks for the bold weight.
constexpr const char* kWaitLabelFontName = "BMS Sans Serif,Liberation Sans,Arial";
constexpr Fl_Font kWaitLabelFont = FL_FREE_FONT;

// A plain text, drawn from its rectangle's top left corner: no inset, and no
// "@" symbols, so that any message shows as it is.
class PlainText : public Fl_Box {
 public:
  PlainText(int x, int y, int width, int height, const char* text, Fl_Font font, int size)
      : Fl_Box(x, y, width, height), text_(text), font_(font), size_(size) {
    box(FL_NO_BOX);
  }

  void draw() override {
    fl_font(font_, size_);
    fl_color(FL_FOREGROUND_COLOR);
    fl_draw(text_.c_str(), x(), y(), w(), h(), FL_ALIGN_INSIDE | FL_ALIGN_TOP_LEFT, nullptr, 0);
  }

 private:
  std::string text_;
  Fl_Font font_;
  int size_;
};

// The wait window: it remembers whether it has been painted.
class WaitWindow : public Fl_Window {
 public:
  WaitWindow() : Fl_Window(kWaitWindowWidth, kWaitWindowHeight, kWaitWindowTitle) {
    Fl::set_font(kWaitLabelFont, kWaitLabelFontName);
    new PlainText(kWaitLabelLeft, kWaitLabelTop, kWaitLabelWidth, kWaitLabelHeight, kWaitLabelText,
                  kWaitLabelFont, kWaitLabelFontPixels);
    end();
    xclass(kMessageBoxCaption);
    // The run ends the window; a close request from the desktop changes nothing.
    callback([](Fl_Widget*, void*) {});
  }

  void draw() override {
    Fl_Window::draw();
    painted_ = true;
  }

  bool painted() const { return painted_; }

 private:
  bool painted_ = false;
};

void PrintMessage(const std::string& text) {
  ShowOnStandardError(text);
}

}  // namespace

FltkWindow::FltkWindow() = default;

FltkWindow::~FltkWindow() { Close(); }

void FltkWindow::ShowWaitWindow() {
  if (closed_ || wait_window_) return;
  auto window = std::make_unique<WaitWindow>();
  window->show();
  // Paint it now: wait until the display has mapped the window and it has
  // been drawn, then until the display has carried out the drawing. A window
  // the display never asks to paint (fully covered) is not waited for long.
  const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(5);
  while (!window->painted() && std::chrono::steady_clock::now() < deadline) Fl::wait(0.05);
  Fl::flush();
  XSync(fl_display, False);
  wait_window_ = std::move(window);
}

void FltkWindow::ShowMessageBox(const std::string& text) {
  if (closed_) {
    PrintMessage(text);
    return;
  }
  fl_font(FL_HELVETICA, FL_NORMAL_SIZE);
  int text_width = 0;
  int text_height = 0;
  fl_measure(text.c_str(), text_width, text_height, 0);

  const int margin = kMessageBoxMargin;
  const int width = std::max({text_width, kMessageBoxButtonWidth, 200}) + 2 * margin;
  const int height = margin + text_height + margin + kMessageBoxButtonHeight + margin;

  Fl_Window box(width, height, kMessageBoxCaption);
  new PlainText(margin, margin, width - 2 * margin, text_height, text.c_str(), FL_HELVETICA,
                FL_NORMAL_SIZE);
  auto* ok = new Fl_Return_Button((width - kMessageBoxButtonWidth) / 2,
                                  height - margin - kMessageBoxButtonHeight,
                                  kMessageBoxButtonWidth, kMessageBoxButtonHeight, "OK");
  box.end();
  box.xclass(kMessageBoxCaption);
  // OK, Enter, Escape and the desktop's close button all close the box.
  ok->callback([](Fl_Widget* button, void*) { button->window()->hide(); });
  box.callback([](Fl_Widget* window, void*) { window->hide(); });

  // Centred on the screen that shows the wait window.
  int screen_x = 0, screen_y = 0, screen_w = 0, screen_h = 0;
  if (wait_window_ && wait_window_->shown())
    Fl::screen_work_area(screen_x, screen_y, screen_w, screen_h, wait_window_->x(),
                         wait_window_->y());
  else
    Fl::screen_work_area(screen_x, screen_y, screen_w, screen_h, 0);
  box.position(screen_x + std::max(0, (screen_w - width) / 2),
               screen_y + std::max(0, (screen_h - height) / 2));

  box.set_modal();
  box.show();
  while (box.shown()) Fl::wait();
  Fl::flush();
  XSync(fl_display, False);
}

bool FltkWindow::OnScreen() const { return !closed_ && wait_window_ && wait_window_->shown(); }

void FltkWindow::Close() {
  if (closed_) return;
  closed_ = true;
  if (!wait_window_) return;
  wait_window_->hide();
  wait_window_.reset();
  Fl::flush();
  XSync(fl_display, False);
}

std::unique_ptr<Window> OpenDisplayWindow() {
  const char* name = std::getenv("DISPLAY");
  if (name == nullptr || *name == '\0') return nullptr;
  Display* display = XOpenDisplay(name);
  if (display == nullptr) return nullptr;
  fl_open_display(display);
  return std::unique_ptr<Window>(new FltkWindow());
}

}  // namespace scenario
