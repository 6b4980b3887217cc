// The train service reader together with signal and slowdown placement:
// these tests look at the cells the placement writes for the reader.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/builtin_train_fixture.h"
#include "tests/support/train_reading.h"

namespace scenario {
namespace {

using namespace testing_support;  // NOLINT: the shared helpers of these tests

class TrainReaderPlacementTest : public TrainReading {
 protected:
  int CellsOfKind(uint8_t kind) const {
    int count = 0;
    for (const rec_cella& cell : model.percorso) count += cell.tipo_cella == kind;
    return count;
  }
};

TEST_F(TrainReaderPlacementTest, BuiltInSignalsAndSlowdownsArePlaced) {
  WriteTrain(BuiltInTrainLines());
  Read();
  ASSERT_EQ(model.codice_errore, 0);
  EXPECT_FALSE(TrainFilePresent());
  EXPECT_EQ(CellsOfKind(tipo::segnale), 27);

  const rec_cella& first = model.percorso[48];
  EXPECT_EQ(first.tipo_cella, tipo::segnale);
  EXPECT_EQ(first.valore_1, 40);
  EXPECT_EQ(first.valore_2, 10);
  EXPECT_EQ(first.valore_3, 0);
  EXPECT_EQ(first.valore_4, 6);
  EXPECT_EQ(first.tempo_segnale, 0);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(model.percorso[48 - 2 * n].avviso, 60 + n);

  const rec_cella& left = model.percorso[993];
  EXPECT_EQ(left.tipo_cella, tipo::segnale);
  EXPECT_EQ(left.valore_4, 3);
  EXPECT_EQ(left.tempo_segnale, 0);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(model.percorso[993 - 2 * n].avviso, 30 + n);

  struct Slowdown {
    int speed, warning, start, end;
  };
  for (const Slowdown& s : {Slowdown{30, 414, 438, 445}, Slowdown{50, 901, 925, 933}}) {
    SCOPED_TRACE(s.start);
    EXPECT_EQ(model.percorso[s.warning].tipo_cella, tipo::avviso_rallentamento);
    EXPECT_EQ(model.percorso[s.warning].valore_1, s.speed);
    EXPECT_EQ(model.percorso[s.start].tipo_cella, tipo::inizio_rallentamento);
    EXPECT_EQ(model.percorso[s.start].valore_1, s.speed);
    EXPECT_EQ(model.percorso[s.start].valore_3, 1);
    EXPECT_EQ(model.percorso[s.end].tipo_cella, tipo::fine_rallentamento);
    EXPECT_EQ(model.percorso[s.end].valore_1, s.speed);
    EXPECT_EQ(model.percorso[s.end].valore_3, 1);
    for (int n = 0; n < 4; ++n) {
      EXPECT_EQ(model.percorso[s.warning - 1 - n].tipo_cella, tipo::prima_dell_avviso);
      EXPECT_EQ(model.percorso[s.warning - 1 - n].valore_1, n + 1);
      EXPECT_EQ(model.percorso[s.warning - 1 - n].valore_2, 0);
    }
  }
}

// Each value of a signal or slowdown line reaches its place in the cells.
TEST_F(TrainReaderPlacementTest, EveryValueOfALineReachesThePlacement) {
  WriteTrain({"[generale]", "segnale, 5000, 2, 3, 1, 2, 1, 1, 5, 6, 7, 30",
              "rallentamento, 30000, 40, 500, 2, 1, 7", "rallentamento, 60000, 40, 500, 2, 0, 7"});
  Read();
  ASSERT_EQ(model.codice_errore, 0);

  const rec_cella& signal = model.percorso[101];
  EXPECT_EQ(signal.tipo_cella, tipo::segnale);
  EXPECT_EQ(signal.valore_1, 35);
  EXPECT_EQ(signal.valore_2, 16);
  EXPECT_EQ(signal.valore_3, 27);
  EXPECT_EQ(signal.valore_4, 17);
  EXPECT_EQ(signal.tempo_segnale, 101);
  for (int n = 1; n <= 4; ++n) EXPECT_EQ(model.percorso[101 - 2 * n].avviso, 70 + n);

  for (int end : {611, 1211}) {
    EXPECT_EQ(model.percorso[end].tipo_cella, tipo::fine_rallentamento);
    EXPECT_EQ(model.percorso[end].valore_1, 40);
    EXPECT_EQ(model.percorso[end].valore_2, 7);
    EXPECT_EQ(model.percorso[end].valore_3, 2);
  }
  EXPECT_EQ(model.percorso[601].tipo_cella, tipo::inizio_rallentamento);
  EXPECT_EQ(model.percorso[577].tipo_cella, tipo::avviso_rallentamento);
  EXPECT_EQ(model.percorso[577].valore_2, 7);
  for (int n = 0; n < 4; ++n) {
    EXPECT_EQ(model.percorso[576 - n].tipo_cella, tipo::prima_dell_avviso);
    EXPECT_EQ(model.percorso[576 - n].valore_2, n + 1);
  }
  // The second slowdown asks for no markers before its warning.
  EXPECT_EQ(model.percorso[1177].tipo_cella, tipo::avviso_rallentamento);
  EXPECT_EQ(model.percorso[1176].tipo_cella, tipo::libera);
}

TEST_F(TrainReaderPlacementTest, APlacementErrorStopsTheReadingAtItsLine) {
  struct Case {
    const char* name;
    std::vector<std::string> lines;
    int code;
    int position;
    int untouched_cell;  // a cell of a later line, never placed
  };
  const Case cases[] = {
      {"signal on a station's stop cell",
       BuiltInWith(kFirstSignalLine, "segnale, 7450, 2, 4, 1, 0, 0, 0, 0, 0, 0, 0"), 16, 7450, 108},
      {"slowdown starting on a station's stop cell",
       BuiltInWith(30, "rallentamento, 7450, 30, 350, 1, 1, 0"), 18, 7450, 925},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    model = LineHalfModel();
    WriteTrain(Append(c.lines, {"sabbia, 999"}));
    Read();
    EXPECT_EQ(model.codice_errore, c.code);
    EXPECT_EQ(model.posizione_errore, c.position);
    EXPECT_FALSE(TrainFilePresent());
    EXPECT_EQ(model.percorso[150].tipo_cella, tipo::fermata_stazione);
    EXPECT_EQ(model.percorso[150].valore_1, 2);
    EXPECT_EQ(model.percorso[c.untouched_cell], rec_cella{});
    EXPECT_EQ(model.stazioni[kRecordTreno].par_4, 300);
    EXPECT_EQ(model.percorso[1000].velocita_limite, 0) << "the closing fills ran";
  }
}

TEST_F(TrainReaderPlacementTest, ARangeErrorOfTheLinePlacesTheFirstSignalOrSlowdownThenStops) {
  model.codice_errore = 15;
  WriteTrain(BuiltInTrainLines());
  Read();
  EXPECT_EQ(model.codice_errore, 15);
  EXPECT_EQ(model.posizione_errore, 21850);
  EXPECT_EQ(model.percorso[438].tipo_cella, tipo::inizio_rallentamento);
  EXPECT_EQ(model.percorso[925].tipo_cella, tipo::libera);
  EXPECT_EQ(model.percorso[48].tipo_cella, tipo::libera);
  EXPECT_FALSE(TrainFilePresent());

  model = LineHalfModel();
  model.codice_errore = 15;
  WriteTrain({"[generale]", Station(1000, 8, 200, 0, 0, "PRIMA"),
              "segnale, 5000, 2, 4, 1, 0, 0, 0, 0, 0, 0, 0", Station(9000, 12, 300, 0, 0, "SECONDA")});
  Read();
  EXPECT_EQ(model.codice_errore, 15);
  EXPECT_EQ(model.posizione_errore, 5000);
  EXPECT_EQ(model.percorso[101].tipo_cella, tipo::segnale);
  EXPECT_EQ(model.stazioni[2], rec_stazione{});
}

}  // namespace
}  // namespace scenario
