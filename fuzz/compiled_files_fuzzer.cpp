// The readers of compiled files: any bytes as the station, cell and line
// files of a scenario (parted as tests/support/compiled_file_checks.h tells),
// through what dump, plot, view and decompile read off them.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "tests/support/compiled_file_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  using scenario::testing_support::CheckDepth;
  scenario::fuzzing::RequireNoProblem(scenario::testing_support::CheckCompiledFiles(bytes, CheckDepth::Readers));
  return 0;
}
