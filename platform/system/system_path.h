// The standard library's paths for the system's names, which are bytes
// inside the programs: on Windows Windows-1252, in the file system UTF-16.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace scenario {

// The path the file system knows by `name`.
std::filesystem::path SystemPath(std::string_view name);

// A name from the file system as the system's bytes. On Windows a character
// Windows-1252 cannot hold becomes '?'.
std::string SystemName(const std::filesystem::path& path);

}  // namespace scenario
