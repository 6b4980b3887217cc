// Small path helpers of scenario-tool.
#pragma once

#include <string>

namespace scenario::tool {

// Creates the directory (and its parents) when it does not exist yet.
// Throws SystemFailure when it cannot.
void EnsureDirectory(const std::string& directory);

// Whether two paths name the same file: the same file on disk when both
// exist (hard links and other spellings included), else the same path once
// made absolute and normal.
bool SameFile(const std::string& a, const std::string& b);

// The last component of a path.
std::string BaseName(const std::string& path);

}  // namespace scenario::tool
