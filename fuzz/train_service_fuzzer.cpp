// The whole compile run on the built-in line description with any bytes as
// the train service source. The plan of the track is the line's alone, and
// the train service has no say in it: the run is made without it, as
// "scenario-tool compile --no-line" makes it. The line is the same for every
// input: its half of the run is read once, and each input's run goes on
// from the model it left (the tests hold such a run to the whole run).
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "tests/support/fuzz_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  using namespace scenario::testing_support;
  // The memory of both runs the check makes serves every input.
  static InMemoryRun run;
  static InMemoryRun heard;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  scenario::fuzzing::RequireNoProblem(CheckTrainServiceRun(text, 0, &run, &heard));
  return 0;
}
