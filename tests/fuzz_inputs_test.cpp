// The inputs of the fuzzers, replayed with the same checks: every seed of
// fuzz/corpus/ and every input a fuzzer once found a fault with, kept in
// fuzz/regressions/ (one directory per fuzz target).
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "model/file_names.h"
#include "tests/support/fuzz_checks.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::BuiltInLineSource;
using testing_support::BuiltInTrainSource;
using testing_support::CheckCompileRun;
using testing_support::CheckFieldStream;
using testing_support::CheckInMemoryRun;
using testing_support::CompileInMemory;
using testing_support::InMemoryPath;
using testing_support::InMemoryRun;
using testing_support::LineFileProblem;
using testing_support::ReadWholeFile;

const std::filesystem::path kFuzzDirectory = std::filesystem::path(SCENARIO_SOURCE_DIR) / "fuzz";

// Every file under fuzz/<kind>/<target>/, sorted.
std::vector<std::filesystem::path> InputsOf(const std::string& target) {
  std::vector<std::filesystem::path> inputs;
  for (const char* kind : {"corpus", "regressions"}) {
    const std::filesystem::path directory = kFuzzDirectory / kind / target;
    if (!std::filesystem::is_directory(directory)) continue;
    for (const auto& entry : std::filesystem::directory_iterator(directory))
      if (entry.is_regular_file()) inputs.push_back(entry.path());
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

class FuzzInputs : public ::testing::TestWithParam<std::string> {};

TEST_P(FuzzInputs, EveryKeptInputPassesItsTargetsChecks) {
  const std::string target = GetParam();
  const std::vector<std::filesystem::path> inputs = InputsOf(target);
  // Every target has its seeds.
  ASSERT_FALSE(inputs.empty()) << "no input under " << kFuzzDirectory << " for " << target;
  // The line description target runs its inputs one after another in the
  // memory of one run.
  InMemoryRun reused;
  InMemoryRun heard;
  for (const auto& input : inputs) {
    SCOPED_TRACE(input.string());
    const std::string text = ReadWholeFile(input);
    if (target == "field_stream") {
      EXPECT_EQ(CheckFieldStream(text), "");
    } else if (target == "line_description") {
      CompileInMemory(text, BuiltInTrainSource(), 1, &reused);
      EXPECT_EQ(CheckInMemoryRun(reused, text, BuiltInTrainSource()), "");
    } else {
      ASSERT_EQ(target, "train_service");
      // The target compiles without the plan; the plan's path is replayed too.
      EXPECT_EQ(CheckCompileRun(BuiltInLineSource(), text, 0), "");
      EXPECT_EQ(CheckCompileRun(BuiltInLineSource(), text, 1), "");
      EXPECT_EQ(testing_support::CheckTrainServiceRun(text, 0, &reused, &heard), "");
    }
  }
}

// A run made in the memory of earlier runs ends exactly as a run in a fresh
// model: the same model, the same files, the same shown error.
TEST(FuzzInputs, ARunInTheMemoryOfEarlierRunsEndsAsAFreshOne) {
  const std::string longest = ReadWholeFile(kFuzzDirectory / "corpus/line_description/longest_route.txt");
  const std::string no_route = "[generale]\r\nsfondo uno, 1\r\n[fine]\r\ncurvad1, 10, 20\r\n";
  const std::string short_route = "[generale]\r\nlunghezza percorso, 100\r\n[fine]\r\ncurvad1, 10, 20\r\n";
  const std::string unseeded = "[generale]\r\nlunghezza percorso, 5000\r\nripetizione segnali, 7, 0\r\n";
  const struct {
    const char* name;
    std::string line;
    int32_t compila_linea;
  } runs[] = {
      {"the longest route", longest, 1},
      {"the built-in line", BuiltInLineSource(), 1},
      {"no route length after a route", no_route, 1},
      {"a short route after a long one", short_route, 1},
      {"an allocated plan never seeded", unseeded, 1},
      {"the longest route, no plan", longest, 0},
      {"the built-in line after a run without a plan", BuiltInLineSource(), 1},
  };
  InMemoryRun reused;
  for (const auto& r : runs) {
    SCOPED_TRACE(r.name);
    CompileInMemory(r.line, BuiltInTrainSource(), r.compila_linea, &reused);
    const InMemoryRun fresh = CompileInMemory(r.line, BuiltInTrainSource(), r.compila_linea);
    EXPECT_EQ(CheckInMemoryRun(reused, r.line, BuiltInTrainSource()), "");
    EXPECT_TRUE(reused.files.files == fresh.files.files);
    EXPECT_EQ(reused.shown, fresh.shown);
    EXPECT_EQ(reused.model.codice_errore, fresh.model.codice_errore);
    EXPECT_TRUE(reused.model.tracciato == fresh.model.tracciato);
    EXPECT_TRUE(reused.model.percorso == fresh.model.percorso);
    EXPECT_TRUE(reused.model.stazioni == fresh.model.stazioni);
  }
}

// The check of the line file sees every kind of damage to its bytes.
TEST(FuzzChecks, TheLineFileCheckFindsDamage) {
  const std::string line = "[generale]\r\nlunghezza percorso, 100\r\n[fine]\r\ncurvad1, 10, 20\r\n";
  const InMemoryRun run = CompileInMemory(line, BuiltInTrainSource());
  ASSERT_EQ(CheckInMemoryRun(run, line, BuiltInTrainSource()), "");
  const std::string bytes = run.files.files.at(InMemoryPath(CompiledLineName(run.model.nome_linea)));
  ASSERT_EQ(LineFileProblem(bytes, run.model.tracciato), "");
  // Column 0: two Integers (4 bytes each), then Doubles (10 bytes each).
  const size_t first_double = 8;
  const struct {
    const char* name;
    std::string bytes;
    const char* problem;
  } cases[] = {
      {"a bit of a Double", std::string(bytes).replace(first_double + 9, 1, 1, '\x40'), "Double differs"},
      {"an Integer", std::string(bytes).replace(6, 1, 1, '\x01'), "Integer 1, expected 0"},
      {"a type code", std::string(bytes).replace(first_double, 1, 1, '\x00'), "type code 0, expected 5"},
      {"the last byte cut", bytes.substr(0, bytes.size() - 1), "the file ends"},
      {"a byte added", bytes + '\0', "1 bytes after the last point"},
      {"no file", "", "the file ends at byte 0"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_NE(LineFileProblem(c.bytes, run.model.tracciato).find(c.problem), std::string::npos)
        << LineFileProblem(c.bytes, run.model.tracciato);
  }
}

// The train service target's runs go on from the model the built-in line
// leaves, read once: each must end as the whole run on both sources does.
TEST(FuzzInputs, ATrainRunAfterTheLineReadOnceEndsAsTheWholeRun) {
  std::vector<std::string> trains = {
      BuiltInTrainSource(),
      "",
      "[generale]\r\nnumero vetture, 300000\r\n",
      "[stazioni]\r\nstazione, 99999999, 1, \"X\", 0, 0\r\n",
      "[segnali]\r\nsegnale, 5000, 1, 1, 1, 1\r\nsegnale, 5000, 1, 1, 1, 1\r\n",
  };
  for (const auto& input : InputsOf("train_service")) trains.push_back(ReadWholeFile(input));
  InMemoryRun reused;
  for (const std::string& train : trains) {
    for (int32_t compila_linea : {0, 1}) {
      SCOPED_TRACE(train.substr(0, 60) + (compila_linea != 0 ? " (with the plan)" : ""));
      const InMemoryRun whole = CompileInMemory(BuiltInLineSource(), train, compila_linea);
      testing_support::CompileTrainInMemory(train, compila_linea, &reused);
      EXPECT_EQ(reused.shown, whole.shown);
      EXPECT_EQ(reused.messages, whole.messages);
      EXPECT_TRUE(reused.files.files == whole.files.files);
      const ScenarioModel& a = reused.model;
      const ScenarioModel& b = whole.model;
      EXPECT_TRUE(a.tracciato == b.tracciato);
      EXPECT_TRUE(a.percorso == b.percorso);
      EXPECT_TRUE(a.stazioni == b.stazioni);
      EXPECT_EQ(a.montagne_inizio, b.montagne_inizio);
      EXPECT_EQ(a.montagne_fine, b.montagne_fine);
      EXPECT_EQ(a.numero_montagne, b.numero_montagne);
      EXPECT_EQ(a.compila_linea, b.compila_linea);
      EXPECT_EQ(a.indice_j, b.indice_j);
      EXPECT_EQ(a.numero_treno, b.numero_treno);
      EXPECT_EQ(a.nome_linea, b.nome_linea);
      EXPECT_EQ(a.lunghezza_estesa, b.lunghezza_estesa);
      EXPECT_EQ(a.ultima_cella, b.ultima_cella);
      EXPECT_EQ(a.codice_errore, b.codice_errore);
      EXPECT_EQ(a.posizione_errore, b.posizione_errore);
    }
  }
}

// A line file the check has seen pass before is still held to its plan
// byte for byte: neither a changed byte nor a changed point goes unseen.
TEST(FuzzChecks, ALineFileCheckedBeforeIsStillComparedWithItsPlan) {
  const std::string line = "[generale]\r\nlunghezza percorso, 300\r\n[fine]\r\ncurvas2, 10, 50\r\n";
  const InMemoryRun run = CompileInMemory(line, BuiltInTrainSource());
  const std::string path = InMemoryPath(CompiledLineName(run.model.nome_linea));
  // Twice: the second time the file is one the check knows.
  ASSERT_EQ(CheckInMemoryRun(run, line, BuiltInTrainSource()), "");
  ASSERT_EQ(CheckInMemoryRun(run, line, BuiltInTrainSource()), "");

  InMemoryRun byte_changed = run;
  std::string& bytes = byte_changed.files.files.at(path);
  bytes[bytes.size() / 3] = static_cast<char>(bytes[bytes.size() / 3] ^ 0x10);
  EXPECT_NE(CheckInMemoryRun(byte_changed, line, BuiltInTrainSource()), "");

  InMemoryRun point_changed = run;
  Tracciato& plan = point_changed.model.tracciato;
  ASSERT_GT(plan.calcolati(), 100u);
  plan.Poni(100, plan.Reale(100, 0), -plan.Reale(100, 1));
  EXPECT_NE(CheckInMemoryRun(point_changed, line, BuiltInTrainSource()).find("point 100"), std::string::npos);
}

// What a fuzzer keeps between inputs is memory only: a cleared run holds no
// file, message or model, yet the next run finds the memory of the plan and
// of the line file already there.
TEST(FuzzChecks, AClearedRunKeepsMemoryOnly) {
  InMemoryRun run;
  CompileInMemory(BuiltInLineSource(), BuiltInTrainSource(), 1, &run);
  const std::string path = InMemoryPath(CompiledLineName(run.model.nome_linea));
  const char* line_file_memory = run.files.files.at(path).data();
  const double* plan_memory = run.model.tracciato.colonna_0().data();

  testing_support::ClearRun(&run);
  EXPECT_TRUE(run.files.files.empty());
  EXPECT_TRUE(run.files.log().empty());
  EXPECT_TRUE(run.messages.empty());
  EXPECT_FALSE(run.shown.has_value());
  EXPECT_TRUE(run.model.tracciato.empty());
  EXPECT_TRUE(run.model.percorso.empty());
  EXPECT_TRUE(run.model.nome_linea.empty());

  CompileInMemory(BuiltInLineSource(), BuiltInTrainSource(), 1, &run);
  EXPECT_EQ(CheckInMemoryRun(run, BuiltInLineSource(), BuiltInTrainSource()), "");
  EXPECT_EQ(run.files.files.at(path).data(), line_file_memory);
  EXPECT_EQ(run.model.tracciato.colonna_0().data(), plan_memory);
}

// The seeds start from the sources the program writes itself.
TEST(FuzzSeeds, TheBuiltInSeedsAreTheBuiltInSources) {
  EXPECT_EQ(ReadWholeFile(kFuzzDirectory / "corpus/line_description/built_in_line.txt"),
            BuiltInLineSource());
  EXPECT_EQ(ReadWholeFile(kFuzzDirectory / "corpus/train_service/built_in_train.txt"),
            BuiltInTrainSource());
}

INSTANTIATE_TEST_SUITE_P(Targets, FuzzInputs,
                         ::testing::Values("field_stream", "line_description", "train_service"));

}  // namespace
}  // namespace scenario
