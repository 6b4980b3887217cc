#include "platform/system/win32_support.h"

#include "platform/system/win32_windows.h"

#include "encoding/windows_1252.h"

namespace scenario::win32 {

std::wstring Wide(std::string_view name) {
  const std::u16string text = Windows1252ToUtf16(name);
  return std::wstring(text.begin(), text.end());
}

std::string Narrow(std::wstring_view text) {
  return Utf16ToWindows1252Shown(std::u16string(text.begin(), text.end()));
}

std::string ErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US),
      reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  std::string text;
  if (length > 0 && buffer != nullptr) text = Narrow(std::wstring_view(buffer, length));
  if (buffer != nullptr) LocalFree(buffer);
  // The message of a language the system lacks: any language will do.
  if (text.empty()) {
    const DWORD any = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
    if (any > 0 && buffer != nullptr) text = Narrow(std::wstring_view(buffer, any));
    if (buffer != nullptr) LocalFree(buffer);
  }
  for (char& c : text)
    if (c == '\r' || c == '\n') c = ' ';
  while (!text.empty() && (text.back() == ' ' || text.back() == '.')) text.pop_back();
  if (text.empty()) text = "system error " + std::to_string(code);
  return text;
}

StatusCode CodeOf(unsigned long code) {
  switch (code) {
    case ERROR_FILE_NOT_FOUND:
    case ERROR_PATH_NOT_FOUND:
    case ERROR_INVALID_DRIVE:
    case ERROR_BAD_NETPATH:
    case ERROR_BAD_NET_NAME:
      return StatusCode::NotFound;
    case ERROR_SHARING_VIOLATION:
    case ERROR_LOCK_VIOLATION:
    case ERROR_USER_MAPPED_FILE:
      return StatusCode::InUse;
    case ERROR_ACCESS_DENIED:
    case ERROR_PRIVILEGE_NOT_HELD:
      return StatusCode::PermissionDenied;
    case ERROR_WRITE_PROTECT:
      return StatusCode::ReadOnly;
    case ERROR_DISK_FULL:
    case ERROR_HANDLE_DISK_FULL:
      return StatusCode::NoSpace;
    case ERROR_FILE_TOO_LARGE:
      return StatusCode::TooLarge;
    case ERROR_DIRECTORY:
    case ERROR_ALREADY_EXISTS:
    case ERROR_FILE_EXISTS:
      return StatusCode::InTheWay;
    default:
      return StatusCode::IoError;
  }
}

Status Failure(std::string operation, unsigned long code) {
  return Status::Error(std::move(operation), CodeOf(code), ErrorText(code));
}

}  // namespace scenario::win32
