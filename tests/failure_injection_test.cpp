// Every file operation of a whole run, made to fail one at a time, and the
// run killed before each of them. Outside the readers a failure stops the
// run with a message that names the operation and the file; inside the
// readers it is trapped as error 25 and the run goes on. Either way no file
// is left half-written, every file finished before the failure is intact,
// and the three compiled files are the whole old set or the whole new one.
// A killed run leaves what the next run finishes or undoes.
#include <gtest/gtest.h>

#include <functional>

#include <chrono>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "tests/support/recording_window.h"
#include "app/form_load.h"
#include "compiler/compiled_files.h"
#include "compiler/error_reporting.h"
#include "model/file_names.h"
#include "platform/files/file_set.h"
#include "platform/files/temporary_names.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/fake_program_run.h"
#include "platform/window/window.h"
#include "tests/support/fuzz_checks.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::RecordingWindow;
using testing_support::ReasonOf;
using testing_support::StepName;
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

using Outcome = testing_support::FakeProgramRun;

// The whole program on the old directory, with `prepare` setting the
// failures.
Outcome RunProgramWith(const std::function<void(FakeFileSystem&)>& prepare) {
  return testing_support::RunProgramOnFakeFiles(kDirectory, OldFiles(), prepare);
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

// The kind of temporary name the file at `path` has, if any.
std::optional<TemporaryKind> TemporaryKindOf(const std::string& path) {
  unsigned long process = 0;
  TemporaryKind kind = TemporaryKind::NewFile;
  if (!IsTemporaryName(NameOf(path), &process, &kind)) return std::nullopt;
  return kind;
}

bool IsCompiled(const std::string& path) {
  const std::string name = NameOf(path);
  return name == kCompiledLine || name == kStationFile || name == kCellFile;
}

// The directory with its compiled files taken from `set`, and nothing else
// changed.
Files WithCompiledFrom(Files files, const Files& set) {
  for (const std::string& name : {kCompiledLine, kStationFile, kCellFile}) files[PathOf(name)] = set.at(PathOf(name));
  return files;
}

// Whether the three compiled files are all of `a` or all of `b`; names the
// mix otherwise.
std::string WholeSetOf(const Files& got, const Files& a, const Files& b) {
  std::string from;
  for (const std::string& name : {kCompiledLine, kStationFile, kCellFile}) {
    auto file = got.find(PathOf(name));
    if (file == got.end()) {
      from += name + ": missing; ";
      continue;
    }
    const bool old = file->second == a.at(PathOf(name));
    const bool fresh = file->second == b.at(PathOf(name));
    from += name + (old ? ": old; " : fresh ? ": new; " : ": neither; ");
  }
  const bool all_old = from.find("new") == std::string::npos && from.find("neither") == std::string::npos &&
                       from.find("missing") == std::string::npos;
  const bool all_new = from.find("old") == std::string::npos && from.find("neither") == std::string::npos &&
                       from.find("missing") == std::string::npos;
  return all_old || all_new ? "" : from;
}

// The files with a temporary name of any kind.
std::vector<std::string> TemporariesIn(const Files& files) {
  std::vector<std::string> found;
  for (const auto& [path, contents] : files)
    if (TemporaryKindOf(path)) found.push_back(NameOf(path));
  return found;
}

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

  // The index of the first step of the compiled files' set: the creation of
  // the line file's new file.
  static size_t FirstSetStep() {
    for (size_t i = 0; i < clean_->log.size(); ++i)
      if (clean_->log[i].step == Step::Create && IsCompiled(clean_->log[i].path)) return i;
    return clean_->log.size();
  }

  // The index of the rename that puts the set's record in place: from then
  // on the new set counts as replaced.
  static size_t RecordPlacedStep() {
    for (size_t i = 0; i < clean_->log.size(); ++i)
      if (clean_->log[i].step == Step::Rename && TemporaryKindOf(clean_->log[i].path) == TemporaryKind::SetRecord)
        return i;
    return clean_->log.size();
  }

  // The directory after the text files' steps before `failing` have all
  // succeeded, with the compiled files as they were.
  static Files FilesBefore(size_t failing) {
    Files files = OldFiles();
    for (size_t i = 0; i < failing && i < FirstSetStep(); ++i) {
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
  EXPECT_EQ(TemporariesIn(clean_->files), std::vector<std::string>{});
  // Each source is read once and deleted once, the line description first.
  std::vector<std::pair<Step, std::string>> reader_steps;
  for (const auto& step : clean_->log)
    if ((step.step == Step::Read || step.step == Step::Delete) && !TemporaryKindOf(step.path))
      reader_steps.emplace_back(step.step, NameOf(step.path));
  const std::vector<std::pair<Step, std::string>> expected = {{Step::Read, kLineSource},
                                                              {Step::Delete, kLineSource},
                                                              {Step::Read, kTrainSource},
                                                              {Step::Delete, kTrainSource}};
  EXPECT_EQ(reader_steps, expected);
  ASSERT_LT(RecordPlacedStep(), clean_->log.size());
}

// A failure outside the readers: the run stops with the message naming the
// operation and the file, on standard error and in the message box, and
// exit status 1. A text file that fails keeps its old content, every text
// file finished before holds what was written. A failure anywhere in the
// compiled files' set leaves the whole old set and nothing else: every new
// file is removed, every old one put back. Once the set is in place, a
// record or an old file kept aside that cannot be deleted is only told.
TEST_F(FailureInjection, AFailureOutsideTheReadersStopsTheRunAndNamesTheFile) {
  ASSERT_EQ(clean_->status, 0);
  const size_t first_set_step = FirstSetStep();
  size_t checked = 0;
  for (size_t index = 0; index < clean_->log.size(); ++index) {
    const auto& failing = clean_->log[index];
    const std::optional<TemporaryKind> kind = TemporaryKindOf(failing.path);
    const bool source_step = (failing.step == Step::Read || failing.step == Step::Delete) && !kind;
    if (source_step) continue;
    SCOPED_TRACE("step " + std::to_string(index) + ": " + StepName(failing.step) + " '" +
                 failing.path + "'");
    const Outcome outcome = RunProgramWith([&](FakeFileSystem& files) { files.FailStep(index, kFault); });
    ++checked;

    if (failing.step == Step::Delete) {
      // The set is in place: what stays is told, and the next run removes it.
      EXPECT_EQ(outcome.status, 0);
      const std::string what = kind == TemporaryKind::SetRecord ? "'" : "the old file kept aside '";
      EXPECT_EQ(outcome.standard_error.find("scenario-compactor: cannot delete " + what + failing.path + "': " + kReason),
                0u)
          << outcome.standard_error;
      EXPECT_EQ(WholeSetOf(outcome.files, OldFiles(), clean_->files), "");
      EXPECT_EQ(outcome.files.at(PathOf(kCellFile)), clean_->files.at(PathOf(kCellFile)));
      EXPECT_EQ(outcome.files.count(failing.path), 1u);
      continue;
    }

    // The file the message names: the directory for its listing; the file a
    // step is for; of a rename in the set, the compiled file, never the
    // temporary name beside it (but the set's record by its own name).
    std::string named = NameOf(failing.path);
    if (failing.step == Step::List) named = failing.path;
    if (failing.step == Step::Rename && kind && kind != TemporaryKind::SetRecord) named = NameOf(failing.from);
    const std::string message = std::string("scenario-compactor: cannot ") + StepName(failing.step) +
                                " '" + named + "': " + kReason;
    EXPECT_EQ(outcome.status, 1);
    EXPECT_EQ(outcome.standard_error, message + "\n");
    EXPECT_EQ(outcome.messages, std::vector<std::string>{message});
    EXPECT_EQ(Differences(outcome.files, FilesBefore(index)), "");
    if (index >= first_set_step) {
      // Nothing after the failure was written or read.
      for (size_t after = index + 1; after < outcome.log.size(); ++after)
        EXPECT_NE(outcome.log[after].step, Step::Write) << outcome.log[after].path;
    } else {
      // Nothing after the failure but the removal of the new file.
      for (size_t after = index + 1; after < outcome.log.size(); ++after)
        EXPECT_TRUE(outcome.log[after].step == Step::Delete && TemporaryKindOf(outcome.log[after].path))
            << "the run went on after the failure: " << StepName(outcome.log[after].step) << " "
            << outcome.log[after].path;
    }
  }
  // The listing; five text files, three steps each; the set: three new
  // files, its record and six renames; the record and three old files
  // deleted.
  EXPECT_EQ(checked, 1 + 3 * 5 + (2 * 3 + 3 + 6) + 4);
}

// Killed before any step: the next run finishes or undoes the set the
// killed one left, by its record: killed before the record was in place,
// the old set is whole and the new files go; from then on, the new set is
// put in place. Either way the run after that ends with the reference bytes.
TEST_F(FailureInjection, ARunKilledBeforeAnyStepLeavesWhatTheNextRunMakesWhole) {
  ASSERT_EQ(clean_->status, 0);
  const size_t record_placed = RecordPlacedStep();
  for (size_t index = 0; index < clean_->log.size(); ++index) {
    const auto& killed_at = clean_->log[index];
    SCOPED_TRACE("killed before step " + std::to_string(index) + ": " + StepName(killed_at.step) + " '" +
                 killed_at.path + "'");
    const Outcome killed = RunProgramWith([&](FakeFileSystem& files) { files.KillAtStep(index); });

    // The next run's hold on the directory alone.
    FakeFileSystem next;
    next.files = killed.files;
    next.process_number = 2;
    {
      Workspace workspace{next, kDirectory};
      std::vector<std::string> told;
      WorkspaceHold hold(workspace, std::chrono::milliseconds(0),
                         [&told](const std::string& notice) { told.push_back(notice); });
      EXPECT_EQ(told, std::vector<std::string>{});
    }
    // No temporary file is left, the other files are as the killed run
    // left them, and the compiled files are one whole set.
    Files expected;
    for (const auto& [path, contents] : killed.files)
      if (!TemporaryKindOf(path)) expected[path] = contents;
    expected = WithCompiledFrom(expected, index > record_placed ? clean_->files : OldFiles());
    EXPECT_EQ(Differences(next.files, expected), "");

    // And the whole next run.
    const Outcome again = RunProgramWith([&](FakeFileSystem& files) {
      files.files = killed.files;
      files.process_number = 2;
    });
    EXPECT_EQ(again.status, 0) << again.standard_error;
    EXPECT_EQ(again.standard_error, "");
    EXPECT_EQ(Differences(again.files, clean_->files), "");
  }
}

// The next run's work on a set a killed run left, failed at each of its
// steps in turn: it never leaves a mix without the record that lets the
// run after it finish the set.
TEST_F(FailureInjection, FinishingAKilledRunsSetFailedAtEachStepLeavesAWholeSetOrItsRecord) {
  ASSERT_EQ(clean_->status, 0);
  size_t kill_points = 0;
  for (size_t index = RecordPlacedStep() + 1; index < clean_->log.size(); ++index) {
    if (clean_->log[index].step == Step::Delete) continue;  // the set is in place by then
    ++kill_points;
    const Outcome killed = RunProgramWith([&](FakeFileSystem& files) { files.KillAtStep(index); });
    // The steps of a clean recovery, to fail one at a time.
    FakeFileSystem probe;
    probe.files = killed.files;
    probe.process_number = 2;
    { WorkspaceHold hold(Workspace{probe, kDirectory}, std::chrono::milliseconds(0), nullptr); }
    ASSERT_GT(probe.log().size(), 1u);
    for (size_t failing = 0; failing < probe.log().size(); ++failing) {
      SCOPED_TRACE("killed before step " + std::to_string(index) + ", recovery failed at " +
                   StepName(probe.log()[failing].step) + " '" + probe.log()[failing].path + "'");
      FakeFileSystem next;
      next.files = killed.files;
      next.process_number = 2;
      next.FailStep(failing, kFault);
      bool stopped = false;
      try {
        WorkspaceHold hold(Workspace{next, kDirectory}, std::chrono::milliseconds(0), nullptr);
      } catch (const SystemFailure& failure) {
        stopped = true;
        EXPECT_NE(std::string(failure.what()).find(kReason), std::string::npos) << failure.what();
      }
      bool record_left = false;
      for (const std::string& name : TemporariesIn(next.files))
        if (TemporaryKindOf(name) == TemporaryKind::SetRecord) record_left = true;
      // A record stays only when the set could not be put back (the run
      // stops) or is in place and only the record could not be deleted.
      if (!record_left || !stopped) {
        EXPECT_EQ(WholeSetOf(next.files, OldFiles(), clean_->files), "");
      }
      // Whatever is left, a run after it ends with the reference bytes.
      const Outcome again = RunProgramWith([&](FakeFileSystem& files) {
        files.files = next.files;
        files.process_number = 3;
      });
      EXPECT_EQ(again.status, 0) << again.standard_error;
      EXPECT_EQ(Differences(again.files, clean_->files), "");
    }
  }
  EXPECT_EQ(kill_points, 6u);
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
