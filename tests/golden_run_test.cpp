// The whole program, run as a process in a directory of its own, against the
// bytes its compiled files must hold.
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cmath>
#include <filesystem>
#include <set>

#include "compiler/compiled_files.h"
#include "tests/support/fingerprint.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::Fingerprint;
using testing_support::TempDir;

const char kCard[] = "Calvisio -Sambreta_31613_scheda_treno.txt";
const char kSlowdowns[] = "Calvisio -Sambreta_31613_rallentamenti.txt";
const char kNotes[] = "Calvisio -Sambreta_31613_note.txt";
const char kLineFile[] = "Calvisio -Sambreta_linea.dat";
const char kStationFile[] = "Calvisio -Sambreta_31613.sim";
const char kCellFile[] = "Calvisio -Sambreta_31613.dat";
// The run's lock on its directory: hidden, empty, and left in place.
const char kLockFile[] = ".scenario-compactor.lock";

// Copies the program into `dir` and runs it there; returns its exit status.
int RunProgramIn(const TempDir& dir) {
  const auto program = dir.path() / "scenario-compactor";
  if (!std::filesystem::exists(program))
    std::filesystem::copy_file(SCENARIO_COMPACTOR_PATH, program);
  // Run from elsewhere: the files go next to the program, not into the
  // working directory.
  const std::string command = "cd / && env -u DISPLAY '" + program.string() + "'";
  int status = std::system(command.c_str());
  return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

class GoldenRun : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    dir_ = new TempDir;
    status_ = RunProgramIn(*dir_);
    files_ = dir_->Files();
    files_.erase("scenario-compactor");
    std::string error;
    ASSERT_TRUE(DecodeStazioni(files_[kStationFile], &stations_, &error)) << error;
    ASSERT_TRUE(DecodePercorso(files_[kCellFile], &cells_, &error)) << error;
    ASSERT_TRUE(DecodeTracciato(files_[kLineFile], &plan_, &error)) << error;
  }
  static void TearDownTestSuite() { delete dir_; }

  static TempDir* dir_;
  static int status_;
  static std::map<std::string, std::string> files_;
  static std::vector<rec_stazione> stations_;
  static std::vector<rec_cella> cells_;
  static std::vector<PuntoTracciato> plan_;
};

TempDir* GoldenRun::dir_;
int GoldenRun::status_;
std::map<std::string, std::string> GoldenRun::files_;
std::vector<rec_stazione> GoldenRun::stations_;
std::vector<rec_cella> GoldenRun::cells_;
std::vector<PuntoTracciato> GoldenRun::plan_;

TEST_F(GoldenRun, EndsSilentlyLeavingExactlyTheFormsAndTheCompiledFiles) {
  EXPECT_EQ(status_, 0);
  std::set<std::string> names;
  for (const auto& [name, contents] : files_) names.insert(name);
  EXPECT_EQ(names, (std::set<std::string>{kCard, kSlowdowns, kNotes, kLineFile, kStationFile,
                                          kCellFile, kLockFile}));
  EXPECT_EQ(files_[kLockFile], "");
  EXPECT_EQ(files_[kCard].size(), 3733u);
  EXPECT_EQ(files_[kSlowdowns].size(), 3283u);
  EXPECT_EQ(files_[kNotes].size(), 0u);
  EXPECT_EQ(files_[kCellFile].size(), 31815u);
  EXPECT_EQ(files_[kLineFile].size(), 2119964u);
}

// The whole bytes of the three compiled files. Any change of a byte fails
// here, also one the checks by field below do not look at: a real of the
// plan rounded otherwise (extended precision, a fused multiply-add, another
// compiler's defaults), a field written in another order or width.
TEST_F(GoldenRun, CompiledFilesToTheByte) {
  const struct {
    const char* name;
    size_t bytes;
    uint64_t fingerprint;
  } expected[] = {
      {kLineFile, 2119964u, 0xb281f5068a10ba34u},
      {kStationFile, 3543u, 0xa974fe86ae387b07u},
      {kCellFile, 31815u, 0xe2e3f46fa9527fd0u},
  };
  for (const auto& file : expected) {
    SCOPED_TRACE(file.name);
    const std::string& bytes = files_[file.name];
    EXPECT_EQ(bytes.size(), file.bytes);
    EXPECT_EQ(Fingerprint(bytes), file.fingerprint);
  }
}

TEST_F(GoldenRun, StationRecords) {
  ASSERT_EQ(stations_.size(), 87u);
  const rec_stazione calvisio{.tipo_stazione = 8,
                              .inizio_zona = -700,
                              .fine_zona = 700,
                              .progressiva = 0,
                              .par_1 = 1,
                              .nome = "CALVISIO P.N.",
                              .par_4 = 4,
                              .par_5 = 1,
                              .par_7 = 2,
                              .par_8 = 1,
                              .par_9 = 1,
                              .sosta = 1,
                              .orario = 29580};
  EXPECT_EQ(stations_[1], calvisio);

  const rec_stazione pragello{.tipo_stazione = 12,
                              .inizio_zona = 7150,
                              .fine_zona = 7550,
                              .progressiva = 7350,
                              .nome = "PRAGELLO",
                              .par_4 = 1,
                              .par_5 = 1,
                              .par_7 = 4,
                              .par_8 = 1,
                              .par_9 = 1,
                              .sosta = 60,
                              .orario = 30120};
  EXPECT_EQ(stations_[2], pragello);

  const rec_stazione sambreta{.tipo_stazione = 4,
                              .inizio_zona = 96750,
                              .fine_zona = 97250,
                              .progressiva = 97000,
                              .par_1 = 1,
                              .nome = "SAMBRETA",
                              .par_4 = 1,
                              .par_5 = 1,
                              .par_7 = 2,
                              .par_8 = 1,
                              .par_9 = 1,
                              .sosta = 1,
                              .orario = 34680};
  EXPECT_EQ(stations_[17], sambreta);

  EXPECT_EQ(stations_[0], rec_stazione{});
  EXPECT_EQ(stations_[18], rec_stazione{});
  EXPECT_EQ(stations_[65], rec_stazione{});
  EXPECT_EQ(stations_[80].nome, "(BIVIO     )(S. ARMELIA)(Km. 94.400)");
  EXPECT_EQ(stations_[66].nome, "(P.L.     )(Km. 6.400)");

  auto triple = [](const rec_stazione& r) {
    return std::vector<int32_t>{r.inizio_zona, r.fine_zona, r.progressiva};
  };
  EXPECT_EQ(triple(stations_[81]), (std::vector<int32_t>{0, 97100, 1}));
  EXPECT_EQ(stations_[82], rec_stazione{});
  EXPECT_EQ(stations_[83], rec_stazione{});
  EXPECT_EQ(triple(stations_[84]), (std::vector<int32_t>{120, 99000, 4}));

  const rec_stazione header{
      .inizio_zona = 1, .nome = "Calvisio -Sambreta", .par_4 = 610, .orario = 31352};
  EXPECT_EQ(stations_[85], header);

  const rec_stazione train{.inizio_zona = 2700,
                           .fine_zona = 95900,
                           .progressiva = 4,
                           .nome = "31613",
                           .par_4 = 300,
                           .par_7 = 8,
                           .par_8 = 12,
                           .par_9 = 45};
  EXPECT_EQ(stations_[86], train);
}

TEST_F(GoldenRun, Cells) {
  ASSERT_EQ(cells_.size(), 2121u);
  struct Expected {
    int cell;
    int tipo, v1, v2, v3, v4;
  };
  const Expected expected[] = {
      {13, 10, 1, 0, 0, 0},          // stop cell of station 1
      {48, 1, 40, 10, 0, 6},         // signal at 2350
      {58, 6, 1900, 2000, 2200, 0},  // indicator at 2850
      {150, 10, 2, 0, 0, 0},         // stop cell of station 2
      {414, 4, 30, 0, 0, 0},         // slowdown warning
      {438, 3, 30, 0, 1, 0},         // slowdown start
      {445, 2, 30, 0, 1, 0},         // slowdown end
      {993, 1, 40, 10, 0, 3},        // signal at 49600
      {1944, 10, 17, 0, 0, 0},       // stop cell of the last station
  };
  for (const Expected& e : expected) {
    SCOPED_TRACE("cell " + std::to_string(e.cell));
    const rec_cella& c = cells_[e.cell];
    EXPECT_EQ(c.tipo_cella, e.tipo);
    EXPECT_EQ(c.valore_1, e.v1);
    EXPECT_EQ(c.valore_2, e.v2);
    EXPECT_EQ(c.valore_3, e.v3);
    EXPECT_EQ(c.valore_4, e.v4);
    EXPECT_EQ(c.tempo_segnale, 0);
  }
  EXPECT_EQ(cells_[1].tipo_cella, 0);
  EXPECT_EQ(cells_[1].valore_1, 5121);
  EXPECT_EQ(cells_[1].valore_2, 2230);
  EXPECT_EQ(cells_[1373].montagna, 2);
  EXPECT_EQ(cells_[1372].montagna, 0);
  EXPECT_EQ(cells_[1374].montagna, 0);
  const int marks[][2] = {{46, 61},  {44, 62},  {42, 63},   {40, 64},  {12, 81},
                          {11, 82},  {10, 83},  {9, 84},    {991, 31}, {989, 32},
                          {987, 33}, {985, 34}, {1943, 81}, {1940, 84}};
  for (const auto& [cell, avviso] : marks)
    EXPECT_EQ(cells_[cell].avviso, avviso) << "cell " << cell;
  for (int k : {410, 411, 412, 413}) {
    EXPECT_EQ(cells_[k].tipo_cella, 5);
    EXPECT_EQ(cells_[k].valore_1, 414 - k);
  }
  EXPECT_EQ(cells_[0].velocita_limite, 6);
  for (int k = 0; k <= 2120; ++k) {
    SCOPED_TRACE("cell " + std::to_string(k));
    const bool last_three = k >= 2118;
    if (k > 0) {
      ASSERT_EQ(cells_[k].velocita_limite, last_three ? 0 : 40);
    }
    ASSERT_EQ(cells_[k].aderenza, last_three ? 0 : 100);
    ASSERT_EQ(cells_[k].pendenza, last_three ? 0 : 100);
  }
}

TEST_F(GoldenRun, CodeChangesOfTheCellRules) {
  std::set<int> code_changes;
  for (size_t k = 0; k < cells_.size(); ++k)
    if (cells_[k].tipo_cella == 12) {
      code_changes.insert(static_cast<int>(k));
      EXPECT_EQ(cells_[k].valore_1, 180) << "cell " << k;
    }
  EXPECT_EQ(code_changes, (std::set<int>{420, 427, 432, 907, 914, 920, 932, 936}));
}

TEST_F(GoldenRun, PlanOfTheTrack) {
  ASSERT_EQ(plan_.size(), 106001u);
  EXPECT_EQ(plan_[0][0], TaggedValue::Integer(0));
  EXPECT_EQ(plan_[0][1], TaggedValue::Integer(0));
  EXPECT_EQ(plan_[1][0], TaggedValue::Integer(0));
  EXPECT_EQ(plan_[1][1], TaggedValue::Integer(1));
  for (int x = 2; x <= 1700; ++x) {
    ASSERT_EQ(plan_[x][0], TaggedValue::Double(0.0)) << x;
    ASSERT_EQ(plan_[x][1], TaggedValue::Double(x)) << x;
  }
  ASSERT_EQ(plan_[1701][0].type, ValueType::Double);
  EXPECT_DOUBLE_EQ(plan_[1701][0].real, -0.0004);
  EXPECT_DOUBLE_EQ(plan_[1701][1].real, 1701.0);
  for (int x = 2; x <= 105998; ++x) ASSERT_EQ(plan_[x][0].type, ValueType::Double) << x;
  // Points along the curves, to the last bit: each is the sum of every step
  // before it, so a different rounding anywhere shows here.
  const struct {
    int x;
    double column_0, column_1;
  } along[] = {
      {1702, -0.0012000000000000001, 1701.99999984},
      {1703, -0.0023999999360000404, 1702.9999993600002},
      {2500, -127.07414553390505, 2486.415989469491},
      {10000, -1158.5673620385996, 9904.344222092555},
      {30000, -5133.257113463745, 29418.193104972364},
      {60000, -9830.991943965882, 57481.43217713051},
      {97000, -14532.283613704465, 91989.93015277776},
      {105998, -22135.082327674754, 96871.64186863322},
  };
  for (const auto& point : along) {
    SCOPED_TRACE("metre " + std::to_string(point.x));
    ASSERT_EQ(plan_[point.x][0].type, ValueType::Double);
    ASSERT_EQ(plan_[point.x][1].type, ValueType::Double);
    EXPECT_EQ(plan_[point.x][0].real, point.column_0);
    EXPECT_EQ(plan_[point.x][1].real, point.column_1);
  }
  for (int x : {105999, 106000}) {
    for (int column : {0, 1}) {
      EXPECT_EQ(plan_[x][column].type, ValueType::Empty);
    }
  }
}

TEST(GoldenRunAgain, ASecondRunLeavesByteIdenticalFiles) {
  TempDir dir;
  ASSERT_EQ(RunProgramIn(dir), 0);
  auto first = dir.Files();
  ASSERT_EQ(RunProgramIn(dir), 0);
  EXPECT_TRUE(first == dir.Files());
  EXPECT_EQ(first.size(), 8u);  // six files, the lock file and the program
}

}  // namespace
}  // namespace scenario
