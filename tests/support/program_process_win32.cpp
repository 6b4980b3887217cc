#include "platform/system/win32_windows.h"

#include <stdexcept>
#include <string>

#include "platform/system/win32_support.h"
#include "tests/support/program_process.h"

namespace scenario::testing_support {

namespace {

// One argument as the C runtime of the child reads it back: in quotes, with
// the backslashes before a quote doubled.
std::wstring Quoted(const std::wstring& argument) {
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') backslashes = backslashes * 2 + 1;
    quoted.append(backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

// The test's environment without DISPLAY: under Wine, a program started
// without one has no desktop to open windows on, as on a machine without a
// display.
std::wstring EnvironmentWithoutDisplay() {
  std::wstring block;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    if (text.rfind(L"DISPLAY=", 0) == 0 || text.rfind(L"WAYLAND_DISPLAY=", 0) == 0) continue;
    block += text;
    block.push_back(L'\0');
  }
  FreeEnvironmentStringsW(strings);
  block.push_back(L'\0');
  return block;
}

}  // namespace

namespace {

ProcessOutcome Run(std::wstring command_line, const std::filesystem::path& working_directory) {
  std::wstring environment = EnvironmentWithoutDisplay();

  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE read_end = nullptr;
  HANDLE write_end = nullptr;
  if (!CreatePipe(&read_end, &write_end, &inherit, 0)) throw std::runtime_error("CreatePipe failed");
  SetHandleInformation(read_end, HANDLE_FLAG_INHERIT, 0);
  HANDLE null_output = CreateFileW(L"NUL", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                   &inherit, OPEN_EXISTING, 0, nullptr);

  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = INVALID_HANDLE_VALUE;
  startup.hStdOutput = null_output;
  startup.hStdError = write_end;
  PROCESS_INFORMATION process = {};
  const std::wstring directory = working_directory.wstring();
  const BOOL started = CreateProcessW(
      nullptr, command_line.data(), nullptr, nullptr, TRUE, CREATE_UNICODE_ENVIRONMENT,
      environment.data(), directory.empty() ? nullptr : directory.c_str(), &startup, &process);
  CloseHandle(write_end);
  if (null_output != INVALID_HANDLE_VALUE) CloseHandle(null_output);
  if (!started) {
    CloseHandle(read_end);
    throw std::runtime_error("cannot start " + win32::Narrow(command_line) + ": " +
                             win32::ErrorText(GetLastError()));
  }

  ProcessOutcome outcome;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(read_end, buffer, sizeof buffer, &got, nullptr) && got > 0)
    outcome.standard_error.append(buffer, got);
  CloseHandle(read_end);
  WaitForSingleObject(process.hProcess, INFINITE);
  DWORD status = 0;
  GetExitCodeProcess(process.hProcess, &status);
  outcome.exit_status = static_cast<int>(status);
  CloseHandle(process.hProcess);
  CloseHandle(process.hThread);
  return outcome;
}

}  // namespace

std::wstring WindowsCommandLine(const std::vector<std::string>& argv) {
  std::wstring command_line;
  for (const std::string& argument : argv) {
    if (!command_line.empty()) command_line.push_back(L' ');
    command_line += Quoted(win32::Wide(argument));
  }
  return command_line;
}

ProcessOutcome RunProcess(const std::vector<std::string>& argv,
                          const std::filesystem::path& working_directory) {
  if (argv.empty()) throw std::invalid_argument("RunProcess: no command");
  return Run(WindowsCommandLine(argv), working_directory);
}

ProcessOutcome RunWindowsCommandLine(const std::wstring& command_line) {
  return Run(command_line, {});
}

}  // namespace scenario::testing_support
