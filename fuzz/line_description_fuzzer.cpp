// The whole compile run on any bytes as the line description source, with
// the built-in train service beside it.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "tests/support/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scenario::testing_support;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  scenario::fuzzing::RequireNoProblem(CheckCompileRun(text, BuiltInTrainSource()));
  return 0;
}
