#include "compiler/error_reporting.h"

namespace scenario {

std::string ErrorMessage(std::string_view numero) {
  std::string text = " Errore n. ";
  text += numero;
  return text;
}

void errore(Window& window, std::string_view numero) {
  window.ShowMessageBox(ErrorMessage(numero));
  throw ErroreShown{std::string(numero)};
}

}  // namespace scenario
