// The sources of a new scenario: every section of the built-in files, each
// example a comment the readers pass over, a compile with no error and no
// warning over the whole range of lengths, and a range whose ends are where
// the readers themselves stop.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <tuple>
#include <vector>

#include "platform/files/real_file_system.h"
#include "sources/line_description.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"
#include "tests/support/temp_dir.h"
#include "tools/authoring/author_compile.h"
#include "tools/authoring/error_messages.h"
#include "tools/authoring/new_scenario.h"

namespace scenario::tool {
namespace {

using scenario::testing_support::TempDir;
using scenario::testing_support::WriteWholeFile;

std::string Bytes(const std::vector<std::string>& lines) { return TextFileBytes(WithEndMarker(lines)); }

// Compiles the two texts as the sources of the line "Nuova" and its train 1.
CompileReport CompileTexts(const std::vector<std::string>& line, const std::vector<std::string>& train) {
  TempDir dir;
  WriteWholeFile(dir.path() / "Nuova_linea.txt", Bytes(line));
  WriteWholeFile(dir.path() / "Nuova_1-.txt", Bytes(train));
  CompileRequest request;
  request.line_file = (dir.path() / "Nuova_linea.txt").string();
  request.train_file = (dir.path() / "Nuova_1-.txt").string();
  request.output_directory = (dir.path() / "compiled").string();
  RealFileSystem files;
  return RunCompile(request, files);
}

// What a report says, for a failing expectation.
std::string Told(const CompileReport& report) {
  std::string told = "error " + std::to_string(report.codice_errore) + " (" + report.cause.value_or("") + ")";
  for (const CompileWarning& warning : report.warnings)
    told += "\n  " + warning.place.file + ":" + std::to_string(warning.place.line) + ": " + warning.kind + ": " +
            warning.message;
  return told;
}

bool Clean(const CompileReport& report) {
  return report.codice_errore == 0 && !report.stopped_with && report.warnings.empty() &&
         report.files_written.size() == 3;
}

std::vector<std::string> Headers(const std::vector<std::string>& lines) {
  std::vector<std::string> headers;
  for (const std::string& line : lines)
    if (!line.empty() && line.front() == '[') headers.push_back(line);
  return headers;
}

bool IsCommentedExample(const std::string& line) { return line.rfind("\"-- ", 0) == 0 && line.back() == '"'; }

// The lines with every example taken out of its comment, as the template
// tells an author to: the quotes and the hyphens off.
std::vector<std::string> ExamplesInUse(std::vector<std::string> lines) {
  for (std::string& line : lines)
    if (IsCommentedExample(line)) line = line.substr(4, line.size() - 5);
  return lines;
}

// The ends of the range, the default, and lengths that are no multiple of 50.
const int32_t kLengths[] = {kNewLineShortest, kNewLineShortest + 49, 7777, kNewLineDefault, 123457, 999999,
                            kNewLineLongest};

TEST(NewScenario, CompilesWithNoErrorAndNoWarningAtEveryLength) {
  for (const int32_t length : kLengths) {
    SCOPED_TRACE(length);
    const CompileReport report = CompileTexts(NewLineDescription(length), NewTrainService(length));
    EXPECT_TRUE(Clean(report)) << Told(report);
  }
}

// The range is the readers' own: one metre more and the line description's
// reader stops with error 1; one metre less and the last station's zone
// comes closer than 350 m to the first one's (error 22).
TEST(NewScenario, TheRangeOfLengthsEndsWhereTheReadersStop) {
  const CompileReport too_long = CompileTexts(NewLineDescription(kNewLineLongest + 1), NewTrainService(kNewLineLongest));
  EXPECT_EQ(too_long.codice_errore, 1) << Told(too_long);
  const CompileReport too_short =
      CompileTexts(NewLineDescription(kNewLineShortest - 1), NewTrainService(kNewLineShortest - 1));
  EXPECT_EQ(too_short.codice_errore, 22) << Told(too_short);
}

// Both files hold every section the compactor writes, in its order; each
// section other than [generale] and [fine] holds one example as a comment.
TEST(NewScenario, EverySectionOfTheBuiltInFilesWithOneCommentedExample) {
  for (const auto& [file, lines, built_in] :
       {std::tuple{"the line description", NewLineDescription(kNewLineDefault), BuiltInLineDescription()},
        std::tuple{"the train service", NewTrainService(kNewLineDefault), BuiltInTrainService()}}) {
    SCOPED_TRACE(file);
    ASSERT_EQ(Headers(lines), Headers(built_in));
    std::string section;
    int examples = 0;
    for (const std::string& line : lines) {
      if (line.front() == '[') {
        if (!section.empty() && section != "[generale]") {
          EXPECT_EQ(examples, 1) << section;
        }
        section = line;
        examples = 0;
      }
      if (IsCommentedExample(line)) ++examples;
    }
    EXPECT_EQ(section, "[fine]");
    EXPECT_EQ(examples, 0);
  }
}

// Taken out of their comments, the examples are read, and all of them
// together still compile with no error and no warning, on any line long
// enough for the slowdown's marker cells to clear the first station's stop
// cell: the slowdown stands at 7/20 of the line, its markers from 1400 m
// before it, the stop cell from 600 to 650 m (so from 5858 m on).
TEST(NewScenario, TheExamplesTakenOutOfTheirCommentsCompileCleanToo) {
  for (const int32_t length : {5858, kNewLineDefault, 123457, kNewLineLongest}) {
    SCOPED_TRACE(length);
    const CompileReport examples =
        CompileTexts(ExamplesInUse(NewLineDescription(length)), ExamplesInUse(NewTrainService(length)));
    EXPECT_TRUE(Clean(examples)) << Told(examples);
  }
}

// Each example, taken out of its comment alone, is read and changes what is
// compiled; in its comment it is passed over.
TEST(NewScenario, EachExampleIsReadOnceTakenOutOfItsComment) {
  const std::vector<std::string> line = NewLineDescription(kNewLineDefault);
  const std::vector<std::string> train = NewTrainService(kNewLineDefault);
  TempDir dir;
  CompileRequest request;
  request.line_file = (dir.path() / "Nuova_linea.txt").string();
  request.train_file = (dir.path() / "Nuova_1-.txt").string();
  RealFileSystem files;
  const auto check = [&](const std::vector<std::string>& line_lines, const std::vector<std::string>& train_lines,
                         ScenarioModel* compiled) {
    WriteWholeFile(request.line_file, Bytes(line_lines));
    WriteWholeFile(request.train_file, Bytes(train_lines));
    return RunCheck(request, files, compiled);
  };
  ScenarioModel without;
  ASSERT_TRUE(check(line, train, &without).warnings.empty());
  int examples = 0;
  for (size_t at = 0; at < line.size() + train.size(); ++at) {
    const bool in_line = at < line.size();
    const std::string& example = in_line ? line[at] : train[at - line.size()];
    if (!IsCommentedExample(example)) continue;
    ++examples;
    std::vector<std::string> changed_line = line;
    std::vector<std::string> changed_train = train;
    std::string& changed = in_line ? changed_line[at] : changed_train[at - line.size()];
    changed = example.substr(4, example.size() - 5);
    ScenarioModel with_example;
    const CompileReport in_use = check(changed_line, changed_train, &with_example);
    EXPECT_TRUE(in_use.codice_errore == 0 && in_use.warnings.empty()) << changed << ": " << Told(in_use);
    EXPECT_TRUE(with_example.percorso != without.percorso || with_example.stazioni != without.stazioni ||
                with_example.tracciato != without.tracciato)
        << "'" << changed << "' changes nothing in the compiled scenario";
  }
  EXPECT_EQ(examples, 11);
}

TEST(NewScenario, TheLengthIsAWholeNumberOfMetresInTheRange) {
  EXPECT_EQ(NewLineLength("10000"), 10000);
  EXPECT_EQ(NewLineLength(std::to_string(kNewLineShortest)), kNewLineShortest);
  EXPECT_EQ(NewLineLength("+001000000"), kNewLineLongest);
  const std::pair<std::string, std::string> refused[] = {
      {"10000.5", "the length '10000.5' is not a whole number of metres"},
      {"1e4", "the length '1e4' is not a whole number of metres"},
      {"10km", "the length '10km' is not a whole number of metres"},
      {"", "the length '' is not a whole number of metres"},
      {"-5000", "the length '-5000' is below 0"},
      {"1799", "the length 1799 m is too short for a new line"},
      {"0", "the length 0 m is too short for a new line"},
      {"1000001", "the length 1000001 m is longer than a line can be"},
      {"99999999999999999999", "the length 99999999999999999999 m is longer than a line can be"},
  };
  for (const auto& [given, told] : refused) {
    SCOPED_TRACE(given);
    try {
      NewLineLength(given);
      ADD_FAILURE() << "taken";
    } catch (const std::invalid_argument& error) {
      const std::string message = error.what();
      EXPECT_EQ(message.rfind(told, 0), 0u) << message;
      EXPECT_NE(message.find("a whole number of metres from 1800 to 1000000, such as --length 10000"),
                std::string::npos)
          << message;
    }
  }
}

TEST(NewScenario, NamesAreTheWindows1252BytesOfTheLettersGiven) {
  EXPECT_EQ(NewScenarioName("the line name", "Valle"), "Valle");
  EXPECT_EQ(NewScenarioName("the line name", "Calvisio -Sambreta"), "Calvisio -Sambreta");
  // As Linux gives it (UTF-8), and as Windows gives it (Windows-1252).
  EXPECT_EQ(NewScenarioName("the line name", "Citt\xc3\xa0"), "Citt\xe0");
  EXPECT_EQ(NewScenarioName("the line name", "Citt\xe0"), "Citt\xe0");
  EXPECT_EQ(NewScenarioName("the train number", "42\xe2\x82\xac"), "42\x80");  // the euro sign

  const std::pair<std::string, std::string> refused[] = {
      {"", "the line name is empty"},
      {"Valle\xe2\x86\x92Monte", "the line name 'Valle\xe2\x86\x92Monte' holds '\xe2\x86\x92', which Windows-1252 cannot hold"},
      {"Treno \xf0\x9f\x9a\x86", "the line name 'Treno \xf0\x9f\x9a\x86' holds '\xf0\x9f\x9a\x86', which Windows-1252"},
      {"Valle/Monte", "the line name 'Valle/Monte' holds '/', which a file name cannot hold"},
      {"Valle:Monte", "the line name 'Valle:Monte' holds ':', which a file name cannot hold"},
      {"Valle?", "the line name 'Valle?' holds '?', which a file name cannot hold"},
      {"Valle\tMonte", "the line name 'Valle\tMonte' holds a control character, which a file name cannot hold"},
      // Two Windows-1252 letters whose bytes spell "é" in UTF-8.
      {"\xc3\x83\xc2\xa9", "the line name '\xc3\x83\xc2\xa9' holds Windows-1252 letters whose bytes read as UTF-8"},
  };
  for (const auto& [given, told] : refused) {
    SCOPED_TRACE(given);
    try {
      NewScenarioName("the line name", given);
      ADD_FAILURE() << "taken";
    } catch (const std::invalid_argument& error) {
      EXPECT_EQ(std::string(error.what()).rfind(told, 0), 0u) << error.what();
    }
  }

  const std::string longest(NewNamesLongest(), 'a');
  EXPECT_NO_THROW(CheckNewNamesFit(longest.substr(1), "1"));
  EXPECT_THROW(CheckNewNamesFit(longest, "1"), std::invalid_argument);
}

}  // namespace
}  // namespace scenario::tool
