// What the Windows side of the platform layer shares: names in the file
// system's UTF-16, and the system's reasons for a failure. Built on Windows
// only.
#pragma once

#include <string>
#include <string_view>

#include "platform/system/status.h"

namespace scenario::win32 {

// A name of the system (Windows-1252 bytes) as the file system's UTF-16.
std::wstring Wide(std::string_view name);

// A UTF-16 text of the system as Windows-1252 bytes; characters the code page
// cannot hold become '?'.
std::string Narrow(std::wstring_view text);

// The system's own words for an error code of GetLastError, on one line
// without its final full stop ("The process cannot access the file because
// it is being used by another process").
std::string ErrorText(unsigned long code);

// The kind of failure of an error code of GetLastError.
StatusCode CodeOf(unsigned long code);

// A failure of `operation` with the error code of GetLastError.
Status Failure(std::string operation, unsigned long code);

}  // namespace scenario::win32
