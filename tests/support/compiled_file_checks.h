// What must hold for any bytes that scenario-tool is given as compiled files
// (cut, mixed up or edited by hand): dump, plot, view and decompile end
// normally or refuse the files with a message, and what they accept they
// read whole. Shared by the fuzz target of the compiled-file readers and the
// test that replays its kept inputs.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace scenario::testing_support {

// An input stands for the files of one compiled scenario, back to back,
// parted by kNextCompiledFile: the station file, then the cell file, then
// the compiled line file. An input without a part is a station file alone,
// one with one part has no line file; what follows a third part belongs to
// the line file.
inline constexpr std::string_view kNextCompiledFile = "\n<next compiled file>\n";

struct CompiledFileBytes {
  std::string station;
  std::optional<std::string> cell;
  std::optional<std::string> line;
};

CompiledFileBytes SplitCompiledFiles(std::string_view input);
std::string JoinCompiledFiles(const CompiledFileBytes& files);

// How far the checks go. Commands: dump (as a table and as JSON), plot, view
// and decompile, each run whole on the files in memory. Readers: what those
// commands read off the files and work out from them before they print it:
// the decoding and checks of each file, the roles of the records, the
// sources' values of every record and cell, the route's features, the
// origins of the code changes, the curves and the plan as the page holds
// it, and the sources decompile reads off them (without the compile that
// checks them, which the fuzzers of the sources cover). What the commands
// draw and print from these is left to the Commands depth. The fuzzer
// checks the readers, a thousand inputs a second and more; the test that
// replays its inputs runs the commands as well.
enum class CheckDepth { Readers, Commands };

// The first property that fails for `input`; empty when none.
std::string CheckCompiledFiles(std::string_view input, CheckDepth depth);

}  // namespace scenario::testing_support
