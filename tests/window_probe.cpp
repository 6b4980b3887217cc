// Opens the program's window the way the program does, for the window tests:
//
//   window_probe wait    shows the wait window, writes "shown" on standard
//                        output once ShowWaitWindow has returned, and closes
//                        the window when standard input ends; exits 0.
//   window_probe errore  shows the wait window, then calls errore with 1250;
//                        exits 2 once the message has been shown.
#include <cstdio>
#include <cstring>
#include <string>

#include "compiler/error_reporting.h"
#include "platform/window/window.h"

int main(int argc, char** argv) {
  const std::string mode = argc == 2 ? argv[1] : "";
  std::unique_ptr<scenario::Window> window = scenario::OpenWindow();
  if (mode == "wait") {
    window->ShowWaitWindow();
    std::printf("shown\n");
    std::fflush(stdout);
    while (std::getchar() != EOF) {
    }
    window->Close();
    return 0;
  }
  if (mode == "errore") {
    window->ShowWaitWindow();
    try {
      scenario::errore(*window, "1250");
    } catch (const scenario::ErroreShown&) {
      window->Close();
      return 2;
    }
  }
  std::fprintf(stderr, "usage: window_probe wait|errore\n");
  return 64;
}
