// The rooms of the tree hold: every #include points down, to a room the
// architecture page connects, each room's main header opens with its
// sentence, and the build links exactly the rooms the page lets each use.
#include "tests/support/include_layers.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"

namespace scenario::testing_support {
namespace {

namespace fs = std::filesystem;

std::string Listed(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += "  " + line + "\n";
  return text;
}

TEST(IncludeLayers, TheTreeKeepsToTheRoomsOfTheArchitecturePage) {
#ifdef _WIN32
  GTEST_SKIP() << "the tree is the same on every system; it is checked by the Linux build";
#endif
  const fs::path root(SCENARIO_SOURCE_DIR);
  std::vector<std::string> problems;
  const std::vector<RoomRule> rooms = ReadRoomsTable(ReadWholeFile(root / "docs/architecture.md"), &problems);
  ASSERT_GE(rooms.size(), 10u) << "the table of rooms of docs/architecture.md was not found";
  EXPECT_TRUE(problems.empty()) << Listed(problems);
  const std::vector<std::string> violations = IncludeViolations(root, rooms);
  EXPECT_TRUE(violations.empty()) << Listed(violations);
  const std::vector<std::string> headers = MainHeaderProblems(root, rooms);
  EXPECT_TRUE(headers.empty()) << Listed(headers);
  const std::vector<std::string> build = BuildRoomsProblems(ReadWholeFile(SCENARIO_ROOMS_FILE), rooms);
  EXPECT_TRUE(build.empty()) << Listed(build);
}

// A tree of three rooms: low, high above it, and side beside high that
// nothing connects to high.
constexpr const char* kArchitecture =
    "# Architecture\n"
    "## Rooms\n"
    "| Room | Layer | Main header | Holds | May use |\n"
    "|---|---|---|---|---|\n"
    "| `high` | 2 | `high/high.h` | The top. | `low` |\n"
    "| `side` | 2 | `side/side.h` | Beside the top. | `low` |\n"
    "| `low` | 1 | `low/low.h` | The bottom. | |\n"
    "## Other\n"
    "| `not` | 9 | `not/a.h` | Not a room: another section. | |\n";

class IncludeLayersFixture : public ::testing::Test {
 protected:
  void Write(const std::string& name, const std::string& text) {
    const fs::path path = tree_.path() / name;
    fs::create_directories(path.parent_path());
    WriteWholeFile(path, text);
  }
  std::vector<std::string> Violations() {
    std::vector<std::string> problems;
    const std::vector<RoomRule> rooms = ReadRoomsTable(kArchitecture, &problems);
    EXPECT_TRUE(problems.empty()) << Listed(problems);
    return IncludeViolations(tree_.path(), rooms);
  }
  TempDir tree_;
};

TEST_F(IncludeLayersFixture, IncludesThatKeepToTheRulesPass) {
  Write("low/low.h", "// The bottom.\n#pragma once\n#include <string>\n");
  Write("high/high.h", "// The top.\n#pragma once\n#include \"low/low.h\"\n#include \"high.h\"\n");
  Write("high/high_test.cpp", "#include \"high/high.h\"\n#include \"tests/support/helper.h\"\n");
  Write("tests/support/helper.h", "#include \"high/high.h\"\n#include \"side/side.h\"\n");
  Write("build/default/generated.h", "#include \"nowhere/at_all.h\"\n");
  EXPECT_TRUE(Violations().empty()) << Listed(Violations());
}

TEST_F(IncludeLayersFixture, EachWrongIncludeIsNamedWithItsFileLineAndRule) {
  Write("low/low.cpp", "#include \"low/low.h\"\n\n#include \"high/high.h\"\n");
  Write("high/high.cpp", "// the top\n#include \"side/side.h\"\n");
  Write("side/side.cpp", "#include \"tests/support/helper.h\"\n#include \"gone/gone.h\"\n");
  Write("stray/stray.cpp", "int x;\n");
  const std::vector<std::string> expected = {
      "high/high.cpp:2: includes \"side/side.h\": the room high (layer 2) may not use side (layer 2): an include "
      "may not point to the same or a higher layer",
      "low/low.cpp:3: includes \"high/high.h\": the room low (layer 1) may not use high (layer 2): an include may "
      "not point to the same or a higher layer",
      "side/side.cpp:1: includes \"tests/support/helper.h\": tests/support stands above every room; only tests and "
      "benchmarks may use it",
      "side/side.cpp:2: includes \"gone/gone.h\": 'gone' is no room of docs/architecture.md",
      "stray/stray.cpp: the folder 'stray' is no room: add it to the table of docs/architecture.md, or move the "
      "file into a room",
  };
  EXPECT_EQ(Violations(), expected);
}

TEST_F(IncludeLayersFixture, ALowerRoomTheTableDoesNotConnectIsNamedSo) {
  const std::string architecture =
      "## Rooms\n"
      "| `high` | 3 | `high/high.h` | The top. | `middle` |\n"
      "| `middle` | 2 | `middle/middle.h` | The middle. | |\n"
      "| `low` | 1 | `low/low.h` | The bottom. | |\n";
  Write("high/high.cpp", "#include \"low/low.h\"\n");
  std::vector<std::string> problems;
  const std::vector<std::string> violations = IncludeViolations(tree_.path(), ReadRoomsTable(architecture, &problems));
  ASSERT_EQ(violations.size(), 1u) << Listed(violations);
  EXPECT_EQ(violations[0],
            "high/high.cpp:1: includes \"low/low.h\": the room high (layer 3) may not use low (layer 1): "
            "docs/architecture.md does not connect them (add the room to the 'May use' of high there and in its "
            "scenario_room, if it belongs there)");
}

TEST(IncludeLayers, ATableThatLetsARoomUseUpwardOrAnUnknownRoomIsRefused) {
  std::vector<std::string> problems;
  ReadRoomsTable(
      "## Rooms\n"
      "| `a` | 1 | `a/a.h` | A. | `b` |\n"
      "| `b` | 2 | `b/b.h` | B. | `c` |\n",
      &problems);
  const std::vector<std::string> expected = {
      "docs/architecture.md: the room a (layer 1) may use b (layer 2): a room may use only rooms of a lower layer",
      "docs/architecture.md: the room b may use 'c', which is no room of the table",
  };
  EXPECT_EQ(problems, expected);
}

TEST_F(IncludeLayersFixture, AMainHeaderMustOpenWithItsRoomsSentence) {
  Write("low/low.h", "// The bottom.\n//\n// More about it.\n#pragma once\n");
  Write("high/high.h", "// The top of\n// everything.\n#pragma once\n");
  std::vector<std::string> problems;
  const std::vector<RoomRule> rooms = ReadRoomsTable(kArchitecture, &problems);
  const std::vector<std::string> expected = {
      "high/high.h:1: the main header of high opens with 'The top of everything.', not with the sentence of "
      "docs/architecture.md: 'The top.'",
      "side/side.h: the main header of side is missing",
  };
  EXPECT_EQ(MainHeaderProblems(tree_.path(), rooms), expected);
}

TEST(IncludeLayers, TheBuildMustLinkWhatTheTableLetsEachRoomUse) {
  std::vector<std::string> problems;
  const std::vector<RoomRule> rooms = ReadRoomsTable(kArchitecture, &problems);
  EXPECT_TRUE(BuildRoomsProblems("low: \nhigh: low\nside: low\n", rooms).empty());
  const std::vector<std::string> expected = {
      "the build links side into high, which docs/architecture.md does not let it use",
      "docs/architecture.md lets side use low, but its scenario_room does not link it",
      "the build declares no room low (scenario_room ... DIR low)",
      "the build declares the room extra, which docs/architecture.md does not list",
  };
  EXPECT_EQ(BuildRoomsProblems("high: low side\nside:\nextra: low\n", rooms), expected);
}

}  // namespace
}  // namespace scenario::testing_support
