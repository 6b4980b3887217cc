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

}  // namespace
}  // namespace scenario::lsp
