// scenario-tool compile: the same compiled files as the compactor's own run,
// the given sources untouched, and the error slot told as a compiler tells
// it.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <optional>
#include <set>

#include <nlohmann/json.hpp>

#include "platform/files/directory_lock.h"
#include "tests/support/fake_file_system.h"
#include "platform/system/program_directory.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/built_in_sources.h"
#include "tests/support/tool_run.h"
#include "tools/authoring/error_messages.h"

namespace scenario::tool {
namespace {

using testing_support::FakeFileSystem;
using testing_support::ReasonOf;
namespace fs = std::filesystem;
using scenario::testing_support::ReadWholeFile;
using scenario::testing_support::TempDir;
using testing_support::ReplaceLine;
using testing_support::RunTool;

const std::string& kLine = testing_support::kBuiltInLineSource;
const std::string& kTrain = testing_support::kBuiltInTrainSource;
const std::vector<std::string> kCompiled = {"Calvisio -Sambreta_linea.dat", "Calvisio -Sambreta_31613.sim",
                                            "Calvisio -Sambreta_31613.dat"};

// A directory with the built-in sources as `sources` writes them.
class CompileTest : public ::testing::Test {
 protected:
  std::string src() const { return sources.src().string(); }
  fs::path line() const { return sources.line(); }
  fs::path train() const { return sources.train(); }
  testing_support::ToolRun Compile(const std::vector<std::string>& extra = {}) {
    sources.output = out_dir;
    return sources.Compile(extra);
  }

  testing_support::BuiltInSources sources;
  std::string out_dir = sources.output.string();
};

TEST_F(CompileTest, BuiltInSourcesGiveTheCompactorsOwnFilesAndStayUntouched) {
  // The compactor's own run, in a directory of its own.
  TempDir program_dir;
  const fs::path program = scenario::testing_support::CopyProgramInto(program_dir.path());
  ASSERT_EQ(scenario::testing_support::RunProcess({program.string()}).exit_status, 0);

  const std::string line_before = ReadWholeFile(line());
  const std::string train_before = ReadWholeFile(train());
  const testing_support::ToolRun run = Compile();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(run.err, "");

  for (const std::string& name : kCompiled) {
    SCOPED_TRACE(name);
    ASSERT_TRUE(fs::exists(fs::path(out_dir) / name));
    EXPECT_TRUE(ReadWholeFile(fs::path(out_dir) / name) == ReadWholeFile(program_dir.path() / name));
    EXPECT_NE(run.out.find("wrote " + (fs::path(out_dir) / name).string() + "\n"), std::string::npos);
  }
  // The sources are as they were; the output holds the compiled files only,
  // and the lock file of the runs in it.
  EXPECT_EQ(ReadWholeFile(line()), line_before);
  EXPECT_EQ(ReadWholeFile(train()), train_before);
  std::vector<std::string> left;
  for (const auto& entry : fs::directory_iterator(out_dir)) left.push_back(entry.path().filename().string());
  std::sort(left.begin(), left.end());
  std::vector<std::string> expected = kCompiled;
  expected.push_back(kLockFileName);
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(left, expected);
}

TEST_F(CompileTest, CompilingBesideTheSourcesKeepsThem) {
  // The sources already stand where the compile reads them: the run must
  // not delete them.
  out_dir = src();
  const std::string line_before = ReadWholeFile(line());
  const std::string train_before = ReadWholeFile(train());
  const testing_support::ToolRun run = Compile();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(line()), line_before);
  EXPECT_EQ(ReadWholeFile(train()), train_before);
  for (const std::string& name : kCompiled) EXPECT_TRUE(fs::exists(fs::path(out_dir) / name)) << name;
}

TEST_F(CompileTest, NoLineLeavesAnOldLineFileAlone) {
  fs::create_directories(out_dir);
  scenario::testing_support::WriteWholeFile(fs::path(out_dir) / kCompiled[0], "old plan");
  const testing_support::ToolRun run = Compile({"--no-line"});
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_EQ(ReadWholeFile(fs::path(out_dir) / kCompiled[0]), "old plan");
  EXPECT_EQ(run.out.find("_linea.dat"), std::string::npos);
  EXPECT_TRUE(fs::exists(fs::path(out_dir) / kCompiled[1]));
  EXPECT_TRUE(fs::exists(fs::path(out_dir) / kCompiled[2]));
}

// One fault in one source: what the report must say.
struct Fault {
  const char* what;
  std::function<void(const fs::path& line, const fs::path& train)> make;
  int32_t codice_errore;
  std::optional<int32_t> posizione_errore;  // nothing: the slot's position means nothing
  const char* file;                         // "line", "train" or "" (no file)
  int line;
  int column;
  int status;
  std::optional<int32_t> stopped_with;
};

std::vector<std::string> WithoutLines(std::vector<std::string> lines, size_t from, size_t to) {
  lines.erase(lines.begin() + static_cast<long>(from - 1), lines.begin() + static_cast<long>(to));
  return lines;
}

TEST_F(CompileTest, FaultsAreReportedWithTheirNumberPositionAndPlace) {
  const std::vector<Fault> faults = {
      {"a board takes the cell of the indicator on line 27",
       [](const fs::path& l, const fs::path&) { ReplaceLine(l, 26, "cartello_indicatore,  2850,   (X)"); },
       21, 2850, "line", 27, 19, 1, std::nullopt},
      {"a cab-signalling start that is not a multiple of 50",
       [](const fs::path& l, const fs::path&) { ReplaceLine(l, 9, "ripetizione segnali 4 codici,    2701,    95900"); },
       3, std::nullopt, "line", 9, 1, 1, std::nullopt},
      {"a chainage off the 50 m grid, found after all has been read",
       [](const fs::path& l, const fs::path&) { ReplaceLine(l, 3, "progressiva chilometrica uno,    0,    97010,    1"); },
       2, std::nullopt, "line", 0, 0, 1, std::nullopt},
      {"a letter in a mountain's end",
       [](const fs::path& l, const fs::path&) { ReplaceLine(l, 25, "montagna,   68650,  x68700,  2"); },
       25, std::nullopt, "line", 25, 21, 1, std::nullopt},
      {"a station off the 50 m grid",
       [](const fs::path&, const fs::path& t) {
         ReplaceLine(t, 13, "stazione,    7351, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO");
       },
       8, 7351, "train", 13, 1, 1, std::nullopt},
      {"a second signal on the cell of the first",
       [](const fs::path&, const fs::path& t) { ReplaceLine(t, 34, "segnale,    2350,   2, 4, 1,  0, 0,    0,  0,0,0, 0"); },
       16, 2350, "train", 34, 13, 1, std::nullopt},
      {"a station kind too large for its Byte",
       [](const fs::path&, const fs::path& t) {
         ReplaceLine(t, 12, "stazione,       0,  300,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO P.N.");
       },
       25, std::nullopt, "train", 12, 21, 1, std::nullopt},
      {"three signals fill the first window before the slowdown at 21850",
       [](const fs::path&, const fs::path& t) {
         std::vector<std::string> lines = testing_support::ReadLines(t);
         lines.insert(lines.end() - 1, {"segnale,   21500,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
                                        "segnale,   21550,   2, 4, 1,  0, 0,    0,  0,0,0, 0",
                                        "segnale,   21600,   2, 4, 1,  0, 0,    0,  0,0,0, 0"});
         testing_support::WriteLines(t, lines);
       },
       12, 438 * 50, "", 0, 0, 1, std::nullopt},
      {"a board beyond the route, and a train service without signals or slowdowns",
       [](const fs::path& l, const fs::path& t) {
         ReplaceLine(l, 54, "cartello_indicatore,  106000,   (P.L.     )(Km. 6.400)");
         testing_support::WriteLines(t, WithoutLines(testing_support::ReadLines(t), 29, 59));
       },
       15, 106000, "line", 54, 23, 1, std::nullopt},
      {"a signal at the start of the route takes the marker's place",
       // The reading fails on the signal's position, which puts its approach
       // marks before the route.
       [](const fs::path&, const fs::path& t) { ReplaceLine(t, 33, "segnale,    0,   2, 4, 1,  0, 0,    0,  0,0,0, 0"); },
       25, std::nullopt, "train", 33, 13, 2, 1250},
      {"a line description without its general section",
       [](const fs::path& l, const fs::path&) { ReplaceLine(l, 1, "[generali]"); },
       102, std::nullopt, "line", 0, 0, 2, 102},
  };
  for (const Fault& fault : faults) {
    SCOPED_TRACE(fault.what);
    const testing_support::BuiltInSources case_sources;
    const fs::path line_file = case_sources.line();
    const fs::path train_file = case_sources.train();
    fault.make(line_file, train_file);
    const std::string case_out = case_sources.output.string();

    const testing_support::ToolRun json_run =
        RunTool({"compile", line_file.string(), train_file.string(), "-o", case_out, "--json"});
    EXPECT_EQ(json_run.status, fault.status) << json_run.err;
    const nlohmann::json report = nlohmann::json::parse(json_run.out);
    EXPECT_EQ(report["codice_errore"], fault.codice_errore);
    if (fault.posizione_errore) {
      EXPECT_EQ(report["posizione_errore"], *fault.posizione_errore);
    }
    const std::string file = std::string(fault.file) == "line"    ? line_file.string()
                             : std::string(fault.file) == "train" ? train_file.string()
                                                                  : "";
    if (file.empty()) {
      EXPECT_TRUE(report["file"].is_null());
    } else {
      EXPECT_EQ(report["file"], file);
    }
    if (fault.line == 0) {
      EXPECT_TRUE(report["line"].is_null());
      EXPECT_TRUE(report["column"].is_null());
    } else {
      EXPECT_EQ(report["line"], fault.line);
      EXPECT_EQ(report["column"], fault.column);
    }
    if (fault.stopped_with) {
      EXPECT_EQ(report["stopped_with"], *fault.stopped_with);
      EXPECT_TRUE(report["files"].empty());
      EXPECT_TRUE(report["files_hold_everything_read"].is_null());
    } else {
      EXPECT_TRUE(report["stopped_with"].is_null());
      EXPECT_EQ(report["files"].size(), 3u);
      // The readers stop at their errors; 2 and the cell rules' 11 to 13
      // come after all has been read.
      const bool after_reading =
          fault.codice_errore == 2 || (fault.codice_errore >= 11 && fault.codice_errore <= 13);
      EXPECT_EQ(report["files_hold_everything_read"], after_reading);
    }

    // The plain report says the same on its first line after the warnings.
    const testing_support::ToolRun text_run = RunTool({"compile", line_file.string(), train_file.string(), "-o", case_out});
    EXPECT_EQ(text_run.status, fault.status);
    std::string expected;
    if (!file.empty()) {
      expected = file;
      if (fault.line != 0) expected += ":" + std::to_string(fault.line) + ":" + std::to_string(fault.column);
      expected += ": ";
    }
    expected += "error " + std::to_string(fault.codice_errore);
    if (fault.posizione_errore) expected += " at " + std::to_string(*fault.posizione_errore) + " m";
    // A failed reading, an item beyond the route, a cell already taken and
    // stations too close tell their cause instead of the number's text.
    const std::set<int32_t> told_numbers = {6, 7, 15, 16, 17, 18, 19, 21, 22, 25};
    const bool told = told_numbers.count(fault.codice_errore) == 1;
    EXPECT_EQ(report["cause"].is_null(), !told);
    expected += ": " + (report["cause"].is_null() ? report["message"] : report["cause"]).get<std::string>() + "\n";
    std::string after_warnings = text_run.err;
    while (after_warnings.substr(0, after_warnings.find('\n')).find(": warning: ") != std::string::npos)
      after_warnings.erase(0, after_warnings.find('\n') + 1);
    EXPECT_EQ(after_warnings.substr(0, after_warnings.find('\n') + 1), expected);
    // The files are listed before the error, and the last line says what
    // the error leaves in them: the readers stop at it; 2 and the cell
    // rules' 11 to 13 come after all has been read.
    if (!fault.stopped_with) {
      const std::string last = text_run.err.substr(text_run.err.rfind('\n', text_run.err.size() - 2) + 1);
      const bool after_reading = fault.codice_errore == 2 || (fault.codice_errore >= 11 && fault.codice_errore <= 13);
      const std::string outcome = after_reading
                                      ? "the compiled files were written, with all that was read, but what the "
                                        "error names is wrong or missing in them"
                                      : "the compiled files were written but hold only what was read before the "
                                        "error";
      EXPECT_EQ(last, "error " + std::to_string(fault.codice_errore) + ": " + outcome + "; fix it and compile again\n");
    }
    // Whatever happened, the given sources are still there.
    EXPECT_TRUE(fs::exists(line_file));
    EXPECT_TRUE(fs::exists(train_file));
  }
}

TEST_F(CompileTest, TheLineDescriptionsStopLeadsWhenTheTrainServiceStopsOnIt) {
  // The board beyond the route stops the line half with 15; the first
  // slowdown of the train service then stops it with 15 at its own place.
  // The error is told where its cause is, and the slowdown is a note.
  ReplaceLine(line(), 54, "cartello_indicatore,  106000,   (P.L.     )(Km. 6.400)");
  const testing_support::ToolRun run = Compile({"--json"});
  EXPECT_EQ(run.status, 1);
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["codice_errore"], 15);
  EXPECT_EQ(report["posizione_errore"], 21850);
  EXPECT_EQ(report["file"], line().string());
  EXPECT_EQ(report["line"], 54);
  EXPECT_EQ(report["column"], 23);
  EXPECT_EQ(report["cause"],
            "the indication board at 106000 m lies too far along: the route ends at 106000 m, the line's length "
            "('lunghezza percorso', 99000 m) plus the 7000 m run-out, and an item must stand at least 100 m before "
            "that end: place it at 105900 m or before, or lengthen the line; the reading of the line description "
            "stops here, and the train service's stops at its first signal or slowdown line; the train service "
            "then stopped at line 30, which gave the error its position, 21850 m");
  EXPECT_TRUE(report["line_description_stop"].is_null());
  ASSERT_EQ(report["notes"].size(), 1u);
  EXPECT_EQ(report["notes"][0]["file"], train().string());
  EXPECT_EQ(report["notes"][0]["line"], 30);

  const testing_support::ToolRun text = Compile();
  EXPECT_NE(text.err.find(train().string() + ":30:1: note: the train service stopped here, at its first signal or "
                          "slowdown line, because the line description had stopped with error 15; the error's "
                          "position, 21850 m, is this line's"),
            std::string::npos)
      << text.err;
}

TEST_F(CompileTest, AStopOnTheMarkersPlaceNamesTheItemThatTookIt) {
  const struct {
    const char* what;
    bool in_line;
    int line;
    const char* text;
    int column;
    int stopped_with;
    const char* says;
  } cases[] = {
      {"an indicator at the route's start", true, 27, "indicatori_vmax,  0,  95,  100,  110,  0,  ,  ,  ,  0", 19,
       1250, "the maximum-speed indicator at 0 m puts a value (1900) into route cell 1"},
      {"a code change in the first cell", false, 60, "abbattimento, 50, 180", 15, 1250,
       "the code change at 50 m puts a value (180) into route cell 1"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing_support::BuiltInSources case_sources;
    const fs::path file = c.in_line ? case_sources.line() : case_sources.train();
    if (c.in_line) {
      ReplaceLine(file, c.line, c.text);
    } else {
      std::vector<std::string> lines = testing_support::ReadLines(file);
      lines.insert(lines.begin() + c.line, c.text);
      testing_support::WriteLines(file, lines);
    }
    const testing_support::ToolRun run = case_sources.Check({"--json"});
    EXPECT_EQ(run.status, 2);
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["stopped_with"], c.stopped_with);
    EXPECT_EQ(report["message"], tool::ErrorText(c.stopped_with));
    EXPECT_EQ(report["file"], file.string());
    const int line = c.in_line ? c.line : c.line + 1;
    EXPECT_EQ(report["line"], line);
    EXPECT_EQ(report["column"], c.column);
    EXPECT_NE(report["cause"].get<std::string>().find(c.says), std::string::npos) << report["cause"];

    const testing_support::ToolRun text = case_sources.Check();
    EXPECT_NE(text.err.find(file.string() + ":" + std::to_string(line) + ":" + std::to_string(c.column) +
                            ": error " + std::to_string(c.stopped_with) + ": " + c.says),
              std::string::npos)
        << text.err;
  }
}

TEST_F(CompileTest, ACellAlreadyTakenNamesWhatHoldsItAndWhere) {
  const struct {
    const char* what;
    bool in_line;
    int line;
    const char* text;
    int32_t codice_errore;
    int error_line;
    int column;
    const char* says;
  } cases[] = {
      {"a station moved onto a signal's cell", false, 13,
       "stazione,    6050, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO", 16, 35, 13,
       "the signal at 6150 m falls in route cell 124 (the positions from 6125 to 6175 m), which already holds the "
       "stop cell of the station 'PRAGELLO' (line 13): move one of the two by 50 m or more"},
      {"a board on an indicator's cell", true, 41, "cartello_indicatore,  2850,   (P.L.      )(Km. 90.950)", 6, 41, 23,
       "which already holds the maximum-speed indicator at 2850 m (line 27)"},
      {"a signal on a board of the line description", false, 34,
       "segnale,    6050,   2, 4, 1,  0, 0,    0,  0,0,0, 0", 16, 34, 13,
       "which already holds the indication board at 6050 m (line 41 of Calvisio -Sambreta_linea.txt)"},
      {"a code change on a signal's cell", false, 60, "abbattimento, 2400, 180", 7, 60, 15,
       "the code change at 2400 m falls in route cell 48 (the positions from 2375 to 2425 m), which already holds "
       "the signal at 2350 m (line 33)"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing_support::BuiltInSources case_sources;
    const fs::path file = c.in_line ? case_sources.line() : case_sources.train();
    if (c.codice_errore == 7) {
      std::vector<std::string> lines = testing_support::ReadLines(file);
      lines.insert(lines.begin() + c.line, c.text);
      testing_support::WriteLines(file, lines);
    } else {
      ReplaceLine(file, c.line, c.text);
    }
    const nlohmann::json report = nlohmann::json::parse(case_sources.Check({"--json"}).out);
    EXPECT_EQ(report["codice_errore"], c.codice_errore);
    EXPECT_EQ(report["line"], c.codice_errore == 7 ? c.error_line + 1 : c.error_line);
    EXPECT_EQ(report["column"], c.column);
    EXPECT_NE(report["cause"].get<std::string>().find(c.says), std::string::npos) << report["cause"];
  }
}

TEST_F(CompileTest, AnItemBeyondTheRouteIsToldWithWhereTheRouteEnds) {
  struct Case {
    const char* what;
    int line_number;  // in the line description when positive, the train service when negative
    const char* text;
    const char* file;
    int line;
    int column;
    const char* says;
  };
  const Case cases[] = {
      {"a curve beyond a short line", 11, "curvas3,  105950,  50", "line", 11, 11,
       "the curve at 105950 m lies too far along: the route ends at 106000 m"},
      // Told at the length, which reads like kilometres, and not at the
      // first item beyond it.
      {"a line length in kilometres", 2, "lunghezza percorso,    99", "line", 2, 24,
       "the route length 99 m reads like kilometres, and line 13 lies beyond the route it gives: the curve at "
       "13950 m lies too far along"},
      {"an adhesion step beyond the route", -7, "aderenza,   125000,    100", "train", 7, 13,
       "the adhesion step at 125000 m lies too far along"},
      {"a station too near the end", -28, "stazione,   105500,  4,  500,  1, 0, 0,  1,1,0,  2,1,1,    1,   9,38, 0, SAMBRETA",
       "train", 28, 13, "a station must stand at least 800 m before that end: place it at 105200 m or before"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const testing_support::BuiltInSources case_sources;
    if (c.line_number > 0)
      ReplaceLine(case_sources.line(), c.line_number, c.text);
    else
      ReplaceLine(case_sources.train(), -c.line_number, c.text);
    const testing_support::ToolRun run = case_sources.Check({"--json"});
    const nlohmann::json report = nlohmann::json::parse(run.out);
    EXPECT_EQ(report["codice_errore"], 15);
    EXPECT_EQ(report["file"], std::string(c.file) == "line" ? case_sources.line().string()
                                                             : case_sources.train().string());
    EXPECT_EQ(report["line"], c.line);
    EXPECT_EQ(report["column"], c.column);
    EXPECT_NE(report["cause"].get<std::string>().find(c.says), std::string::npos) << report["cause"];
    // The lines after the stop were never read: nothing is said about what
    // they hold or lack.
    for (const nlohmann::json& warning : report["warnings"]) EXPECT_NE(warning["kind"], "empty-service") << warning;
  }
}

// A route never sized stops the reading at the first item; when the line
// that sizes it is written, out of its place, the stop is told there.
TEST_F(CompileTest, ARouteLengthOutOfItsPlaceIsWhereTheUnsizedRouteIsTold) {
  const struct {
    const char* what;
    bool in_train;
    int line;        // the line replaced by `text`, and where it then stands
    const char* text;
    int told_line;
    const char* says;
  } cases[] = {
      {"in the train service", true, 1, "[generale]\r\nlunghezza percorso,    99000", 2,
       "a 'lunghezza percorso' line stands in the train service at line 2: it belongs in the line description, after "
       "[generale]"},
      {"after a curve", false, 12, "curvad3,  2850,  550\r\nlunghezza percorso,    99000", 13,
       "'lunghezza percorso' is written at line 13, outside the general section or after items that need the route"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing_support::BuiltInSources case_sources;
    ReplaceLine(case_sources.line(), 2, "sfondo uno,    1");
    ReplaceLine(c.in_train ? case_sources.train() : case_sources.line(), c.line, c.text);
    const nlohmann::json report = nlohmann::json::parse(case_sources.Check({"--json"}).out);
    EXPECT_EQ(report["codice_errore"], 25);
    EXPECT_EQ(report["line"], c.told_line);
    EXPECT_NE(report["file"].get<std::string>().find(c.in_train ? "-.txt" : "_linea.txt"), std::string::npos)
        << report["file"];
    EXPECT_NE(report["cause"].get<std::string>().find(c.says), std::string::npos) << report["cause"];
  }
  // The train service's lines ended by CR alone: the line is found all the same.
  const testing_support::BuiltInSources cr_sources;
  ReplaceLine(cr_sources.line(), 2, "sfondo uno,    1");
  ReplaceLine(cr_sources.train(), cases[0].line, cases[0].text);
  std::string text = ReadWholeFile(cr_sources.train());
  for (size_t at = text.find("\r\n"); at != std::string::npos; at = text.find("\r\n", at + 1)) text.erase(at + 1, 1);
  testing_support::WriteWholeFile(cr_sources.train(), text);
  const nlohmann::json report = nlohmann::json::parse(cr_sources.Check({"--json"}).out);
  EXPECT_EQ(report["line"], cases[0].told_line);
  EXPECT_NE(report["cause"].get<std::string>().find(cases[0].says), std::string::npos) << report["cause"];
}

TEST_F(CompileTest, StationsTooCloseOrOutOfOrderAreToldWithTheStationBefore) {
  const struct {
    const char* what;
    int line;
    const char* text;
    const char* says;
  } cases[] = {
      {"two stations swapped", 14,
       "stazione,   3350, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,28, 0, CAMPOSTRELLA",
       "the station 'CAMPOSTRELLA' at 3350 m comes after the station 'PRAGELLO' (line 13) at 7350 m, which stands "
       "further along: stations go in order of position"},
      {"a station written before stations it stands beyond", 13,
       "stazione,   26000, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO",
       "the station 'PRAGELLO' at 26000 m stands before the station 'CAMPOSTRELLA' (line 14) at 14350 m and the "
       "station after it at 19150 m, which are both nearer the route's start"},
      {"a station too close", 13,
       "stazione,    650, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO",
       "the zone of the station 'PRAGELLO' begins at 450 m, 250 m before the zone of the station 'CALVISIO P.N.' "
       "(line 12) ends at 700 m; it must begin at least 350 m after it: move the station 'PRAGELLO' 600 m further "
       "along"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const testing_support::BuiltInSources case_sources;
    ReplaceLine(case_sources.train(), c.line, c.text);
    const nlohmann::json report = nlohmann::json::parse(case_sources.Check({"--json"}).out);
    EXPECT_EQ(report["codice_errore"], 22);
    EXPECT_EQ(report["line"], c.line);
    EXPECT_NE(report["cause"].get<std::string>().find(c.says), std::string::npos) << report["cause"];
  }
}

TEST_F(CompileTest, ACleanRunsJsonHasNoPlaceAndListsTheFiles) {
  const testing_support::ToolRun run = Compile({"--json"});
  EXPECT_EQ(run.status, 0);
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["codice_errore"], 0);
  EXPECT_TRUE(report["file"].is_null());
  EXPECT_TRUE(report["line"].is_null());
  EXPECT_TRUE(report["column"].is_null());
  EXPECT_TRUE(report["stopped_with"].is_null());
  EXPECT_EQ(report["nome_linea"], "Calvisio -Sambreta");
  EXPECT_EQ(report["numero_treno"], "31613");
  std::vector<std::string> files;
  for (const std::string& name : kCompiled) files.push_back((fs::path(out_dir) / name).string());
  EXPECT_EQ(report["files"], files);
}

TEST_F(CompileTest, JsonCarriesAnEightBitNameAsItsCharacter) {
  // "Città" as the simulator holds it: 0xE0 is "à" in Windows-1252. JSON has
  // no room for a lone 0xE0, which used to become U+FFFD and lose the name.
  const testing_support::ToolRun run = Compile({"--json", "--line-name", "Citt\xE0", "--train-number", "31613"});
  ASSERT_EQ(run.status, 0) << run.err;
  const nlohmann::json report = nlohmann::json::parse(run.out);
  EXPECT_EQ(report["nome_linea"], "Citt\u00e0");
  ASSERT_EQ(report["files"].size(), 3u);
  EXPECT_EQ(report["files"][0], JoinPath(out_dir, "Citt\u00e0_linea.dat"));
  EXPECT_EQ(report["files"][2], JoinPath(out_dir, "Citt\u00e0_31613.dat"));
}

TEST_F(CompileTest, NamesComeFromTheOptionsWhenTheFileNamesDoNotTellThem) {
  const fs::path a = sources.root() / "a.txt";
  const fs::path b = sources.root() / "b.txt";
  fs::copy_file(line(), a);
  fs::copy_file(train(), b);

  const testing_support::ToolRun missing = RunTool({"compile", a.string(), b.string(), "-o", out_dir});
  EXPECT_EQ(missing.status, 64);
  EXPECT_NE(missing.err.find("--line-name"), std::string::npos) << missing.err;
  EXPECT_FALSE(fs::exists(out_dir));

  const testing_support::ToolRun run = RunTool({"compile", a.string(), b.string(), "-o", out_dir, "--line-name",
                                        "Valle", "--train-number", "7"});
  EXPECT_EQ(run.status, 0) << run.err;
  for (const char* name : {"Valle_linea.dat", "Valle_7.sim", "Valle_7.dat"})
    EXPECT_TRUE(fs::exists(fs::path(out_dir) / name)) << name;
  EXPECT_TRUE(fs::exists(a));
  EXPECT_TRUE(fs::exists(b));
}

// One file given twice, a file that is not there or a directory: that is
// what the author is told, not that the names follow no pattern.
TEST_F(CompileTest, WhatIsWrongWithTheGivenFilesIsToldBeforeTheirNames) {
  const fs::path folder = sources.root() / "D_linea.txt";
  fs::create_directories(folder);
  const std::string missing = (sources.root() / "x.txt").string();
  struct Case {
    std::string line_file;
    std::string train_file;
    int status;
    std::string says;
  };
  const Case cases[] = {
      {line().string(), line().string(), 64,
       "the line description and the train service are the same file '" + line().string() + "'"},
      {train().string(), train().string(), 64,
       "the line description and the train service are the same file '" + train().string() + "'"},
      {folder.string(), train().string(), 3, "cannot read '" + folder.string() + "': "},
      // The reason is the system's own words ("No such file or directory",
      // "File not found").
      {line().string(), missing, 3, "cannot read '" + missing + "': "},
  };
  for (const char* command : {"compile", "check"}) {
    for (const Case& c : cases) {
      SCOPED_TRACE(std::string(command) + " " + c.line_file + " " + c.train_file);
      std::vector<std::string> args = {command, c.line_file, c.train_file};
      if (std::string(command) == "compile") args.insert(args.end(), {"-o", out_dir});
      const testing_support::ToolRun run = RunTool(args);
      EXPECT_EQ(run.status, c.status);
      EXPECT_NE(run.err.find(c.says), std::string::npos) << run.err;
      EXPECT_EQ(run.err.find("cannot tell"), std::string::npos) << run.err;
      EXPECT_FALSE(fs::exists(out_dir));
    }
  }
}

TEST_F(CompileTest, AGivenFileThatTheRunWouldOverwriteIsRefused) {
  // A source given under the name of a compiled file of the same directory.
  const fs::path clash = sources.src() / "Calvisio -Sambreta_31613.dat";
  fs::copy_file(train(), clash);
  const testing_support::ToolRun run = RunTool({"compile", line().string(), clash.string(), "--train-number", "31613",
                                        "-o", src()});
  EXPECT_EQ(run.status, 64);
  EXPECT_NE(run.err.find("compiled file"), std::string::npos) << run.err;
  EXPECT_EQ(ReadWholeFile(clash), ReadWholeFile(train()));
}

TEST_F(CompileTest, AnotherSourceOfTheSameNameInTheOutputDirectoryIsNotLost) {
  fs::create_directories(out_dir);
  const fs::path edited = fs::path(out_dir) / kTrain;
  scenario::testing_support::WriteWholeFile(edited, "an edited train service\r\n");
  const testing_support::ToolRun run = Compile();
  EXPECT_EQ(run.status, 65);
  EXPECT_NE(run.err.find("is already there"), std::string::npos) << run.err;
  EXPECT_EQ(ReadWholeFile(edited), "an edited train service\r\n");
  EXPECT_FALSE(fs::exists(fs::path(out_dir) / kLine));
}

// A compile killed halfway leaves its copy of a source in the output
// directory: the next compile of the same sources goes ahead and removes it.
TEST_F(CompileTest, ACopyLeftByAKilledCompileDoesNotStopTheNext) {
  fs::create_directories(out_dir);
  const fs::path left = fs::path(out_dir) / kTrain;
  fs::copy_file(train(), left);
  const testing_support::ToolRun run = Compile();
  EXPECT_EQ(run.status, 0) << run.err;
  EXPECT_FALSE(fs::exists(left));
  EXPECT_FALSE(fs::exists(fs::path(out_dir) / kLine));
  for (const std::string& name : kCompiled) EXPECT_TRUE(fs::exists(fs::path(out_dir) / name)) << name;
  EXPECT_TRUE(fs::exists(train()));
}

TEST(CompileFailure, AFileThatCannotBeWrittenEndsWithStatus3) {
  TempDir dir;
  FakeFileSystem files;
  const std::string in = (dir.path() / "in").string();
  const std::string out = dir.path().string();
  ASSERT_EQ(RunTool({"sources", in}, files).status, 0);
  files.FailOn(FakeFileSystem::Step::Create, JoinPath(out, "Calvisio -Sambreta_31613.sim"), StatusCode::NoSpace);
  const testing_support::ToolRun run = RunTool({"compile", JoinPath(in, kLine), JoinPath(in, kTrain), "-o", out}, files);
  EXPECT_EQ(run.status, 3);
  EXPECT_EQ(run.err, "scenario-tool compile: cannot create 'Calvisio -Sambreta_31613.sim': " + ReasonOf(StatusCode::NoSpace) + "\n");
  // The compiled files are one set: the line file, written before, is not
  // put in place alone.
  EXPECT_EQ(files.files.count(JoinPath(out, "Calvisio -Sambreta_linea.dat")), 0u);
  EXPECT_EQ(files.files.count(JoinPath(out, "Calvisio -Sambreta_31613.dat")), 0u);

  // A copy that fails halfway: the copy made before it does not stay.
  files.FailOn(FakeFileSystem::Step::Rename, JoinPath(out, kTrain), StatusCode::IoError);
  const testing_support::ToolRun copy = RunTool({"compile", JoinPath(in, kLine), JoinPath(in, kTrain), "-o", out}, files);
  EXPECT_EQ(copy.status, 3);
  EXPECT_EQ(files.files.count(JoinPath(out, kLine)), 0u);
  EXPECT_EQ(files.files.count(JoinPath(in, kLine)), 1u);

  const testing_support::ToolRun missing =
      RunTool({"compile", JoinPath(in, kLine), JoinPath(in, "Calvisio -Sambreta_99-.txt"), "-o", out}, files);
  EXPECT_EQ(missing.status, 3);
  EXPECT_EQ(missing.err, "scenario-tool compile: cannot read '" +
                             JoinPath(in, "Calvisio -Sambreta_99-.txt") +
                             "': " + ReasonOf(StatusCode::NotFound) + "\n");
}

}  // namespace
}  // namespace scenario::tool
