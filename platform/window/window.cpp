#include "platform/window/window.h"

#include "platform/window/console_text.h"
#include "platform/window/display_window.h"

namespace scenario {

void HeadlessWindow::ShowMessageBox(const std::string& text) {
  ShowOnStandardError(text);
}

std::unique_ptr<Window> OpenWindow() {
  if (std::unique_ptr<Window> window = OpenDisplayWindow()) return window;
  return std::make_unique<HeadlessWindow>();
}

}  // namespace scenario
