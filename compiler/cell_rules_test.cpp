#include "compiler/cell_rules.h"

#include <gtest/gtest.h>

#include <ostream>
#include <string>
#include <vector>

#include "compiler/fields/arithmetic.h"
#include "compiler/readers/signal_placement.h"
#include "compiler/readers/slowdown_placement.h"

namespace scenario {
namespace {

TEST(MinimoTest, ReturnsSecondOnlyWhenFirstIsGreater) {
  EXPECT_EQ(minimo(180, 200), 180);
  EXPECT_EQ(minimo(180, 75), 75);
  EXPECT_EQ(minimo(180, 180), 180);
  EXPECT_EQ(minimo(180, -5), -5);
}

// One cell of a small route: its kind and first value.
struct Cella {
  int n;
  uint8_t kind;
  int16_t v1 = 0;
};

constexpr uint8_t kSegnale = tipo::segnale;
constexpr uint8_t kFine = tipo::fine_rallentamento;
constexpr uint8_t kInizio = tipo::inizio_rallentamento;
constexpr uint8_t kAvviso = tipo::avviso_rallentamento;
constexpr uint8_t kCambio = tipo::cambio_codice;
constexpr uint8_t kCartello = tipo::cartello;
constexpr uint8_t kStazione = tipo::fermata_stazione;
constexpr uint8_t kMontagna = tipo::marcatore_montagna;

// A code change with 180, as the rules place it.
Cella Cambio(int n) { return {n, kCambio, 180}; }

struct RuleCase {
  const char* name;
  int size;                    // cells 0 to size - 1
  std::vector<Cella> before;   // the cells the readers left
  std::vector<Cella> changed;  // the cells as the rules leave them
  int32_t error = 0;
  int32_t position = -1;       // -1: the position is left alone
};

void PrintTo(const RuleCase& c, std::ostream* os) { *os << c.name; }

std::vector<rec_cella> Route(int size, const std::vector<Cella>& cells) {
  std::vector<rec_cella> route(static_cast<size_t>(size));
  // Fields the rules never touch carry a value, so that a write to them shows.
  for (size_t n = 0; n < route.size(); ++n) route[n].pendenza = static_cast<uint8_t>(100 + n % 7);
  for (const Cella& c : cells) {
    route[static_cast<size_t>(c.n)].tipo_cella = c.kind;
    route[static_cast<size_t>(c.n)].valore_1 = c.v1;
  }
  return route;
}

std::string Describe(const rec_cella& c) {
  return "kind " + std::to_string(c.tipo_cella) + " value " + std::to_string(c.valore_1);
}

// The cells that differ, for a failure message.
std::string Differences(const std::vector<rec_cella>& actual,
                        const std::vector<rec_cella>& expected) {
  std::string text;
  for (size_t n = 0; n < actual.size() && n < expected.size(); ++n) {
    if (actual[n] == expected[n]) continue;
    text += "cell " + std::to_string(n) + ": " + Describe(actual[n]) + ", expected " +
            Describe(expected[n]) + "\n";
  }
  return text;
}

class CellRulesTest : public ::testing::TestWithParam<RuleCase> {};

TEST_P(CellRulesTest, LeavesTheRouteAsExpected) {
  const RuleCase& c = GetParam();
  ScenarioModel model;
  model.percorso = Route(c.size, c.before);
  model.ultima_cella = c.size - 1;
  model.posizione_errore = -1;
  std::vector<rec_cella> expected = model.percorso;
  for (const Cella& cell : c.changed) {
    expected[static_cast<size_t>(cell.n)].tipo_cella = cell.kind;
    expected[static_cast<size_t>(cell.n)].valore_1 = cell.v1;
  }

  ApplyCellRules(model);

  EXPECT_EQ(model.percorso.size(), expected.size());
  EXPECT_TRUE(model.percorso == expected) << Differences(model.percorso, expected);
  EXPECT_EQ(model.codice_errore, c.error);
  EXPECT_EQ(model.posizione_errore, c.position);
}

// Signals before a slowdown warning board.
INSTANTIATE_TEST_SUITE_P(
    SignalsBeforeWarning, CellRulesTest,
    ::testing::Values(
        // The signal at 2 is never looked at: the look-back ends at cell 3.
        RuleCase{"FreeCellBeforeSignal", 20, {{10, kAvviso, 30}, {8, kSegnale}, {2, kSegnale}},
                 {Cambio(7)}},
        RuleCase{"SignalAtCellThreeIsTheLastLookedAt", 20, {{10, kAvviso, 30}, {3, kSegnale}},
                 {Cambio(2)}},
        RuleCase{"FreeCellPreferredToCodeChange",
                 20,
                 {{10, kAvviso, 30}, {8, kSegnale}, {7, kCambio, 200}},
                 {Cambio(6)}},
        RuleCase{"CodeChangeLoweredWhenNoFreeCell",
                 20,
                 {{10, kAvviso, 30}, {8, kSegnale}, {7, kCambio, 200}, {6, kCartello, 66}},
                 {{7, kCambio, 180}}},
        RuleCase{"LowerCodeStays",
                 20,
                 {{10, kAvviso, 30}, {8, kSegnale}, {7, kCambio, 75}, {6, kCartello, 66}},
                 {}},
        RuleCase{"SecondCellCodeChangeLowered",
                 20,
                 {{10, kAvviso, 30}, {8, kSegnale}, {7, kStazione, 2}, {6, kCambio, 250}},
                 {{6, kCambio, 180}}},
        RuleCase{"MountainMarkerIsFree",
                 20,
                 {{10, kAvviso, 30}, {8, kSegnale}, {7, kMontagna}},
                 {Cambio(7)}},
        RuleCase{"NoRoomIsErrorElevenAndTheLookBackGoesOn",
                 30,
                 {{25, kAvviso, 30}, {20, kSegnale}, {19, kCartello, 70}, {18, kStazione, 1},
                  {10, kSegnale}},
                 {Cambio(9)},
                 11,
                 1000},
        RuleCase{"EverySignalWithinTwentyCells",
                 40,
                 {{31, kAvviso, 30}, {28, kSegnale}, {11, kSegnale}, {9, kSegnale}},
                 {Cambio(27), Cambio(10)}},
        RuleCase{"LaterErrorOverwritesEarlierAndSweepGoesOn",
                 50,
                 {{10, kAvviso, 30}, {8, kSegnale}, {7, kCartello, 70}, {6, kCartello, 71},
                  {40, kAvviso, 30}, {38, kSegnale}, {37, kCartello, 72}, {36, kCartello, 73},
                  {30, kSegnale}},
                 {Cambio(29)},
                 11,
                 1900}),
    [](const auto& info) { return std::string(info.param.name); });

// Code changes before a slowdown start; a start at 110 km/h or more gets
// nothing else.
INSTANTIATE_TEST_SUITE_P(
    BeforeSlowdownStart, CellRulesTest,
    ::testing::Values(
        RuleCase{"ThreeWindows", 40, {{30, kInizio, 110}}, {Cambio(25), Cambio(19), Cambio(12)}},
        RuleCase{"FirstFreeCellOfWindow",
                 40,
                 {{30, kInizio, 110}, {25, kCartello, 70}, {24, kStazione, 1}},
                 {Cambio(23), Cambio(19), Cambio(12)}},
        RuleCase{"ExistingCodeChangeDoesNotCount",
                 40,
                 {{30, kInizio, 110}, {25, kCambio, 200}},
                 {Cambio(24), Cambio(19), Cambio(12)}},
        RuleCase{"StartAtFifteen", 40, {{15, kInizio, 120}}, {Cambio(10), Cambio(4)}},
        RuleCase{"StartAtEight", 40, {{8, kInizio, 120}}, {Cambio(3)}},
        RuleCase{"StartAtSeven", 40, {{7, kInizio, 120}}, {}},
        RuleCase{"StartAtTwentyOne", 40, {{21, kInizio, 120}}, {Cambio(16), Cambio(10), Cambio(3)}},
        RuleCase{"FullWindowIsErrorTwelveAndOthersStillPlaced",
                 40,
                 {{30, kInizio, 110}, {25, kCartello, 70}, {24, kCambio, 150}, {23, kSegnale}},
                 {Cambio(19), Cambio(12)},
                 12,
                 1500}),
    [](const auto& info) { return std::string(info.param.name); });

// Along a slow slowdown and before the first signal after it. The slowdown
// runs from 100 to 130; rule B1 always adds 95, 89 and 82.
std::vector<Cella> Lento(int16_t speed, std::vector<Cella> more) {
  more.push_back({100, kInizio, speed});
  more.push_back({130, kFine, speed});
  return more;
}
std::vector<Cella> WithB1(std::vector<Cella> more) {
  more.push_back(Cambio(95));
  more.push_back(Cambio(89));
  more.push_back(Cambio(82));
  return more;
}

INSTANTIATE_TEST_SUITE_P(
    AlongSlowSlowdown, CellRulesTest,
    ::testing::Values(
        RuleCase{"EveryEightCells", 200, Lento(30, {}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124)})},
        RuleCase{"JustBelowThreshold", 200, Lento(109, {}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124)})},
        RuleCase{"AtThresholdNothingAlong", 200, Lento(110, {{133, kSegnale}}), WithB1({})},
        RuleCase{"ShiftedBack", 200, Lento(30, {{116, kCartello, 70}}),
                 WithB1({Cambio(108), Cambio(115), Cambio(123)})},
        RuleCase{"ShiftedForward", 200, Lento(30, {{116, kCartello, 70}, {115, kStazione, 1}}),
                 WithB1({Cambio(108), Cambio(117), Cambio(125)})},
        RuleCase{"NoRoomIsErrorThirteenAndNoMoreAlong", 200,
                 Lento(30, {{116, kCartello, 70}, {115, kStazione, 1}, {117, kSegnale}}),
                 WithB1({Cambio(108)}), 13, 5800},
        // The step falls on the end cell: the code change goes before it.
        RuleCase{"StepOnTheEndCell",
                 200,
                 {{100, kInizio, 30}, {116, kFine, 30}},
                 {Cambio(95), Cambio(89), Cambio(82), Cambio(108), Cambio(115)}},
        RuleCase{"SignalAfterEnd", 200, Lento(30, {{133, kSegnale}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124), Cambio(132)})},
        RuleCase{"SignalAfterEndSecondCell", 200,
                 Lento(30, {{133, kSegnale}, {132, kCartello, 70}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124), Cambio(131)})},
        RuleCase{"SignalAfterEndNoRoomIsErrorThirteenAtTheEnd", 200,
                 Lento(30, {{133, kSegnale}, {132, kCartello, 70}, {131, kCambio, 200}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124)}), 13, 6500},
        RuleCase{"OnlyTheFirstSignalAfterEnd", 200, Lento(30, {{135, kSegnale}, {138, kSegnale}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124), Cambio(134)})},
        RuleCase{"SignalTwelveCellsAfterEnd", 200, Lento(30, {{142, kSegnale}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124), Cambio(141)})},
        RuleCase{"SignalThirteenCellsAfterEnd", 200, Lento(30, {{143, kSegnale}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124)})},
        // Right after the end the cell before the signal is the end itself.
        RuleCase{"SignalRightAfterEnd", 200, Lento(30, {{131, kSegnale}}),
                 WithB1({Cambio(108), Cambio(116), Cambio(124), Cambio(129)})}),
    [](const auto& info) { return std::string(info.param.name); });

// The edges of the route: nothing outside cells 0 to size - 1 is read or
// written, whatever the cells hold.
INSTANTIATE_TEST_SUITE_P(
    RouteEdges, CellRulesTest,
    ::testing::Values(
        RuleCase{"ScanWithoutEndStopsAtLastCell", 20, {{3, kInizio, 30}}, {Cambio(11), Cambio(19)}},
        RuleCase{"CandidateBeyondLastCellIsTaken",
                 12,
                 {{3, kInizio, 30}, {11, kCartello, 70}, {10, kCartello, 71}},
                 {},
                 13,
                 550},
        RuleCase{"NoSignalSearchWithoutEnd", 14, {{3, kInizio, 30}, {13, kSegnale}}, {Cambio(11)}},
        RuleCase{"SignalSearchCutAtLastCell", 40,
                 {{28, kInizio, 30}, {36, kFine, 30}, {39, kSegnale}},
                 {Cambio(23), Cambio(17), Cambio(10), Cambio(35), Cambio(38)}},
        RuleCase{"LastCellVisited", 40, {{37, kInizio, 120}}, {Cambio(32), Cambio(26), Cambio(19)}},
        RuleCase{"CellsAfterLastVisitedAreNot", 40,
                 {{38, kInizio, 120}, {39, kAvviso, 30}, {36, kSegnale}},
                 {}},
        RuleCase{"WarningNearTheStart", 10, {{4, kAvviso, 30}, {3, kSegnale}, {2, kCartello, 70}},
                 {Cambio(1)}},
        RuleCase{"FourCells", 4, {{1, kInizio, 30}, {3, kFine, 30}}, {}},
        RuleCase{"ThreeCells", 3, {{1, kInizio, 30}, {2, kFine, 30}}, {}},
        RuleCase{"OneCell", 1, {{0, kAvviso, 30}}, {}},
        RuleCase{"NoCells", 0, {}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(CellRulesBoundsTest, RouteSizeBoundsTheSweepWhateverUltimaCellaSays) {
  ScenarioModel model;
  model.percorso = Route(12, {{3, kInizio, 30}, {11, kCartello, 70}, {10, kCartello, 71}});
  model.ultima_cella = 500;
  ApplyCellRules(model);
  EXPECT_EQ(model.codice_errore, 13);
  EXPECT_EQ(model.posizione_errore, 550);
}

// The built-in scenario's route around its two slowdowns, as the readers
// leave it: stations' stop cells, indication boards, maximum-speed
// indicators, the 27 signals and the two slowdowns.
class BuiltInRouteTest : public ::testing::Test {
 protected:
  static int64_t CellOf(int32_t posizione) { return round_half_even(posizione / 50.0 + 1); }

  BuiltInRouteTest() {
    model.ultima_cella = 2120;
    model.percorso.resize(2121);
    for (rec_cella& c : model.percorso) c.pendenza = 100;

    struct Stazione {
      int32_t p, t, l;
    };
    const Stazione stazioni[] = {
        {0, 8, 700},      {7350, 12, 400},  {14350, 12, 500}, {19150, 22, 300}, {26500, 12, 300},
        {33450, 23, 300}, {37650, 12, 500}, {48000, 12, 300}, {50500, 22, 300}, {52850, 23, 300},
        {56800, 12, 300}, {59150, 23, 300}, {64600, 12, 300}, {67500, 22, 300}, {71700, 12, 300},
        {83250, 12, 400}, {97000, 4, 500}};
    int16_t indice = 1;
    for (const Stazione& s : stazioni) {
      const double fine_zona = s.t == 8 ? s.p + s.l : round_half_even(s.p + s.l / 2.0);
      rec_cella& fermata = model.percorso[static_cast<size_t>(round_half_even(fine_zona / 50 - 1))];
      fermata.tipo_cella = tipo::fermata_stazione;
      fermata.valore_1 = indice++;
    }

    int16_t caption = 80;
    for (int32_t p : {2600, 6050, 7000, 13100, 21600, 33100, 38000, 38250, 42600, 51550, 52550,
                      54600, 63600, 77100, 90600}) {
      rec_cella& board = model.percorso[static_cast<size_t>(CellOf(p))];
      board.tipo_cella = tipo::cartello;
      board.valore_1 = caption--;
    }
    for (int32_t p : {2850, 7650, 19400, 38650, 45150, 57200, 68450, 70550, 84050, 91700, 92300,
                      93150}) {
      rec_cella& indicator = model.percorso[static_cast<size_t>(CellOf(p))];
      indicator.tipo_cella = tipo::indicatore_v_max;
      indicator.valore_1 = 2000;
    }
    model.percorso[1373].montagna = 2;

    struct Slow {
      int32_t x, v, l;
    };
    for (Slow s : {Slow{21850, 30, 350}, Slow{46200, 50, 400}}) {
      int32_t f_tt = 1, d_v = 0;
      memo_rallentamento(model, s.x, s.v, s.l, f_tt, 1, d_v);
    }
    struct Signal {
      int32_t posizione, sx, s1;
    };
    const Signal signals[] = {
        {2350, 2, 4},  {5350, 2, 4},  {6150, 2, 3},  {11950, 2, 4}, {13150, 2, 3}, {17950, 2, 4},
        {24100, 2, 4}, {25300, 2, 4}, {31050, 2, 4}, {32200, 2, 4}, {35250, 2, 4}, {36450, 2, 3},
        {45600, 2, 4}, {46800, 2, 4}, {49600, 1, 4}, {54400, 1, 4}, {55600, 2, 3}, {58250, 2, 4},
        {62200, 2, 4}, {63400, 2, 3}, {66500, 2, 4}, {69300, 2, 4}, {70500, 2, 3}, {80850, 2, 4},
        {82050, 2, 3}, {94350, 2, 4}, {95800, 2, 3}};
    for (Signal s : signals) {
      int32_t sx = s.sx, s1 = s.s1, s2 = 1, s3 = 0, rapp = 0, dx = 0, d1 = 0, d2 = 0, d3 = 0;
      int32_t tempo = 0;
      memo_segnale(model, s.posizione, sx, s1, s2, s3, rapp, dx, d1, d2, d3, tempo);
    }
  }

  ScenarioModel model;
};

TEST_F(BuiltInRouteTest, AddsExactlyEightCodeChangesAndNoError) {
  ASSERT_EQ(model.codice_errore, 0);
  // The fixture stands as the description of the line has it.
  ASSERT_EQ(model.percorso[433].tipo_cella, tipo::cartello);
  ASSERT_EQ(model.percorso[438].tipo_cella, tipo::inizio_rallentamento);
  ASSERT_EQ(model.percorso[445].tipo_cella, tipo::fine_rallentamento);
  ASSERT_EQ(model.percorso[414].tipo_cella, tipo::avviso_rallentamento);
  ASSERT_EQ(model.percorso[925].tipo_cella, tipo::inizio_rallentamento);
  ASSERT_EQ(model.percorso[933].tipo_cella, tipo::fine_rallentamento);
  ASSERT_EQ(model.percorso[901].tipo_cella, tipo::avviso_rallentamento);
  ASSERT_EQ(model.percorso[913].tipo_cella, tipo::segnale);
  ASSERT_EQ(model.percorso[937].tipo_cella, tipo::segnale);

  std::vector<rec_cella> expected = model.percorso;
  for (int n : {432, 427, 420, 920, 914, 907, 932, 936}) {
    expected[static_cast<size_t>(n)].tipo_cella = tipo::cambio_codice;
    expected[static_cast<size_t>(n)].valore_1 = 180;
  }

  ApplyCellRules(model);

  EXPECT_EQ(model.codice_errore, 0);
  EXPECT_TRUE(model.percorso == expected) << Differences(model.percorso, expected);
}

}  // namespace
}  // namespace scenario
