#include "platform/window/display_window.h"

namespace scenario {

// A module in a browser or in Node has no display of its own to open a
// window on: the page that loads it shows what it reports.
std::unique_ptr<Window> OpenDisplayWindow() { return nullptr; }

}  // namespace scenario
