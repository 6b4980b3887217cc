#include "platform/system/win32_windows.h"

#include "platform/system/system_folders.h"
#include "platform/system/win32_support.h"

namespace scenario {

namespace {

// The long, full form of a path ("C:\PROGRA~1" is "C:\Program Files"),
// without a separator at its end.
std::wstring LongFullPath(const std::wstring& path) {
  std::wstring full(MAX_PATH, L'\0');
  DWORD length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  if (length >= full.size()) {
    full.resize(length + 1);
    length = GetFullPathNameW(path.c_str(), static_cast<DWORD>(full.size()), full.data(), nullptr);
  }
  full.resize(length == 0 ? 0 : length);
  if (full.empty()) full = path;
  std::wstring long_form(full.size() + MAX_PATH, L'\0');
  const DWORD long_length = GetLongPathNameW(full.c_str(), long_form.data(), static_cast<DWORD>(long_form.size()));
  if (long_length > 0 && long_length < long_form.size()) full = long_form.substr(0, long_length);
  while (full.size() > 3 && (full.back() == L'\\' || full.back() == L'/')) full.pop_back();
  for (wchar_t& c : full)
    if (c == L'/') c = L'\\';
  return full;
}

// Whether `path` is `folder` or lies in it, letter case aside.
bool Within(const std::wstring& path, const std::wstring& folder) {
  if (folder.empty() || path.size() < folder.size()) return false;
  if (CompareStringOrdinal(path.c_str(), static_cast<int>(folder.size()), folder.c_str(),
                           static_cast<int>(folder.size()), TRUE) != CSTR_EQUAL)
    return false;
  return path.size() == folder.size() || path[folder.size()] == L'\\' || folder.back() == L'\\';
}

// A folder the registry names under Windows' own key, or nothing.
std::wstring RegisteredFolder(const wchar_t* value) {
  wchar_t buffer[MAX_PATH] = {};
  DWORD size = sizeof(buffer);
  if (RegGetValueW(HKEY_LOCAL_MACHINE, L"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", value,
                   RRF_RT_REG_SZ, nullptr, buffer, &size) != ERROR_SUCCESS)
    return L"";
  return buffer;
}

// Program Files (both of them on a 64-bit system) and the Windows folder.
// Read from the registry and the system, not through the shell: the
// shell's folder functions start the desktop process, which would outlive
// the run holding its standard output.
std::vector<std::wstring> WideFolders() {
  std::vector<std::wstring> found;
  for (const wchar_t* value : {L"ProgramFilesDir", L"ProgramFilesDir (x86)", L"ProgramW6432Dir"})
    found.push_back(RegisteredFolder(value));
  wchar_t windows[MAX_PATH] = {};
  const UINT length = GetSystemWindowsDirectoryW(windows, MAX_PATH);
  if (length > 0 && length < MAX_PATH) found.push_back(windows);
  std::vector<std::wstring> folders;
  for (const std::wstring& each : found) {
    if (each.empty()) continue;
    const std::wstring folder = LongFullPath(each);
    bool known = false;
    for (const std::wstring& other : folders)
      known = known || CompareStringOrdinal(other.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL;
    if (!known && !folder.empty()) folders.push_back(folder);
  }
  return folders;
}

}  // namespace

std::vector<std::string> SystemProgramFolders() {
  std::vector<std::string> folders;
  for (const std::wstring& folder : WideFolders()) folders.push_back(win32::Narrow(folder));
  return folders;
}

std::optional<std::string> SystemProgramFolderOf(const std::string& directory) {
  const std::wstring path = LongFullPath(win32::Wide(directory));
  for (const std::wstring& folder : WideFolders())
    if (Within(path, folder)) return win32::Narrow(folder);
  return std::nullopt;
}

}  // namespace scenario
