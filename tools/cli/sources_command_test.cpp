// scenario-tool sources: the compactor's own built-in sources and forms,
// and never an edited source lost.
#include <gtest/gtest.h>

#include "sources/line_description.h"
#include "sources/printed_forms.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"
#include "tests/support/temp_dir.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;
using testing_support::RunTool;

std::string Bytes(const std::vector<std::string>& lines) { return TextFileBytes(WithEndMarker(lines)); }

TEST(Sources, WritesTheBuiltInSourcesAndFormsIntoANewDirectory) {
  TempDir dir;
  const fs::path target = dir.path() / "new" / "scenario";
  const testing_support::ToolRun run = RunTool({"sources", target.string()});
  ASSERT_EQ(run.status, 0) << run.err;
  const std::pair<const char*, std::string> files[] = {
      {"Calvisio -Sambreta_linea.txt", Bytes(BuiltInLineDescription())},
      {"Calvisio -Sambreta_31613-.txt", Bytes(BuiltInTrainService())},
      {"Calvisio -Sambreta_31613_note.txt", ""},
      {"Calvisio -Sambreta_31613_rallentamenti.txt", Bytes(BuiltInSlowdownOrder())},
      {"Calvisio -Sambreta_31613_scheda_treno.txt", Bytes(BuiltInTrainCard())},
  };
  for (const auto& [name, bytes] : files) {
    SCOPED_TRACE(name);
    EXPECT_EQ(ReadWholeFile(target / name), bytes);
    EXPECT_NE(run.out.find("wrote " + (target / name).string() + "\n"), std::string::npos);
  }
  EXPECT_EQ(ReadWholeFile(target / "Calvisio -Sambreta_31613_scheda_treno.txt").size(), 3733u);
}

TEST(Sources, AnEditedSourceIsKeptUnlessReplacingIsAskedFor) {
  TempDir dir;
  ASSERT_EQ(RunTool({"sources", dir.path().string()}).status, 0);
  const fs::path line = dir.path() / "Calvisio -Sambreta_linea.txt";
  scenario::testing_support::WriteWholeFile(line, "my edited line\r\n");

  const testing_support::ToolRun refused = RunTool({"sources", dir.path().string()});
  EXPECT_EQ(refused.status, 1);
  EXPECT_NE(refused.err.find(line.string()), std::string::npos) << refused.err;
  EXPECT_NE(refused.err.find("--force"), std::string::npos);
  EXPECT_EQ(ReadWholeFile(line), "my edited line\r\n");

  const testing_support::ToolRun forced = RunTool({"sources", dir.path().string(), "--force"});
  EXPECT_EQ(forced.status, 0);
  EXPECT_EQ(ReadWholeFile(line), Bytes(BuiltInLineDescription()));
}

}  // namespace
}  // namespace scenario::tool
