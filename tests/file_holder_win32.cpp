// Holds a file open as another program would (the simulator, with the
// scenario loaded), for the tests of held files on Windows:
//
//   file_holder PATH   opens PATH for reading, letting others read it but
//                      neither write nor delete it, writes "holding" on
//                      standard output, and lets go of the file when its
//                      standard input ends; exits 0, or 1 when the file
//                      cannot be opened.
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>
#include <string>

int wmain(int argc, wchar_t** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: file_holder PATH\n");
    return 64;
  }
  HANDLE file = CreateFileW(argv[1], GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    std::fprintf(stderr, "file_holder: cannot open the file: error %lu\n", GetLastError());
    return 1;
  }
  // "holding" and a bare line end, as the test reads it.
  _setmode(_fileno(stdout), _O_BINARY);
  std::printf("holding\n");
  std::fflush(stdout);
  while (std::getchar() != EOF) {
  }
  CloseHandle(file);
  return 0;
}
