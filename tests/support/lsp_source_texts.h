// The built-in scenario's sources as the editor holds them (UTF-8), and
// small edits of them by line, for the language server's tests.
#pragma once

#include <string>

namespace scenario::testing_support {

std::string BuiltInLineText();
std::string BuiltInTrainText();

// The 0-based line of `text` that begins with `start`; throws when none does.
int LineStartingWith(const std::string& text, const std::string& start);
// `text` with line `line` (0-based) replaced by `replacement`, line ends kept.
std::string WithLine(const std::string& text, int line, const std::string& replacement);
// `text` with `inserted` (a line, without its end) before line `line`.
std::string WithLineBefore(const std::string& text, int line, const std::string& inserted);

}  // namespace scenario::testing_support
