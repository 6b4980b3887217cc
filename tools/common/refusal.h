// What every room of scenario-tool shares: a refused input, counted nouns,
// base names.
//
// An input that scenario-tool refuses: a compiled file cut short or not a
// compiled file at all, or a directory whose files would be overwritten.
// The message says what is wrong; the tool ends with status 1.
#pragma once

#include <stdexcept>

namespace scenario::tool {

class Refusal : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A given source that cannot be compiled as it stands, though the command
// line is right: a file saved in UTF-16, or another file already where the
// compile puts its copy. The tool ends with status 65.
class UnusableSource : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace scenario::tool
