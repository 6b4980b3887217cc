#include "platform/window.h"

#include <cstdio>

#include "platform/display_window.h"

namespace scenario {

void HeadlessWindow::ShowMessageBox(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

std::unique_ptr<Window> OpenWindow() {
  if (std::unique_ptr<Window> window = OpenDisplayWindow()) return window;
  return std::make_unique<HeadlessWindow>();
}

}  // namespace scenario
