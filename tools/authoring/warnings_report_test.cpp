// The reading's warnings as compile and check report them: gcc's layout on
// standard error, before the error; a "warnings" list in JSON; turned off or
// made fatal on request. check compiles in memory and writes nothing.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <string>

#include <nlohmann/json.hpp>

#include "tests/support/temp_dir.h"
#include "tests/support/built_in_sources.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using testing_support::ReplaceLine;
using testing_support::RunTool;

const std::string kMisspelt =
    "stazone,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO";

// Every file under `root` with its bytes.
std::map<std::string, std::string> Snapshot(const fs::path& root) {
  std::map<std::string, std::string> files;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    const std::string name = fs::relative(entry.path(), root).string();
    files[name] = entry.is_regular_file() ? ReadWholeFile(entry.path()) : "<directory>";
  }
  return files;
}

class WarningsReportTest : public ::testing::Test {
 protected:
  fs::path line() const { return sources.line(); }
  fs::path train() const { return sources.train(); }
  testing_support::ToolRun Run(const std::string& command, const std::vector<std::string>& extra = {}) {
    return command == "compile" ? sources.Compile(extra) : sources.Check(extra);
  }
  std::string Warning13() const {
    return train().string() +
           ":13:1: warning: 'stazone' is no keyword of the train service; it is skipped, and so are the values "
           "after it (did you mean 'stazione'?)\n";
  }

  testing_support::BuiltInSources sources;
};

TEST_F(WarningsReportTest, CompileAndCheckTellAMisspeltKeywordAsACompilerDoes) {
  ReplaceLine(train(), 13, kMisspelt);
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun run = Run(command);
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.err, Warning13());
    EXPECT_EQ(Run(command, {"--werror"}).status, 1);
    const testing_support::ToolRun quiet = Run(command, {"--no-warnings"});
    EXPECT_EQ(quiet.status, 0);
    EXPECT_EQ(quiet.err, "");
    EXPECT_EQ(Run(command, {"--no-warnings", "--werror"}).status, 0);
  }
}

TEST_F(WarningsReportTest, WarningsComeBeforeTheError) {
  ReplaceLine(train(), 13, kMisspelt);
  // Station 3 off the 50 m grid: error 8.
  ReplaceLine(train(), 14, "stazione,   14351, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,28, 0, CAMPOSTRELLA");
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun run = Run(command, {"--werror"});
    EXPECT_EQ(run.status, 1);
    ASSERT_EQ(run.err.rfind(Warning13(), 0), 0u) << run.err;
    EXPECT_EQ(run.err.substr(Warning13().size()).rfind(train().string() + ":14:1: error 8 at 14351 m", 0), 0u)
        << run.err;
  }
}

TEST_F(WarningsReportTest, JsonListsTheWarningsWithTheirPlaceAndKind) {
  ReplaceLine(train(), 13, kMisspelt);
  ReplaceLine(line(), 41, "cartello_indicatore,  6050,   (P.L.      )(Km. 90,950)");
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun run = Run(command, {"--json"});
    EXPECT_EQ(run.status, 0);
    const nlohmann::json report = nlohmann::json::parse(run.out);
    ASSERT_EQ(report["warnings"].size(), 2u) << run.out;
    const nlohmann::json& caption = report["warnings"][0];
    EXPECT_EQ(caption["file"], line().string());
    EXPECT_EQ(caption["line"], 41);
    EXPECT_EQ(caption["column"], 31);
    EXPECT_EQ(caption["kind"], "text-cut");
    const nlohmann::json& keyword = report["warnings"][1];
    EXPECT_EQ(keyword["file"], train().string());
    EXPECT_EQ(keyword["line"], 13);
    EXPECT_EQ(keyword["column"], 1);
    EXPECT_EQ(keyword["kind"], "unknown-keyword");
    EXPECT_NE(keyword["message"].get<std::string>().find("did you mean 'stazione'?"), std::string::npos);
    // Each fix as data, to apply without reading the message.
    EXPECT_EQ(keyword["fix"], nlohmann::json::parse(R"({"title": "Write 'stazione'", "file": )" +
                                                    nlohmann::json(train().string()).dump() +
                                                    R"(, "line": 13, "column": 1, "reach": "field",
                                                        "replacement": "stazione"})"));
    EXPECT_EQ(caption["fix"], nlohmann::json::parse(R"({"title": "Put the text in double quotes", "file": )" +
                                                    nlohmann::json(line().string()).dump() +
                                                    R"(, "line": 41, "column": 31, "reach": "line_end",
                                                        "replacement": "\"(P.L.      )(Km. 90,950)\""})"));
    EXPECT_TRUE(report["fix"].is_null());
    EXPECT_TRUE(Run(command, {"--json", "--no-warnings"}).out.find("\"warnings\": []") != std::string::npos);
  }
}

TEST_F(WarningsReportTest, JsonCarriesTheFixOfTheCause) {
  // 1300 km/h is 260 fifths, which pass a byte: error 25 at the speed.
  ReplaceLine(train(), 10, "velocita,      50,   1300");
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun run = Run(command, {"--json"});
    EXPECT_EQ(run.status, 1);
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["codice_errore"], 25);
    EXPECT_EQ(report["line"], 10);
    EXPECT_EQ(report["column"], 22);
    EXPECT_EQ(report["fix"], nlohmann::json::parse(R"({"title": "Write 1275 km/h, the nearest speed that fits",
                                                        "file": )" + nlohmann::json(train().string()).dump() +
                                                   R"(, "line": 10, "column": 22, "reach": "field",
                                                        "replacement": "1275"})"));
  }
}

// A text of the sources quoted in a warning is shown as the Windows-1252
// characters it holds, on the terminal and in JSON alike.
TEST_F(WarningsReportTest, AQuotedTextIsShownAsItsCharacters) {
  ReplaceLine(train(), 13, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, CITT\xC0, NORD \x80");
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun run = Run(command);
    EXPECT_EQ(run.status, 0);
    EXPECT_NE(run.err.find("warning: the station name 'CITT\xC3\x80' ends at a comma; the rest of the line, from "
                           "'NORD \xE2\x82\xAC', is read"),
              std::string::npos)
        << run.err;
    const nlohmann::json report = nlohmann::json::parse(Run(command, {"--json"}).out);
    ASSERT_EQ(report["warnings"].size(), 1u);
    EXPECT_NE(report["warnings"][0]["message"].get<std::string>().find("'CITT\xC3\x80'"), std::string::npos)
        << report["warnings"][0]["message"];
  }
}

// So is a value the cause of error 25 quotes.
TEST_F(WarningsReportTest, AValueTheErrorQuotesIsShownAsItsCharacters) {
  ReplaceLine(train(), 4, "sabbia,    3\xC0" "0");
  for (const std::string command : {"compile", "check"}) {
    SCOPED_TRACE(command);
    const testing_support::ToolRun run = Run(command);
    EXPECT_EQ(run.status, 1);
    EXPECT_NE(run.err.find(":4:12: error 25: '3\xC3\x80" "0' is not a number"), std::string::npos) << run.err;
    const nlohmann::json report = nlohmann::json::parse(Run(command, {"--json"}).out);
    EXPECT_EQ(report["cause"].get<std::string>().rfind("'3\xC3\x80" "0' is not a number", 0), 0u) << report["cause"];
  }
}

TEST_F(WarningsReportTest, AWarningAboutAWholeFileHasNoLine) {
  testing_support::WriteLines(train(), {"[fine]"});
  const testing_support::ToolRun run = Run("check");
  EXPECT_EQ(run.status, 0);
  EXPECT_EQ(run.err.rfind(train().string() + ": warning: the train service has no [generale] line", 0), 0u)
      << run.err;
  const nlohmann::json report = nlohmann::json::parse(Run("check", {"--json"}).out);
  EXPECT_TRUE(report["warnings"][0]["line"].is_null());
}

TEST_F(WarningsReportTest, CheckWritesNothingAnywhere) {
  ReplaceLine(train(), 13, kMisspelt);
  // The compile's own names in the working directory and beside the sources:
  // check neither reads nor replaces nor deletes them.
  const fs::path work = sources.root() / "work";
  fs::create_directories(work);
  const fs::path before_cwd = fs::current_path();
  fs::current_path(work);
  const std::map<std::string, std::string> before = Snapshot(sources.root());
  const testing_support::ToolRun run = RunTool({"check", line().string(), train().string()});
  const std::map<std::string, std::string> after = Snapshot(sources.root());
  fs::current_path(before_cwd);
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.out, "");
  EXPECT_EQ(after, before);
}

}  // namespace
}  // namespace scenario::tool
