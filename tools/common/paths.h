// Small path helpers of scenario-tool.
#pragma once

#include <string>
#include <string_view>

namespace scenario::tool {

// The last component of a path.
std::string BaseName(const std::string& path);

// Whether the file name `name` ends in `ending` ("_linea.txt") or begins
// with `prefix`. With `ignore_case` letters match in either case, as the
// names of a file system that ignores case do: ASCII letters and the
// letters of Windows-1252 ("à" and "À", 0xE0 and 0xC0).
bool NameEndsWith(std::string_view name, std::string_view ending, bool ignore_case);
bool NameStartsWith(std::string_view name, std::string_view prefix, bool ignore_case);

}  // namespace scenario::tool
