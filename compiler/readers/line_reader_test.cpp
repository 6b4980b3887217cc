#include "compiler/readers/line_reader.h"

#include <gtest/gtest.h>

#include <cctype>
#include <cmath>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "compiler/fields/error_numbers.h"
#include "compiler/fields/runtime_failure.h"
#include "compiler/readers/scenario_reader.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/builtin_line_fixture.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::BuiltInLineFileText;
using testing_support::JoinLines;

const std::string kLinePath = "/run/Calvisio -Sambreta_linea.txt";
const std::string kTrainPath = "/run/Calvisio -Sambreta_31613-.txt";
const std::string kTrainText = "[generale]\r\nnumero vetture,    4\r\n[fine]\r\n";
// posizione_errore before the reading: the reader must leave it where it
// records no position.
constexpr int32_t kPosizioneIniziale = -4242;

// A model named as at start-up, a file system holding both sources, and the
// two ways into the reader.
struct LineRun {
  explicit LineRun(int32_t compila_linea = 1) {
    model.nome_linea = "Calvisio -Sambreta";
    model.numero_treno = "31613";
    model.compila_linea = compila_linea;
    model.posizione_errore = kPosizioneIniziale;
    files.files[kTrainPath] = kTrainText;
  }

  LineReadOutcome Read(const std::string& text) {
    files.files[kLinePath] = text;
    return ReadLineDescription(model, workspace, nullptr);
  }

  void Memorizza(const std::string& text) {
    files.files[kLinePath] = text;
    memorizza_dati(model, workspace);
  }

  bool LineFileLeft() const { return files.files.count(kLinePath) != 0; }
  bool TrainFileUntouched() const {
    auto found = files.files.find(kTrainPath);
    return found != files.files.end() && found->second == kTrainText;
  }

  ScenarioModel model;
  FakeFileSystem files;
  Workspace workspace{files, "/run/"};
};

// A line file with a route of `length` metres, no other general data, and
// `items` after the general section.
std::string LineWith(const std::vector<std::string>& items, const std::string& length = "99000") {
  std::vector<std::string> lines = {"[generale]", "lunghezza percorso,    " + length, "[curve]"};
  lines.insert(lines.end(), items.begin(), items.end());
  lines.push_back("[fine]");
  return JoinLines(lines);
}

rec_stazione Zone(int32_t inizio, int32_t fine, int32_t progressiva) {
  rec_stazione record;
  record.inizio_zona = inizio;
  record.fine_zona = fine;
  record.progressiva = progressiva;
  return record;
}

// ---------------------------------------------------------------------------
// The built-in line.

TEST(LineReaderBuiltIn, GeneralRecordsAndRouteSize) {
  LineRun run;
  LineReadOutcome outcome = run.Read(BuiltInLineFileText());

  EXPECT_TRUE(outcome.train_half_runs);
  EXPECT_EQ(outcome.indice_cartello, 65);
  EXPECT_EQ(run.model.codice_errore, 0);
  EXPECT_EQ(run.model.posizione_errore, kPosizioneIniziale);
  EXPECT_EQ(run.model.lunghezza_estesa, 106000);
  EXPECT_EQ(run.model.ultima_cella, 2120);
  EXPECT_EQ(run.model.percorso.size(), 2121u);
  EXPECT_EQ(run.model.tracciato.size(), 106001u);
  EXPECT_EQ(run.model.numero_montagne, 1);

  const auto& stazioni = run.model.stazioni;
  EXPECT_EQ(stazioni[81], Zone(0, 97100, 1));
  EXPECT_EQ(stazioni[82], rec_stazione{});
  EXPECT_EQ(stazioni[83], rec_stazione{});
  EXPECT_EQ(stazioni[84], Zone(0, 99000, 0));
  EXPECT_EQ(stazioni[85], Zone(1, 0, 0));
  EXPECT_EQ(stazioni[86], Zone(2700, 95900, 4));

  EXPECT_FALSE(run.LineFileLeft());
  EXPECT_TRUE(run.TrainFileUntouched());
}

TEST(LineReaderBuiltIn, ThroughMemorizzaDatiTheNamesAreCopied) {
  LineRun run;
  run.Memorizza(BuiltInLineFileText());
  EXPECT_EQ(run.model.codice_errore, 0);
  EXPECT_EQ(run.model.stazioni[85].nome, "Calvisio -Sambreta");
  EXPECT_EQ(run.model.stazioni[86].nome, "31613");
  EXPECT_EQ(run.model.stazioni[85].inizio_zona, 1);
  EXPECT_EQ(run.model.ultima_cella, 2120);
  EXPECT_FALSE(run.LineFileLeft());
}

struct Indicator {
  int32_t posizione;
  int16_t valore_1, valore_2, valore_3, valore_4;
};

struct Board {
  int32_t posizione;
  const char* caption;
};

// Every cell of the built-in route, as the line alone leaves it.
std::vector<rec_cella> BuiltInCells() {
  std::vector<rec_cella> cells(2121);
  for (int k = 0; k <= 2117; ++k) cells[k].pendenza = 100;
  cells[1373].montagna = 2;
  const Indicator indicators[] = {
      {2850, 1900, 2000, 2200, 0},   {7650, 2000, 2200, 2400, 0},   {19400, 2200, 2400, 2400, 0},
      {38650, 1800, 2000, 2200, 0},  {45150, 2000, 2200, 2400, 0},  {57200, 2200, 2400, 2500, 0},
      {68450, 1700, 1800, 1800, 0},  {70550, 2000, 2200, 2200, 0},  {84050, 2200, 2400, 2400, 0},
      {91700, 1300, 1400, 1600, 20}, {92300, 1300, 1400, 1600, 10}, {93150, 1300, 1400, 1600, 0},
  };
  for (const Indicator& indicator : indicators) {
    rec_cella& cell = cells[indicator.posizione / 50 + 1];
    cell.tipo_cella = 6;
    cell.valore_1 = indicator.valore_1;
    cell.valore_2 = indicator.valore_2;
    cell.valore_3 = indicator.valore_3;
    cell.valore_4 = indicator.valore_4;
  }
  const int32_t boards[] = {2600,  6050,  7000,  13100, 21600, 33100, 38000, 38250,
                            42600, 51550, 52550, 54600, 63600, 77100, 90600};
  int16_t record = 80;
  for (int32_t posizione : boards) {
    rec_cella& cell = cells[posizione / 50 + 1];
    cell.tipo_cella = 14;
    cell.valore_1 = record--;
  }
  return cells;
}

TEST(LineReaderBuiltIn, RouteCells) {
  LineRun run;
  run.Read(BuiltInLineFileText());
  const std::vector<rec_cella> expected = BuiltInCells();
  ASSERT_EQ(run.model.percorso.size(), expected.size());
  for (size_t k = 0; k < expected.size(); ++k) {
    if (run.model.percorso[k] != expected[k]) {
      ADD_FAILURE() << "cell " << k << " differs (tipo_cella " << int{run.model.percorso[k].tipo_cella}
                    << ", valore_1 " << run.model.percorso[k].valore_1 << ", pendenza "
                    << int{run.model.percorso[k].pendenza} << ", montagna "
                    << int{run.model.percorso[k].montagna} << ")";
      break;
    }
  }
  // Spot checks that do not depend on the table above.
  EXPECT_EQ(run.model.percorso[58].valore_1, 1900);
  EXPECT_EQ(run.model.percorso[53].tipo_cella, 14);
  EXPECT_EQ(run.model.percorso[53].valore_1, 80);
  EXPECT_EQ(run.model.percorso[2117].pendenza, 100);
  EXPECT_EQ(run.model.percorso[2118].pendenza, 0);
}

TEST(LineReaderBuiltIn, BoardCaptionsFromRecord80Down) {
  LineRun run;
  run.Read(BuiltInLineFileText());
  const auto& stazioni = run.model.stazioni;
  EXPECT_EQ(stazioni[80].nome, "(BIVIO     )(S. ARMELIA)(Km. 94.400)");
  EXPECT_EQ(stazioni[79].nome, "(P.L.      )(Km. 90.950)");
  EXPECT_EQ(stazioni[71].nome, "(INIZIO PONTE)(FIUME ZA    )");
  EXPECT_EQ(stazioni[66].nome, "(P.L.     )(Km. 6.400)");
  EXPECT_EQ(stazioni[65], rec_stazione{});
  for (int i = 66; i <= 80; ++i) {
    EXPECT_EQ(stazioni[i].inizio_zona, 0) << i;
    EXPECT_FALSE(stazioni[i].nome.empty()) << i;
  }
}

struct Curve {
  int32_t inizio;
  int32_t lunghezza;
  double curvatura;
};

// The built-in curves with the turning factor of their class, negative for
// left-hand ("s") curves.
const std::vector<Curve>& BuiltInCurves() {
  static const std::vector<Curve> curves = {
      {1700, 850, -0.0004},  {2850, 550, 0.0004},  {13950, 400, -0.0004},  {25550, 550, 0.0004},
      {36750, 650, 0.002},   {38100, 550, -0.002}, {40200, 5500, -0.0001}, {48900, 2000, 0.0001},
      {55400, 850, -0.0004}, {69500, 650, 0.001},  {94350, 550, -0.002},
  };
  return curves;
}

// The plan recomputed metre by metre: every point adds the previous step,
// turned by the curvature of the curve that covers it (none: 0).
void RecomputePlan(int32_t last, std::vector<double>& x, std::vector<double>& y) {
  x.assign(last + 1, 0.0);
  y.assign(last + 1, 0.0);
  y[1] = 1.0;
  for (int32_t j = 2; j <= last; ++j) {
    double c = 0.0;
    for (const Curve& curve : BuiltInCurves())
      if (j > curve.inizio && j <= curve.inizio + curve.lunghezza) c = curve.curvatura;
    const double dx = x[j - 1] - x[j - 2];
    const double dy = y[j - 1] - y[j - 2];
    x[j] = x[j - 1] + (dx + c * dy);
    y[j] = y[j - 1] + (dy - c * dx);
  }
}

TEST(LineReaderBuiltIn, PlanOfTheTrack) {
  LineRun run;
  run.Read(BuiltInLineFileText());
  const auto& plan = run.model.tracciato;
  ASSERT_EQ(plan.size(), 106001u);

  EXPECT_EQ(plan[0][0], TaggedValue::Integer(0));
  EXPECT_EQ(plan[0][1], TaggedValue::Integer(0));
  EXPECT_EQ(plan[1][0], TaggedValue::Integer(0));
  EXPECT_EQ(plan[1][1], TaggedValue::Integer(1));
  for (int j = 2; j <= 1700; ++j) {
    ASSERT_EQ(plan[j][0], TaggedValue::Double(0.0)) << j;
    ASSERT_EQ(plan[j][1], TaggedValue::Double(j)) << j;
  }
  EXPECT_EQ(plan[1701][0], TaggedValue::Double(-0.0004));
  EXPECT_EQ(plan[1701][1], TaggedValue::Double(1701.0));
  // The next point turns the step once more: -0.0004 - 0.0004 x 1 sideways,
  // and 1 - 0.0004 x 0.0004 along.
  EXPECT_DOUBLE_EQ(plan[1702][0].real, -0.0012);
  EXPECT_DOUBLE_EQ(plan[1702][1].real, 1701.0 + (1.0 - 0.0004 * 0.0004));
  EXPECT_EQ(plan[105999][0], TaggedValue{});
  EXPECT_EQ(plan[105999][1], TaggedValue{});
  EXPECT_EQ(plan[106000][0], TaggedValue{});
  EXPECT_EQ(plan[106000][1], TaggedValue{});

  // After the first curve the step has turned 850 times by atan(0.0004) to
  // the left (towards negative first coordinates).
  const double dx = plan[2550][0].real - plan[2549][0].real;
  const double dy = plan[2550][1].real - plan[2549][1].real;
  EXPECT_NEAR(std::atan2(dx, dy), -850 * std::atan(0.0004), 1e-9);
  EXPECT_NEAR(std::hypot(dx, dy), std::pow(1.0 + 0.0004 * 0.0004, 425), 1e-9);

  std::vector<double> x, y;
  RecomputePlan(105998, x, y);
  for (int j = 2; j <= 105998; ++j) {
    if (plan[j][0] != TaggedValue::Double(x[j]) || plan[j][1] != TaggedValue::Double(y[j])) {
      ADD_FAILURE() << "point " << j << " is (" << plan[j][0].real << ", " << plan[j][1].real
                    << "), recomputed (" << x[j] << ", " << y[j] << ")";
      break;
    }
  }
}

TEST(LineReaderBuiltIn, WithoutTheLineGeometryCurvesArePassedOver) {
  LineRun with_plan(1);
  with_plan.Read(BuiltInLineFileText());
  LineRun run(0);
  LineReadOutcome outcome = run.Read(BuiltInLineFileText());

  EXPECT_TRUE(outcome.train_half_runs);
  EXPECT_EQ(outcome.indice_cartello, 65);
  EXPECT_EQ(run.model.codice_errore, 0);
  EXPECT_TRUE(run.model.tracciato.empty());
  EXPECT_EQ(run.model.percorso, with_plan.model.percorso);
  EXPECT_EQ(run.model.stazioni, with_plan.model.stazioni);
  EXPECT_FALSE(run.LineFileLeft());
}

TEST(LineReader, WithoutTheLineGeometryACurveKeywordIsNoCurve) {
  LineRun run(0);
  // A class that does not exist raises nothing; the curve's values are
  // fields of their own and the gradient after them is still read.
  LineReadOutcome outcome =
      run.Read(LineWith({"curvas7,  100,  50", "curvad1,  1000,  5000", "pendenza,  1000,  5"}));
  EXPECT_TRUE(outcome.train_half_runs);
  EXPECT_EQ(run.model.codice_errore, 0);
  EXPECT_TRUE(run.model.tracciato.empty());
  EXPECT_EQ(run.model.percorso[19].pendenza, 100);
  EXPECT_EQ(run.model.percorso[20].pendenza, 105);
}

// ---------------------------------------------------------------------------
// Route length.

TEST(LineReader, RouteLengthLimitsAndRounding) {
  struct Case {
    const char* length;
    int32_t codice_errore;
    int32_t lunghezza_estesa;
    int32_t ultima_cella;
  };
  const Case cases[] = {
      {"1000000", 0, 1007000, 20140},
      {"1000001", 1, 0, 0},
      {"25", 0, 7025, 140},  // 140.5 rounds to the even 140
      {"75", 0, 7075, 142},  // 141.5 rounds to the even 142
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.length);
    LineRun run;
    LineReadOutcome outcome = run.Read(LineWith({}, c.length));
    EXPECT_EQ(run.model.codice_errore, c.codice_errore);
    EXPECT_EQ(run.model.posizione_errore, kPosizioneIniziale);
    EXPECT_EQ(run.model.stazioni[84].fine_zona, std::stoi(c.length));
    EXPECT_EQ(outcome.train_half_runs, c.codice_errore == 0);
    EXPECT_EQ(run.model.lunghezza_estesa, c.lunghezza_estesa);
    EXPECT_EQ(run.model.ultima_cella, c.ultima_cella);
    if (c.codice_errore == 0) {
      EXPECT_EQ(run.model.percorso.size(), static_cast<size_t>(c.ultima_cella) + 1);
      EXPECT_EQ(run.model.tracciato.size(), static_cast<size_t>(c.lunghezza_estesa) + 1);
      // The plan runs straight to its third point from the end.
      EXPECT_EQ(run.model.tracciato[c.lunghezza_estesa - 2][1], TaggedValue::Double(c.lunghezza_estesa - 2));
      EXPECT_EQ(run.model.tracciato[c.lunghezza_estesa - 1][1], TaggedValue{});
    } else {
      EXPECT_TRUE(run.model.percorso.empty());
      EXPECT_TRUE(run.model.tracciato.empty());
    }
    EXPECT_FALSE(run.LineFileLeft());
    EXPECT_TRUE(run.TrainFileUntouched());
  }
}

TEST(LineReader, ASecondRouteLengthSizesTheRouteAgain) {
  LineRun run;
  run.Read(JoinLines({"[generale]", "lunghezza percorso, 99000", "lunghezza percorso, 1000", "[fine]",
                      "cartello_indicatore, 100, (A)", "[fine]"}));
  EXPECT_EQ(run.model.codice_errore, 0);
  EXPECT_EQ(run.model.ultima_cella, 160);
  EXPECT_EQ(run.model.percorso.size(), 161u);
  EXPECT_EQ(run.model.tracciato.size(), 8001u);
  EXPECT_EQ(run.model.percorso[3].tipo_cella, 14);
}

// ---------------------------------------------------------------------------
// Faults that stop the reader.

TEST(LineReader, NoLineFile) {
  LineRun run;
  LineReadOutcome outcome = ReadLineDescription(run.model, run.workspace, nullptr);
  EXPECT_FALSE(outcome.train_half_runs);
  EXPECT_EQ(run.model.codice_errore, 101);
  EXPECT_EQ(run.model.posizione_errore, kPosizioneIniziale);
  EXPECT_TRUE(run.TrainFileUntouched());
  for (const auto& step : run.files.log()) {
    EXPECT_NE(step.step, FakeFileSystem::Step::Delete) << step.path;
    EXPECT_NE(step.step, FakeFileSystem::Step::Read) << step.path;
  }
  EXPECT_TRUE(run.model.percorso.empty());
}

TEST(LineReader, FaultsThatStopTheReader) {
  struct Case {
    const char* name;
    std::string text;
    int32_t codice_errore;
    int32_t posizione_errore;
  };
  auto general = [](const std::string& line) {
    return JoinLines(
        {"[generale]", "lunghezza percorso, 99000", line, "[fine]", "pendenza, 500, 3", "[fine]"});
  };
  std::string geometry_limit = LineWith({"curvad1,  999000,  5000"}, "1000000");
  const Case cases[] = {
      {"no general section", JoinLines({"[linea]", "lunghezza percorso, 99000", "[fine]"}), 102,
       kPosizioneIniziale},
      {"general header as the last field", JoinLines({"[fine]", "[generale]"}), 102, kPosizioneIniziale},
      {"route too long", general("lunghezza percorso, 1000001"), 1, kPosizioneIniziale},
      {"cab signalling start", general("ripetizione segnali 4 codici, 2725, 95900"), 3, kPosizioneIniziale},
      {"cab signalling end", general("ripetizione segnali 4 codici, 2700, 95925"), 4, kPosizioneIniziale},
      {"cab signalling both", general("ripetizione segnali 4 codici, -25, 95925"), 3, kPosizioneIniziale},
      {"cab signalling codes", general("ripetizione segnali codici, 2700, 95900"), 5, kPosizioneIniziale},
      {"curve class", LineWith({"curvas7,  1700,  850", "pendenza, 500, 3"}), 103, kPosizioneIniziale},
      {"curve past the geometry limit", geometry_limit, 103, kPosizioneIniziale},
      {"indicator on an indicator",
       LineWith({"indicatori_vmax, 1000, 100, 100, 100, 0, , , , 0",
                 "indicatori_vmax, 1010, 90, 90, 90, 0, , , , 0", "pendenza, 500, 3"}),
       21, 1010},
      {"indicator on a board",
       LineWith({"cartello_indicatore, 1000, (A)", "indicatori_vmax, 990, 90, 90, 90, 0, , , , 0"}), 21, 990},
      {"board on an indicator",
       LineWith({"indicatori_vmax, 1000, 100, 100, 100, 0, , , , 0", "cartello_indicatore, 1020, (A)",
                 "pendenza, 500, 3"}),
       6, 1020},
      {"board on a board", LineWith({"cartello_indicatore, 1000, (A)", "cartello_indicatore, 1024, (B)"}), 6,
       1024},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineRun run;
    LineReadOutcome outcome = run.Read(c.text);
    EXPECT_FALSE(outcome.train_half_runs);
    EXPECT_EQ(run.model.codice_errore, c.codice_errore);
    EXPECT_EQ(run.model.posizione_errore, c.posizione_errore);
    EXPECT_FALSE(run.LineFileLeft());
    EXPECT_TRUE(run.TrainFileUntouched());
    // The closing steps did not run: no cell got the gradient tail, and the
    // gradient line after the fault was not read.
    for (const rec_cella& cell : run.model.percorso) ASSERT_EQ(cell.pendenza, 0);
  }
}

TEST(LineReader, CabSignallingCodeCount) {
  struct Case {
    const char* line;
    int32_t progressiva;
  };
  const Case cases[] = {
      {"ripetizione segnali 4 codici, 2700, 95900", 4},  {"ripetizione segnali 9 codici, 2700, 95900", 9},
      {"ripetizione segnali 49 codici, 2700, 95900", 4},  // "4" is looked for first
      {"ripetizione segnali 9 codici, 2700, 0", 0},       // no stretch
      {"ripetizione segnali 4 codici, -100, 0", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    LineRun run;
    run.Read(JoinLines({"[generale]", "lunghezza percorso, 99000", c.line, "[fine]"}));
    EXPECT_EQ(run.model.codice_errore, 0);
    EXPECT_EQ(run.model.stazioni[86].progressiva, c.progressiva);
  }
}

// ---------------------------------------------------------------------------
// The range test: an item and the 100 m after it must lie within 50 x
// ultima_cella (106000 m for a 99000 m route).

TEST(LineReader, RangeTestAtItsLimit) {
  struct Case {
    const char* kind;
    std::string line_at_limit;
    std::string line_beyond;
  };
  const Case cases[] = {
      {"gradient", "pendenza, 105900, 3", "pendenza, 105901, 3"},
      {"curve", "curvad2, 105900, 50", "curvad2, 105901, 50"},
      {"mountain", "montagna, 105900, 105950, 2", "montagna, 105901, 105950, 2"},
      {"indicator", "indicatori_vmax, 105900, 100, 100, 100, 0, , , , 0",
       "indicatori_vmax, 105901, 100, 100, 100, 0, , , , 0"},
      {"board", "cartello_indicatore, 105900, (FINE)", "cartello_indicatore, 105901, (FINE)"},
  };
  const std::string later_board = "cartello_indicatore, 1000, (DOPO)";
  for (const Case& c : cases) {
    SCOPED_TRACE(c.kind);
    {
      LineRun run;
      LineReadOutcome outcome = run.Read(LineWith({c.line_at_limit, later_board}));
      EXPECT_TRUE(outcome.train_half_runs);
      EXPECT_EQ(run.model.codice_errore, 0);
      EXPECT_EQ(run.model.percorso[21].tipo_cella, 14);
    }
    {
      LineRun run;
      LineReadOutcome outcome = run.Read(LineWith({c.line_beyond, later_board}));
      // The reading ends there; the closing steps run and the train half
      // follows.
      EXPECT_TRUE(outcome.train_half_runs);
      EXPECT_EQ(run.model.codice_errore, 15);
      EXPECT_EQ(run.model.posizione_errore, 105901);
      EXPECT_EQ(run.model.percorso[21].tipo_cella, 0);
      EXPECT_EQ(run.model.percorso[0].pendenza, 100);
      EXPECT_EQ(run.model.percorso[2117].pendenza, 100);
      EXPECT_EQ(run.model.percorso[2119].tipo_cella, 0);
      EXPECT_EQ(run.model.tracciato[105998][1], TaggedValue::Double(105998));
      EXPECT_EQ(run.model.tracciato[105999][1], TaggedValue{});
      EXPECT_FALSE(run.LineFileLeft());
      EXPECT_TRUE(run.TrainFileUntouched());
    }
  }
}

// ---------------------------------------------------------------------------
// Gradients.

TEST(LineReader, GradientsHoldFromTheirCellToTheNextGradient) {
  LineRun run;
  // A gradient at the start of the route fills no cell: its value holds
  // from cell 0.
  run.Read(LineWith({"pendenza, 20, 4", "pendenza, 1000, 5", "pendenza, 1000, 7", "pendenza, 3000, -3",
                     "pendenza, 4000, -150"}));
  const auto& cells = run.model.percorso;
  EXPECT_EQ(run.model.codice_errore, 0);
  for (int k = 0; k <= 19; ++k) EXPECT_EQ(cells[k].pendenza, 104) << k;
  // Two lines at one position: the earlier value fills the one cell there.
  EXPECT_EQ(cells[20].pendenza, 105);
  for (int k = 21; k <= 59; ++k) EXPECT_EQ(cells[k].pendenza, 107) << k;
  for (int k = 60; k <= 79; ++k) EXPECT_EQ(cells[k].pendenza, 97) << k;
  // -150 + 100 keeps its low 8 bits.
  EXPECT_EQ(cells[80].pendenza, 206);
  EXPECT_EQ(cells[2117].pendenza, 206);
  EXPECT_EQ(cells[2118].pendenza, 0);
  EXPECT_EQ(cells[2120].pendenza, 0);
}

// ---------------------------------------------------------------------------
// Curves.

TEST(LineReader, CurvesTurnTheStepLeftOrRight) {
  struct Case {
    const char* line;
    double curvatura;
  };
  const Case cases[] = {
      {"curvad1, 100, 10", 0.0001},  {"curvad2, 100, 10", 0.0002}, {"CURVAS3, 100, 10", -0.0004},
      {"curvad4, 100, 10", 0.001},   {"curvaS5, 100, 10", -0.002}, {"curvad6, 100, 10", 0.003},
      {"curvad61, 100, 10", 0.0001},  // the lowest class digit found wins
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.line);
    LineRun run;
    run.Read(LineWith({c.line}));
    ASSERT_EQ(run.model.codice_errore, 0);
    const auto& plan = run.model.tracciato;
    EXPECT_EQ(plan[100][0], TaggedValue::Double(0.0));
    EXPECT_EQ(plan[101][0], TaggedValue::Double(c.curvatura));
    EXPECT_EQ(plan[101][1], TaggedValue::Double(101.0));
    // After the curve the track goes on straight with the turned step.
    const double dx = plan[110][0].real - plan[109][0].real;
    EXPECT_EQ(plan[111][0].real, plan[110][0].real + dx);
    EXPECT_GT(dx * c.curvatura, 0.0);
  }
}

TEST(LineReader, CurveGeometryLimit) {
  {
    LineRun run;
    run.Read(LineWith({"curvad1, 999000, 999"}, "1000000"));
    EXPECT_EQ(run.model.codice_errore, 0);
    EXPECT_EQ(run.model.tracciato[1006998][0].type, ValueType::Double);
  }
  {
    // The point at metre 1000000 is the last one a curve may compute; the
    // reader stops there and keeps the points computed.
    LineRun run;
    LineReadOutcome outcome = run.Read(LineWith({"curvad1, 999000, 1000", "pendenza, 500, 3"}, "1000000"));
    EXPECT_FALSE(outcome.train_half_runs);
    EXPECT_EQ(run.model.codice_errore, 103);
    EXPECT_EQ(run.model.tracciato[1000000][0].type, ValueType::Double);
    EXPECT_EQ(run.model.tracciato[1000001][0], TaggedValue{});
    EXPECT_FALSE(run.LineFileLeft());
  }
}

// A curve's end (start + length) is first computed once the straight run up
// to its start has been stored.
TEST(LineReader, CurveEndIsComputedAfterTheStraightRun) {
  struct Case {
    const char* name;
    const char* length;
    const char* curve;
    int32_t errore;
    int64_t last_point;  // the last point stored: the straight run's end
    bool train_file_left;
  };
  const Case cases[] = {
      // The straight run to 8350 is stored, then start + length leaves the
      // Long range: a run-time failure.
      {"an end beyond a Long", "8350", "curvad2, 8350, 2147483647", 25, 8350, false},
      // The straight run passes the geometry limit before the end, which
      // would overflow, is ever computed.
      {"a straight run past the geometry limit", "1000000", "curvad2, 1000500, 2147483000", 103, 1000000,
       true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineRun run;
    run.Memorizza(LineWith({c.curve}, c.length));
    EXPECT_EQ(run.model.codice_errore, c.errore);
    EXPECT_EQ(run.model.posizione_errore, kPosizioneIniziale);
    EXPECT_FALSE(run.LineFileLeft());
    EXPECT_EQ(run.TrainFileUntouched(), c.train_file_left);
    const auto& plan = run.model.tracciato;
    for (int64_t j = 2; j <= c.last_point; ++j) {
      ASSERT_EQ(plan[j][0], TaggedValue::Double(0.0)) << j;
      ASSERT_EQ(plan[j][1], TaggedValue::Double(static_cast<double>(j))) << j;
    }
    // Nothing after the straight run, and no plan tail.
    for (int64_t j = c.last_point + 1; j < static_cast<int64_t>(plan.size()); ++j) {
      ASSERT_EQ(plan[j][0], TaggedValue{}) << j;
      ASSERT_EQ(plan[j][1], TaggedValue{}) << j;
    }
  }
}

TEST(LineReader, ACurveEndBeyondALongKeepsTheStraightRunInTheLineFile) {
  LineRun run;
  run.Memorizza(LineWith({"curvad2, 8350, 2147483647"}, "8350"));
  ASSERT_EQ(run.model.codice_errore, 25);
  // Points 0 to 8350 hold the straight run (points 2 to 8350 computed), the
  // 7000 points of the run-out stay Empty: a line file of 194996 bytes.
  const auto& plan = run.model.tracciato;
  ASSERT_EQ(plan.size(), 8350u + 7000u + 1u);
  for (int64_t j = 2; j <= 8350; ++j) {
    ASSERT_EQ(plan[j][0], TaggedValue::Double(0.0)) << j;
    ASSERT_EQ(plan[j][1], TaggedValue::Double(static_cast<double>(j))) << j;
  }
  for (int64_t j = 8351; j < static_cast<int64_t>(plan.size()); ++j) ASSERT_EQ(plan[j][0], TaggedValue{}) << j;
}

TEST(LineReader, CurveStartingBehindThePlanTurnsFromThePlansEnd) {
  LineRun run;
  // The second curve starts at 50, behind metre 111 already built: it turns
  // from 111 on; the third ends before the plan and adds nothing.
  run.Read(
      LineWith({"curvad1, 100, 10", "curvas1, 50, 70", "curvad6, 0, 30", "cartello_indicatore, 200, (A)"}));
  ASSERT_EQ(run.model.codice_errore, 0);

  std::vector<double> x(200), y(200);
  y[1] = 1;
  for (int j = 2; j < 200; ++j) {
    double c = (j > 100 && j <= 110) ? 0.0001 : (j > 110 && j <= 120) ? -0.0001 : 0.0;
    double dx = x[j - 1] - x[j - 2], dy = y[j - 1] - y[j - 2];
    x[j] = x[j - 1] + (dx + c * dy);
    y[j] = y[j - 1] + (dy - c * dx);
  }
  for (int j = 2; j < 200; ++j) {
    ASSERT_EQ(run.model.tracciato[j][0], TaggedValue::Double(x[j])) << j;
    ASSERT_EQ(run.model.tracciato[j][1], TaggedValue::Double(y[j])) << j;
  }
  EXPECT_EQ(run.model.percorso[5].tipo_cella, 14);  // the line after them is read
}

// ---------------------------------------------------------------------------
// Mountains.

TEST(LineReader, MountainWithMarkers) {
  LineRun run;
  run.Read(LineWith({"montagna, 0, 1000, 12"}));
  ASSERT_EQ(run.model.codice_errore, 0);
  const auto& cells = run.model.percorso;
  for (int k = 0; k <= 19; ++k) {
    EXPECT_EQ(cells[k].montagna, 2) << k;
    const bool marker = k == 3 || k == 7 || k == 11 || k == 15 || k == 19;
    EXPECT_EQ(cells[k].tipo_cella, marker ? 11 : 0) << k;
  }
  EXPECT_EQ(cells[20].montagna, 0);
  EXPECT_EQ(run.model.numero_montagne, 1);
  EXPECT_EQ(run.model.montagne_inizio[1], 0);
  EXPECT_EQ(run.model.montagne_fine[1], 1000);
}

TEST(LineReader, MountainCloseAfterThePreviousOneIsOfType3) {
  struct Case {
    const char* second;
    int first;  // its first cell
    int montagna;
    bool markers;
  };
  const Case cases[] = {
      {"montagna, 1150, 2000, 2", 23, 3, false},
      {"montagna, 1200, 2000, 2", 24, 2, false},
      {"montagna, 900, 2000, 4", 18, 3, false},  // overlapping
      {"montagna, 1150, 2000, 14", 23, 3, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.second);
    LineRun run;
    run.Read(LineWith({"montagna, 0, 1000, 5", c.second}));
    ASSERT_EQ(run.model.codice_errore, 0);
    const auto& cells = run.model.percorso;
    const int first = c.first;
    EXPECT_EQ(cells[first].montagna, c.montagna);
    EXPECT_EQ(cells[39].montagna, c.montagna);
    EXPECT_EQ(cells[40].montagna, 0);
    EXPECT_EQ(cells[first + 3].tipo_cella, c.markers ? 11 : 0);
    EXPECT_EQ(run.model.numero_montagne, 2);
  }
}

TEST(LineReader, MountainMarksOnlyFreeCellsAndSetsItsTypeOnAny) {
  ScenarioModel model;
  model.ultima_cella = 40;
  model.percorso.resize(41);
  model.percorso[7].tipo_cella = 14;
  int32_t tipo = 12;
  memo_montagna(model, 0, 1000, tipo);
  EXPECT_EQ(tipo, 2);  // the caller's type is changed
  EXPECT_EQ(model.percorso[7].tipo_cella, 14);
  EXPECT_EQ(model.percorso[7].montagna, 2);
  EXPECT_EQ(model.percorso[3].tipo_cella, 11);

  tipo = 1;
  memo_montagna(model, 1100, 1500, tipo);
  EXPECT_EQ(tipo, 3);
  EXPECT_EQ(model.numero_montagne, 2);
}

TEST(LineReader, BoardsAndIndicatorsReplaceMountainMarkers) {
  LineRun run;
  run.Read(LineWith({"montagna, 0, 1000, 12", "cartello_indicatore, 100, (A)",
                     "indicatori_vmax, 300, 80, 90, 100, 3, 5, 10, 15, 1"}));
  ASSERT_EQ(run.model.codice_errore, 0);
  const auto& cells = run.model.percorso;
  EXPECT_EQ(cells[3].tipo_cella, 14);
  EXPECT_EQ(cells[3].montagna, 2);
  EXPECT_EQ(cells[7].tipo_cella, 6);
  EXPECT_EQ(cells[7].valore_1, 1601);
  EXPECT_EQ(cells[7].valore_2, 1802);
  EXPECT_EQ(cells[7].valore_3, 2003);
  EXPECT_EQ(cells[7].valore_4, 31);
  EXPECT_EQ(cells[11].tipo_cella, 11);
}

// ---------------------------------------------------------------------------
// Maximum-speed indicators.

TEST(LineReader, IndicatorValues) {
  struct Case {
    int32_t vas, vad, strisces, strisced;
    int16_t valore_1, valore_4;
  };
  const Case cases[] = {
      {95, 0, 0, 0, 1900, 0},     {65, 0, 2, 0, 1300, 20},    {100, 7, 0, 0, 2001, 0},  // 2001.4 rounds down
      {100, 13, 0, 0, 2003, 0},                                                         // 2002.6 rounds up
      {-5, 0, 0, 0, -100, 0},     {1638, 35, 0, 0, 32767, 0},  // the largest that fits
      {0, 0, 6553, 7, 0, 1},                                   // 65537 keeps its low 16 bits
      {0, 0, 6553, 5, 0, -1},                                  // 65535
      {0, 0, 3276, 8, 0, -32768},                              // 32768
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.vas);
    ScenarioModel model;
    model.percorso.resize(30);
    model.ultima_cella = 29;
    memo_indicatori_v_max(model, 1000, c.vas, 0, 0, c.strisces, c.vad, 0, 0, c.strisced);
    EXPECT_EQ(model.codice_errore, 0);
    EXPECT_EQ(model.percorso[21].tipo_cella, 6);
    EXPECT_EQ(model.percorso[21].valore_1, c.valore_1);
    EXPECT_EQ(model.percorso[21].valore_4, c.valore_4);
  }
}

// ---------------------------------------------------------------------------
// The general section and the keyword rules.

TEST(LineReader, KeywordCase) {
  LineRun run;
  run.Read(JoinLines({
      "[generale]",
      "Lunghezza PERCORSO, 99000",
      "Sfondo uno, 7",
      "sfondo due, 3",
      "Progressiva chilometrica uno, 500, 1000, 0",
      "progressiva chilometrica due, 0, 400, 0",
      "[fine]",
      "PENDENZA, 1000, 5",
      "CURVAD2, 100, 10",
      "MONTAGNA, 2000, 2100, 2",
      "INDICATORI_VMAX, 3000, 100, 100, 100, 0, , , , 0",
      "CARTELLO_INDICATORE, 4000, (GRANDE)",
      "[fine]",
  }));
  const auto& model = run.model;
  ASSERT_EQ(model.codice_errore, 0);
  EXPECT_EQ(model.ultima_cella, 2120);
  // The exact tests skip a capitalised keyword and its values.
  EXPECT_EQ(model.stazioni[85].inizio_zona, 0);
  EXPECT_EQ(model.stazioni[85].progressiva, 3);
  EXPECT_EQ(model.stazioni[81], Zone(0, 400, 0));
  EXPECT_EQ(model.stazioni[82], rec_stazione{});
  EXPECT_EQ(model.stazioni[83], rec_stazione{});
  // The others ignore letter case.
  EXPECT_EQ(model.percorso[19].pendenza, 100);
  EXPECT_EQ(model.percorso[20].pendenza, 105);
  EXPECT_EQ(model.tracciato[101][0], TaggedValue::Double(0.0002));
  EXPECT_EQ(model.percorso[40].montagna, 2);
  EXPECT_EQ(model.percorso[41].montagna, 2);
  EXPECT_EQ(model.percorso[61].tipo_cella, 6);
  EXPECT_EQ(model.percorso[81].tipo_cella, 14);
  EXPECT_EQ(model.stazioni[80].nome, "(GRANDE)");
}

TEST(LineReader, CommentFields) {
  auto dashes = [](int count) { return std::vector<std::string>(count, "-------------"); };
  auto general = [&](int comments, const std::string& line) {
    std::vector<std::string> lines = {"[generale]", "lunghezza percorso, 99000"};
    for (const std::string& dash : dashes(comments)) lines.push_back(dash);
    lines.push_back(line);
    lines.push_back("sfondo due, 9");
    lines.push_back("[fine]");
    return JoinLines(lines);
  };
  auto rest = [&](int comments) {
    std::vector<std::string> items = dashes(comments);
    items.push_back("-- pendenza, 1000, 5");
    return LineWith(items);
  };
  struct Case {
    const char* name;
    std::string text;
    int32_t sfondo_uno;
    int32_t sfondo_due;
    int pendenza_20;
  };
  const Case cases[] = {
      // After ten comment fields the next field is tested, hyphen or not.
      {"ten in the general section", general(10, "-- sfondo uno, 7"), 7, 9, 100},
      {"eleven in the general section", general(11, "-- sfondo uno, 7"), 0, 9, 100},
      // A header that stands as a comment does not end the section.
      {"bracketed comment", general(10, "-[x]"), 0, 9, 100},
      {"two in the rest", rest(2), 0, 0, 105},
      {"three in the rest", rest(3), 0, 0, 100},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineRun run;
    run.Read(c.text);
    ASSERT_EQ(run.model.codice_errore, 0);
    EXPECT_EQ(run.model.stazioni[85].inizio_zona, c.sfondo_uno);
    EXPECT_EQ(run.model.stazioni[85].progressiva, c.sfondo_due);
    EXPECT_EQ(run.model.percorso[20].pendenza, c.pendenza_20);
  }
}

TEST(LineReader, AnyBracketedHeaderEndsTheGeneralSection) {
  LineRun run;
  run.Read(JoinLines({"[generale]", "lunghezza percorso, 99000", "  [altro] ", "sfondo uno, 7", "[fine]"}));
  ASSERT_EQ(run.model.codice_errore, 0);
  EXPECT_EQ(run.model.stazioni[85].inizio_zona, 0);
}

TEST(LineReader, EndOfTheFile) {
  struct Case {
    const char* name;
    std::string text;
    int32_t sfondo_uno;
  };
  const Case cases[] = {
      {"general section to the end", JoinLines({"[generale]", "lunghezza percorso, 99000", "sfondo uno, 3"}),
       3},
      // A last field that would need values is not interpreted.
      {"last field in the general section",
       JoinLines({"[generale]", "lunghezza percorso, 99000", "sfondo uno"}), 0},
      {"last field in the rest", LineWith({}) + "cartello_indicatore\r\n", 0},
      {"last field without a line end", LineWith({}) + "montagna", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineRun run;
    LineReadOutcome outcome = run.Read(c.text);
    EXPECT_TRUE(outcome.train_half_runs);
    EXPECT_EQ(run.model.codice_errore, 0);
    EXPECT_EQ(run.model.stazioni[85].inizio_zona, c.sfondo_uno);
    EXPECT_EQ(run.model.percorso[2117].pendenza, 100);
    EXPECT_EQ(run.model.tracciato[105998][1], TaggedValue::Double(105998));
    EXPECT_FALSE(run.LineFileLeft());
  }
}

// ---------------------------------------------------------------------------
// Ordering the progressive zones.

TEST(ProgressiveOrdina, Orders) {
  struct Case {
    const char* name;
    rec_stazione tre, due, uno;
    rec_stazione r81, r82, r83;
  };
  const rec_stazione zero;
  const Case cases[] = {
      {"built-in", zero, zero, Zone(0, 97000, 1), Zone(0, 97100, 1), zero, zero},
      {"all at the start: the last with a chainage wins", Zone(0, 0, 7), Zone(0, 500, 8), Zone(0, 800, 9),
       Zone(0, 800, 9), Zone(0, 500, 8), Zone(0, 0, 7)},
      {"all at the start, only due", Zone(0, 0, 7), Zone(0, 500, 8), Zone(0, 0, 9), Zone(0, 500, 8),
       Zone(0, 0, 7), Zone(0, 0, 9)},
      {"all at the start, no chainage", Zone(0, 0, 1), Zone(0, -5, 1), Zone(0, 0, 1), zero, zero, zero},
      {"starts summing to 0", Zone(-100, 10, 0), Zone(50, 0, 0), Zone(50, 20, 0), Zone(50, 20, 0),
       Zone(50, 0, 0), Zone(-100, 10, 0)},
      {"two share the largest start", Zone(500, 1, 1), Zone(500, 2, 1), Zone(0, 3, 1), zero, zero, zero},
      {"due largest", Zone(100, 10, 1), Zone(300, 20, 0), Zone(200, 30, 0), Zone(300, 20, 0),
       Zone(200, 30, 0), Zone(100, 110, 1)},
      {"tre largest, due smallest", Zone(300, 10, 0), Zone(100, 20, 0), Zone(200, 30, 0), Zone(300, 10, 0),
       Zone(200, 30, 0), Zone(100, 20, 0)},
      {"uno largest", Zone(200, 10, 0), Zone(100, 20, 0), Zone(300, 30, 1), Zone(300, 130, 1),
       Zone(200, 10, 0), Zone(100, 20, 0)},
      {"negative starts", Zone(-300, 10, 0), Zone(-100, 20, 0), Zone(-200, 30, 0), Zone(-100, 20, 0),
       Zone(-200, 30, 0), Zone(-300, 10, 0)},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScenarioModel model;
    model.stazioni[81] = c.tre;
    model.stazioni[82] = c.due;
    model.stazioni[83] = c.uno;
    progressive_ordina(model);
    EXPECT_EQ(model.stazioni[81], c.r81);
    EXPECT_EQ(model.stazioni[82], c.r82);
    EXPECT_EQ(model.stazioni[83], c.r83);
  }
}

TEST(ProgressiveOrdina, AChainageBeyondALongFailsWithAllThreeZonesOrdered) {
  ScenarioModel model;
  model.stazioni[81] = Zone(500, 2147483600, 1);
  model.stazioni[82] = Zone(100, 7, 0);
  model.stazioni[83] = Zone(200, 9, 0);
  EXPECT_THROW(progressive_ordina(model), RuntimeFailure);
  EXPECT_EQ(model.stazioni[81], Zone(500, 2147483600, 1));
  EXPECT_EQ(model.stazioni[82], Zone(200, 9, 0));
  EXPECT_EQ(model.stazioni[83], Zone(100, 7, 0));
}

TEST(LineReader, ProgressiveZonesAreReadAndOrdered) {
  LineRun run;
  run.Read(JoinLines({"[generale]", "lunghezza percorso, 99000", "progressiva chilometrica tre, 0, 0, 0",
                      "progressiva chilometrica due, 0, 500, 1", "progressiva chilometrica uno, 0, 800, 0",
                      "[fine]"}));
  ASSERT_EQ(run.model.codice_errore, 0);
  EXPECT_EQ(run.model.stazioni[81], Zone(0, 800, 0));
  EXPECT_EQ(run.model.stazioni[82], Zone(0, 600, 1));
  EXPECT_EQ(run.model.stazioni[83], rec_stazione{});
}

// ---------------------------------------------------------------------------
// The failure trap.

TEST(LineReaderTrap, RunTimeFailuresAreRecordedAs25) {
  struct Case {
    const char* name;
    std::string text;
    int32_t compila_linea;
  };
  std::vector<std::string> mountains;
  for (int i = 0; i < 81; ++i)
    mountains.push_back("montagna, " + std::to_string(1000 * i) + ", " + std::to_string(1000 * i + 500) +
                        ", 2");
  std::vector<std::string> boards;
  for (int i = 0; i < 82; ++i) boards.push_back("cartello_indicatore, " + std::to_string(100 * i) + ", (B)");
  const std::string no_route =
      JoinLines({"[generale]", "sfondo uno, 1", "[fine]", "pendenza, 100, 1", "[fine]"});
  const Case cases[] = {
      {"a letter in a number", LineWith({}, "99x00"), 1},
      {"a value too large for a Long", LineWith({}, "3000000000"), 1},
      {"end of the file inside a line's values", LineWith({}) + "montagna, 100, 200", 1},
      {"end of the file inside the general comments",
       JoinLines({"[generale]", "lunghezza percorso, 99000", "---", "---"}), 1},
      {"no route length", no_route, 1},
      {"no route length, no geometry", no_route, 0},
      {"no route length and nothing else", JoinLines({"[generale]", "[fine]"}), 0},
      {"an 81st mountain", LineWith(mountains), 1},
      {"an 82nd board", LineWith(boards), 1},
      {"a curve past the end of the plan", LineWith({"curvad1, 7000, 5000"}, "1000"), 1},
      {"a mountain past the end of the route", LineWith({"montagna, 1000, 200000, 2"}), 1},
      {"a board before the start of the route", LineWith({"cartello_indicatore, -100, (X)"}), 1},
      {"an indicator too large for an Integer", LineWith({"indicatori_vmax, 1000, 1639, 0, 0, 0, , , , 0"}),
       1},
      {"a gradient beyond a Long", LineWith({"pendenza, 0, 2147483647"}), 1},
      {"a negative route", LineWith({}, "-8000"), 1},
      {"a route with no room for the plan's start", LineWith({}, "-7000"), 1},
      {"an empty file", "", 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    LineRun run(c.compila_linea);
    run.Memorizza(c.text);
    EXPECT_EQ(run.model.codice_errore, 25);
    EXPECT_EQ(run.model.posizione_errore, kPosizioneIniziale);
    EXPECT_FALSE(run.LineFileLeft());
    EXPECT_EQ(run.files.files.count(kTrainPath), 0u);
  }
}

TEST(LineReaderTrap, WhatWasStoredBeforeTheFailureStays) {
  LineRun run;
  std::vector<std::string> boards;
  for (int i = 0; i < 82; ++i)
    boards.push_back("cartello_indicatore, " + std::to_string(100 * i) + ", (B" + std::to_string(i) + ")");
  run.Memorizza(LineWith(boards));
  ASSERT_EQ(run.model.codice_errore, 25);
  // The 81st board took the last record there is; the 82nd claimed its cell
  // and then found no record.
  EXPECT_EQ(run.model.stazioni[1].nome, "(B79)");
  EXPECT_EQ(run.model.stazioni[0].nome, "(B80)");
  EXPECT_EQ(run.model.percorso[163].tipo_cella, 14);
  EXPECT_EQ(run.model.percorso[163].valore_1, -1);
}

TEST(LineReaderTrap, ANegativeSecondRouteLengthLeavesTheRoute) {
  LineRun run;
  run.Memorizza(
      JoinLines({"[generale]", "lunghezza percorso, 99000", "lunghezza percorso, -8000", "[fine]"}));
  EXPECT_EQ(run.model.codice_errore, 25);
  EXPECT_EQ(run.model.percorso.size(), 2121u);
  EXPECT_EQ(run.model.tracciato.size(), 106001u);
}

TEST(LineReaderTrap, AnUnreadableLineFile) {
  LineRun run;
  run.files.FailOn(FakeFileSystem::Step::Read, kLinePath);
  run.Memorizza(BuiltInLineFileText());
  EXPECT_EQ(run.model.codice_errore, 25);
  EXPECT_FALSE(run.LineFileLeft());
  EXPECT_EQ(run.files.files.count(kTrainPath), 0u);
}

// ---------------------------------------------------------------------------
// Arbitrary input: keywords, values and comments thrown together must end in
// a recorded error or a complete route, never outside an array.

std::string RandomLineFile(std::mt19937& random) {
  static const std::vector<std::string> keywords = {"lunghezza percorso",
                                                    "progressiva chilometrica uno",
                                                    "progressiva chilometrica due",
                                                    "progressiva chilometrica tre",
                                                    "sfondo uno",
                                                    "sfondo due tre",
                                                    "ripetizione segnali 4 codici",
                                                    "ripetizione segnali codici",
                                                    "[generale]",
                                                    "[curve]",
                                                    "[fine]",
                                                    "curvas3",
                                                    "curvad6",
                                                    "curva",
                                                    "curvad9",
                                                    "pendenza",
                                                    "montagna",
                                                    "indicatori_vmax",
                                                    "cartello_indicatore",
                                                    "-----",
                                                    "x-y",
                                                    "",
                                                    "pendenza montagna indicatori_v cartello",
                                                    "  [x]  ",
                                                    "-[y]"};
  static const std::vector<std::string> values = {
      "",      "0",    "-1",    "1",     "25",    "49",      "50",      "75",         "100",         "150",
      "1000",  "7000", "20000", "26900", "26901", "1000000", "1000001", "2147483647", "-2147483648", "-7000",
      "-8000", "abc",  "(CAP)", "12",    "1639"};
  static const std::vector<std::string> lengths = {"-7025", "-7000", "-6950", "0",     "25",
                                                   "1000",  "5000",  "20000", "20000", "20000"};
  auto pick = [&](const std::vector<std::string>& from) {
    return from[std::uniform_int_distribution<size_t>(0, from.size() - 1)(random)];
  };
  std::vector<std::string> lines;
  if (random() % 10 != 0) lines.push_back("[generale]");
  if (random() % 10 != 0) lines.push_back("lunghezza percorso, " + pick(lengths));
  // Mostly lines of the right shape with numbers anywhere on the route, and
  // some of any shape.
  static const std::vector<std::pair<std::string, int>> shapes = {
      {"pendenza", 2}, {"curvas2", 2},         {"curvad5", 2},
      {"montagna", 3}, {"indicatori_vmax", 9}, {"cartello_indicatore", 1}};
  const int count = static_cast<int>(random() % 30);
  for (int i = 0; i < count; ++i) {
    std::string line;
    if (random() % 3 != 0) {
      const auto& shape = shapes[random() % shapes.size()];
      line = shape.first;
      // Positions crowd into a few cells half of the time.
      const uint32_t position = random() % 2 == 0 ? (random() % 40) * 50 : random() % 28000;
      line += ",  " + std::to_string(position);
      if (shape.first == "montagna") {
        line += ",  " + std::to_string(position + random() % 3000) + ",  " + std::to_string(random() % 15);
      } else {
        for (int v = 1; v < shape.second; ++v) line += ",  " + std::to_string(random() % 200);
      }
      if (shape.first == "cartello_indicatore") line += ",  (CAP)";
    } else {
      line = pick(keywords);
      const int value_count = static_cast<int>(random() % 11);
      for (int v = 0; v < value_count; ++v) {
        std::string value = random() % 3 == 0 ? std::to_string(random() % 30000) : pick(values);
        line += ",  " + value;
      }
    }
    lines.push_back(line);
  }
  if (random() % 4 != 0) lines.push_back("[fine]");
  return JoinLines(lines);
}

// The numbers a reading of the line description with the small train
// service can end with: those of the line reader, of either reader, and the
// train half's check of the progressive zones after it.
std::set<int32_t> LineHalfNumbers() {
  std::set<int32_t> numbers = {0};
  for (const ErrorNumber& entry : kErrorNumbers)
    if (entry.source == ErrorSource::LineReader || entry.source == ErrorSource::EitherReader ||
        entry.source == ErrorSource::AfterReading)
      numbers.insert(entry.numero);
  numbers.erase(error_number::kNoLineFile);  // the file is always there
  return numbers;
}

TEST(LineReaderRobustness, ArbitraryLineFilesStayInsideTheModel) {
  const std::set<int32_t> recorded = LineHalfNumbers();
  std::mt19937 random(20261210);
  for (int round = 0; round < 1000; ++round) {
    const std::string text = RandomLineFile(random);
    SCOPED_TRACE(text);
    LineRun run(round % 3 == 0 ? 0 : 1);
    run.Memorizza(text);
    const ScenarioModel& model = run.model;
    ASSERT_TRUE(recorded.count(model.codice_errore)) << model.codice_errore;
    EXPECT_FALSE(run.LineFileLeft());
    if (model.codice_errore == 25) continue;
    if (!model.percorso.empty()) {
      ASSERT_EQ(model.percorso.size(), static_cast<size_t>(model.ultima_cella) + 1);
    }
    const bool closing_steps_ran =
        model.codice_errore == 0 || model.codice_errore == 2 || model.codice_errore == 15;
    if (closing_steps_ran && model.compila_linea != 0) {
      // A read that reached its closing steps leaves a complete plan.
      ASSERT_EQ(model.tracciato.size(), static_cast<size_t>(model.lunghezza_estesa) + 1);
      for (int32_t j = 0; j <= model.lunghezza_estesa - 2; ++j)
        ASSERT_NE(model.tracciato[j][1].type, ValueType::Empty) << j;
    }
    for (const rec_cella& cell : model.percorso) {
      if (cell.tipo_cella == 14) {
        ASSERT_GE(cell.valore_1, 0);
        ASSERT_LE(cell.valore_1, 80);
      }
    }
  }
}

// Well-formed variants of the built-in line description: the same lines
// written otherwise (blanks, line ends, comment fields, the case of the
// keywords, a value on the next line), and some of its item lines left out.
// The reading must never fail on them; the ones written otherwise must give
// exactly the model of the built-in text.

std::vector<std::string> SplitCrLf(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  for (size_t end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2)
    lines.push_back(text.substr(start, end - start));
  if (start < text.size()) lines.push_back(text.substr(start));
  return lines;
}

bool StartsWithAny(const std::string& line, std::initializer_list<const char*> keywords) {
  for (const char* keyword : keywords)
    if (line.rfind(keyword, 0) == 0) return true;
  return false;
}

// The built-in lines rewritten at random, each as it may be written; with
// `leave_out`, some item lines are left out too.
std::string WellFormedVariant(std::mt19937& random, bool leave_out) {
  const std::vector<std::string> lines = SplitCrLf(BuiltInLineFileText());
  static const char* const kLineEnds[] = {"\r\n", "\n", "\r"};
  std::string text;
  bool in_general_section = false;
  for (const std::string& original : lines) {
    std::string line = original;
    if (line == "[generale]") in_general_section = true;
    if (line == "[curve]") in_general_section = false;
    const bool item = StartsWithAny(line, {"curva", "pendenza", "montagna", "indicatori_vmax", "cartello"});
    if (leave_out && item && random() % 4 == 0) continue;
    // Comment fields before the line: up to two, and up to ten in the
    // general section.
    const int comments = static_cast<int>(random() % (in_general_section ? 11 : 3));
    // A comment may name keywords: passed over, they do nothing.
    static const char* const kComments[] = {"-----", "-- pendenza curva montagna --",
                                            "-- lunghezza percorso e sfondo uno indicatori_v cartello --"};
    for (int i = 0; i < comments; ++i) text += std::string(kComments[random() % 3]) + kLineEnds[random() % 3];
    // The rest of the file matches its keywords whatever their case.
    if (StartsWithAny(line, {"pendenza", "montagna", "indicatori_vmax", "cartello"}) && random() % 3 == 0)
      for (size_t i = 0; i < line.find(','); ++i)
        line[i] = static_cast<char>(std::toupper(static_cast<unsigned char>(line[i])));
    // More or fewer blanks after the commas, tabs among them; the numbers
    // of gradients, mountains and curves may go on the next line.
    const bool numbers_only = StartsWithAny(line, {"curva", "pendenza", "montagna"});
    std::string written;
    for (size_t i = 0; i < line.size(); ++i) {
      written += line[i];
      if (line[i] != ',') continue;
      while (i + 1 < line.size() && line[i + 1] == ' ') ++i;
      if (numbers_only && random() % 4 == 0) written += kLineEnds[random() % 3];
      written += std::string(random() % 4, random() % 2 ? ' ' : '\t');
    }
    text += written + kLineEnds[random() % 3];
  }
  return text;
}

TEST(LineReaderRobustness, WellFormedVariantsAreReadAsTheBuiltInText) {
  LineRun reference;
  reference.Memorizza(BuiltInLineFileText());
  ASSERT_EQ(reference.model.codice_errore, 0);
  std::mt19937 random(20261211);
  for (int round = 0; round < 40; ++round) {
    const std::string text = WellFormedVariant(random, false);
    SCOPED_TRACE(text);
    LineRun run;
    run.Memorizza(text);
    ASSERT_EQ(run.model.codice_errore, 0);
    EXPECT_FALSE(run.LineFileLeft());
    ASSERT_TRUE(run.model.percorso == reference.model.percorso);
    ASSERT_TRUE(run.model.tracciato == reference.model.tracciato);
    ASSERT_TRUE(run.model.stazioni == reference.model.stazioni);
  }
}

TEST(LineReaderRobustness, WellFormedFilesWithLinesLeftOutAreRead) {
  std::mt19937 random(20261212);
  for (int round = 0; round < 40; ++round) {
    const std::string text = WellFormedVariant(random, true);
    SCOPED_TRACE(text);
    LineRun run(round % 3 == 0 ? 0 : 1);
    run.Memorizza(text);
    ASSERT_EQ(run.model.codice_errore, 0);
    EXPECT_FALSE(run.LineFileLeft());
    ASSERT_EQ(run.model.percorso.size(), 2121u);
  }
}

}  // namespace
}  // namespace scenario
