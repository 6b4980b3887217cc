// The field stream alone: any bytes as a text source.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "tests/support/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  scenario::fuzzing::RequireNoProblem(scenario::testing_support::CheckFieldStream(text));
  return 0;
}
