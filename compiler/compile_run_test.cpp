#include "compiler/compile_run.h"

#include <gtest/gtest.h>

#include "compiler/check_codes.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/recording_window.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::RecordingWindow;
using testing_support::ReasonOf;

const std::string kLineFile = "/run/Calvisio -Sambreta_linea.dat";
const std::string kStationFile = "/run/Calvisio -Sambreta_31613.sim";
const std::string kCellFile = "/run/Calvisio -Sambreta_31613.dat";

// A model as the readers leave it, a file system and a window.
struct CompiledScenario {
  CompiledScenario() {
    model.nome_linea = "Calvisio -Sambreta";
    model.numero_treno = "31613";
    model.compila_linea = 1;
    // What the readers leave: the names copied into records 85 and 86, a
    // route of 2121 cells and a small plan.
    model.stazioni[kRecordScenario].nome = model.nome_linea;
    model.stazioni[kRecordTreno].nome = model.numero_treno;
    model.ultima_cella = 2120;
    model.percorso.resize(2121);
    model.tracciato.Alloca(4);
    model.tracciato.seme(1) = {TaggedValue::Integer(0), TaggedValue::Integer(1)};
  }

  // Runs the step and returns the number errore showed, or "" when it ran
  // to its end.
  std::string Finish() {
    try {
      FinishCompileRun(model, workspace, window);
    } catch (const ErroreShown& shown) {
      return shown.numero;
    }
    return "";
  }

  ScenarioModel model;
  FakeFileSystem files;
  Workspace workspace{files, "/run/"};
  RecordingWindow window;
};

class FinishCompileRunTest : public ::testing::Test, public CompiledScenario {};

TEST_F(FinishCompileRunTest, StampsMarkersAndCodesIntoModelAndFiles) {
  ASSERT_EQ(Finish(), "");
  EXPECT_EQ(model.stazioni[85].par_4, 610);
  EXPECT_EQ(model.stazioni[85].orario, 31352);
  EXPECT_EQ(model.percorso[1].valore_1, 5121);
  EXPECT_EQ(model.percorso[1].valore_2, 2230);
  EXPECT_TRUE(window.messages.empty());

  std::vector<rec_stazione> stations;
  std::vector<rec_cella> cells;
  std::vector<PuntoTracciato> plan;
  std::string error;
  ASSERT_TRUE(DecodeStazioni(files.files.at(kStationFile), &stations, &error)) << error;
  ASSERT_TRUE(DecodePercorso(files.files.at(kCellFile), &cells, &error)) << error;
  ASSERT_TRUE(DecodeTracciato(files.files.at(kLineFile), &plan, &error)) << error;
  EXPECT_EQ(stations[85].par_4, 610);
  EXPECT_EQ(stations[85].orario, 31352);
  EXPECT_EQ(stations[85].nome, "Calvisio -Sambreta");
  EXPECT_EQ(stations[86].nome, "31613");
  ASSERT_EQ(cells.size(), 2121u);
  EXPECT_EQ(cells[1].valore_1, 5121);
  EXPECT_EQ(cells[1].valore_2, 2230);
  EXPECT_EQ(plan, PuntiDelTracciato(model.tracciato));
}

// Each file is written whole before any old one is replaced; both in the
// order line, station, cell.
TEST_F(FinishCompileRunTest, FilesAreWrittenLineStationCellInThisOrderAndThenReplaced) {
  files.files[kStationFile] = "old stations";
  ASSERT_EQ(Finish(), "");
  std::vector<std::string> written;
  std::vector<std::string> replaced;
  size_t last_write = 0;
  size_t first_replace = files.log().size();
  for (size_t i = 0; i < files.log().size(); ++i) {
    const auto& step = files.log()[i];
    const bool compiled = step.path == kLineFile || step.path == kStationFile || step.path == kCellFile;
    if (step.step == FakeFileSystem::Step::Write && compiled) {
      written.push_back(step.path);
      last_write = i;
    }
    if (step.step == FakeFileSystem::Step::Rename && compiled) {
      replaced.push_back(step.path);
      first_replace = std::min(first_replace, i);
    }
  }
  const std::vector<std::string> order = {kLineFile, kStationFile, kCellFile};
  EXPECT_EQ(written, order);
  EXPECT_EQ(replaced, order);
  EXPECT_LT(last_write, first_replace);
  // Nothing but the three files is left.
  std::vector<std::string> left;
  for (const auto& [path, contents] : files.files) left.push_back(path);
  EXPECT_EQ(left, (std::vector<std::string>{kCellFile, kStationFile, kLineFile}));
}

TEST_F(FinishCompileRunTest, TakenMarkerPlacesStopWith1250AndNoFile) {
  struct Case {
    const char* what;
    void (*take)(ScenarioModel&);
    const char* numero;
  };
  const Case cases[] = {
      {"cell 1 valore_1", [](ScenarioModel& m) { m.percorso[1].valore_1 = 40; }, "1250"},
      {"record 85 par_4", [](ScenarioModel& m) { m.stazioni[85].par_4 = 1; }, "1250"},
      {"record 85 orario", [](ScenarioModel& m) { m.stazioni[85].orario = 7; }, "1251"},
      {"cell 1 valore_2", [](ScenarioModel& m) { m.percorso[1].valore_2 = -1; }, "1251"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    CompiledScenario fresh_state;  // a clean model and file system per case
    c.take(fresh_state.model);
    EXPECT_EQ(fresh_state.Finish(), c.numero);
    EXPECT_EQ(fresh_state.window.messages, std::vector<std::string>{" Errore n. " + std::string(c.numero)});
    EXPECT_TRUE(fresh_state.files.files.empty());
  }
}

TEST_F(FinishCompileRunTest, WithoutLineCompilingAnOldLineFileStaysUntouched) {
  model.compila_linea = 0;
  files.files[kLineFile] = "old plan";
  files.files[kCellFile] = std::string(50000, 'z');  // longer than the new one
  ASSERT_EQ(Finish(), "");
  EXPECT_EQ(files.files.at(kLineFile), "old plan");
  EXPECT_EQ(files.files.at(kCellFile).size(), 31815u);
  EXPECT_EQ(files.files.at(kCellFile), EncodePercorso(model.percorso));
}

TEST_F(FinishCompileRunTest, NoRouteStopsWithTheRecordedNumberOr1) {
  struct Case {
    size_t cells;
    int32_t codice_errore;
    std::string numero;
  };
  const Case cases[] = {{0, 0, "1"}, {0, 101, "101"}, {0, 25, "25"}, {1, 0, "1"}};
  for (const Case& c : cases) {
    CompiledScenario fresh_state;
    fresh_state.model.percorso.assign(c.cells, rec_cella{});
    fresh_state.model.codice_errore = c.codice_errore;
    EXPECT_EQ(fresh_state.Finish(), c.numero);
    EXPECT_TRUE(fresh_state.files.files.empty());
  }
}

TEST_F(FinishCompileRunTest, AFailedWriteStopsTheRunNamingTheFileWithTheOldFilesInPlace) {
  const std::map<std::string, std::string> old = {{kLineFile, "old plan"}, {kCellFile, "old cells"}};
  files.files = old;
  files.FailOn(FakeFileSystem::Step::Write, kStationFile, StatusCode::NoSpace);
  try {
    FinishCompileRun(model, workspace, window);
    FAIL() << "the failed write did not stop the run";
  } catch (const SystemFailure& failure) {
    EXPECT_EQ(failure.what(),
              "cannot write 'Calvisio -Sambreta_31613.sim': " + ReasonOf(StatusCode::NoSpace));
  }
  // The line file, written before, is not put in place without the others;
  // no new file is left under its temporary name.
  EXPECT_EQ(files.files, old);
}

TEST(MemorizzaPercorso, ResetsTheSlotAndTheStationTableButNotThePosition) {
  FakeFileSystem files;
  Workspace workspace{files, "/run/"};
  RecordingWindow window;
  ScenarioModel model;
  model.codice_errore = 17;
  model.posizione_errore = 4321;
  model.stazioni[3].nome = "OLD";
  model.stazioni[85].par_4 = 610;
  // No sources in the workspace: the reading sizes no route and the run
  // stops before writing anything.
  EXPECT_THROW(memorizza_percorso(model, 0, workspace, window), ErroreShown);
  EXPECT_EQ(model.compila_linea, 0);
  EXPECT_EQ(model.posizione_errore, 4321);
  EXPECT_EQ(model.stazioni[3], rec_stazione{});
  EXPECT_EQ(model.stazioni[85].par_4, 0);
  EXPECT_TRUE(files.files.empty());
}

}  // namespace
}  // namespace scenario
