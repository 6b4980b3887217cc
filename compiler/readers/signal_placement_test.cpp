#include "compiler/readers/signal_placement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <vector>

#include "compiler/fields/runtime_failure.h"

namespace scenario {
namespace {

// The eleven values of a signal line.
struct Segnale {
  int32_t posizione = 0;
  int32_t sx = 0, s1 = 0, s2 = 0, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0, tempo = 0;
};

void Place(ScenarioModel& model, Segnale& s) {
  memo_segnale(model, s.posizione, s.sx, s.s1, s.s2, s.s3, s.rapp, s.dx, s.d1, s.d2, s.d3, s.tempo);
}

// A route of 2121 cells (0 to 2120), as a 99 km line gives.
class MemoSegnaleTest : public ::testing::Test {
 protected:
  MemoSegnaleTest() {
    model.ultima_cella = 2120;
    model.percorso.resize(2121);
    model.posizione_errore = 777;
  }
  ScenarioModel model;
};

TEST_F(MemoSegnaleTest, PlacesBuiltInSignalWithItsApproachMarks) {
  // An approach cell keeps its kind and values, and its old mark is replaced.
  model.percorso[44].tipo_cella = tipo::indicatore_v_max;
  model.percorso[44].valore_1 = 1900;
  model.percorso[46].avviso = 99;
  std::vector<rec_cella> expected = model.percorso;
  expected[48] = {.tipo_cella = 1, .valore_1 = 40, .valore_2 = 10, .valore_3 = 0, .valore_4 = 6,
                  .tempo_segnale = 0};
  expected[46].avviso = 61;
  expected[44].avviso = 62;
  expected[42].avviso = 63;
  expected[40].avviso = 64;

  Segnale s{.posizione = 2350, .sx = 2, .s1 = 4, .s2 = 1};
  Place(model, s);

  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(s.tempo, 0);
}

TEST_F(MemoSegnaleTest, PlacesSignalWithSxOne) {
  std::vector<rec_cella> expected = model.percorso;
  expected[993] = {.tipo_cella = 1, .valore_1 = 40, .valore_2 = 10, .valore_3 = 0, .valore_4 = 3};
  expected[991].avviso = 31;
  expected[989].avviso = 32;
  expected[987].avviso = 33;
  expected[985].avviso = 34;

  Segnale s{.posizione = 49600, .sx = 1, .s1 = 4, .s2 = 1};
  Place(model, s);

  EXPECT_EQ(model.percorso, expected);
}

TEST_F(MemoSegnaleTest, CombinesEveryValueIntoTheCell) {
  Segnale s{.posizione = 1000, .sx = 1, .s1 = 3, .s2 = 2, .s3 = 7, .rapp = 2, .dx = 1,
            .d1 = 5, .d2 = 6, .d3 = 9};
  Place(model, s);

  const rec_cella& c = model.percorso[21];
  EXPECT_EQ(c.tipo_cella, 1);
  EXPECT_EQ(c.valore_1, 35);
  EXPECT_EQ(c.valore_2, 26);
  EXPECT_EQ(c.valore_3, 79);
  EXPECT_EQ(c.valore_4, 24);  // rapp × 10 + sx × 3 + dx
  EXPECT_EQ(model.percorso[19].avviso, 41);
  EXPECT_EQ(model.percorso[13].avviso, 44);
}

struct TempoCase {
  int32_t sx;
  int32_t tempo;
  int32_t tempo_after;
  uint8_t tempo_segnale;
};

void PrintTo(const TempoCase& t, std::ostream* os) {
  *os << "sx " << t.sx << " tempo " << t.tempo;
}

class MemoSegnaleTempoTest : public MemoSegnaleTest,
                             public ::testing::WithParamInterface<TempoCase> {};

TEST_P(MemoSegnaleTempoTest, RaisesShortTimesAndStoresLowByteForSxTwo) {
  const TempoCase& t = GetParam();
  Segnale s{.posizione = 2350, .sx = t.sx, .s1 = 4, .s2 = 1, .tempo = t.tempo};
  Place(model, s);
  EXPECT_EQ(s.tempo, t.tempo_after);
  EXPECT_EQ(model.percorso[48].tempo_segnale, t.tempo_segnale);
}

INSTANTIATE_TEST_SUITE_P(Tempi, MemoSegnaleTempoTest,
                         ::testing::Values(TempoCase{2, 30, 101, 101}, TempoCase{2, 1, 101, 101},
                                           TempoCase{2, 100, 101, 101},
                                           TempoCase{2, 101, 101, 101}, TempoCase{2, 0, 0, 0},
                                           TempoCase{2, 300, 300, 44},
                                           TempoCase{2, -5, -5, 251}, TempoCase{1, 30, 101, 0},
                                           TempoCase{1, 300, 300, 0}, TempoCase{0, 255, 255, 0}));

TEST_F(MemoSegnaleTest, ClaimsMountainMarkerKeepingItsMountain) {
  model.percorso[48].tipo_cella = tipo::marcatore_montagna;
  model.percorso[48].montagna = 2;
  Segnale s{.posizione = 2350, .sx = 2, .s1 = 4, .s2 = 1};
  Place(model, s);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.percorso[48].tipo_cella, 1);
  EXPECT_EQ(model.percorso[48].valore_1, 40);
  EXPECT_EQ(model.percorso[48].montagna, 2);
  EXPECT_EQ(model.percorso[46].avviso, 61);
}

TEST_F(MemoSegnaleTest, TakenCellRecordsSixteenAndWritesNothing) {
  model.percorso[48].tipo_cella = tipo::fermata_stazione;
  model.percorso[48].valore_1 = 3;
  const std::vector<rec_cella> before = model.percorso;

  Segnale s{.posizione = 2350, .sx = 2, .s1 = 4, .s2 = 1, .tempo = 30};
  Place(model, s);

  EXPECT_EQ(model.codice_errore, 16);
  EXPECT_EQ(model.posizione_errore, 777);
  EXPECT_EQ(model.percorso, before);
  EXPECT_EQ(s.tempo, 30);
}

TEST_F(MemoSegnaleTest, IntegersKeepTheirLow16Bits) {
  Segnale s{.posizione = 2350, .sx = 1, .s1 = 10000, .s2 = -4000, .s3 = 3276, .d3 = 8};
  Place(model, s);
  EXPECT_EQ(model.percorso[48].valore_1, -31072);  // 100000 - 131072
  EXPECT_EQ(model.percorso[48].valore_2, 25536);   // -40000 + 65536
  EXPECT_EQ(model.percorso[48].valore_3, -32768);  // 32768
}

TEST_F(MemoSegnaleTest, ApproachMarkKeepsItsLowByte) {
  Segnale s{.posizione = 2350, .sx = 9};  // 270 + n
  Place(model, s);
  EXPECT_EQ(model.percorso[46].avviso, 15);
  EXPECT_EQ(model.percorso[40].avviso, 18);
}

TEST_F(MemoSegnaleTest, OverflowFailsAfterTheFieldsWrittenBeforeIt) {
  Segnale s{.posizione = 2350, .sx = 2, .s1 = 4, .rapp = 300000000};
  EXPECT_THROW(Place(model, s), RuntimeFailure);
  EXPECT_EQ(model.percorso[48].tipo_cella, 1);
  EXPECT_EQ(model.percorso[48].valore_4, 0);
  EXPECT_EQ(model.percorso[48].valore_1, 0);
  EXPECT_EQ(model.percorso[46].avviso, 0);

  Segnale d{.posizione = 5000, .s1 = 1, .d1 = 2147483647};
  EXPECT_THROW(Place(model, d), RuntimeFailure);
  EXPECT_EQ(model.percorso[101].tipo_cella, 1);
  EXPECT_EQ(model.percorso[101].valore_1, 0);
}

TEST_F(MemoSegnaleTest, SignalAtTheStartFailsOnItsFirstApproachCellOutsideTheRoute) {
  Segnale s{.posizione = 0, .sx = 2, .s1 = 4, .s2 = 1};
  EXPECT_THROW(Place(model, s), RuntimeFailure);
  EXPECT_EQ(model.percorso[1].tipo_cella, 1);
  EXPECT_EQ(model.percorso[1].valore_1, 40);
  EXPECT_EQ(model.codice_errore, 0);
}

TEST_F(MemoSegnaleTest, ApproachMarksInsideTheRouteStayWhenALaterOneFalls) {
  Segnale s{.posizione = 300, .sx = 2};  // cell 7: marks on 5, 3, 1, then -1
  EXPECT_THROW(Place(model, s), RuntimeFailure);
  EXPECT_EQ(model.percorso[7].tipo_cella, 1);
  EXPECT_EQ(model.percorso[5].avviso, 61);
  EXPECT_EQ(model.percorso[3].avviso, 62);
  EXPECT_EQ(model.percorso[1].avviso, 63);
}

TEST_F(MemoSegnaleTest, CellBeyondTheRouteOrNoRouteFailsWritingNothing) {
  const std::vector<rec_cella> before = model.percorso;
  Segnale s{.posizione = 106050, .sx = 2};  // cell 2122
  EXPECT_THROW(Place(model, s), RuntimeFailure);
  EXPECT_EQ(model.percorso, before);

  ScenarioModel empty;
  Segnale t{.posizione = 2350, .sx = 2};
  EXPECT_THROW(Place(empty, t), RuntimeFailure);
}

}  // namespace
}  // namespace scenario
