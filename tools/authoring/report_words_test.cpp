// A compile report in words: the sentences every tool prints, each with its
// place, number and fix, for a recorded error, a stop, and the notes.
#include "tools/authoring/report_words.h"

#include <gtest/gtest.h>

namespace scenario::tool {
namespace {

const SourcePlace kTrainLine14{"Valle_42-.txt", 14, 13};
const SourcePlace kLineLine30{"Valle_linea.txt", 30, 1};

TEST(ReportWords, TellTheErrorAndWhatItLeavesInTheFiles) {
  struct Case {
    const char* what;
    CompileReport report;
    bool files_written;
    std::string error;        // "" for none
    bool closing_tells_error;
    std::string error_alone;  // the error where no closing line follows
    std::string closing;      // "" for none
  };
  CompileReport station;
  station.codice_errore = 8;
  station.posizione_errore = 14351;
  station.place = kTrainLine14;
  CompileReport failure;
  failure.codice_errore = 25;
  failure.posizione_errore = 700;  // kept by no cause of 25
  failure.place = kTrainLine14;
  failure.cause = "'3x0' is not a number";
  CompileReport cell_rules;
  cell_rules.codice_errore = 12;
  cell_rules.posizione_errore = 21850;
  CompileReport marker;
  marker.stopped_with = 1250;
  CompileReport marker_placed = marker;
  marker_placed.place = kTrainLine14;
  marker_placed.cause = "the station at 0 m writes the first cell's marker";
  // The reading stopped before the route was sized, with 15 in the slot.
  CompileReport stopped_after_error;
  stopped_after_error.codice_errore = 15;
  stopped_after_error.posizione_errore = 900;
  stopped_after_error.stopped_with = 15;
  stopped_after_error.place = kLineLine30;
  const std::string kStop = "; the run stops there and writes no compiled file";
  const Case cases[] = {
      {"an error with a position, compiled", station, true,
       "error 8 at 14351 m: a station's position is not a multiple of 50", false,
       "error 8 at 14351 m: a station's position is not a multiple of 50",
       "error 8: the compiled files were written but hold only what was read before the error; fix it and "
       "compile again"},
      {"the same, checked", station, false, "error 8 at 14351 m: a station's position is not a multiple of 50",
       false, "error 8 at 14351 m: a station's position is not a multiple of 50",
       "error 8: a compile writes the compiled files, but they hold only what was read before the error; fix it "
       "and compile again"},
      {"a cause, and a number that keeps no position", failure, true, "error 25: '3x0' is not a number", false,
       "error 25: '3x0' is not a number",
       "error 25: the compiled files were written but hold only what was read before the error; fix it and "
       "compile again"},
      {"an error of the cell rules", cell_rules, true,
       "error 12 at 21850 m: no free cell for one of the three code changes before a slowdown start", false,
       "error 12 at 21850 m: no free cell for one of the three code changes before a slowdown start",
       "error 12: the compiled files were written, with all that was read, but what the error names is wrong or "
       "missing in them; fix it and compile again"},
      {"a stop that no source holds", marker, true,
       "error 1250: the place of the station-table marker or of the route marker is already in use", true,
       "error 1250: the place of the station-table marker or of the route marker is already in use" + kStop,
       "stopped: \" Errore n. 1250\": the place of the station-table marker or of the route marker is already in "
       "use; no compiled file was written"},
      {"a stop at its cause", marker_placed, true, "error 1250: the station at 0 m writes the first cell's marker",
       false, "error 1250: the station at 0 m writes the first cell's marker" + kStop,
       "stopped: \" Errore n. 1250\": the place of the station-table marker or of the route marker is already in "
       "use; no compiled file was written"},
      {"a stop after an error was recorded", stopped_after_error, true,
       "error 15 at 900 m: an item lies too near the end of the route: its position plus 100 m (800 m for a "
       "station) is beyond the last route cell",
       false,
       "error 15 at 900 m: an item lies too near the end of the route: its position plus 100 m (800 m for a "
       "station) is beyond the last route cell" +
           kStop,
       "stopped: \" Errore n. 15\": no route was read, so there is nothing to compile; no compiled file was "
       "written"},
      {"no error", CompileReport{}, true, "", false, "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ReportWords words = WordsOf(c.report, c.files_written);
    ASSERT_EQ(words.error.has_value(), !c.error.empty());
    EXPECT_EQ(words.closing.value_or(""), c.closing);
    if (!words.error) continue;
    EXPECT_EQ(words.error->text, c.error);
    EXPECT_EQ(words.error->place.has_value(), c.report.place.has_value());
    EXPECT_EQ(words.closing_tells_error, c.closing_tells_error);
    EXPECT_EQ(words.error_alone, c.error_alone);
  }
}

TEST(ReportWords, CarryPlacesNumbersAndFixes) {
  CompileReport report;
  report.codice_errore = 25;
  report.place = kTrainLine14;
  report.cause = "the speed of line 14, 1300 km/h, is 260 fifths; at most 255 fit";
  report.cause_fix = SourceFix{"Write 1275 km/h, the nearest speed that fits", kTrainLine14, EditReach::Field, "1275"};
  report.warnings.push_back(
      {SourcePlace{"Valle_42-.txt", 13, 1}, "unknown-keyword", "'stazone' is no keyword",
       SourceFix{"Write 'stazione'", SourcePlace{"Valle_42-.txt", 13, 1}, EditReach::Field, "stazione"}});
  report.notes.push_back({SourcePlace{"Valle_42-.txt", 20, 1}, "the train service stopped here too"});
  report.line_stop_place = kLineLine30;
  report.line_stop_position = 900;
  const ReportWords words = WordsOf(report, false);

  ASSERT_EQ(words.warnings.size(), 1u);
  EXPECT_EQ(words.warnings[0].text, "'stazone' is no keyword");
  EXPECT_EQ(words.warnings[0].kind, "unknown-keyword");
  EXPECT_EQ(words.warnings[0].place->line, 13);
  ASSERT_TRUE(words.warnings[0].fix);
  EXPECT_EQ(words.warnings[0].fix->replacement, "stazione");

  ASSERT_TRUE(words.error);
  EXPECT_EQ(words.error->numero, 25);
  ASSERT_TRUE(words.error->fix);
  EXPECT_EQ(words.error->fix->title, "Write 1275 km/h, the nearest speed that fits");

  ASSERT_EQ(words.notes.size(), 2u);
  EXPECT_EQ(words.notes[0].text, "the train service stopped here too");
  EXPECT_EQ(words.notes[0].numero, 25);
  EXPECT_EQ(words.notes[1].place->file, "Valle_linea.txt");
  EXPECT_EQ(words.notes[1].numero, 15);
  EXPECT_EQ(words.notes[1].text,
            "the reading of the line description stopped here first, with error 15 at 900 m: an item lies too near "
            "the end of the route: its position plus 100 m (800 m for a station) is beyond the last route cell");
}

TEST(ReportWords, TheHeadlineGivesAPositionOnlyWhereTheNumberKeepsOne) {
  EXPECT_EQ(ErrorHeadline(8, 14351, "a cause"), "error 8 at 14351 m: a cause");
  EXPECT_EQ(ErrorHeadline(8, std::nullopt, "a cause"), "error 8: a cause");
  EXPECT_EQ(ErrorHeadline(25, 700, "a cause"), "error 25: a cause");
  EXPECT_EQ(ErrorHeadline(99, 700, std::nullopt), "error 99: an error number the compiler does not record");
}

}  // namespace
}  // namespace scenario::tool
