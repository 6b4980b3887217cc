// A run-time failure inside the readers: a read past the end of a file, a
// value that does not fit its field, an index outside an array, an integer
// overflow. The readers' trap turns it into error 25.
#pragma once

#include <stdexcept>

namespace scenario {

class RuntimeFailure : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace scenario
