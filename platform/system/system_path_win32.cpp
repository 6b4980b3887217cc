#include "platform/system/system_path.h"

#include "platform/system/win32_support.h"

namespace scenario {

// The standard library would read the bytes as Latin-1: "’" (0x92) would
// become the control character U+0092 and "€" (0x80) U+0080.
std::filesystem::path SystemPath(std::string_view name) { return std::filesystem::path(win32::Wide(name)); }

std::string SystemName(const std::filesystem::path& path) { return win32::Narrow(path.wstring()); }

}  // namespace scenario
