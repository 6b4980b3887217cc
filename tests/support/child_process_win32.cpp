#include "platform/system/win32_windows.h"

#include <algorithm>
#include <cwctype>
#include <stdexcept>

#include "platform/system/win32_support.h"
#include "tests/support/child_process.h"
#include "tests/support/program_process.h"

namespace scenario::testing_support {

namespace {

// The exit status a killed child reports, as one ended by SIGKILL does on
// POSIX systems.
constexpr UINT kKilledStatus = 128 + 9;

// The variable's name of an environment entry "NAME=value", in capitals:
// Windows reads names without regard to case. (Entries of the form
// "=C:=C:\dir", the current directory of each drive, have a name that
// starts with "=".)
std::wstring NameOf(const std::wstring& entry) {
  const std::size_t equals = entry.find(L'=', 1);
  std::wstring name = entry.substr(0, equals);
  for (wchar_t& c : name) c = static_cast<wchar_t>(std::towupper(c));
  return name;
}

// The test's environment changed by `changes`, as the block CreateProcessW
// takes: sorted by name, each entry ended by a zero, the block by another.
std::wstring ChangedEnvironment(const EnvironmentChanges& changes) {
  std::vector<std::wstring> changed_names;
  for (const auto& change : changes) changed_names.push_back(NameOf(win32::Wide(change.first + "=")));
  std::vector<std::wstring> entries;
  wchar_t* strings = GetEnvironmentStringsW();
  for (const wchar_t* entry = strings; *entry != L'\0'; entry += wcslen(entry) + 1) {
    const std::wstring text(entry);
    if (std::find(changed_names.begin(), changed_names.end(), NameOf(text)) == changed_names.end())
      entries.push_back(text);
  }
  FreeEnvironmentStringsW(strings);
  for (const auto& [name, value] : changes)
    if (value) entries.push_back(win32::Wide(name + "=" + *value));
  std::sort(entries.begin(), entries.end(),
            [](const std::wstring& a, const std::wstring& b) { return NameOf(a) < NameOf(b); });
  std::wstring block;
  for (const std::wstring& entry : entries) {
    block += entry;
    block.push_back(L'\0');
  }
  block.push_back(L'\0');
  return block;
}

// A pipe whose end `child_end` (0 read, 1 write) the child inherits.
void MakePipe(HANDLE ends[2], int child_end) {
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  if (!CreatePipe(&ends[0], &ends[1], &inherit, 0))
    throw std::runtime_error("CreatePipe: " + win32::ErrorText(GetLastError()));
  SetHandleInformation(ends[1 - child_end], HANDLE_FLAG_INHERIT, 0);
}

void Close(HANDLE& handle) {
  if (handle != nullptr) CloseHandle(handle);
  handle = nullptr;
}

// Reads what is in the pipe without waiting; false once the pipe has ended.
bool ReadAvailable(HANDLE pipe, std::string& into) {
  for (;;) {
    DWORD available = 0;
    if (!PeekNamedPipe(pipe, nullptr, 0, nullptr, &available, nullptr)) return false;
    if (available == 0) return true;
    char buffer[4096];
    DWORD got = 0;
    if (!ReadFile(pipe, buffer, std::min<DWORD>(available, sizeof buffer), &got, nullptr))
      return false;
    into.append(buffer, got);
  }
}

}  // namespace

struct ChildProcess::Handles {
  HANDLE process = nullptr;
  HANDLE input = nullptr;
  HANDLE output = nullptr;
  HANDLE errors = nullptr;
};

ChildProcess::ChildProcess(const std::vector<std::string>& arguments,
                           const EnvironmentChanges& changes)
    : handles_(std::make_unique<Handles>()) {
  if (arguments.empty()) throw std::invalid_argument("ChildProcess: no program");
  std::wstring command_line = WindowsCommandLine(arguments);
  const std::wstring program = win32::Wide(arguments[0]);
  std::wstring environment = ChangedEnvironment(changes);

  HANDLE input[2], output[2], errors[2];
  MakePipe(input, 0);
  MakePipe(output, 1);
  MakePipe(errors, 1);
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = input[0];
  startup.hStdOutput = output[1];
  startup.hStdError = errors[1];
  PROCESS_INFORMATION process = {};
  const BOOL started =
      CreateProcessW(program.c_str(), command_line.data(), nullptr, nullptr, TRUE,
                     CREATE_UNICODE_ENVIRONMENT, environment.data(), nullptr, &startup, &process);
  const DWORD error = GetLastError();
  CloseHandle(input[0]);
  CloseHandle(output[1]);
  CloseHandle(errors[1]);
  if (!started) {
    for (HANDLE ours : {input[1], output[0], errors[0]}) CloseHandle(ours);
    throw std::runtime_error("cannot start " + arguments[0] + ": " + win32::ErrorText(error));
  }
  CloseHandle(process.hThread);
  handles_->process = process.hProcess;
  handles_->input = input[1];
  handles_->output = output[0];
  handles_->errors = errors[0];
}

ChildProcess::~ChildProcess() {
  Kill();
  for (HANDLE* handle : {&handles_->input, &handles_->output, &handles_->errors, &handles_->process})
    Close(*handle);
}

void ChildProcess::WriteInput(const std::string& bytes) {
  size_t written = 0;
  while (written < bytes.size()) {
    DWORD wrote = 0;
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - written, 1 << 16));
    if (!WriteFile(handles_->input, bytes.data() + written, chunk, &wrote, nullptr) || wrote == 0)
      throw std::runtime_error("write to the child failed");
    written += wrote;
  }
}

void ChildProcess::CloseInput() { Close(handles_->input); }

void ChildProcess::Drain() {
  for (auto [pipe, text] : {std::pair{&handles_->output, &output_text_},
                            std::pair{&handles_->errors, &errors_text_}}) {
    if (*pipe != nullptr && !ReadAvailable(*pipe, *text)) Close(*pipe);
  }
}

bool ChildProcess::OutputEnded() const { return handles_->output == nullptr; }

bool ChildProcess::AllOutputEnded() const {
  return handles_->output == nullptr && handles_->errors == nullptr;
}

void ChildProcess::Kill() {
  if (!Running()) return;
  TerminateProcess(handles_->process, kKilledStatus);
  WaitForSingleObject(handles_->process, INFINITE);
  Running();
}

std::int64_t ChildProcess::Id() const { return GetProcessId(handles_->process); }

bool ChildProcess::Running() {
  Drain();
  if (status_) return false;
  if (WaitForSingleObject(handles_->process, 0) != WAIT_OBJECT_0) return true;
  DWORD status = 0;
  GetExitCodeProcess(handles_->process, &status);
  status_ = static_cast<int>(status);
  return false;
}

}  // namespace scenario::testing_support
