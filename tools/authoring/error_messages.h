// What an error number of the compiler means to an author, from the one
// table of error numbers.
#pragma once

#include <cstdint>
#include <string>

#include "compiler/fields/error_numbers.h"

namespace scenario::tool {

// The one-line message of an error number; numbers the compiler never
// records get a message that says so.
std::string ErrorText(int32_t numero);

// Whether the compiler stores a position in metres with this number.
bool HasPosition(int32_t numero);

// Which part of the compile run records a number.
ErrorSource SourceOf(int32_t numero);

}  // namespace scenario::tool
