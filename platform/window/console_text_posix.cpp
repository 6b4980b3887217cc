#include "platform/window/console_text.h"

namespace scenario {

// Terminals here take the bytes as they are.
ConsoleText::ConsoleText() = default;
ConsoleText::~ConsoleText() = default;

}  // namespace scenario
