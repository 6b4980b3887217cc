// Windows ignores the case of file names: so does the pairing of the two
// sources in the editor.
#include <gtest/gtest.h>

#include "platform/files/memory_file_system.h"
#include "tools/lsp/scenario_server.h"
#include "tests/support/lsp_source_texts.h"

namespace scenario::lsp {
namespace {

using testing_support::BuiltInLineText;
using testing_support::BuiltInTrainText;

bool SaysPairing(const FileDiagnostics& shown) {
  for (const SourceDiagnostic& diagnostic : shown.diagnostics) {
    const std::string* code = std::get_if<std::string>(&diagnostic.code);
    if (code && *code == "pairing") return true;
  }
  return false;
}

TEST(SourcePairs, NamesInEitherCaseFindEachOther) {
  // Both open, each in a case of its own.
  MemoryFileSystem files;
  ScenarioServer server(files);
  server.Open("C:/s/VALLE_LINEA.TXT", BuiltInLineText(), 1);
  server.Open("C:/s/valle_42-.txt", BuiltInTrainText(), 1);
  std::map<std::string, FileDiagnostics> shown = server.CheckPending();
  ASSERT_EQ(shown.count("C:/s/valle_42-.txt"), 1u);
  EXPECT_FALSE(SaysPairing(shown["C:/s/valle_42-.txt"]));
  EXPECT_FALSE(SaysPairing(shown["C:/s/VALLE_LINEA.TXT"]));

  // The line description open alone finds its train service on disk.
  MemoryFileSystem disk;
  disk.files["C:/t/Valle_42-.TXT"] = BuiltInTrainText();
  ScenarioServer alone(disk);
  alone.Open("C:/t/VALLE_linea.txt", BuiltInLineText(), 1);
  shown = alone.CheckPending();
  EXPECT_FALSE(SaysPairing(shown["C:/t/VALLE_linea.txt"]));
}

}  // namespace
}  // namespace scenario::lsp
