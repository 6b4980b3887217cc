#include "platform/system/win32_windows.h"

#include <shlobj.h>

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

std::vector<std::wstring> WideFolders() {
  std::vector<std::wstring> folders;
  for (const int which : {CSIDL_PROGRAM_FILES, CSIDL_PROGRAM_FILESX86, CSIDL_WINDOWS}) {
    wchar_t buffer[MAX_PATH] = {};
    if (SHGetFolderPathW(nullptr, which, nullptr, SHGFP_TYPE_CURRENT, buffer) != S_OK) continue;
    const std::wstring folder = LongFullPath(buffer);
    bool known = false;
    for (const std::wstring& each : folders) known = known || CompareStringOrdinal(each.c_str(), -1, folder.c_str(), -1, TRUE) == CSTR_EQUAL;
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
