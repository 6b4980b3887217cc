#include "platform/system/win32_windows.h"

#include <optional>
#include <string>

#include "platform/system/program_directory.h"
#include "platform/system/win32_support.h"
#include "encoding/windows_1252.h"
#include "platform/system/status.h"

namespace scenario {

std::string ProgramDirectory() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) throw SystemFailure("locate", "the program file", win32::ErrorText(GetLastError()));
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    // Cut short: try again with more room.
    path.resize(path.size() * 2);
  }
  const std::wstring::size_type separator = path.find_last_of(L"\\/");
  const std::wstring directory = separator == std::wstring::npos ? L"." : path.substr(0, separator);
  std::optional<std::string> bytes =
      Utf16ToWindows1252(std::u16string(directory.begin(), directory.end()));
  if (!bytes)
    throw SystemFailure("locate", win32::Narrow(directory),
                        "the directory's name holds a character that Windows-1252 cannot hold; "
                        "move the program to a directory named with Windows-1252 characters only");
  return *bytes;
}

std::string JoinPath(std::string_view directory, std::string_view name) {
  std::string path(directory);
  if (!path.empty() && path.back() != '\\' && path.back() != '/') path += '\\';
  path += name;
  return path;
}

}  // namespace scenario
