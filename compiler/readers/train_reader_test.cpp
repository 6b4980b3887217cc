#include "compiler/readers/train_reader.h"
#include "compiler/readers/train_reader_parts.h"

#include <gtest/gtest.h>

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "compiler/fields/runtime_failure.h"
#include "tests/support/builtin_train_fixture.h"
#include "tests/support/train_reading.h"

namespace scenario {
namespace {

using namespace testing_support;  // NOLINT: the shared helpers of these tests

class TrainReaderTest : public TrainReading {};

TEST_F(TrainReaderTest, BuiltInServiceReadsToTheEndWithNoError) {
  WriteTrain(BuiltInTrainLines());
  Read();

  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.posizione_errore, kUntouchedPosition);
  EXPECT_TRUE(files.files.empty()) << "the train source must be deleted";

  const rec_stazione& general = model.stazioni[kRecordDatiGenerali];
  EXPECT_EQ(general.inizio_zona, 120);
  EXPECT_EQ(general.progressiva, 4);
  EXPECT_EQ(general.fine_zona, 99000);
  const rec_stazione& treno = model.stazioni[kRecordTreno];
  EXPECT_EQ(treno.par_4, 300);
  EXPECT_EQ(treno.par_7, 8);
  EXPECT_EQ(treno.par_8, 12);
  EXPECT_EQ(treno.par_9, 45);
  EXPECT_EQ(treno.inizio_zona, 2700);
  EXPECT_EQ(treno.fine_zona, 95900);
  EXPECT_EQ(treno.progressiva, 4);
  EXPECT_EQ(treno.nome, "31613");

  // The seventeen stations in file order, their names as written.
  std::vector<std::string> expected_names;
  for (size_t n = kFirstStationLine; n < kFirstStationLine + 17; ++n) {
    const std::string& line = BuiltInTrainLines()[n - 1];
    expected_names.push_back(line.substr(line.rfind(", ") + 2));
  }
  for (int i = 1; i <= 17; ++i) EXPECT_EQ(model.stazioni[i].nome, expected_names[i - 1]) << i;
  EXPECT_EQ(model.stazioni[13].nome, "MARANCO - TESSERA");
  EXPECT_EQ(StationsStored(), 17);
  EXPECT_EQ(model.stazioni[0], rec_stazione{});
  EXPECT_EQ(model.stazioni[18], rec_stazione{});

  // One stop cell per station, in route order.
  std::map<int, int> stops = StopCells();
  ASSERT_EQ(stops.size(), 17u);
  int expected_station = 1;
  for (const auto& [cell, station] : stops) EXPECT_EQ(station, expected_station++) << "cell " << cell;
}

TEST_F(TrainReaderTest, BuiltInStationsTakeTheirZonesTimesStopCellsAndMarks) {
  WriteTrain(BuiltInTrainLines());
  Read();
  ASSERT_EQ(model.codice_errore, 0);

  struct Expected {
    int index;
    rec_stazione record;
    int stop_cell;
    int first_mark_cell;  // gets 81; the three before it 82, 83, 84
  };
  const Expected cases[] = {
      {1,
       {.tipo_stazione = 8, .inizio_zona = -700, .fine_zona = 700, .progressiva = 0, .par_1 = 1,
        .nome = "CALVISIO P.N.", .par_4 = 4, .par_5 = 1, .par_7 = 2, .par_8 = 1, .par_9 = 1,
        .par_6 = 0, .sosta = 1, .par_3 = 0, .par_2 = 0, .orario = 29580},
       13, 12},
      {2,
       {.tipo_stazione = 12, .inizio_zona = 7150, .fine_zona = 7550, .progressiva = 7350, .par_1 = 0,
        .nome = "PRAGELLO", .par_4 = 1, .par_5 = 1, .par_7 = 4, .par_8 = 1, .par_9 = 1, .par_6 = 0,
        .sosta = 60, .par_3 = 0, .par_2 = 0, .orario = 30120},
       150, 149},
      {17,
       {.tipo_stazione = 4, .inizio_zona = 96750, .fine_zona = 97250, .progressiva = 97000,
        .par_1 = 1, .nome = "SAMBRETA", .par_4 = 1, .par_5 = 1, .par_7 = 2, .par_8 = 1, .par_9 = 1,
        .par_6 = 0, .sosta = 1, .par_3 = 0, .par_2 = 0, .orario = 34680},
       1944, 1943},
  };
  for (const Expected& c : cases) {
    SCOPED_TRACE(c.record.nome);
    EXPECT_EQ(Describe(model.stazioni[c.index]), Describe(c.record));
    EXPECT_EQ(model.percorso[c.stop_cell].tipo_cella, tipo::fermata_stazione);
    EXPECT_EQ(model.percorso[c.stop_cell].valore_1, c.index);
    for (int j = 1; j <= 4; ++j) EXPECT_EQ(model.percorso[c.first_mark_cell + 1 - j].avviso, 80 + j);
    EXPECT_EQ(model.percorso[c.first_mark_cell - 4].avviso, 0);
    EXPECT_EQ(model.percorso[c.stop_cell].avviso, 0);
  }
}

TEST_F(TrainReaderTest, BuiltInStepsFillTheRouteShortOfItsLastThreeCells) {
  WriteTrain(BuiltInTrainLines());
  Read();
  ASSERT_EQ(model.codice_errore, 0);

  EXPECT_EQ(model.percorso[0].velocita_limite, 6);
  for (int k = 1; k <= 2117; ++k) ASSERT_EQ(model.percorso[k].velocita_limite, 40) << k;
  for (int k = 0; k <= 2117; ++k) ASSERT_EQ(model.percorso[k].aderenza, 100) << k;
  for (int k = 2118; k <= 2120; ++k) {
    EXPECT_EQ(model.percorso[k].velocita_limite, 0) << k;
    EXPECT_EQ(model.percorso[k].aderenza, 0) << k;
  }
}

TEST_F(TrainReaderTest, StepLines) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    // Cell -> expected velocita_limite, aderenza.
    std::map<int, std::pair<int, int>> cells;
  };
  const Case cases[] = {
      {"same position twice: one cell takes the earlier value",
       {"[generale]", "velocita, 0, 30", "velocita, 1000, 80", "velocita, 1000, 60"},
       {{19, {6, 0}}, {20, {16, 0}}, {21, {12, 0}}, {2117, {12, 0}}, {2118, {0, 0}}}},
      {"position rounds half to even",
       {"[generale]", "velocita, 0, 30", "velocita, 1025, 80", "velocita, 1075, 60"},
       {{19, {6, 0}}, {20, {16, 0}}, {21, {16, 0}}, {22, {12, 0}}}},
      {"a step line that matches both kinds",
       {"[generale]", "VELOCITA ADERENZA, 0, 30, 0, 90"},
       {{0, {6, 90}}, {2117, {6, 90}}, {2118, {0, 0}}}},
      {"the fifth of a speed rounds half to even",
       {"[generale]", "velocita, 0, 1275", "velocita, 50, 62", "velocita, 100, 67"},
       {{0, {255, 0}}, {1, {12, 0}}, {2, {13, 0}}}},
      {"adhesion keeps its low eight bits",
       {"[generale]", "aderenza, 0, 300", "aderenza, 500, -1"},
       {{0, {0, 44}}, {9, {0, 44}}, {10, {0, 255}}, {2117, {0, 255}}}},
      {"a negative position fills nothing and sets the value from cell 0",
       {"[generale]", "velocita, -500, 100", "velocita, 100, 50"},
       {{0, {20, 0}}, {1, {20, 0}}, {2, {10, 0}}}},
      {"lines at the last position never fill past the last cell",
       {"[generale]", "velocita, 0, 30", "velocita, 105900, 100", "velocita, 105900, 100",
        "velocita, 105900, 100", "velocita, 105900, 100", "velocita, 105900, 100"},
       {{2117, {6, 0}}, {2118, {20, 0}}, {2119, {20, 0}}, {2120, {20, 0}}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.percorso.assign(2121, rec_cella{});
    WriteTrain(c.lines);
    Read();
    EXPECT_EQ(model.codice_errore, 0);
    for (const auto& [cell, values] : c.cells) {
      EXPECT_EQ(model.percorso[cell].velocita_limite, values.first) << "cell " << cell;
      EXPECT_EQ(model.percorso[cell].aderenza, values.second) << "cell " << cell;
    }
  }
}

TEST_F(TrainReaderTest, ZoneRulesByStationKind) {
  struct Case {
    const char* name;
    std::string line;
    bool first;  // read as the first station rather than the second
    int inizio, fine, par_2, par_3;
    int stop_cell;                // 0: none
    std::map<int, int> marks;     // of this station only
  };
  const std::map<int, int> no_marks;
  const Case cases[] = {
      {"kind 12 with par_3 reaches 50 m further", Station(10000, 12, 300, 0, 1), false, 9850, 10200,
       0, 1, 203, {{202, 81}, {201, 82}, {200, 83}, {199, 84}}},
      {"kind 12", Station(10000, 12, 300), false, 9850, 10150, 0, 0, 202,
       {{201, 81}, {200, 82}, {199, 83}, {198, 84}}},
      {"kind 5: 150 m past its position, no marks", Station(20000, 5, 300, 0, 1), false, 19700,
       20150, 0, 0, 402, no_marks},
      {"kind 6", Station(20000, 6, 300, 0, 1), false, 19700, 20150, 0, 0, 402, no_marks},
      {"kind 7: its length both ways", Station(20000, 7, 300, 0, 1), false, 19700, 20300, 0, 0,
       405, {{404, 81}, {403, 82}, {402, 83}, {401, 84}}},
      {"kind 8", Station(20000, 8, 300, 0, 1), false, 19700, 20300, 0, 0, 405,
       {{404, 81}, {403, 82}, {402, 83}, {401, 84}}},
      {"kind 24 still has a stop cell", Station(20000, 24, 400), false, 19800, 20200, 0, 0, 403,
       {{402, 81}, {401, 82}, {400, 83}, {399, 84}}},
      {"kind 25: neither stop cell nor marks", Station(20000, 25, 400, 0, 1), false, 19800, 20250,
       0, 1, 0, no_marks},
      {"kind 30", Station(20000, 30, 400), false, 19800, 20200, 0, 0, 0, no_marks},
      {"par_2 is cleared below 600 m", Station(20000, 12, 500, 1), false, 19750, 20250, 0, 0, 404,
       {{403, 81}, {402, 82}, {401, 83}, {400, 84}}},
      {"par_2 is kept from 600 m", Station(20000, 12, 600, 1), false, 19700, 20300, 1, 0, 405,
       {{404, 81}, {403, 82}, {402, 83}, {401, 84}}},
      {"the first station uses par_3, then loses par_2 and par_3", Station(10000, 12, 600, 1, 1),
       true, 9700, 10350, 0, 0, 206, {{205, 81}, {204, 82}, {203, 83}, {202, 84}}},
      {"marks stop above cell 1", Station(0, 8, 200), true, -200, 200, 0, 0, 3, {{2, 81}}},
  };
  const std::string first_station = Station(1000, 8, 200, 0, 0, "PRIMA");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.percorso.assign(2121, rec_cella{});
    for (int i = 1; i <= 2; ++i) model.stazioni[i] = rec_stazione{};
    WriteTrain(c.first ? std::vector<std::string>{"[generale]", c.line}
                       : std::vector<std::string>{"[generale]", first_station, c.line});
    Read();
    ASSERT_EQ(model.codice_errore, 0);
    const int index = c.first ? 1 : 2;
    const rec_stazione& record = model.stazioni[index];
    EXPECT_EQ(record.inizio_zona, c.inizio);
    EXPECT_EQ(record.fine_zona, c.fine);
    EXPECT_EQ(record.par_2, c.par_2);
    EXPECT_EQ(record.par_3, c.par_3);

    std::map<int, int> stops = StopCells();
    std::map<int, int> marks = Marks();
    if (!c.first) {
      // The first station (zone 800..1200) owns cell 23 and marks 22 to 19.
      EXPECT_EQ(stops[23], 1);
      stops.erase(23);
      for (int k = 19; k <= 22; ++k) marks.erase(k);
    }
    std::map<int, int> expected_stops;
    if (c.stop_cell != 0) expected_stops[c.stop_cell] = index;
    EXPECT_EQ(stops, expected_stops);
    EXPECT_EQ(marks, c.marks);
  }
}

TEST_F(TrainReaderTest, StopCellOverwritesWhatTheCellHeldAndMarksTouchOnlyAvviso) {
  model.percorso[202] = rec_cella{.tipo_cella = tipo::cartello, .valore_1 = 80, .valore_2 = 7};
  model.percorso[201] = rec_cella{.tipo_cella = tipo::indicatore_v_max, .valore_1 = 1900, .avviso = 9,
                                  .pendenza = 100};
  WriteTrain({"[generale]", Station(10000, 12, 300)});
  Read();
  ASSERT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.percorso[202].tipo_cella, tipo::fermata_stazione);
  EXPECT_EQ(model.percorso[202].valore_1, 1);
  EXPECT_EQ(model.percorso[202].valore_2, 7);
  const rec_cella marked{.tipo_cella = tipo::indicatore_v_max, .valore_1 = 1900, .avviso = 81,
                         .pendenza = 100};
  EXPECT_EQ(model.percorso[201], marked);
}

// Every error stop deletes the source, records its error and reads nothing
// more: neither the lines after it nor the closing fills.
TEST_F(TrainReaderTest, ErrorStops) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int code;
    int position;
    int stations_stored;
  };
  const Case cases[] = {
      {"station position not a multiple of 50",
       BuiltInWith(kSecondStationLine, "stazione, 7351, 12, 400, 0, 0, 0, 1,1,0, 4,1,1, 60, 8,22,0, X"),
       8, 7351, 2},
      {"station length not a multiple of 100",
       BuiltInWith(kSecondStationLine, "stazione, 7350, 12, 450, 0, 0, 0, 1,1,0, 4,1,1, 60, 8,22,0, X"),
       9, 7350, 2},
      {"zone too close to the previous one", BuiltInWith(kSecondStationLine, Station(1000, 12, 400)),
       22, 1000, 2},
      {"zone ending within the first 100 m", BuiltInWith(kFirstStationLine, Station(0, 12, 100)), 24,
       kUntouchedPosition, 1},
      {"zone ending at 100 m", BuiltInWith(kFirstStationLine, Station(0, 12, 200)), 24,
       kUntouchedPosition, 1},
      {"code change on a stop cell",
       Append(BuiltInUpTo(kLastSignalLine), {"[codici]", "abbattimento, 7500, 150", "[fine]"}), 7, 7500, 17},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model = LineHalfModel();
    WriteTrain(Append(c.lines, {"sabbia, 999"}));
    Read();
    EXPECT_EQ(model.codice_errore, c.code);
    EXPECT_EQ(model.posizione_errore, c.position);
    EXPECT_FALSE(TrainFilePresent());
    EXPECT_EQ(StationsStored(), c.stations_stored);
    EXPECT_EQ(model.stazioni[kRecordTreno].par_4, 300) << "a line after the stop was read";
    EXPECT_EQ(model.percorso[0].velocita_limite, 6);
    EXPECT_EQ(model.percorso[1000].velocita_limite, 0) << "the closing fills ran";
    EXPECT_EQ(model.percorso[1000].aderenza, 0) << "the closing fills ran";
  }
}

TEST_F(TrainReaderTest, AStoppedStationKeepsWhatWasReadBeforeTheStop) {
  WriteTrain(BuiltInWith(kSecondStationLine,
                         "stazione, 7351, 12, 400, 1, 1, 1, 1,1,0, 4,1,1, 60, 8,22,0, X"));
  Read();
  ASSERT_EQ(model.codice_errore, 8);
  EXPECT_EQ(Describe(model.stazioni[2]), Describe(rec_stazione{.progressiva = 7351, .nome = ""}));

  model.stazioni[2] = rec_stazione{};
  WriteTrain(BuiltInWith(kSecondStationLine,
                         "stazione, 7350, 12, 450, 1, 1, 1, 1,1,0, 4,1,1, 60, 8,22,0, X"));
  Read();
  ASSERT_EQ(model.codice_errore, 9);
  EXPECT_EQ(Describe(model.stazioni[2]),
            Describe(rec_stazione{.tipo_stazione = 12, .progressiva = 7350, .nome = ""}));

  // A station refused for its spacing or its zone is stored whole, with its
  // stop cell.
  model.stazioni[2] = rec_stazione{};
  WriteTrain(BuiltInWith(kSecondStationLine, Station(1000, 12, 400)));
  Read();
  ASSERT_EQ(model.codice_errore, 22);
  EXPECT_EQ(model.stazioni[2].inizio_zona, 800);
  EXPECT_EQ(model.stazioni[2].fine_zona, 1200);
  EXPECT_EQ(model.stazioni[2].nome, "STAZIONE");
  EXPECT_EQ(model.percorso[23].tipo_cella, tipo::fermata_stazione);
  EXPECT_EQ(model.percorso[23].valore_1, 2);
}

TEST_F(TrainReaderTest, StationsStopBeforeReachingTheCaptionRecords) {
  struct Case {
    int stations;
    int32_t caption_slot;
    int code;
    int stored;
  };
  const Case cases[] = {
      {78, 80, 0, 78},   // a line with no boards
      {79, 80, 10, 79},  // the 79th goes into record 79, then the reading stops
      {3, 3, 10, 2},     // two free records below the captions
      {2, 1, 10, 1},     // one free record
      {1, 0, 10, 0},     // record 1 holds a caption: no station may take it
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << c.stations << " stations, caption slot " << c.caption_slot);
    for (int i = 1; i < kRecordProgressivaTre; ++i) model.stazioni[i] = rec_stazione{};
    // The captions the line half stored from record 80 down.
    for (int i = 80; i > c.caption_slot && i > 0; --i) model.stazioni[i].nome = "(P.L.)";
    model.percorso.assign(2121, rec_cella{});
    model.codice_errore = 0;
    std::vector<std::string> lines = {"[generale]"};
    for (int n = 1; n <= c.stations; ++n)
      lines.push_back(Station(1000 * n, 12, 300, 0, 0, "S" + std::to_string(n)));
    lines.push_back("sabbia, 999");
    WriteTrain(lines);
    model.stazioni[kRecordTreno].par_4 = 300;
    Read(c.caption_slot);

    EXPECT_EQ(model.codice_errore, c.code);
    EXPECT_EQ(model.posizione_errore, kUntouchedPosition);
    EXPECT_FALSE(TrainFilePresent());
    EXPECT_EQ(model.stazioni[kRecordTreno].par_4, c.code == 0 ? 999 : 300);
    for (int i = 1; i <= c.stored; ++i) EXPECT_EQ(model.stazioni[i].nome, "S" + std::to_string(i));
    for (int i = 80; i > c.caption_slot && i > 0; --i) EXPECT_EQ(model.stazioni[i].nome, "(P.L.)") << i;
    EXPECT_EQ(StopCells().size(), static_cast<size_t>(c.stored));
  }
}

TEST_F(TrainReaderTest, RangeErrorsEndTheReadingWithTheClosingSteps) {
  struct Case {
    std::string line;
    int code;
    int position;
  };
  const std::string signal_rest = ", 2, 4, 1, 0, 0, 0, 0, 0, 0, 0";
  const Case cases[] = {
      {"velocita, 105900, 80", 0, kUntouchedPosition},
      {"velocita, 105901, 80", 15, 105901},
      {"aderenza, 105901, 80", 15, 105901},
      {"abbattimento, 105900, 5", 0, kUntouchedPosition},
      {"abbattimento, 105901, 5", 15, 105901},
      {"rallentamento, 105901, 30, 350, 1, 1, 0", 15, 105901},
      {"segnale, 105901" + signal_rest, 15, 105901},
      {Station(105200, 4, 500), 0, kUntouchedPosition},
      {Station(105250, 4, 500), 15, 105250},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    model.percorso.assign(2121, rec_cella{});
    model.codice_errore = 0;
    model.posizione_errore = kUntouchedPosition;
    model.stazioni[kRecordTreno].par_4 = 0;
    WriteTrain({"[generale]", "velocita, 0, 30", "aderenza, 0, 100", c.line, "sabbia, 999"});
    Read();
    EXPECT_EQ(model.codice_errore, c.code);
    EXPECT_EQ(model.posizione_errore, c.position);
    EXPECT_FALSE(TrainFilePresent());
    EXPECT_EQ(model.stazioni[kRecordTreno].par_4, c.code == 0 ? 999 : 0);
    // The closing fills ran in every case.
    EXPECT_EQ(model.percorso[1000].velocita_limite, 6);
    EXPECT_EQ(model.percorso[1000].aderenza, 100);
  }
}

TEST_F(TrainReaderTest, ARangeErrorIsOverwrittenByTheProgressiveCheck) {
  model.stazioni[kRecordProgressivaTre].inizio_zona = 125;
  WriteTrain({"[generale]", "velocita, 200000, 80"});
  Read();
  EXPECT_EQ(model.codice_errore, 2);
  EXPECT_EQ(model.posizione_errore, 200000);
}

TEST_F(TrainReaderTest, ProgressiveCheckAfterACleanRead) {
  struct Case {
    int record;
    int32_t inizio, fine;
    int code;
  };
  const Case cases[] = {
      {kRecordProgressivaTre, 125, 97100, 2},  {kRecordProgressivaTre, 0, 97125, 2},
      {kRecordProgressivaDue, 0, 30, 2},       {kRecordProgressivaUno, -75, 0, 2},
      {kRecordProgressivaUno, -50, 1000, 0},   {kRecordProgressivaDue, 100, 0, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "record " << c.record << ": " << c.inizio << ", " << c.fine);
    model = LineHalfModel();
    model.stazioni[c.record].inizio_zona = c.inizio;
    model.stazioni[c.record].fine_zona = c.fine;
    WriteTrain(BuiltInTrainLines());
    Read();
    EXPECT_EQ(model.codice_errore, c.code);
    EXPECT_EQ(model.posizione_errore, kUntouchedPosition);
    EXPECT_FALSE(TrainFilePresent());
    EXPECT_EQ(StationsStored(), 17);
  }
}

TEST_F(TrainReaderTest, CodeChangePoints) {
  struct Case {
    std::string line;
    uint8_t kind_before;
    int cell;
    uint8_t kind_after;
    int16_t valore_1;
  };
  const Case cases[] = {
      {"abbattimento, 30000, 150", tipo::libera, 600, tipo::cambio_codice, 150},
      {"abbattimento, 30000, 0", tipo::libera, 600, tipo::cambio_codice_abbattimento, 77},
      {"abbattimento, 30000, -5", tipo::libera, 600, tipo::cambio_codice_abbattimento, 77},
      {"abbattimento, 30000, 70000", tipo::libera, 600, tipo::cambio_codice, 4464},
      {"abbattimento, 30000, 150", tipo::marcatore_montagna, 600, tipo::cambio_codice, 150},
      {"ABBATTIMENTO, 30025, 150", tipo::libera, 600, tipo::cambio_codice, 150},
      {"abbattimento, 30075, 150", tipo::libera, 602, tipo::cambio_codice, 150},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    model.percorso.assign(2121, rec_cella{});
    model.percorso[c.cell] = rec_cella{.tipo_cella = c.kind_before, .valore_1 = 77, .montagna = 2};
    WriteTrain({"[generale]", c.line});
    Read();
    EXPECT_EQ(model.codice_errore, 0);
    const rec_cella expected{.tipo_cella = c.kind_after, .valore_1 = c.valore_1, .montagna = 2};
    EXPECT_EQ(model.percorso[c.cell], expected);
    EXPECT_EQ(model.percorso[c.cell + 1].tipo_cella, tipo::libera);
  }
}

TEST_F(TrainReaderTest, CodeChangeOnATakenCellStops) {
  for (uint8_t kind : {tipo::cartello, tipo::indicatore_v_max, tipo::cambio_codice}) {
    SCOPED_TRACE(int{kind});
    model.percorso.assign(2121, rec_cella{});
    model.percorso[600] = rec_cella{.tipo_cella = kind, .valore_1 = 80};
    WriteTrain({"[generale]", "abbattimento, 30000, 150"});
    Read();
    EXPECT_EQ(model.codice_errore, 7);
    EXPECT_EQ(model.posizione_errore, 30000);
    EXPECT_EQ(model.percorso[600], (rec_cella{.tipo_cella = kind, .valore_1 = 80}));
    EXPECT_FALSE(TrainFilePresent());
  }
}

// A range error left by the line description stops the reading at the
// first signal or slowdown, with that line's position.
TEST_F(TrainReaderTest, ARangeErrorOfTheLineStopsAtTheFirstSignalOrSlowdown) {
  model.codice_errore = 15;
  model.posizione_errore = 123450;
  WriteTrain(BuiltInTrainLines());
  Read();
  EXPECT_EQ(model.codice_errore, 15);
  EXPECT_EQ(model.posizione_errore, 21850);
  EXPECT_FALSE(TrainFilePresent());
  EXPECT_EQ(StationsStored(), 17);
  EXPECT_EQ(model.stazioni[kRecordDatiGenerali].inizio_zona, 120);
  EXPECT_EQ(model.percorso[0].velocita_limite, 6);
  EXPECT_EQ(model.percorso[1].velocita_limite, 0) << "the closing fills ran";

  model = LineHalfModel();
  model.codice_errore = 15;
  WriteTrain({"[generale]", Station(1000, 8, 200, 0, 0, "PRIMA"),
              "segnale, 5000, 2, 4, 1, 0, 0, 0, 0, 0, 0, 0", Station(9000, 12, 300, 0, 0, "SECONDA")});
  Read();
  EXPECT_EQ(model.codice_errore, 15);
  EXPECT_EQ(model.posizione_errore, 5000);
  EXPECT_EQ(model.stazioni[1].nome, "PRIMA");
  EXPECT_EQ(model.stazioni[2], rec_stazione{});
  EXPECT_FALSE(TrainFilePresent());
}

TEST_F(TrainReaderTest, ARangeErrorOfTheLineStaysWhenNoSignalOrSlowdownFollows) {
  model.codice_errore = 15;
  model.posizione_errore = 123450;
  WriteTrain(BuiltInUpTo(kLastStationLine));
  Read();
  EXPECT_EQ(model.codice_errore, 15);
  EXPECT_EQ(model.posizione_errore, 123450);
  EXPECT_EQ(StationsStored(), 17);
  EXPECT_EQ(model.percorso[1000].velocita_limite, 40);
  EXPECT_FALSE(TrainFilePresent());
}

TEST_F(TrainReaderTest, NothingIsReadWithoutAGeneralSection) {
  for (rec_cella& cell : model.percorso) {
    cell.velocita_limite = 99;
    cell.aderenza = 99;
  }
  const rec_stazione general_before = model.stazioni[kRecordDatiGenerali];
  const rec_stazione train_before = model.stazioni[kRecordTreno];
  std::vector<std::string> lines(BuiltInTrainLines().begin() + 1, BuiltInTrainLines().end());
  lines.insert(lines.begin(), "[generali]");
  WriteTrain(lines);
  Read();

  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_FALSE(TrainFilePresent());
  EXPECT_EQ(StationsStored(), 0);
  EXPECT_EQ(model.stazioni[kRecordDatiGenerali], general_before);
  EXPECT_EQ(model.stazioni[kRecordTreno], train_before);
  EXPECT_TRUE(StopCells().empty());
  EXPECT_TRUE(Marks().empty());
  // The closing fills still ran, with nothing read: 0 up to the last three cells.
  for (int k = 0; k <= 2117; ++k) {
    ASSERT_EQ(model.percorso[k].velocita_limite, 0) << k;
    ASSERT_EQ(model.percorso[k].aderenza, 0) << k;
  }
  for (int k = 2118; k <= 2120; ++k) EXPECT_EQ(model.percorso[k].velocita_limite, 99) << k;

  // An empty file has no general section either.
  WriteTrain({});
  Read();
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_FALSE(TrainFilePresent());
}

TEST_F(TrainReaderTest, KeywordFields) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int sabbia;  // record 86's par_4 afterwards
  };
  const Case cases[] = {
      {"lines before the general section are passed over", {"sabbia, 5", "[generale]"}, 0},
      {"the general section in capitals", {"[GENERALE]", "SABBIA, 5"}, 5},
      {"a comment field is passed over", {"[generale]", "-- nota, sabbia, 7"}, 7},
      {"the third field is taken whatever it holds", {"[generale]", "- a, - b, sabbia-c, 9"}, 9},
      {"a third comment field is tested and matches nothing", {"[generale]", "- a, - b, - c, sabbia, 9"}, 9},
      {"a field after a comment that ends the file is not tested",
       {"[generale]", "sabbia, 5", "- nota", "sabbia"}, 5},
      {"a field after two comments that ends the file is not tested",
       {"[generale]", "sabbia, 5", "- nota", "- altra", "sabbia"}, 5},
      {"a keyword field that ends the file is not tested", {"[generale]", "sabbia, 5", "sabbia"}, 5},
      {"lines after the end marker are read", {"[generale]", "[fine]", "sabbia, 11"}, 11},
      {"a value on the next line", {"[generale]", "sabbia,", "    12"}, 12},
      {"a later line overwrites", {"[generale]", "sabbia, 3", "[aderenze]", "sabbia, 4"}, 4},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model.stazioni[kRecordTreno].par_4 = 0;
    WriteTrain(c.lines);
    Read();
    EXPECT_EQ(model.codice_errore, 0);
    EXPECT_EQ(model.stazioni[kRecordTreno].par_4, c.sabbia);
    EXPECT_FALSE(TrainFilePresent());
  }
}

TEST_F(TrainReaderTest, GeneralDataLines) {
  WriteTrain({"[generale]", "massa, 1", "frenata, 2", "NUMERO VETTURE,", "7", "Frenata Massa, 90",
              "orologio, 23 59    59", "sabbia, -32768"});
  Read();
  ASSERT_EQ(model.codice_errore, 0);
  // "massa" or "frenata" alone is not the braked-mass line: its value is read
  // as the next keyword field and matches nothing.
  EXPECT_EQ(model.stazioni[kRecordDatiGenerali].inizio_zona, 90);
  EXPECT_EQ(model.stazioni[kRecordDatiGenerali].progressiva, 7);
  EXPECT_EQ(model.stazioni[kRecordTreno].par_7, 23);
  EXPECT_EQ(model.stazioni[kRecordTreno].par_8, 59);
  EXPECT_EQ(model.stazioni[kRecordTreno].par_9, 59);
  EXPECT_EQ(model.stazioni[kRecordTreno].par_4, -32768);
}

// A run-time failure is not the reader's to record: it leaves through the
// trap of memorizza_dati (error 25) with what was stored before it kept.
TEST_F(TrainReaderTest, RunTimeFailuresLeaveForTheTrap) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    std::function<void(const ScenarioModel&)> kept;
  };
  const Case cases[] = {
      {"a speed whose fifth passes a Byte",
       {"[generale]", "velocita, 0, 30", "velocita, 100, 1278", "velocita, 200, 30"},
       [](const ScenarioModel& m) {
         EXPECT_EQ(m.percorso[1].velocita_limite, 6);
         EXPECT_EQ(m.percorso[2].velocita_limite, 0);
       }},
      {"a speed whose fifth is negative", {"[generale]", "velocita, 0, -3", "velocita, 100, 30"},
       [](const ScenarioModel&) {}},
      {"the last speed's fifth passes a Byte at the closing fill", {"[generale]", "velocita, 0, 1278"},
       [](const ScenarioModel& m) { EXPECT_EQ(m.percorso[0].velocita_limite, 0); }},
      {"a station kind outside a Byte", BuiltInWith(kThirdStationLine, Station(14350, 300, 500)),
       [](const ScenarioModel& m) {
         EXPECT_EQ(m.stazioni[2].nome, "PRAGELLO");
         EXPECT_EQ(Describe(m.stazioni[3]), Describe(rec_stazione{.progressiva = 14350, .nome = ""}));
       }},
      {"a station line cut off at the end of the file",
       Append(BuiltInUpTo(kFirstStationLine), {"stazione,    7350, 12,  400,  1, 1"}),
       [](const ScenarioModel& m) {
         EXPECT_EQ(m.stazioni[1].nome, "CALVISIO P.N.");
         EXPECT_EQ(Describe(m.stazioni[2]),
                   Describe(rec_stazione{.tipo_stazione = 12, .progressiva = 7350, .par_1 = 1, .nome = "", .par_2 = 1}));
       }},
      {"a clock value outside an Integer", {"[generale]", "orologio, 8 40000 0"},
       [](const ScenarioModel& m) { EXPECT_EQ(m.stazioni[kRecordTreno].par_7, 8); }},
      {"a timetable time beyond a Long",
       {"[generale]", "stazione, 1000, 8, 200, 0,0,0, 0,0,0, 4,1,1, 0, 1000000,0,0, LONTANA"},
       [](const ScenarioModel& m) {
         EXPECT_EQ(m.stazioni[1].nome, "LONTANA");
         EXPECT_EQ(m.stazioni[1].orario, 0);
         EXPECT_EQ(m.stazioni[1].fine_zona, 0);
       }},
      {"a zone start beyond a Long", {"[generale]", Station(-2147483600, 8, 100)},
       [](const ScenarioModel& m) { EXPECT_EQ(m.stazioni[1].inizio_zona, 0); }},
      {"a rounded zone start beyond a Long", {"[generale]", Station(-2147483600, 12, 200)},
       [](const ScenarioModel& m) { EXPECT_EQ(m.stazioni[1].progressiva, -2147483600); }},
      {"a zone start beyond a Long from a negative length",
       {"[generale]", Station(1000, 8, -2147483600)},
       [](const ScenarioModel& m) {
         EXPECT_EQ(m.stazioni[1].tipo_stazione, 8);
         EXPECT_EQ(m.stazioni[1].inizio_zona, 0);
       }},
      {"marks beyond the last cell", {"[generale]", Station(105200, 12, 2000)},
       [](const ScenarioModel& m) {
         EXPECT_EQ(m.stazioni[1].inizio_zona, 104200);
         EXPECT_EQ(m.stazioni[1].fine_zona, 106200);
       }},
      {"a code change before cell 0", {"[generale]", "abbattimento, -100, 5"},
       [](const ScenarioModel&) {}},
      {"a position that is no number", {"[generale]", "velocita, 10.5, 30"},
       [](const ScenarioModel&) {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model = LineHalfModel();
    WriteTrain(c.lines);
    EXPECT_THROW(Read(), RuntimeFailure);
    EXPECT_EQ(model.codice_errore, 0) << "the reader recorded an error of its own";
    c.kept(model);
  }
}

TEST_F(TrainReaderTest, AMissingSourceOrARouteNeverAllocatedFails) {
  EXPECT_THROW(Read(), RuntimeFailure);

  model.percorso.clear();
  model.ultima_cella = 0;
  WriteTrain({"[generale]", "velocita, -500, 30"});
  EXPECT_THROW(Read(), RuntimeFailure);
}

TEST_F(TrainReaderTest, TheReadingPlaceNamesTheLineBeingRead) {
  WriteTrain(Append(BuiltInUpTo(kFirstStationLine), {"stazione,    7350, 12,  400,  1, 1"}));
  EXPECT_THROW(Read(), RuntimeFailure);
  EXPECT_EQ(place.file, "Calvisio -Sambreta_31613-.txt");
  EXPECT_EQ(place.keyword, (FieldPosition{13, 1}));
}

}  // namespace
}  // namespace scenario

namespace scenario::train_reading {
namespace {

// The places read ahead are on the lines they stand on, whatever ends the
// lines: CR LF, LF alone or CR alone.
TEST(PlacesWritten, EveryLineEndCountsAndTheReadingEndsAtFine) {
  const std::vector<PlaceWritten> places =
      PlacesWritten("stazione, 10\rStazione,20\r\nvelocita, 5\n  stazione ,  30\r[fine]\rstazione, 40", 7, "stazione");
  ASSERT_EQ(places.size(), 3u);
  EXPECT_EQ(places[0].line, 7);
  EXPECT_EQ(places[0].place, 10);
  EXPECT_EQ(places[1].line, 8);
  EXPECT_EQ(places[1].place, 20);
  EXPECT_EQ(places[2].line, 10);
  EXPECT_EQ(places[2].place, 30);
}

}  // namespace
}  // namespace scenario::train_reading
