// scenario-tool studio: the page written as built in, an existing file
// refused without --force, and a build without the page saying how to get it.
#include "tools/cli/studio_command.h"

#include <gtest/gtest.h>

#include <sstream>
#include <stdexcept>

#include "platform/files/memory_file_system.h"
#include "tests/support/tool_run.h"
#include "tools/cli/studio_page.h"
#include "tools/common/refusal.h"

namespace scenario::tool {
namespace {

using testing_support::RunTool;
using testing_support::ToolRun;

constexpr std::string_view kPage = "<!DOCTYPE html><title>studio</title>\xe0";

TEST(StudioCommand, WritesThePageAndRefusesToReplaceAFileWithoutForce) {
  MemoryFileSystem files;
  std::ostringstream out;
  EXPECT_EQ(WriteStudio({"studio.html", false}, kPage, files, out), 0);
  EXPECT_EQ(files.files.at("studio.html"), kPage);
  EXPECT_EQ(out.str(), "wrote studio.html\n");

  files.files["studio.html"] = "the author's own";
  try {
    WriteStudio({"studio.html", false}, kPage, files, out);
    ADD_FAILURE() << "an existing file was replaced without --force";
  } catch (const Refusal& refusal) {
    const std::string message = refusal.what();
    EXPECT_NE(message.find("studio.html"), std::string::npos) << message;
    EXPECT_NE(message.find("--force"), std::string::npos) << message;
  }
  EXPECT_EQ(files.files.at("studio.html"), "the author's own");
  EXPECT_EQ(WriteStudio({"studio.html", true}, kPage, files, out), 0);
  EXPECT_EQ(files.files.at("studio.html"), kPage);
}

TEST(StudioCommand, AProgramBuiltWithoutThePageSaysHowToGetOne) {
  MemoryFileSystem files;
  std::ostringstream out;
  try {
    WriteStudio({"studio.html", false}, {}, files, out);
    ADD_FAILURE() << "nothing refused";
  } catch (const std::invalid_argument& refusal) {
    const std::string message = refusal.what();
    for (const char* phrase : {"built without the studio's page", "cmake --preset web", "SCENARIO_STUDIO_PAGE"})
      EXPECT_NE(message.find(phrase), std::string::npos) << phrase << " not in: " << message;
  }
  EXPECT_TRUE(files.files.empty());
}

// The subcommand as this build has it: the page built in, or the message.
TEST(StudioCommand, TheSubcommandWritesThePageThisBuildHolds) {
  MemoryFileSystem files;
  const ToolRun run = RunTool({"studio", "-o", "page.html"}, files);
  if (StudioPage().empty()) {
    EXPECT_EQ(run.status, 64);
    EXPECT_NE(run.err.find("SCENARIO_STUDIO_PAGE"), std::string::npos) << run.err;
    EXPECT_TRUE(files.files.empty());
  } else {
    EXPECT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(files.files.at("page.html") == StudioPage());
    EXPECT_NE(StudioPage().find("Content-Security-Policy"), std::string_view::npos);
    EXPECT_EQ(RunTool({"studio", "-o", "page.html"}, files).status, 1);
  }
  EXPECT_EQ(RunTool({"studio"}, files).status, 64);  // no -o
}

}  // namespace
}  // namespace scenario::tool
