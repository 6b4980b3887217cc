// The language server's message reader and the server behind it: any bytes
// as what an editor sends on standard input.
#include <cstddef>
#include <cstdint>
#include <string_view>

#include "fuzz/fuzz_target.h"
#include "tests/support/lsp_message_checks.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  scenario::fuzzing::RequireNoProblem(scenario::testing_support::CheckMessageStream(bytes));
  return 0;
}
