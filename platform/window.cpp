#include "platform/window.h"

#include <cstdio>

namespace scenario {

void HeadlessWindow::ShowMessageBox(const std::string& text) {
  std::fprintf(stderr, "%s\n", text.c_str());
  std::fflush(stderr);
}

std::unique_ptr<Window> OpenWindow() { return std::make_unique<HeadlessWindow>(); }

}  // namespace scenario
