#include "compiler/readers/slowdown_placement.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "compiler/fields/runtime_failure.h"

namespace scenario {
namespace {

// The six values of a slowdown line.
struct Rallentamento {
  int32_t x = 0, v = 0, l = 0, f_tt = 0, f_ta = 0, d_v = 0;
};

void Place(ScenarioModel& model, Rallentamento& r) {
  memo_rallentamento(model, r.x, r.v, r.l, r.f_tt, r.f_ta, r.d_v);
}

rec_cella Cell(uint8_t kind, int16_t v1, int16_t v2 = 0, int16_t v3 = 0) {
  return {.tipo_cella = kind, .valore_1 = v1, .valore_2 = v2, .valore_3 = v3};
}

// A route of 2121 cells (0 to 2120), as a 99 km line gives.
class MemoRallentamentoTest : public ::testing::Test {
 protected:
  MemoRallentamentoTest() {
    model.ultima_cella = 2120;
    model.percorso.resize(2121);
    model.posizione_errore = 777;
    model.indice_j = -99;
  }
  ScenarioModel model;
};

TEST_F(MemoRallentamentoTest, PlacesFirstBuiltInSlowdown) {
  std::vector<rec_cella> expected = model.percorso;
  expected[414] = Cell(4, 30);
  expected[438] = Cell(3, 30, 0, 1);
  expected[445] = Cell(2, 30, 0, 1);
  for (int n = 0; n < 4; ++n) expected[413 - n] = Cell(5, static_cast<int16_t>(n + 1));

  Rallentamento r{.x = 21850, .v = 30, .l = 350, .f_tt = 1, .f_ta = 1, .d_v = 0};
  Place(model, r);

  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.indice_j, 413);
}

TEST_F(MemoRallentamentoTest, PlacesSecondBuiltInSlowdown) {
  std::vector<rec_cella> expected = model.percorso;
  expected[901] = Cell(4, 50);
  expected[925] = Cell(3, 50, 0, 1);
  expected[933] = Cell(2, 50, 0, 1);
  for (int n = 0; n < 4; ++n) expected[900 - n] = Cell(5, static_cast<int16_t>(n + 1));

  Rallentamento r{.x = 46200, .v = 50, .l = 400, .f_tt = 1, .f_ta = 1};
  Place(model, r);

  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.indice_j, 900);
}

TEST_F(MemoRallentamentoTest, NoWarningNorMarkersUpTo1500Metres) {
  std::vector<rec_cella> expected = model.percorso;
  expected[31] = Cell(3, 40, 0, 1);
  expected[38] = Cell(2, 40, 0, 1);

  Rallentamento r{.x = 1500, .v = 40, .l = 350, .f_tt = 1, .f_ta = 1};
  Place(model, r);

  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.indice_j, 6);
}

TEST_F(MemoRallentamentoTest, WarningAndMarkersFrom1550Metres) {
  std::vector<rec_cella> expected = model.percorso;
  expected[8] = Cell(4, 40);
  expected[32] = Cell(3, 40, 0, 1);
  expected[39] = Cell(2, 40, 0, 1);
  for (int n = 0; n < 4; ++n) expected[7 - n] = Cell(5, static_cast<int16_t>(n + 1));

  Rallentamento r{.x = 1550, .v = 40, .l = 350, .f_tt = 1, .f_ta = 1};
  Place(model, r);

  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.indice_j, 7);
}

TEST_F(MemoRallentamentoTest, NoMarkersWithoutFTa) {
  std::vector<rec_cella> expected = model.percorso;
  expected[414] = Cell(4, 30);
  expected[438] = Cell(3, 30, 0, 2);
  expected[445] = Cell(2, 30, 0, 2);

  Rallentamento r{.x = 21850, .v = 30, .l = 350, .f_tt = 2, .f_ta = 0};
  Place(model, r);

  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.indice_j, 413);
}

TEST_F(MemoRallentamentoTest, SpeedDifferenceGoesIntoValore2) {
  std::vector<rec_cella> expected = model.percorso;
  expected[414] = Cell(4, 30, 7);
  expected[438] = Cell(3, 30, 7, 1);
  expected[445] = Cell(2, 30, 7, 1);
  for (int n = 0; n < 4; ++n) {
    const auto k = static_cast<int16_t>(n + 1);
    expected[413 - n] = Cell(5, k, k);
  }

  Rallentamento r{.x = 21850, .v = 30, .l = 350, .f_tt = 1, .f_ta = 1, .d_v = 7};
  Place(model, r);

  EXPECT_EQ(model.percorso, expected);
}

TEST_F(MemoRallentamentoTest, WarningOnItsOwnFirstMarkerGivesTwenty) {
  // 375 / 50 = 7.5 rounds to 8 for both the warning and the first marker.
  std::vector<rec_cella> expected = model.percorso;
  expected[8] = Cell(4, 40);
  expected[32] = Cell(3, 40, 0, 1);  // 32.5 rounds to 32
  expected[40] = Cell(2, 40, 0, 1);  // 39.5 rounds to 40

  Rallentamento r{.x = 1575, .v = 40, .l = 350, .f_tt = 1, .f_ta = 1};
  Place(model, r);

  EXPECT_EQ(model.codice_errore, 20);
  EXPECT_EQ(model.posizione_errore, 777);
  EXPECT_EQ(model.percorso, expected);
  EXPECT_EQ(model.indice_j, 8);
}

TEST_F(MemoRallentamentoTest, TakenMarkerCellGivesTwentyAfterTheMainCells) {
  model.percorso[410] = Cell(tipo::cartello, 80);
  std::vector<rec_cella> expected = model.percorso;
  expected[414] = Cell(4, 30);
  expected[438] = Cell(3, 30, 0, 1);
  expected[445] = Cell(2, 30, 0, 1);

  Rallentamento r{.x = 21850, .v = 30, .l = 350, .f_tt = 1, .f_ta = 1};
  Place(model, r);

  EXPECT_EQ(model.codice_errore, 20);
  EXPECT_EQ(model.percorso, expected);
}

struct TakenCase {
  const char* name;
  std::vector<int> taken;  // cells holding an indicator before the call
  int32_t error;
};

void PrintTo(const TakenCase& c, std::ostream* os) { *os << c.name; }

class MemoRallentamentoTakenTest : public MemoRallentamentoTest,
                                   public ::testing::WithParamInterface<TakenCase> {};

TEST_P(MemoRallentamentoTakenTest, RecordsFirstTakenCellAndWritesNothing) {
  for (int k : GetParam().taken) model.percorso[k] = Cell(tipo::indicatore_v_max, 1900);
  const std::vector<rec_cella> before = model.percorso;

  Rallentamento r{.x = 21850, .v = 30, .l = 350, .f_tt = 1, .f_ta = 1, .d_v = 7};
  Place(model, r);

  EXPECT_EQ(model.codice_errore, GetParam().error);
  EXPECT_EQ(model.posizione_errore, 777);
  EXPECT_EQ(model.percorso, before);
  EXPECT_EQ(model.indice_j, -99);
}

INSTANTIATE_TEST_SUITE_P(
    Cells, MemoRallentamentoTakenTest,
    ::testing::Values(TakenCase{"Warning", {414}, 17}, TakenCase{"Start", {438}, 18},
                      TakenCase{"End", {445}, 19}, TakenCase{"WarningAndEnd", {445, 414}, 17},
                      TakenCase{"StartAndEnd", {445, 438}, 18}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(MemoRallentamentoTest, WarningCellIsNotTestedWithoutWarning) {
  model.percorso[7] = Cell(tipo::cartello, 80);  // would be the warning of x = 1500
  Rallentamento r{.x = 1500, .v = 40, .l = 350, .f_tt = 1, .f_ta = 1};
  Place(model, r);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.percorso[31].tipo_cella, 3);
}

TEST_F(MemoRallentamentoTest, ClaimsMountainMarkers) {
  for (int k : {414, 438, 445, 411}) {
    model.percorso[k].tipo_cella = tipo::marcatore_montagna;
    model.percorso[k].montagna = 2;
  }
  Rallentamento r{.x = 21850, .v = 30, .l = 350, .f_tt = 1, .f_ta = 1};
  Place(model, r);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.percorso[414].tipo_cella, 4);
  EXPECT_EQ(model.percorso[438].tipo_cella, 3);
  EXPECT_EQ(model.percorso[445].tipo_cella, 2);
  EXPECT_EQ(model.percorso[411].tipo_cella, 5);
  EXPECT_EQ(model.percorso[411].montagna, 2);
}

TEST_F(MemoRallentamentoTest, ShortSlowdownEndsAsAStart) {
  Rallentamento r{.x = 21850, .v = 30, .l = 0, .f_tt = 1};
  Place(model, r);
  EXPECT_EQ(model.percorso[438], Cell(3, 30, 0, 1));
}

TEST_F(MemoRallentamentoTest, IntegersKeepTheirLow16Bits) {
  Rallentamento r{.x = 21850, .v = 70000, .l = 350, .f_tt = -70000, .d_v = 65537};
  Place(model, r);
  EXPECT_EQ(model.percorso[438], Cell(3, 4464, 1, -4464));
  EXPECT_EQ(model.percorso[414], Cell(4, 4464, 1));
}

TEST_F(MemoRallentamentoTest, EndBeyondTheRouteFailsBeforeAnyWrite) {
  const std::vector<rec_cella> before = model.percorso;
  Rallentamento r{.x = 105800, .v = 30, .l = 350, .f_tt = 1, .f_ta = 1};  // end cell 2124
  EXPECT_THROW(Place(model, r), RuntimeFailure);
  EXPECT_EQ(model.percorso, before);
  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.indice_j, -99);
}

TEST_F(MemoRallentamentoTest, StartBeforeTheRouteFailsBeforeAnyWrite) {
  const std::vector<rec_cella> before = model.percorso;
  Rallentamento r{.x = -100, .v = 30, .l = 350, .f_tt = 1};  // start cell -1
  EXPECT_THROW(Place(model, r), RuntimeFailure);
  EXPECT_EQ(model.percorso, before);
}

TEST_F(MemoRallentamentoTest, LongLengthIsAddedAsAReal) {
  // x + l passes 32 bits; the end cell is then simply far outside the route.
  Rallentamento r{.x = 21850, .v = 30, .l = 2147483647, .f_tt = 1};
  EXPECT_THROW(Place(model, r), RuntimeFailure);
  EXPECT_EQ(model.percorso[438].tipo_cella, 0);
}

TEST_F(MemoRallentamentoTest, NoRouteFails) {
  ScenarioModel empty;
  Rallentamento r{.x = 21850, .v = 30, .l = 350};
  EXPECT_THROW(Place(empty, r), RuntimeFailure);
}

}  // namespace
}  // namespace scenario
