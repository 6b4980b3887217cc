// What must hold for any bytes that reach the language server: the reader
// consumes them frame by frame, the server answers every frame without
// throwing, and every message it sends is JSON. Shared by the fuzz target
// and the test that replays its kept inputs.
#pragma once

#include <string>
#include <string_view>

namespace scenario::testing_support {

// The first property that fails for the input `bytes`; empty when none.
std::string CheckMessageStream(std::string_view bytes);

}  // namespace scenario::testing_support
