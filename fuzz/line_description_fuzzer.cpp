// The whole compile run on any bytes as the line description source, with
// the built-in train service beside it. One run's memory serves every input:
// a route of 100 km has a plan and a line file of megabytes, and faulting
// them in afresh for every input would cost more than the run itself. All
// else the run made is freed before the next input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "tests/support/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scenario::testing_support;
  static InMemoryRun run;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  CompileInMemory(text, BuiltInTrainSource(), 1, &run);
  scenario::fuzzing::RequireNoProblem(CheckInMemoryRun(run, text, BuiltInTrainSource()));
  ClearRun(&run);
  return 0;
}
