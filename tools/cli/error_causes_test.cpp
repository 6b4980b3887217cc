// Error 25 as scenario-tool tells it: the cause in one sentence, at the
// line and column the author must change, which is not always where the
// reading stood when it failed (a line cut short, a speed that fails only
// when the next line fills its cells).
#include <gtest/gtest.h>

#include <functional>
#include <sstream>
#include <string>
#include <vector>

#include "platform/files/memory_file_system.h"
#include "sources/line_description.h"
#include "sources/train_service.h"
#include "tools/cli/compile_report.h"

namespace scenario::tool {
namespace {

using Lines = std::vector<std::string>;

const std::string kLineFile = "src/Valle_linea.txt";
const std::string kTrainFile = "src/Valle_42-.txt";

// Line `number` (1-based) of `lines` becomes `text`, which may hold further
// lines after a "\n".
void Put(Lines& lines, size_t number, const std::string& text) {
  Lines replacement;
  size_t start = 0;
  for (size_t end = text.find('\n'); end != std::string::npos; end = text.find('\n', start)) {
    replacement.push_back(text.substr(start, end - start));
    start = end + 1;
  }
  replacement.push_back(text.substr(start));
  lines.erase(lines.begin() + static_cast<long>(number - 1));
  lines.insert(lines.begin() + static_cast<long>(number - 1), replacement.begin(), replacement.end());
}

std::string WithCrLf(const Lines& lines, bool last_line_ended = true) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  if (!last_line_ended && !text.empty()) text.resize(text.size() - 2);
  return text;
}

struct Cut {
  const char* what;
  // Edits the built-in line description and train service.
  std::function<void(Lines& line, Lines& train)> edit;
  const std::string& file;
  int line;  // 0: the file as a whole
  int column;
  const char* phrase;
  bool train_ends_unended = false;  // the train service's last line has no line end
};

CompileReport Check(const Lines& line, const Lines& train, bool train_ends_unended) {
  MemoryFileSystem files;
  files.files[kLineFile] = WithCrLf(line);
  files.files[kTrainFile] = WithCrLf(train, !train_ends_unended);
  CompileRequest request;
  request.line_file = kLineFile;
  request.train_file = kTrainFile;
  return RunCheck(request, files);
}

TEST(ErrorCauses, EachFailedReadingNamesItsCauseWhereTheAuthorMustLook) {
  const std::vector<Cut> cuts = {
      // Values that are no numbers, or do not fit their field.
      {"a decimal point", [](Lines&, Lines& t) { Put(t, 2, "numero vetture,    9000.5"); }, kTrainFile, 2, 20,
       "'9000.5' is not a whole number: write the number of coaches (value 1 of 'numero vetture')"},
      {"a letter for a digit", [](Lines&, Lines& t) { Put(t, 3, "percentuale massa frenata,    l20"); }, kTrainFile,
       3, 31, "'l20' is not a number: write the braked-mass percentage (value 1 of 'percentuale massa frenata')"},
      {"a station kind beyond its Byte",
       [](Lines&, Lines& t) {
         Put(t, 12, "stazione,       0,  300,  700,  1, 1, 0,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO P.N.");
       },
       kTrainFile, 12, 21, "300 does not fit the station kind (value 2 of 'stazione'), a Byte from 0 to 255"},
      {"seconds beyond their Integer", [](Lines&, Lines& t) { Put(t, 5, "orologio, 8 12 99999"); }, kTrainFile, 5, 16,
       "99999 does not fit the seconds (value 3 of 'orologio'), an Integer from -32768 to 32767"},
      {"a caption longer than 65535 bytes",
       [](Lines& l, Lines&) { Put(l, 40, "cartello_indicatore,  2600,   " + std::string(70000, 'A')); }, kLineFile, 40,
       31, "the caption (value 2 of 'cartello_indicatore') on line 40 is 70000 bytes long; at most 65535 fit"},

      // Lines cut short: told at the end of the cut line, not where the
      // missing values were sought.
      {"a signal line cut after its position", [](Lines&, Lines& t) { Put(t, 34, "segnale,    5350"); }, kTrainFile,
       34, 17,
       "line 34 ends after 1 of the 11 values of 'segnale' (the next field, 'segnale' on line 35, is not a "
       "number): write the missing values, from sx on"},
      {"a gradient line cut before the next header", [](Lines& l, Lines&) { Put(l, 23, "pendenza,   0"); },
       kLineFile, 23, 14, "line 23 ends after 1 of the 2 values of 'pendenza' (the next field, '[montagne]' on line 24"},
      // Values separated by semicolons or tabs: the whole line is its keyword.
      {"a signal line with semicolons",
       [](Lines&, Lines& t) { Put(t, 34, "segnale;    5350;   2; 4; 1;  0; 0;    0;  0;0;0; 0"); }, kTrainFile, 34, 1,
       "line 34 holds none of the 11 values of 'segnale;    5350;   2; 4; 1;  0; 0;    0...': its values are "
       "separated by semicolons, and only commas separate values"},
      {"a gradient line with tabs", [](Lines& l, Lines&) { Put(l, 23, "pendenza\t0\t0"); }, kLineFile, 23, 1,
       "its values are separated by tabs, and only commas separate values, so the whole line was read as its "
       "keyword field: write a comma after the keyword and between the values"},
      {"a keyword without its value", [](Lines&, Lines& t) { Put(t, 4, "sabbia,"); }, kTrainFile, 4, 8,
       "line 4 holds no value for 'sabbia'"},
      {"the file ends inside a signal line",
       [](Lines&, Lines& t) {
         t.pop_back();  // [fine]
         t.back() = "segnale,   96000,   2, 3";
       },
       kTrainFile, 60, 25,
       "line 60 ends after 3 of the 11 values of 'segnale' and the file ends there: write the missing values, "
       "from s2 on",
       true},
      {"the file ends before a station's name",
       [](Lines&, Lines& t) {
         t.pop_back();
         t.push_back("stazione,   99000,  4,  500,  1, 0, 0,  1,1,0,  2,1,1,    1,   9,38, 0,");
       },
       kTrainFile, 61, 72, "line 61 ends after 16 of the 17 values of 'stazione' and the file ends there: write its "
                           "last value, the name",
       true},

      // Failures found when a later line, or the end of the file, fills the
      // cells: told at the value that caused them.
      {"a speed whose fifth passes a byte, filled by the next speed line",
       [](Lines&, Lines& t) { Put(t, 10, "velocita,      50,   1300\nvelocita,   5000,   100"); }, kTrainFile, 10, 22,
       "the speed of line 10, 1300 km/h, is 260 fifths; at most 255 fit: write a speed of at most 1275 km/h"},
      {"a negative speed, filled at the end of the file",
       [](Lines&, Lines& t) { Put(t, 10, "velocita,      50,   -10"); }, kTrainFile, 10, 22,
       "the speed of line 10, -10 km/h, is -2 fifths, below 0"},
      {"a gradient that overflows when stored",
       [](Lines& l, Lines&) { Put(l, 23, "pendenza,   0,    2147483600"); }, kLineFile, 23, 19,
       "the gradient of line 23, 2147483600, is stored as 2147483600 + 100"},

      // Places outside the route.
      {"a signal whose approach marks fall before the route",
       [](Lines&, Lines& t) { Put(t, 33, "segnale,    0,   2, 4, 1,  0, 0,    0,  0,0,0, 0"); }, kTrainFile, 33, 13,
       "falls in route cell -1, before the route's first cell: place the signal at 325 m or later"},
      {"a signal before the route", [](Lines&, Lines& t) { Put(t, 33, "segnale,  -1000,   2, 4, 1,  0, 0,    0,  0,0,0, 0"); },
       kTrainFile, 33, 11, "the signal at -1000 m falls in route cell -19, before the route's first cell"},
      {"a slowdown that ends beyond the route",
       [](Lines&, Lines& t) { Put(t, 30, "rallentamento,   21850,    30,  350000, 1,  1,  0"); }, kTrainFile, 30, 33,
       "the slowdown at 21850 m, 350000 m long, ends at 371850 m, in route cell 7438, beyond the end of the route "
       "at 106000 m"},
      {"a code change before the route", [](Lines&, Lines& t) { Put(t, 60, "[codici]\nabbattimento,   -1000,   180"); },
       kTrainFile, 61, 17, "the code change at -1000 m falls in route cell -20"},
      {"a station zone beyond the route",
       [](Lines&, Lines& t) {
         Put(t, 28, "stazione,   97000,  4,  20000,  1, 0, 0,  1,1,0,  2,1,1,    1,   9,38, 0, SAMBRETA");
       },
       kTrainFile, 28, 13, "the zone of the station 'SAMBRETA' ends at 107000 m"},
      {"a mountain that runs past the route", [](Lines& l, Lines&) { Put(l, 25, "montagna,   68650,  968700,  2"); },
       kLineFile, 25, 21, "the mountain from 68650 m to 968700 m runs to route cell 2121, beyond the end of the route"},
      {"a curve that runs past the plan", [](Lines& l, Lines&) { Put(l, 21, "curvas5,  94350,  550000"); }, kLineFile,
       21, 19, "the curve from 94350 m, 550000 m long, runs to 644350 m, beyond the end of the track plan at 106000 m"},
      {"an indicator value beyond its Integer",
       [](Lines& l, Lines&) { Put(l, 27, "indicatori_vmax,  2850,  9500,  100,  110,  0,  ,  ,  ,  0"); }, kLineFile,
       27, 26, "vas 9500 and vad 0 give valore_1 = vas × 20 + vad / 5 = 190000"},
      {"an 81st mountain",
       [](Lines& l, Lines&) {
         std::string mountains;
         for (int i = 0; i < 81; ++i) mountains += "montagna,   " + std::to_string(1000 + 200 * i) + ",  1050,  2\n";
         Put(l, 25, mountains + "[cartelli]");
       },
       kLineFile, 105, 1, "this is the 81st 'montagna' line"},
      {"a timetable beyond a Long of seconds",
       [](Lines&, Lines& t) {
         Put(t, 28, "stazione,   97000,  4,  500,  1, 0, 0,  1,1,0,  2,1,1,    1,   900000,38, 0, SAMBRETA");
       },
       kTrainFile, 28, 64, "the timetable time 900000 h 38 min 0 s"},

      {"a station whose spacing test passes a Long",
       [](Lines&, Lines& t) {
         Put(t, 13, "stazione,   -2147483600, 30,  0,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO");
       },
       kTrainFile, 13, 13,
       "the zone of the station 'PRAGELLO' begins at -2147483600 m, and the test of the distance from the station "
       "before takes 350 m from that start, which passes the Long range"},

      {"a chainage that passes a Long once 100 is added",
       [](Lines& l, Lines&) { Put(l, 3, "progressiva chilometrica uno,    0,    2147483600,    1"); }, kLineFile, 3,
       40, "the chainage of 'progressiva chilometrica uno', 2147483600 m, is stored 100 m higher"},

      // The file as a whole.
      {"no route length", [](Lines& l, Lines&) { Put(l, 2, "lunghezz percorso,    99000"); }, kLineFile, 0, 0,
       "the line description gives no 'lunghezza percorso' in its general section"},
      {"an empty line description", [](Lines& l, Lines&) { l.clear(); }, kLineFile, 0, 0,
       "the line description is empty"},
  };
  for (const Cut& cut : cuts) {
    SCOPED_TRACE(cut.what);
    Lines line = BuiltInLineDescription();
    Lines train = BuiltInTrainService();
    cut.edit(line, train);
    const CompileReport report = Check(line, train, cut.train_ends_unended);
    EXPECT_EQ(report.codice_errore, 25);
    ASSERT_TRUE(report.cause.has_value());
    EXPECT_NE(report.cause->find(cut.phrase), std::string::npos) << *report.cause;
    ASSERT_TRUE(report.place.has_value());
    EXPECT_EQ(report.place->file, cut.file);
    EXPECT_EQ(report.place->line, cut.line) << *report.cause;
    EXPECT_EQ(report.place->column, cut.column) << *report.cause;
  }
}

// The printed report and the JSON carry the cause; the number's own text
// stays in the JSON's "message".
TEST(ErrorCauses, TheReportPrintsTheCauseAtItsPlace) {
  Lines line = BuiltInLineDescription();
  Lines train = BuiltInTrainService();
  Put(train, 34, "segnale,    5350");
  const CompileReport report = Check(line, train, false);
  std::ostringstream out, err;
  PrintCompileReport(report, out, err);
  EXPECT_NE(err.str().find(kTrainFile +
                           ":34:17: error 25: line 34 ends after 1 of the 11 values of 'segnale' (the next field, "
                           "'segnale' on line 35, is not a number): write the missing values, from sx on\n"),
            std::string::npos)
      << err.str();
  std::ostringstream json;
  PrintCompileReportJson(report, json);
  EXPECT_NE(json.str().find("\"cause\": \"line 34 ends after 1 of the 11 values"), std::string::npos) << json.str();
  EXPECT_NE(json.str().find("\"message\": \"the reading failed"), std::string::npos) << json.str();
}

// Without a directory in their names, the given files are still read (the
// check's own copies go elsewhere).
TEST(ErrorCauses, CheckReadsSourcesNamedWithoutADirectory) {
  MemoryFileSystem files;
  files.files["Valle_linea.txt"] = WithCrLf(BuiltInLineDescription());
  files.files["Valle_42-.txt"] = WithCrLf(BuiltInTrainService());
  CompileRequest request;
  request.line_file = "Valle_linea.txt";
  request.train_file = "Valle_42-.txt";
  const CompileReport report = RunCheck(request, files);
  EXPECT_EQ(report.codice_errore, 0);
  EXPECT_FALSE(report.stopped_with.has_value());
}

}  // namespace
}  // namespace scenario::tool
