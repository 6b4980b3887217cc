// The account of each line, as the compile of the built-in scenario (and
// small edits of it) gives it.
#include "tools/authoring/line_account.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "platform/files/memory_file_system.h"
#include "tests/support/lsp_source_texts.h"
#include "tools/authoring/author_compile.h"

namespace scenario::tool {
namespace {

using testing_support::BuiltInLineText;
using testing_support::BuiltInTrainText;
using testing_support::LineStartingWith;
using testing_support::WithLine;

const std::string kLine = "Calvisio -Sambreta_linea.txt";
const std::string kTrain = "Calvisio -Sambreta_31613-.txt";

struct Compiled {
  CompileReport report;
  ScenarioModel model;
  // The account of the line of `file` (0-based `line`), which must exist.
  const LineAccount& At(const std::string& file, int line) const {
    const LineAccount* account = AccountOf(report.lines, file, line + 1);
    if (account == nullptr) throw std::logic_error("no account of line " + std::to_string(line + 1));
    return *account;
  }
};

Compiled Compile(const std::string& line_text = BuiltInLineText(), const std::string& train_text = BuiltInTrainText()) {
  MemoryFileSystem files;
  // The built-in sources hold no letter beyond ASCII: their UTF-8 is their
  // Windows-1252.
  files.files[kLine] = line_text;
  files.files[kTrain] = train_text;
  CompileRequest request;
  request.line_file = kLine;
  request.train_file = kTrain;
  request.trace_writes = true;
  Compiled compiled;
  compiled.report = RunCheck(request, files, &compiled.model);
  return compiled;
}

TEST(LineAccount, AKeywordIsTheOneTheReadersTookWithWhatTheirFieldSays) {
  // A curve of class 4 and cab signalling of 9 codes are named as read,
  // not by the first keyword of their family.
  std::string line_text = BuiltInLineText();
  line_text = WithLine(line_text, LineStartingWith(line_text, "ripetizione"), "ripetizione segnali 9 codici,  2700,  95900");
  const int curve = LineStartingWith(line_text, "curvad4");
  const Compiled compiled = Compile(line_text);
  ASSERT_EQ(compiled.report.codice_errore, 0);

  const LineAccount& right4 = compiled.At(kLine, curve);
  ASSERT_EQ(right4.keywords.size(), 1u);
  EXPECT_EQ(right4.spec(), &keyword::kCurva);
  EXPECT_EQ(right4.keyword, "curvad4");
  EXPECT_EQ(right4.keywords[0].meaning, "a right curve of class 4");
  ASSERT_EQ(right4.keywords[0].values.size(), 2u);
  EXPECT_EQ(right4.keywords[0].values[0].number, 69500);
  EXPECT_EQ(right4.keywords[0].values[1].number, 650);
  EXPECT_EQ(right4.metres, 69500);

  const LineAccount& cab = compiled.At(kLine, LineStartingWith(line_text, "ripetizione"));
  EXPECT_EQ(cab.keywords.at(0).meaning, "cab signalling with 9 codes");
  EXPECT_EQ(cab.metres, std::nullopt);  // a setting of the whole line stands at no place
  // It writes record 86's zone.
  EXPECT_NE(std::find(cab.records.begin(), cab.records.end(), size_t{86}), cab.records.end());
}

TEST(LineAccount, SettingsStandAtNoPlaceAndItemsAtTheirFirstValue) {
  const Compiled compiled = Compile();
  const std::string train = BuiltInTrainText();
  struct Case {
    const char* start;
    std::optional<int64_t> metres;
  };
  const Case cases[] = {{"orologio", std::nullopt},  {"sabbia", std::nullopt},     {"numero vetture", std::nullopt},
                        {"percentuale", std::nullopt}, {"velocita,      50", 50}, {"stazione,    7350", 7350},
                        {"rallentamento,   21850", 21850}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.start);
    EXPECT_EQ(compiled.At(kTrain, LineStartingWith(train, c.start)).metres, c.metres);
  }
  const LineAccount& clock = compiled.At(kTrain, LineStartingWith(train, "orologio"));
  ASSERT_EQ(clock.keywords.at(0).values.size(), 3u);
  EXPECT_EQ(clock.keywords[0].values[2].number, 45);
  EXPECT_STREQ(clock.keywords[0].values[2].spec->name, "the seconds");
}

TEST(LineAccount, AStationWritesItsRecordAndStopCellAndTheMarksBeforeIt) {
  const Compiled compiled = Compile();
  const std::string train = BuiltInTrainText();
  const LineAccount& pragello = compiled.At(kTrain, LineStartingWith(train, "stazione,    7350"));
  ASSERT_EQ(pragello.records.size(), 1u);
  const size_t record = pragello.records[0];
  EXPECT_EQ(compiled.model.stazioni[record].progressiva, 7350);
  const AccountValue& name = pragello.keywords.at(0).values.back();
  EXPECT_EQ(name.text, "PRAGELLO");
  const std::string written = "stazione,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO";
  ASSERT_EQ(train.find(written), train.find("stazione,    7350"));
  EXPECT_EQ(name.column, static_cast<int>(written.find("PRAGELLO")) + 1);
  EXPECT_EQ(name.line, pragello.line);
  // Its stop cell holds its record.
  const bool stop_cell = std::any_of(pragello.cells.begin(), pragello.cells.end(), [&](size_t k) {
    return compiled.model.percorso[k].tipo_cella == tipo::fermata_stazione &&
           compiled.model.percorso[k].valore_1 == static_cast<int16_t>(record);
  });
  EXPECT_TRUE(stop_cell);
  EXPECT_FALSE(pragello.marks.empty());
}

TEST(LineAccount, WhatALaterLineOrTheCellRulesChangeIsTold) {
  const Compiled compiled = Compile();
  const std::string train = BuiltInTrainText();
  // The first speed step holds for cell 0 alone; the next step, from 50 m,
  // holds to the end of the route, and is the last word on its cells unless
  // the compile's rules changed them after the reading.
  const LineAccount& first_speed = compiled.At(kTrain, LineStartingWith(train, "velocita,   0"));
  EXPECT_EQ(first_speed.cells, std::vector<size_t>{0});
  EXPECT_TRUE(first_speed.cells_changed.empty());
  EXPECT_EQ(compiled.model.percorso[0].velocita_limite, 30 / 5);
  const LineAccount& last_speed = compiled.At(kTrain, LineStartingWith(train, "velocita,      50"));
  ASSERT_GT(last_speed.cells.size(), 1000u);
  EXPECT_EQ(last_speed.cells.front(), 1u);
  for (size_t k : last_speed.cells) {
    const bool changed = std::find(last_speed.cells_changed.begin(), last_speed.cells_changed.end(), k) !=
                         last_speed.cells_changed.end();
    const rec_cella& cell = compiled.model.percorso[k];
    // A cell the line left holds its speed, and its gradient and adhesion
    // from the line description and the adhesion step.
    if (!changed) {
      EXPECT_EQ(cell.velocita_limite, 200 / 5) << "cell " << k;
    }
  }
}

TEST(LineAccount, WarningsAndTheErrorLieOnTheirLines) {
  std::string train = BuiltInTrainText();
  const int misspelt = LineStartingWith(train, "stazione,    7350");
  train = WithLine(train, misspelt, "stazone,    7350, 12,  400,  0, 0, 0,  1,1,0,  4,1,1,   60,   8,22, 0, PRAGELLO");
  const int slow = LineStartingWith(train, "rallentamento,   21850");
  train = WithLine(train, slow, "rallentamento,   2185x,    30,  350, 1,  1,  0");
  const Compiled compiled = Compile(BuiltInLineText(), train);
  const LineAccount& unknown = compiled.At(kTrain, misspelt);
  EXPECT_TRUE(unknown.keywords.empty());
  ASSERT_EQ(unknown.warnings.size(), 1u);
  EXPECT_EQ(compiled.report.warnings[unknown.warnings[0]].kind, "unknown-keyword");
  EXPECT_TRUE(compiled.At(kTrain, slow).error);
  EXPECT_FALSE(unknown.error);
}

}  // namespace
}  // namespace scenario::tool
