#include "platform/system/process_status.h"

#include <limits>

#include "platform/system/win32_windows.h"

namespace scenario {

bool ProcessIsRunning(std::int64_t id) {
  if (id <= 0 || id > std::numeric_limits<DWORD>::max()) return false;
  HANDLE process = OpenProcess(SYNCHRONIZE, FALSE, static_cast<DWORD>(id));
  if (process == nullptr) return GetLastError() == ERROR_ACCESS_DENIED;
  const bool running = WaitForSingleObject(process, 0) == WAIT_TIMEOUT;
  CloseHandle(process);
  return running;
}

std::int64_t CurrentProcessId() { return GetCurrentProcessId(); }

}  // namespace scenario
