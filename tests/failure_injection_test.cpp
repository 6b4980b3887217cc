// Every file operation of a whole run, made to fail one at a time. Outside
// the readers a failure stops the run with a message that names the
// operation and the file; inside the readers it is trapped as error 25 and
// the run goes on. Either way no file is left half-written and every file
// finished before the failure is intact.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "tests/support/recording_window.h"
#include "app/form_load.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "model/file_names.h"
#include "tests/support/fake_file_system.h"
#include "platform/window/window.h"
#include "tests/support/fuzz_checks.h"

namespace scenario {
namespace {

using Step = FakeFileSystem::Step;
using Files = std::map<std::string, std::string>;
using testing_support::BuiltInLineSource;
using testing_support::BuiltInTrainSource;

const std::string kDirectory = "/run/";
const StatusCode kFault = StatusCode::IoError;
const std::string kReason = ReasonOf(kFault);

std::string PathOf(const std::string& name) { return kDirectory + name; }

const std::string kLineSource = LineSourceName(kNomeLinea);
const std::string kTrainSource = TrainSourceName(kNomeLinea, kNumeroTreno);
const std::string kCompiledLine = CompiledLineName(kNomeLinea);
const std::string kStationFile = StationFileName(kNomeLinea, kNumeroTreno);
const std::string kCellFile = CellFileName(kNomeLinea, kNumeroTreno);

// Every file a run writes, in the order it writes them.
std::vector<std::string> RunFileNames() {
  return {kLineSource,
          kTrainSource,
          FormName(kNomeLinea, kNumeroTreno, "note.txt"),
          FormName(kNomeLinea, kNumeroTreno, "rallentamenti.txt"),
          FormName(kNomeLinea, kNumeroTreno, "scheda_treno.txt"),
          kCompiledLine,
          kStationFile,
          kCellFile};
}

// The directory as an earlier run left it: an old version of every file, so
// that a failed replacement shows whether the old file survived whole.
Files OldFiles() {
  Files files;
  for (const std::string& name : RunFileNames()) files[PathOf(name)] = "old " + name + " of an earlier run";
  return files;
}

struct Outcome {
  int status = -1;
  std::string standard_error;
  std::vector<std::string> messages;
  Files files;
  std::vector<FakeFileSystem::LoggedStep> log;
};

// The whole program on the old directory, with `prepare` setting the
// failures.
template <typename Prepare>
Outcome RunProgramWith(Prepare prepare) {
  FakeFileSystem files;
  files.files = OldFiles();
  prepare(files);
  Workspace workspace{files, kDirectory};
  RecordingWindow window;
  Outcome outcome;
  ::testing::internal::CaptureStderr();
  outcome.status = RunProgram(workspace, window);
  outcome.standard_error = ::testing::internal::GetCapturedStderr();
  outcome.messages = window.messages;
  outcome.files = files.files;
  outcome.log = files.log();
  return outcome;
}

// The same run, for its model: what the readers recorded.
template <typename Prepare>
ScenarioModel ModelOfRunWith(Prepare prepare) {
  FakeFileSystem files;
  files.files = OldFiles();
  prepare(files);
  Workspace workspace{files, kDirectory};
  RecordingWindow window;
  ScenarioModel model;
  try {
    Form_Load(model, workspace, window);
  } catch (const ErroreShown&) {
  }
  return model;
}

// The paths whose content differs between two directories, or that only
// one of them holds; "" when they are the same.
std::string Differences(const Files& got, const Files& expected) {
  std::string differences;
  for (const auto& [path, content] : got) {
    auto other = expected.find(path);
    if (other == expected.end()) differences += path + " (not expected); ";
    else if (other->second != content) differences += path + " (other content); ";
  }
  for (const auto& [path, content] : expected)
    if (got.count(path) == 0) differences += path + " (missing); ";
  return differences;
}

std::string NameOf(const std::string& path) { return path.substr(path.rfind('/') + 1); }

class FailureInjection : public ::testing::Test {
 protected:
  static void SetUpTestSuite() {
    clean_ = new Outcome(RunProgramWith([](FakeFileSystem&) {}));
  }
  static void TearDownTestSuite() {
    delete clean_;
    clean_ = nullptr;
  }

  // What the file at `path` holds once its writer has finished.
  static std::string Written(const std::string& path) {
    if (path == PathOf(kLineSource)) return BuiltInLineSource();
    if (path == PathOf(kTrainSource)) return BuiltInTrainSource();
    return clean_->files.at(path);
  }

  // The directory after the steps before `failing` have all succeeded and
  // nothing after them has run.
  static Files FilesBefore(size_t failing) {
    Files files = OldFiles();
    for (size_t i = 0; i < failing; ++i) {
      const auto& step = clean_->log[i];
      if (step.step == Step::Rename) files[step.path] = Written(step.path);
      if (step.step == Step::Delete) files.erase(step.path);
    }
    return files;
  }

  static Outcome* clean_;
};

Outcome* FailureInjection::clean_ = nullptr;

TEST_F(FailureInjection, TheCleanRunWritesEveryFileAndRemovesTheSources) {
  ASSERT_EQ(clean_->status, 0) << clean_->standard_error;
  EXPECT_EQ(clean_->standard_error, "");
  EXPECT_TRUE(clean_->messages.empty());
  EXPECT_EQ(clean_->files.count(PathOf(kLineSource)), 0u);
  EXPECT_EQ(clean_->files.count(PathOf(kTrainSource)), 0u);
  for (const std::string& name : RunFileNames()) {
    if (name == kLineSource || name == kTrainSource) continue;
    ASSERT_EQ(clean_->files.count(PathOf(name)), 1u) << name;
    EXPECT_TRUE(clean_->files.at(PathOf(name)) != OldFiles().at(PathOf(name))) << name << " not replaced";
  }
  // Each source is read once and deleted once, the line description first.
  std::vector<std::pair<Step, std::string>> reader_steps;
  for (const auto& step : clean_->log)
    if (step.step == Step::Read || step.step == Step::Delete)
      reader_steps.emplace_back(step.step, NameOf(step.path));
  const std::vector<std::pair<Step, std::string>> expected = {{Step::Read, kLineSource},
                                                              {Step::Delete, kLineSource},
                                                              {Step::Read, kTrainSource},
                                                              {Step::Delete, kTrainSource}};
  EXPECT_EQ(reader_steps, expected);
}

// A failure outside the readers: the run stops at once with the message
// naming the operation and the file, on standard error and in the message
// box, and exit status 1. The failing file keeps its old content, every file
// finished before holds what was written, nothing after is touched.
TEST_F(FailureInjection, AFailureOutsideTheReadersStopsTheRunAndNamesTheFile) {
  ASSERT_EQ(clean_->status, 0);
  size_t checked = 0;
  for (size_t index = 0; index < clean_->log.size(); ++index) {
    const auto& failing = clean_->log[index];
    if (failing.step == Step::Read || failing.step == Step::Delete) continue;
    SCOPED_TRACE("step " + std::to_string(index) + ": " + StepName(failing.step) + " '" +
                 failing.path + "'");
    const Outcome outcome = RunProgramWith([&](FakeFileSystem& files) { files.FailStep(index, kFault); });

    const std::string message = std::string("scenario-compactor: cannot ") + StepName(failing.step) +
                                " '" + NameOf(failing.path) + "': " + kReason;
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.standard_error, message + "\n");
    EXPECT_EQ(outcome.messages, std::vector<std::string>{message});
    EXPECT_EQ(outcome.log.size(), index + 1) << "the run went on after the failure";
    EXPECT_EQ(Differences(outcome.files, FilesBefore(index)), "");
    ++checked;
  }
  // Five text files and three compiled files, three steps each.
  EXPECT_EQ(checked, 3 * RunFileNames().size());
}

// A failure inside the readers is trapped: error 25 is recorded, both
// sources are deleted where they still exist, and the compile run goes on
// with what was read before the failure.
struct ReaderFailure {
  Step step;
  std::string file;
  int status;
  std::string shown;  // the shown error, "" for none
  // Whether the line description had been read through its closing steps,
  // and whether the train service had been read, when the failure came.
  bool line_whole;
  bool train_read;
};

TEST_F(FailureInjection, AFailureInsideTheReadersIsTrappedAsError25) {
  ASSERT_EQ(clean_->status, 0);
  const std::vector<ReaderFailure> table = {
      // No route yet: the run ends with the error it recorded; no compiled
      // file is written and the old ones stay.
      {Step::Read, kLineSource, 2, ErrorMessage("25"), false, false},
      // The line description was read up to its closing steps, which begin
      // with the delete; the train service is not read.
      {Step::Delete, kLineSource, 0, "", false, false},
      {Step::Read, kTrainSource, 0, "", true, false},
      // The train service was read up to its closing steps.
      {Step::Delete, kTrainSource, 0, "", true, true},
  };
  for (const ReaderFailure& row : table) {
    size_t index = clean_->log.size();
    for (size_t i = 0; i < clean_->log.size(); ++i)
      if (clean_->log[i].step == row.step && clean_->log[i].path == PathOf(row.file)) index = i;
    SCOPED_TRACE(std::string(StepName(row.step)) + " '" + row.file + "'");
    ASSERT_LT(index, clean_->log.size());
    const auto prepare = [&](FakeFileSystem& files) { files.FailStep(index, kFault); };
    const Outcome outcome = RunProgramWith(prepare);
    const ScenarioModel model = ModelOfRunWith(prepare);

    EXPECT_EQ(model.codice_errore, 25);
    EXPECT_EQ(outcome.status, row.status);
    // The window is on screen: a shown error goes to its message box.
    EXPECT_EQ(outcome.standard_error, "");
    EXPECT_EQ(outcome.messages,
              row.shown.empty() ? std::vector<std::string>{} : std::vector<std::string>{row.shown});

    // Both sources are gone; the forms written before are intact.
    EXPECT_EQ(outcome.files.count(PathOf(kLineSource)), 0u);
    EXPECT_EQ(outcome.files.count(PathOf(kTrainSource)), 0u);
    for (const std::string& name : RunFileNames()) {
      if (name.find("_linea.") != std::string::npos || name == kTrainSource) continue;
      if (name == kStationFile || name == kCellFile) continue;
      EXPECT_EQ(outcome.files.at(PathOf(name)), clean_->files.at(PathOf(name))) << name;
    }

    if (row.status == 2) {
      for (const std::string& name : {kCompiledLine, kStationFile, kCellFile})
        EXPECT_TRUE(outcome.files.at(PathOf(name)) == OldFiles().at(PathOf(name))) << name;
      continue;
    }
    // The compiled files hold the model as the trap left it.
    std::vector<rec_stazione> stations;
    std::vector<rec_cella> cells;
    std::string error;
    ASSERT_TRUE(DecodeStazioni(outcome.files.at(PathOf(kStationFile)), &stations, &error)) << error;
    ASSERT_TRUE(DecodePercorso(outcome.files.at(PathOf(kCellFile)), &cells, &error)) << error;
    EXPECT_TRUE(std::equal(stations.begin(), stations.end(), model.stazioni.begin(),
                           model.stazioni.end()));
    EXPECT_TRUE(cells == model.percorso);
    ASSERT_GT(cells.size(), 2u);
    if (row.line_whole) {
      EXPECT_TRUE(outcome.files.at(PathOf(kCompiledLine)) == clean_->files.at(PathOf(kCompiledLine)));
      EXPECT_EQ(cells[0].pendenza, 100);
    } else {
      // The tails of the gradients and of the plan, after the failing
      // delete, never ran: no gradient in the cells, no point after the
      // last curve.
      std::vector<PuntoTracciato> plan;
      ASSERT_TRUE(DecodeTracciato(outcome.files.at(PathOf(kCompiledLine)), &plan, &error)) << error;
      EXPECT_TRUE(plan == PuntiDelTracciato(model.tracciato));
      EXPECT_EQ(cells[0].pendenza, 0);
      ASSERT_GT(plan.size(), 100000u);
      EXPECT_EQ(plan[100000][0].type, ValueType::Empty);
    }
    if (row.train_read) {
      // Stations and steps are in; the closing fill of the speed limits,
      // after the failing delete, never ran.
      EXPECT_EQ(stations[1].nome, "CALVISIO P.N.");
      EXPECT_EQ(cells[1].velocita_limite, 0);
    } else {
      EXPECT_EQ(stations[1].nome, "");
      EXPECT_EQ(cells[0].velocita_limite, 0);
    }
  }
}

// A source that cannot be deleted at all, not even by the trap, is left
// whole where it was; the run still records error 25 and goes on.
TEST_F(FailureInjection, ASourceThatCannotBeDeletedStaysWhole) {
  const auto prepare = [](FakeFileSystem& files) {
    files.FailOn(Step::Delete, PathOf(kLineSource), kFault);
  };
  const Outcome outcome = RunProgramWith(prepare);
  EXPECT_EQ(ModelOfRunWith(prepare).codice_errore, 25);
  EXPECT_EQ(outcome.status, 0);
  EXPECT_EQ(outcome.standard_error, "");
  EXPECT_EQ(outcome.files.at(PathOf(kLineSource)), BuiltInLineSource());
  EXPECT_EQ(outcome.files.count(PathOf(kTrainSource)), 0u);
  // The train service was never read.
  std::vector<rec_stazione> stations;
  std::string error;
  ASSERT_TRUE(DecodeStazioni(outcome.files.at(PathOf(kStationFile)), &stations, &error)) << error;
  EXPECT_EQ(stations[1].nome, "");
}

}  // namespace
}  // namespace scenario
