// The editor pairs the two sources as compile does: by the same names,
// folded in the same way where the file system ignores case.
#include <gtest/gtest.h>

#include "platform/files/memory_file_system.h"
#include "tools/lsp/scenario_server.h"
#include "tests/support/lsp_source_texts.h"

namespace scenario::lsp {
namespace {

using testing_support::BuiltInLineText;
using testing_support::BuiltInTrainText;

// The diagnostics shown for `path` with `code`.
size_t CountWithCode(const std::map<std::string, FileDiagnostics>& shown, const std::string& path,
                     const std::string& code) {
  const auto found = shown.find(path);
  if (found == shown.end()) return 0;
  size_t count = 0;
  for (const SourceDiagnostic& diagnostic : found->second.diagnostics) {
    const std::string* kind = std::get_if<std::string>(&diagnostic.code);
    if (kind && *kind == code) ++count;
  }
  return count;
}

TEST(SourcePairs, TheEditorPairsAsCompileDoes) {
  struct Case {
    const char* what;
    std::string line_path;
    std::string train_path;
    bool ignore_case;
    bool paired;
  };
  const Case cases[] = {
      // "CITTÀ" and "città" in Windows-1252, the system's bytes on Windows.
      {"accented, case ignored", "/s/CITT\xC0_linea.txt", "/s/citt\xE0_42-.txt", true, true},
      {"accented, case kept", "/s/CITT\xC0_linea.txt", "/s/citt\xE0_42-.txt", false, false},
      {"ASCII, case ignored", "/s/VALLE_linea.txt", "/s/valle_42-.txt", true, true},
      {"ASCII, case kept", "/s/VALLE_linea.txt", "/s/valle_42-.txt", false, false},
      // A train number with an underscore pairs with the line whose name
      // begins the train service's.
      {"number with an underscore", "/s/Valle_linea.txt", "/s/Valle_4_2-.txt", false, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Each source open with the other on disk, then both open.
    for (int open : {0, 1, 2}) {
      MemoryFileSystem files;
      if (open == 0) files.files[c.train_path] = BuiltInTrainText();
      if (open == 1) files.files[c.line_path] = BuiltInLineText();
      ScenarioServer server(files, c.ignore_case);
      if (open != 1) server.Open(c.line_path, BuiltInLineText(), 1);
      if (open != 0) server.Open(c.train_path, BuiltInTrainText(), 1);
      const std::map<std::string, FileDiagnostics> shown = server.CheckPending();
      for (const std::string& path : {c.line_path, c.train_path}) {
        if ((open == 0 && path == c.train_path) || (open == 1 && path == c.line_path)) continue;
        SCOPED_TRACE(path);
        EXPECT_EQ(CountWithCode(shown, path, "pairing") == 0, c.paired);
        // The compile of the pair takes the same names: nothing refused.
        EXPECT_EQ(CountWithCode(shown, path, "refused"), 0u);
      }
    }
  }
}

// Closing a train service checks again the open train services that pair
// with its line description as compile pairs them, whatever '_' their
// numbers hold, and no other.
TEST(SourcePairs, ClosingATrainServiceChecksTheOthersOfItsLineAgain) {
  struct Case {
    const char* what;
    std::string line_path;  // on disk
    std::string closed_path;
    std::string other_path;
    bool ignore_case;
    bool checked_again;
  };
  const Case cases[] = {
      {"a number with an underscore", "/s/Valle_linea.txt", "/s/Valle_4_2-.txt", "/s/Valle_7-.txt", false, true},
      {"the other's number with an underscore", "/s/Valle_linea.txt", "/s/Valle_7-.txt", "/s/Valle_4_2-.txt", false,
       true},
      // "CITTÀ", "città" and "Città" in Windows-1252.
      {"accented, case ignored", "/s/CITT\xC0_linea.txt", "/s/citt\xE0_4_2-.txt", "/s/Citt\xE0_7-.txt", true, true},
      {"accented, case kept", "/s/CITT\xC0_linea.txt", "/s/citt\xE0_4_2-.txt", "/s/Citt\xE0_7-.txt", false, false},
      {"another line", "/s/Valle_linea.txt", "/s/Valle_4_2-.txt", "/s/Monte_7-.txt", false, false},
      {"another directory", "/s/Valle_linea.txt", "/s/Valle_4_2-.txt", "/t/Valle_7-.txt", false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    MemoryFileSystem files;
    files.files[c.line_path] = BuiltInLineText();
    ScenarioServer server(files, c.ignore_case);
    server.Open(c.closed_path, BuiltInTrainText(), 1);
    server.Open(c.other_path, BuiltInTrainText(), 1);
    server.CheckPending();
    ASSERT_FALSE(server.HasPendingChecks());
    const int compiles = server.compiles();
    server.Close(c.closed_path);
    EXPECT_EQ(server.HasPendingChecks(), c.checked_again);
    const std::map<std::string, FileDiagnostics> shown = server.CheckPending();
    EXPECT_EQ(shown.count(c.other_path) == 1, c.checked_again);
    EXPECT_EQ(server.compiles() - compiles, c.checked_again ? 1 : 0);
    // The closed file's diagnostics are cleared.
    ASSERT_EQ(shown.count(c.closed_path), 1u);
    EXPECT_TRUE(shown.at(c.closed_path).diagnostics.empty());
  }
}

}  // namespace
}  // namespace scenario::lsp
