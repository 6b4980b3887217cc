// Reporting the errors that stop a run. Every other error is only recorded
// in the model's error slot.
#pragma once

#include <string>
#include <string_view>

#include "platform/window/window.h"

namespace scenario {

// Thrown by errore once its message has been shown: the program ends.
struct ErroreShown {
  std::string numero;
};

// The message of an error number: " Errore n. " followed by the number.
std::string ErrorMessage(std::string_view numero);

// Shows " Errore n. <numero>" in the message box, then ends the program by
// throwing ErroreShown. It never returns.
[[noreturn]] void errore(Window& window, std::string_view numero);

}  // namespace scenario
