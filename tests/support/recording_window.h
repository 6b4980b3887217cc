// A window that remembers what it was asked to show, for tests.
#pragma once

#include <string>
#include <vector>

#include "platform/window/window.h"

namespace scenario::testing_support {

class RecordingWindow : public Window {
 public:
  void ShowWaitWindow() override { wait_window_shown = true; }
  void ShowMessageBox(const std::string& text) override { messages.push_back(text); }
  bool OnScreen() const override { return wait_window_shown && !closed; }
  void Close() override { closed = true; }

  bool wait_window_shown = false;
  bool closed = false;
  std::vector<std::string> messages;
};

}  // namespace scenario::testing_support
