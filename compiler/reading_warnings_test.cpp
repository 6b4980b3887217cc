// The warnings of the reading: one small change to the built-in sources per
// warning, with where it is given and of what kind; the built-in sources are
// silent; and listening never changes what is compiled.
#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compiler/compile_run.h"
#include "compiler/error_reporting.h"
#include "compiler/fields/reading_observer.h"
#include "compiler/fields/source_warnings.h"
#include "platform/files/memory_file_system.h"
#include "platform/window/window.h"
#include "platform/files/workspace.h"
#include "tests/support/builtin_line_fixture.h"
#include "tests/support/builtin_train_fixture.h"

namespace scenario {
namespace {

using testing_support::BuiltInLineLines;
using testing_support::BuiltInTrainLines;
using testing_support::TrainText;

const std::string kLineName = "Calvisio -Sambreta_linea.txt";
const std::string kTrainName = "Calvisio -Sambreta_31613-.txt";

std::string Text(const std::vector<std::string>& lines) { return TrainText(lines); }

// One change to a source: line `number` (from 1) replaced by `text`, or, with
// `insert`, `text` put in before it.
struct Edit {
  int number;
  std::string text;
  bool insert = false;
};

std::vector<std::string> Edited(std::vector<std::string> lines, const std::vector<Edit>& edits) {
  // From the last line up, so that every number is a line of the original.
  std::vector<Edit> ordered = edits;
  std::sort(ordered.begin(), ordered.end(), [](const Edit& a, const Edit& b) { return a.number > b.number; });
  for (const Edit& edit : ordered) {
    if (edit.insert)
      lines.insert(lines.begin() + (edit.number - 1), edit.text);
    else
      lines[static_cast<size_t>(edit.number - 1)] = edit.text;
  }
  return lines;
}

struct Compiled {
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  std::optional<std::string> stopped_with;
  std::map<std::string, std::string> files;
};

Compiled Compile(const std::string& line, const std::string& train, ReadingObserver* observer,
                 int32_t compila_linea = 1) {
  MemoryFileSystem files;
  files.files["/p/" + kLineName] = line;
  files.files["/p/" + kTrainName] = train;
  ScenarioModel model;
  model.nome_linea = "Calvisio -Sambreta";
  model.numero_treno = "31613";
  SilentWindow window;
  Compiled compiled;
  try {
    memorizza_percorso(model, compila_linea, Workspace{files, "/p/"}, window, nullptr, observer);
  } catch (const ErroreShown& shown) {
    compiled.stopped_with = shown.numero;
  }
  compiled.codice_errore = model.codice_errore;
  compiled.posizione_errore = model.posizione_errore;
  compiled.files = files.files;
  return compiled;
}

std::string Describe(const std::vector<ReadingWarning>& warnings) {
  std::string all;
  for (const ReadingWarning& w : warnings)
    all += w.file + ":" + std::to_string(w.at.line) + ":" + std::to_string(w.at.column) + ": " +
           WarningKindName(w.kind) + ": " + w.message + "\n";
  return all;
}

struct Case {
  const char* what;
  std::vector<Edit> line_edits;
  std::vector<Edit> train_edits;
  bool in_train;  // the file the warning is given for
  int line;       // 0: the whole file
  int column;
  WarningKind kind;
  const char* says;  // a part of the message
};

std::vector<std::string> EightyOneBoards() {
  // The built-in line with its 15 boards replaced by 81, 1000 m apart.
  std::vector<std::string> lines(BuiltInLineLines().begin(), BuiltInLineLines().begin() + 39);
  for (int i = 0; i < 81; ++i)
    lines.push_back("cartello_indicatore,  " + std::to_string(1000 * i + 500) + ",   (P.L.      )");
  lines.push_back("[fine]");
  return lines;
}

const std::string kSignal = "segnale,   99500,   2, 4, 1,  0, 0,    0,  0,0,0, 0";

const Case kCases[] = {
    {"misspelt station keyword", {},
     {{13, "stazone,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO"}}, true, 13, 1,
     WarningKind::UnknownKeyword, "did you mean 'stazione'?"},
    {"misspelt gradient keyword", {{23, "pendenze,   0,    0"}}, {}, false, 23, 1, WarningKind::UnknownKeyword,
     "did you mean 'pendenza'?"},
    {"background keyword with a capital", {{7, "Sfondo due,    0"}}, {}, false, 7, 1, WarningKind::UnknownKeyword,
     "write 'sfondo due'"},
    {"value left over at the end of a line", {}, {{2, "numero vetture,    4, 5"}}, true, 2, 23,
     WarningKind::ValueLeftOver, "holds more values than 'numero vetture' reads (1: the number of coaches): '5' is left over"},
    {"a decimal comma in the last value", {{23, "pendenza,   0,    2,2"}}, {}, false, 23, 19,
     WarningKind::ValueLeftOver, "values are whole numbers: '2,2' was read as 2, and 2 was skipped"},
    {"a decimal comma before the last value", {{23, "pendenza,   0,5,    2"}}, {}, false, 23, 13,
     WarningKind::ValueLeftOver, "'0,5' was read as 0, and 5 as the gradient, the next value of 'pendenza'; each value "
     "after it moved one place on, and '2' is left over"},
    {"a negative value left over, which reads as a comment", {{23, "pendenza,   0,    2,   -3"}}, {}, false, 23, 24,
     WarningKind::ValueLeftOver, "'-3' is left over"},
    {"no comma after the keyword", {{23, "pendenza  0,  -3"}}, {}, false, 23, 1, WarningKind::Separator,
     "no comma after the keyword 'pendenza': '0' is read as part of the keyword field"},
    {"values separated by semicolons", {}, {{7, "aderenza;   0;    100"}}, true, 7, 1, WarningKind::Separator,
     "the values of 'aderenza' are separated by semicolons, and only commas separate values"},
    {"a misspelt general header, which leaves the whole file skipped", {{1, "[generali]"}}, {}, false, 1, 1,
     WarningKind::UnknownKeyword,
     "did you mean '[generale]'? The line description is read from its [generale] line on, and every line before it "
     "is skipped"},
    {"a misspelt header that holds a keyword", {}, {{32, "[segnale]"}}, true, 32, 1, WarningKind::UnknownKeyword,
     "'[segnale]' is no section header of the train service (did you mean '[segnali]'?), and it holds the keyword "
     "'segnale': it is read as a 'segnale' line"},
    {"a gradient line in the train service", {}, {{29, "pendenza,   14000,   2", true}}, true, 29, 1,
     WarningKind::UnknownKeyword,
     "'pendenza' is a keyword of the line description, not of the train service: here it is skipped with its values; "
     "it belongs in the line description, under [pendenze]"},
    {"a speed line in the line description", {{24, "velocita,   0,   30", true}}, {}, false, 24, 1,
     WarningKind::UnknownKeyword, "it belongs in the train service, under [vel_limite]"},
    {"a slowdown to 0 km/h", {}, {{30, "rallentamento,   21850,    0,  350, 1,  1,  0"}}, true, 30, 28,
     WarningKind::ValueRange, "the slowdown's speed v is 0 km/h"},
    {"a speed and its place the wrong way round", {}, {{10, "velocita,      110,   12000"}}, true, 10, 23,
     WarningKind::ValueRange,
     "the speed 12000 km/h at 110 m: 'velocita' reads the place first, then the speed, and these two look the wrong "
     "way round"},
    {"a board's place in kilometres", {{47, "cartello_indicatore,  38,   (BIVIO     )(VESCANO   )(Km. 58.750)"}}, {},
     false, 47, 23, WarningKind::ValueRange,
     "the 'cartello_indicatore' line at 38 m comes after the one at 38000 m (line 46): places are in metres, and 38 "
     "reads like kilometres; write 38000"},
    {"a curve's length in kilometres", {{17, "curvas1,  40200,  5"}}, {}, false, 17, 19, WarningKind::ValueRange,
     "the curve is 5 m long, less than a route cell (50 m)"},
    {"a chainage in kilometres, which error 2 tells with no place", {{3, "progressiva chilometrica uno,    0,    97,    1"}},
     {}, false, 3, 40, WarningKind::ValueRange,
     "the chainage 97 of 'progressiva chilometrica uno' is no multiple of 50: a kilometric progressive falls on whole "
     "route cells, and the compile records error 2 for one that does not, once the train service has been read; "
     "write a multiple of 50 (97 reads like kilometres: 97000?)"},
    {"values separated by tabs, read as a comment", {{23, "pendenza\t0\t-3"}}, {}, false, 23, 1,
     WarningKind::Separator, "separated by tabs, and only commas separate values: the whole line is read as one "
     "keyword field, which holds a hyphen and is skipped as a comment"},
    {"misspelt section header", {}, {{29, "[rallentamneti]"}}, true, 29, 1, WarningKind::UnknownKeyword,
     "did you mean '[rallentamenti]'?"},
    {"caption cut at a comma", {{41, "cartello_indicatore,  6050,   (P.L.      )(Km. 90,950)"}}, {}, false, 41, 31,
     WarningKind::TextCut, "the rest of the line, from '950)'"},
    {"station name cut at a comma", {},
     {{13, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO, ALTA"}}, true, 13, 73,
     WarningKind::TextCut, "'PRAGELLO'"},
    {"gradient under the mountains' header", {{25, "pendenza,   68650,    5"}}, {}, false, 25, 1,
     WarningKind::WrongSection, "belongs under [pendenze]"},
    {"signal under the slowdowns' header", {}, {{30, "segnale,   21850,   2, 4, 1,  0, 0,    0,  0,0,0, 0"}},
     true, 30, 1, WarningKind::WrongSection, "stands under [rallentamenti]"},
    {"signal before the general section", {}, {{1, "numero vetture,    4", true}}, true, 1, 1,
     WarningKind::WrongSection, "before [generale]"},
    {"a line description line before [generale]", {{1, "lunghezza percorso,    99000", true}}, {}, false, 1, 1,
     WarningKind::WrongSection, "'lunghezza percorso' stands before [generale]: everything before that line is skipped"},
    {"curve in the general section", {{10, "curvas3,  1000,  100", true}}, {}, false, 10, 1,
     WarningKind::GeneralSection, "put a header such as [curve]"},
    {"route length after the general section", {{23, "lunghezza percorso,    5000", true}}, {}, false, 23, 1,
     WarningKind::GeneralSection, "read only in the general section"},
    {"gradient not beyond the one before", {{23, "pendenza,   5000,    3"}, {24, "pendenza,   4000,    0", true}}, {},
     false, 24, 1, WarningKind::PositionBack, "applies from cell 101 on"},
    {"speed step not beyond the one before", {}, {{11, "velocita,   40,   100", true}}, true, 11, 1,
     WarningKind::PositionBack, "keeps one more route cell, cell 1,"},
    {"adhesion step at the same place", {}, {{8, "aderenza,   0,    90", true}}, true, 8, 1,
     WarningKind::PositionBack, "the previous value is never used"},
    {"curve starting inside the one before", {{12, "curvad3,  2400,  550"}}, {}, false, 12, 1,
     WarningKind::CurveOverlap, "it turns only from 2550 m to 2950 m"},
    {"curve of negative length", {{13, "curvas3,  13950,  -400"}}, {}, false, 13, 1, WarningKind::NegativeLength,
     "negative length"},
    {"slowdown of negative length", {}, {{31, "rallentamento,   46200,    50,  -400, 1,  1,  0"}}, true, 31, 1,
     WarningKind::NegativeLength, "its end lies before its start"},
    {"station stop cell over a board", {{42, "cartello_indicatore,  7450,   (P.L.      )", true}}, {}, true, 13, 1,
     WarningKind::CellReplaced, "(route cell 150) replaces the indication board at 7450 m (line 42 of Calvisio -Sambreta_linea.txt)"},
    {"slowdown of length 0", {}, {{30, "rallentamento,   21850,    30,  0, 1,  1,  0"}}, true, 30, 1,
     WarningKind::CellReplaced, "the start replaces the end"},
    {"gradient kept as its low 8 bits", {{23, "pendenza,   0,    300"}}, {}, false, 23, 1, WarningKind::LowBits,
     "(144)"},
    {"adhesion kept as its low 8 bits", {}, {{7, "aderenza,   0,    300"}}, true, 7, 1, WarningKind::LowBits, "(44)"},
    {"signal in the run-out", {}, {{60, kSignal, true}}, true, 60, 1, WarningKind::RunOut,
     "beyond the end of the line at 99000 m"},
    {"timetable going back", {}, {{14, "stazione,   14350, 12,  500,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,20, 0, CAMPOSTRELLA"}},
     true, 14, 1, WarningKind::TimetableBack, "before the station 'PRAGELLO' at 8:22:00"},
    {"station name in UTF-8", {},
     {{13, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, CITT\xC3\x80"}}, true, 13, 73,
     WarningKind::Utf8Text, "looks like UTF-8"},
    {"number of coaches given twice", {}, {{3, "numero vetture,    5", true}}, true, 3, 1,
     WarningKind::ValueReplaced, "replaces the one of line 2"},
    {"station name whose quote is never closed", {},
     {{13, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, \"PRAGELLO"}}, true, 13, 73,
     WarningKind::OpenQuote, "is never closed: the text runs on to the end of the file, and lines 14 to 61 are read as part of the text"},
    {"caption whose quote closes two lines further", {{40, "cartello_indicatore,  2600,   \"(BIVIO     )(S. ARMELIA)"},
     {42, "cartello_indicatore,  7000,   (P.L.      )(Km. 90.000)\""}}, {}, false, 40, 31,
     WarningKind::OpenQuote, "runs over 2 line ends to its closing quote at line 42, column 55"},
    {"station line without its name", {},
     {{13, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0"}}, true, 13, 71,
     WarningKind::ShortLine,
     "line 13 ends after 16 of the 17 values of 'stazione'; its station name is taken from line 14, 'stazione', "
     "and line 14 is lost: write the station name at the end of line 13"},
    {"board line without its caption", {{41, "cartello_indicatore,  6050"}}, {}, false, 41, 27,
     WarningKind::ShortLine, "its caption is taken from line 42, 'cartello_indicatore'"},
    {"a third comment line in a row", {},
     {{12, "-- a --", true}, {12, "-- a --", true}, {12, "-- a --", true}}, true, 14, 1, WarningKind::CommentRead,
     "2 comment fields in a row stand before it"},
    {"indicator in the route's first cell", {{27, "indicatori_vmax,  0,  95,  100,  110,  0,  ,  ,  ,  0"}}, {},
     false, 27, 19, WarningKind::MarkerCell, "puts a value (1900) into route cell 1"},
    // Values that fit their fields but mean nothing there.
    {"clock minutes beyond 59", {}, {{5, "orologio,    8  75  45"}}, true, 5, 17, WarningKind::ValueRange,
     "the clock's minutes 75 lies outside 0 to 59"},
    {"timetable seconds beyond 59", {},
     {{13, "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22,75, PRAGELLO"}}, true, 13, 69,
     WarningKind::ValueRange, "the timetable's seconds 75 lies outside 0 to 59"},
    {"a negative number of coaches", {}, {{2, "numero vetture,    -3"}}, true, 2, 20, WarningKind::ValueRange,
     "the number of coaches -3 lies outside 1 to 100"},
    {"a braked-mass percentage of 1100", {}, {{3, "percentuale massa frenata,    1100"}}, true, 3, 31,
     WarningKind::ValueRange, "the braked-mass percentage 1100 lies outside 0 to 300"},
    {"a speed off the steps of 5 km/h", {}, {{10, "velocita,      50,   93"}}, true, 10, 22, WarningKind::ValueRange,
     "the speed 93 km/h is kept in steps of 5 km/h: it is compiled as 95 km/h"},
    {"cab signalling ending before it starts", {{9, "ripetizione segnali 4 codici,    95900,    2700"}}, {}, false, 9,
     44, WarningKind::NegativeLength, "ends at 2700 m, before it starts at 95900 m"},
    {"cab signalling beyond the line", {{9, "ripetizione segnali 4 codici,    2700,    99500"}}, {}, false, 9, 43,
     WarningKind::RunOut, "ends at 99500 m, beyond the end of the line at 99000 m"},
    {"cab signalling naming 4 and 9 codes", {{9, "ripetizione segnali 4 o 9 codici,    2700,    95900"}}, {}, false,
     9, 1, WarningKind::KeywordRead, "it is read as 4 codes"},
    {"two progressive zones at the same start",
     {{4, "progressiva chilometrica due,    5000,    0,    0"}, {5, "progressiva chilometrica tre,    5000,    0,    0"}},
     {}, false, 5, 34, WarningKind::ZonesCleared, "leave all three records cleared"},
    {"a right curve with an 's' in its keyword", {{12, "curva destra 3,  2850,  550"}}, {}, false, 12, 1,
     WarningKind::KeywordRead, "is read as 'curvas3', a left curve of class 3"},
    {"a last line without commas and no [fine]", {}, {{61, "abbattimento 50000 0"}}, true, 61, 1,
     WarningKind::LastLine, "a keyword field that ends the file is never read"},
    {"a mountain within 150 m of the one before", {{26, "montagna,   68800,  69000,  2", true}}, {}, false, 26, 29,
     WarningKind::MountainType, "it is compiled as type 3, not 2"},
    {"a first board under 100 m, no multiple of 25", {{40, "cartello_indicatore,  26,   (BIVIO     )(S. ARMELIA)(Km. 94.400)"}},
     {}, false, 40, 23, WarningKind::ValueRange,
     "the 'cartello_indicatore' line at 26 m: places are in metres, and 26 m, within the route's first 100 m and no "
     "multiple of 25, reads like kilometres; write 26000 if that is the place meant"},
    {"a first adhesion step after 0 m", {}, {{7, "aderenza,   500,    100"}}, true, 7, 1, WarningKind::FirstStep,
     "the first adhesion step is at 500 m: the route before it, up to cell 9, has the adhesion 0"},
    {"the step at 0 m written after the first adhesion step", {},
     {{7, "aderenza,   500,    100"}, {12, "aderenza,   0,    100", true}}, true, 12, 1, WarningKind::FirstStep,
     "this adhesion step at 0 m is written after the first adhesion step, at 500 m (line 7): steps are read in the "
     "order they are written, so the route before that one, up to cell 9, has the adhesion 0, and this step, read "
     "where it stands, replaces the value of the step read before it; write this line before line 7"},
    {"a slowdown within the first 1500 m", {}, {{30, "rallentamento,   1000,    30,  350, 1,  1,  0"}}, true, 30, 1,
     WarningKind::NoWarningBoard, "it gets no warning board"},
    {"a signal's approach marks over a station's", {}, {{33, "segnale,    7500,   2, 4, 1,  0, 0,    0,  0,0,0, 0", true}},
     true, 33, 1, WarningKind::MarksReplaced,
     "the approach marks of the signal at 7500 m are written over those of the station 'PRAGELLO' (line 13) in route "
     "cells 149 and 147: the marks 81 and 83 become 61 and 62"},
    {"a station's approach marks over a signal's", {},
     {{33, "segnale,   98050,   2, 4, 1,  0, 0,    0,  0,0,0, 0", true},
      {60, "[stazioni]"},
      {61, "stazione,   97900, 22,  300,  0, 0, 0,  0,0,0,  4,1,1,    0,   0, 0, 0, NUOVA", true}},
     true, 62, 1, WarningKind::MarksReplaced,
     "over those of the signal at 98050 m (line 33) in route cells 1958 and 1956: the marks 62 and 63 become 82 and "
     "84"},
    {"a mountain marker taken by a board read after it", {{25, "montagna,   6900,  7200,  12"}}, {}, false, 25, 1,
     WarningKind::CellReplaced,
     "the mountain from 6900 m loses a marker to the items read after it: route cell 141 to the indication board at "
     "7000 m (line 42)"},
    {"a mountain marker taken by the cell rules", {{25, "montagna,   21200,  21400,  12"}}, {}, false, 25, 1,
     WarningKind::CellRules, "the mountain from 21200 m loses its marker in route cell 427 to the code changes to 180"},
    {"a code change lowered by the cell rules", {{40, "cartello_indicatore,  19900,   (P.L.      )", true}},
     {{33, "segnale,   20000,   2, 4, 1,  0, 0,    0,  0,0,0, 0", true}, {61, "abbattimento,   20000,   270", true}},
     true, 62, 17, WarningKind::CellRules,
     "the code change at 20000 m (route cell 400) gives the code 270, and the compactor lowers it to 180"},
    // Values kept to the 16 bits of a cell's field.
    {"a signal's s1 × 10 + d1 beyond 16 bits", {}, {{33, "segnale,    2350,   2, 4000, 1,  0, 0,    0,  0,0,0, 0"}},
     true, 33, 24, WarningKind::LowBits,
     "the signal's s1 × 10 + d1 (valore_1), 40000 does not fit the cell's 16 bits (-32768 to 32767): only its low 16 "
     "bits are kept, and the compiled cell holds -25536"},
    {"a signal's marks beyond a byte", {}, {{33, "segnale,    2350,   9, 4, 1,  0, 0,    0,  0,0,0, 0"}}, true, 33,
     21, WarningKind::LowBits, "(sx × 3 + dx) × 10 + 1 to 4 = 271 to 274, do not fit a byte (0 to 255): only their "
     "low 8 bits are kept, 15 to 18"},
    {"a slowdown's speed beyond 16 bits", {}, {{30, "rallentamento,   21850,    40000,  350, 1,  1,  0"}}, true, 30,
     28, WarningKind::LowBits, "the slowdown's speed v 40000 does not fit"},
    {"an indicator's stripes beyond 16 bits", {{27, "indicatori_vmax,  2850,  95,  100,  110,  4000,  ,  ,  ,  0"}}, {},
     false, 27, 43, WarningKind::LowBits, "(valore_4), 40000 does not fit the cell's 16 bits"},
    {"a keyword field holding two keywords", {}, {{9, "velocita della stazione,   0,    30"}}, true, 9, 1,
     WarningKind::SeveralKeywords,
     "'velocita della stazione' holds the keywords 'velocita' and 'stazione': each is read in turn, 'velocita' first"},
    {"a general keyword holding two tests", {{6, "sfondo uno e due,    1"}}, {}, false, 6, 1,
     WarningKind::SeveralKeywords, "holds the keywords 'sfondo uno' and 'sfondo due'"},
    // Codes and ranges the compile tells apart.
    {"a signal's d1 of two digits", {}, {{33, "segnale,    2350,   2, 4, 1,  0, 0,    0,  12,0,0, 0"}}, true, 33,
     44, WarningKind::ValueRange, "the signal's d1 12 lies outside 0 to 9, the range of the units of valore_1"},
    {"a signal whose marks read as a station's", {}, {{33, "segnale,    2350,   2, 4, 1,  0, 0,    2,  0,0,0, 0"}},
     true, 33, 21, WarningKind::UnknownCode, "so its approach marks are 81 to 84, the marks of a station's stop"},
    {"a signal's tempo raised to 101", {}, {{33, "segnale,    2350,   2, 4, 1,  0, 0,    0,  0,0,0, 30"}}, true,
     33, 51, WarningKind::UnknownCode, "the signal's tempo 30 lies from 1 to 100, and every such tempo is compiled as 101"},
    {"a signal's tempo dropped", {}, {{47, "segnale,   49600,   1, 4, 1,  0, 0,    0,  0,0,0, 30"}}, true, 47, 51,
     WarningKind::UnknownCode, "the signal's tempo 30 is dropped: only a signal with sx 2 keeps its tempo"},
    {"a slowdown's f_ta of 2", {}, {{30, "rallentamento,   21850,    30,  350, 1,  2,  0"}}, true, 30, 42,
     WarningKind::UnknownCode, "the slowdown's f_ta 2 is a flag, read only as 0 or not 0: it is compiled as 1"},
    {"a station flag of 2", {},
     {{13, "stazione,    7350, 12,  400,  2, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO"}}, true, 13, 31,
     WarningKind::UnknownCode, "the station's par_1 2 is a flag, 0 or 1"},
    {"a short station's par_2", {},
     {{13, "stazione,    7350, 12,  400,  0, 1, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO"}}, true, 13, 34,
     WarningKind::ValueDropped, "the par_2 1 of the station 'PRAGELLO' is stored as 0: a station shorter than 600 m"},
    {"the par_3 of a station of kind 7", {},
     {{13, "stazione,    7350,  7,  200,  0, 0, 1,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO"}}, true, 13, 37,
     WarningKind::ValueDropped, "a station of kind 7 (5 to 8) keeps no par_3"},
    {"the first station's par_3", {},
     {{12, "stazione,       0, 12,  700,  1, 1, 1,  4,1,0,  2,1,1,    1,   8,13, 0, CALVISIO P.N."}}, true, 12, 37,
     WarningKind::ValueDropped, "the first station keeps no par_3 (it still makes the zone end 50 m further)"},
    {"an indicator's stripes of 12", {{36, "indicatori_vmax,  91700,  65,  70,  80,  12,  ,  ,  ,  0"}}, {}, false, 36,
     42, WarningKind::ValueRange, "the indicator's strisces 12 lies outside 0 to 9, the range of a stripe count"},
    {"train service without stations", {},
     {{11, "[fine]"}}, true, 0, 0, WarningKind::EmptyService, "no station line"},
};

TEST(ReadingWarnings, EachMistakeIsToldOnceWhereItStands) {
  for (const Case& c : kCases) {
    SCOPED_TRACE(c.what);
    std::vector<std::string> train = Edited(BuiltInTrainLines(), c.train_edits);
    // A service cut short after its steps: the lines after them go too.
    if (std::string(c.what) == "train service without stations") train.resize(11);
    WarningList warnings;
    Compile(Text(Edited(BuiltInLineLines(), c.line_edits)), Text(train), &warnings);
    ASSERT_EQ(warnings.warnings.size(), 1u) << Describe(warnings.warnings);
    const ReadingWarning& w = warnings.warnings.front();
    EXPECT_EQ(w.file, c.in_train ? kTrainName : kLineName);
    EXPECT_EQ(w.at.line, c.line) << w.message;
    EXPECT_EQ(w.at.column, c.column) << w.message;
    EXPECT_EQ(WarningKindName(w.kind), std::string(WarningKindName(c.kind))) << w.message;
    EXPECT_NE(w.message.find(c.says), std::string::npos) << w.message;
  }
}

// The warnings that know their fix carry it, made where the message is:
// what to write, from where, and how far the edit reaches.
TEST(ReadingWarnings, AFixComesWithTheWarningThatKnowsIt) {
  struct FixCase {
    const char* what;  // one of kCases
    std::optional<SourceEdit> fix;
  };
  const FixCase cases[] = {
      {"misspelt station keyword", SourceEdit{"Write 'stazione'", {13, 1}, EditReach::Field, "stazione"}},
      {"misspelt gradient keyword", SourceEdit{"Write 'pendenza'", {23, 1}, EditReach::Field, "pendenza"}},
      {"background keyword with a capital", SourceEdit{"Write 'sfondo due'", {7, 1}, EditReach::Field, "sfondo due"}},
      {"misspelt section header",
       SourceEdit{"Write '[rallentamenti]'", {29, 1}, EditReach::Field, "[rallentamenti]"}},
      {"caption cut at a comma", SourceEdit{"Put the text in double quotes", {41, 31}, EditReach::LineEnd,
                                            "\"(P.L.      )(Km. 90,950)\""}},
      {"station name cut at a comma",
       SourceEdit{"Put the text in double quotes", {13, 73}, EditReach::LineEnd, "\"PRAGELLO, ALTA\""}},
      {"value left over at the end of a line", std::nullopt},
      {"a decimal comma in the last value", SourceEdit{"Write 2", {23, 20}, EditReach::LineEnd, ""}},
      {"a decimal comma before the last value", std::nullopt},
      {"no comma after the keyword",
       SourceEdit{"Write a comma after 'pendenza'", {23, 1}, EditReach::Field, "pendenza,  0"}},
      {"values separated by semicolons",
       SourceEdit{"Separate the values with commas", {7, 1}, EditReach::Field, "aderenza,   0,    100"}},
      {"a misspelt general header, which leaves the whole file skipped",
       SourceEdit{"Write '[generale]'", {1, 1}, EditReach::Field, "[generale]"}},
      {"a misspelt header that holds a keyword", SourceEdit{"Write '[segnali]'", {32, 1}, EditReach::Field, "[segnali]"}},
      {"values separated by tabs, read as a comment",
       SourceEdit{"Separate the values with commas", {23, 1}, EditReach::Field, "pendenza, 0, -3"}},
      {"gradient under the mountains' header", std::nullopt},
  };
  for (const FixCase& f : cases) {
    SCOPED_TRACE(f.what);
    const Case* c = std::find_if(std::begin(kCases), std::end(kCases),
                                 [&](const Case& k) { return std::string(k.what) == f.what; });
    ASSERT_NE(c, std::end(kCases));
    WarningList warnings;
    Compile(Text(Edited(BuiltInLineLines(), c->line_edits)), Text(Edited(BuiltInTrainLines(), c->train_edits)),
            &warnings);
    ASSERT_EQ(warnings.warnings.size(), 1u) << Describe(warnings.warnings);
    const std::optional<SourceEdit>& fix = warnings.warnings[0].fix;
    ASSERT_EQ(fix.has_value(), f.fix.has_value());
    if (!fix) continue;
    EXPECT_EQ(fix->title, f.fix->title);
    EXPECT_EQ(fix->from, f.fix->from);
    EXPECT_EQ(fix->reach, f.fix->reach);
    EXPECT_EQ(fix->replacement, f.fix->replacement);
  }
  // A caption with a quote in what follows its comma is not quoted again.
  WarningList quoted;
  Compile(Text(Edited(BuiltInLineLines(), {{41, "cartello_indicatore,  6050,   (P.L.      )(Km. 90,950 \"A\")"}})),
          Text(BuiltInTrainLines()), &quoted);
  ASSERT_EQ(quoted.warnings.size(), 1u) << Describe(quoted.warnings);
  EXPECT_EQ(quoted.warnings[0].kind, WarningKind::TextCut);
  EXPECT_FALSE(quoted.warnings[0].fix);
}

TEST(ReadingWarnings, TheEightyFirstBoardTakesRecordZero) {
  WarningList warnings;
  Compile(Text(EightyOneBoards()), Text(BuiltInTrainLines()), &warnings);
  ASSERT_EQ(warnings.warnings.size(), 1u) << Describe(warnings.warnings);
  EXPECT_EQ(warnings.warnings[0].kind, WarningKind::CaptionRecordZero);
  EXPECT_EQ(warnings.warnings[0].at.line, 40 + 80);
}

TEST(ReadingWarnings, ATrainServiceWithoutGeneralSectionIsToldOnce) {
  WarningList warnings;
  Compile(Text(BuiltInLineLines()), Text({"numero vetture,    4", "[fine]"}), &warnings);
  ASSERT_EQ(warnings.warnings.size(), 2u) << Describe(warnings.warnings);
  EXPECT_EQ(warnings.warnings[0].kind, WarningKind::WrongSection);
  EXPECT_EQ(warnings.warnings[1].kind, WarningKind::EmptyService);
  EXPECT_EQ(warnings.warnings[1].at.line, 0);
}

TEST(ReadingWarnings, TheBuiltInSourcesAreSilent) {
  for (int32_t compila_linea : {1, 0}) {
    SCOPED_TRACE(compila_linea);
    WarningList warnings;
    const Compiled compiled =
        Compile(Text(BuiltInLineLines()), Text(BuiltInTrainLines()), &warnings, compila_linea);
    EXPECT_EQ(compiled.codice_errore, 0);
    EXPECT_TRUE(warnings.warnings.empty()) << Describe(warnings.warnings);
  }
}

TEST(ReadingWarnings, ListeningChangesNeitherTheFilesNorTheErrorSlot) {
  std::vector<std::pair<std::string, std::string>> sources = {
      {Text(BuiltInLineLines()), Text(BuiltInTrainLines())},
      {Text(EightyOneBoards()), Text(BuiltInTrainLines())}};
  for (const Case& c : kCases)
    sources.push_back({Text(Edited(BuiltInLineLines(), c.line_edits)), Text(Edited(BuiltInTrainLines(), c.train_edits))});
  for (const auto& [line, train] : sources) {
    for (int32_t compila_linea : {1, 0}) {
      WarningList warnings;
      const Compiled heard = Compile(line, train, &warnings, compila_linea);
      const Compiled unheard = Compile(line, train, nullptr, compila_linea);
      EXPECT_EQ(heard.codice_errore, unheard.codice_errore);
      EXPECT_EQ(heard.posizione_errore, unheard.posizione_errore);
      EXPECT_EQ(heard.stopped_with, unheard.stopped_with);
      EXPECT_TRUE(heard.files == unheard.files);
      // A stop writes no compiled file; a stop before the train service is
      // read leaves that source where it was.
      const size_t sources_left = heard.files.count("/p/" + kTrainName);
      EXPECT_EQ(heard.files.size() - sources_left, heard.stopped_with ? 0u : compila_linea == 1 ? 3u : 2u);
    }
  }
}

TEST(ClosestKeyword, OnlyACloseKeywordIsOffered) {
  const struct {
    const char* field;
    const char* closest;
  } cases[] = {{"stazone", "stazione"},  {"STAZIONI", "stazione"}, {"segnal", "segnale"},
               {"velocia", "velocita"},  {"xyz", ""},             {"tram", ""},
               {"sabia", "sabbia"},      {"orario", ""},
               // Two letters longer or shorter is still close; three is not.
               {"stazio", "stazione"},   {"segnalexx", "segnale"},  {"stazi", ""}};
  for (const auto& c : cases)
    EXPECT_EQ(ClosestKeyword(c.field, TrainVocabulary().keywords), c.closest) << c.field;
}

}  // namespace
}  // namespace scenario
