#include "platform/files/step_pause.h"

#include <chrono>
#include <cstdlib>
#include <iostream>
#include <thread>

namespace scenario {

namespace {

// The step to stop before, from the environment; 0 for none.
unsigned long StepToPauseAt() {
  const char* value = std::getenv(kPauseStepVariable);
  if (value == nullptr) return 0;
  unsigned long step = 0;
  for (const char* c = value; *c != '\0'; ++c) {
    if (*c < '0' || *c > '9' || step > 1000000) return 0;
    step = step * 10 + static_cast<unsigned long>(*c - '0');
  }
  return step;
}

}  // namespace

void CountDiskChange(std::string_view operation, const std::string& path) {
  static const unsigned long pause_at = StepToPauseAt();
  static unsigned long steps = 0;
  if (pause_at == 0) return;
  if (++steps != pause_at) return;
  std::cerr << kPauseNotice << steps << ": " << operation << " '" << path << "'" << std::endl;
  for (;;) std::this_thread::sleep_for(std::chrono::hours(1));
}

}  // namespace scenario
