#include "platform/system/win32_windows.h"

#include <stdlib.h>

#include <stdexcept>

#include "platform/system/win32_support.h"
#include "tests/support/system_facts.h"

namespace scenario::testing_support {

std::string MissingFileReason() { return win32::ErrorText(ERROR_FILE_NOT_FOUND); }
std::string MissingDirectoryReason() { return win32::ErrorText(ERROR_PATH_NOT_FOUND); }

// The test program itself, started suspended: it runs no code of its own and
// ends only when it is ended.
OtherProcess::OtherProcess() {
  wchar_t program[MAX_PATH];
  if (GetModuleFileNameW(nullptr, program, MAX_PATH) == 0)
    throw std::runtime_error("GetModuleFileNameW: " + win32::ErrorText(GetLastError()));
  std::wstring command_line = L"\"" + std::wstring(program) + L"\" --gtest_filter=-*";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION process = {};
  if (!CreateProcessW(program, command_line.data(), nullptr, nullptr, FALSE,
                      CREATE_SUSPENDED | CREATE_NO_WINDOW, nullptr, nullptr, &startup, &process))
    throw std::runtime_error("CreateProcessW: " + win32::ErrorText(GetLastError()));
  CloseHandle(process.hThread);
  handle_ = process.hProcess;
  number_ = process.dwProcessId;
}

OtherProcess::~OtherProcess() {
  End();
  CloseHandle(static_cast<HANDLE>(handle_));
}

void OtherProcess::End() {
  if (ended_) return;
  ended_ = true;
  TerminateProcess(static_cast<HANDLE>(handle_), 1);
  WaitForSingleObject(static_cast<HANDLE>(handle_), INFINITE);
}

void SetEnvironment(const std::string& name, const std::optional<std::string>& value) {
  // An empty value removes the variable.
  ::_putenv_s(name.c_str(), value ? value->c_str() : "");
}

}  // namespace scenario::testing_support
