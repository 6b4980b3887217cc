// What the server keeps with ten scenarios open, against what their
// compiled files weigh: the heap in use as the C library counts it (glibc's
// mallinfo2), before the files are opened and once they are checked.
#include <malloc.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/authoring/author_compile.h"
#include "tools/lsp/scenario_server.h"

namespace scenario::lsp {
namespace {

size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

TEST(ServerMemory, TenScenariosOpenHoldLessThanOneAndAHalfTimesTheirCompiledFiles) {
  constexpr int kScenarios = 10;
  MemoryFileSystem files;
  std::vector<std::string> trains;
  for (int k = 0; k < kScenarios; ++k) {
    const std::string name = "/s/Linea" + std::to_string(k);
    files.files[name + "_linea.txt"] = testing_support::BuiltInLineText();
    trains.push_back(name + "_42-.txt");
  }
  // What one scenario's three compiled files weigh.
  MemoryFileSystem compiled = files;
  compiled.files[trains[0]] = testing_support::BuiltInTrainText();
  tool::CompileRequest request;
  request.line_file = "/s/Linea0_linea.txt";
  request.train_file = trains[0];
  request.output_directory = "/out";
  const tool::CompileReport report = tool::RunCompile(request, compiled);
  ASSERT_EQ(report.files_written.size(), 3u);
  size_t compiled_size = 0;
  for (const std::string& path : report.files_written) compiled_size += compiled.files.at(path).size();

  const std::string text = testing_support::BuiltInTrainText();
  ScenarioServer server(files);
  const size_t before = HeapInUse();
  for (const std::string& train : trains) server.Open(train, text, 1);
  const auto shown = server.CheckPending();
  ASSERT_EQ(server.compiles(), kScenarios);
  for (const auto& [path, diagnostics] : shown) EXPECT_TRUE(diagnostics.diagnostics.empty()) << path;
  const size_t after = HeapInUse();
  if (before == 0 && after == 0) GTEST_SKIP() << "the allocator counts nothing here (a sanitizer's)";
  const size_t held = after > before ? after - before : 0;
  RecordProperty("held_bytes", std::to_string(held));
  RecordProperty("compiled_bytes", std::to_string(kScenarios * compiled_size));
  EXPECT_LE(static_cast<double>(held), 1.5 * kScenarios * compiled_size)
      << held << " bytes held for " << kScenarios << " scenarios of " << compiled_size << " compiled bytes each";
  std::printf("held %zu bytes for %d scenarios, %zu compiled bytes each (%.3f of their compiled size)\n", held,
              kScenarios, compiled_size, static_cast<double>(held) / (kScenarios * compiled_size));
}

}  // namespace
}  // namespace scenario::lsp
