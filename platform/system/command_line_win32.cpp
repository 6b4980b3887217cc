#include "platform/system/win32_windows.h"

#include <shellapi.h>

#include <optional>
#include <stdexcept>

#include "platform/system/command_line.h"
#include "platform/system/win32_support.h"
#include "encoding/windows_1252.h"

namespace scenario {

std::vector<std::string> CommandLineArguments(int, char**) {
  int count = 0;
  wchar_t** wide = CommandLineToArgvW(GetCommandLineW(), &count);
  if (wide == nullptr) throw std::runtime_error("cannot read the command line: " + win32::ErrorText(GetLastError()));
  std::vector<std::string> arguments;
  std::optional<std::string> refused;
  for (int k = 0; k < count && !refused; ++k) {
    const std::wstring_view argument(wide[k]);
    std::optional<std::string> bytes =
        Utf16ToWindows1252(std::u16string(argument.begin(), argument.end()));
    if (bytes)
      arguments.push_back(*bytes);
    else
      refused = win32::Narrow(argument);
  }
  LocalFree(wide);
  if (refused)
    throw std::invalid_argument("the argument '" + *refused +
                                "' holds a character that Windows-1252 cannot hold (shown as '?'); "
                                "names and paths must be written with Windows-1252 characters only");
  return arguments;
}

}  // namespace scenario
