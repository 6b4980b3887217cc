// A run whose directory cannot be written stops at its first file, the line
// description source, names the failure and writes nothing. A run that
// finds one of its files read-only names it as such and writes nothing.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>

#include "tests/support/recording_window.h"
#include "app/form_load.h"
#include "model/file_names.h"
#include "tests/support/fake_file_system.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::RecordingWindow;
using testing_support::ReasonOf;
using testing_support::CopyProgramInto;
using testing_support::FindCommand;
using testing_support::ProcessOutcome;
using testing_support::RunProcess;
using testing_support::TempDir;

const std::string kFailureLine =
    "scenario-compactor: cannot create 'Calvisio -Sambreta_linea.txt': ";

TEST(ReadOnlyDirectory, TheRunStopsAtTheLineDescriptionSource) {
  FakeFileSystem files;
  // A read-only directory: no file of the run can be created.
  const std::string line = kNomeLinea;
  const std::string train = kNumeroTreno;
  for (const std::string& name :
       {LineSourceName(line), TrainSourceName(line, train), FormName(line, train, "note.txt"),
        FormName(line, train, "rallentamenti.txt"), FormName(line, train, "scheda_treno.txt"),
        CompiledLineName(line), StationFileName(line, train), CellFileName(line, train)}) {
    files.FailOn(FakeFileSystem::Step::Create, "/run/" + name, StatusCode::ReadOnly);
  }
  Workspace workspace{files, "/run"};
  RecordingWindow window;

  ::testing::internal::CaptureStderr();
  const int status = RunProgram(workspace, window);
  const std::string standard_error = ::testing::internal::GetCapturedStderr();

  EXPECT_EQ(status, 1);
  EXPECT_EQ(standard_error, kFailureLine + ReasonOf(StatusCode::ReadOnly) + "\n");
  EXPECT_EQ(window.messages, std::vector<std::string>{kFailureLine + ReasonOf(StatusCode::ReadOnly)});
  EXPECT_TRUE(window.closed);
  // The directory is listed for sets a killed run left, and then the
  // first file fails.
  ASSERT_EQ(files.log().size(), 2u);
  EXPECT_EQ(files.log()[0].step, FakeFileSystem::Step::List);
  EXPECT_EQ(files.log()[1].step, FakeFileSystem::Step::Create);
  EXPECT_EQ(files.log()[1].path, "/run/Calvisio -Sambreta_linea.txt");
  EXPECT_TRUE(files.files.empty());
}

// Whether a user without privileges can reach `path`: every directory
// above it must let others through.
bool ReachableByOthers(const std::filesystem::path& path) {
  for (std::filesystem::path dir = path.parent_path(); !dir.empty(); dir = dir.parent_path()) {
    struct stat info;
    if (::stat(dir.c_str(), &info) != 0 || (info.st_mode & S_IXOTH) == 0) return false;
    if (dir == dir.root_path()) break;
  }
  return true;
}

// The program as a user without privileges, where the test runs as root
// (who may write any file); "" with the reason in `*skip` when it cannot be.
std::vector<std::string> AsAnyUser(const std::filesystem::path& program, const TempDir& dir, std::string* skip) {
  if (::geteuid() != 0) return {program.string()};
  const std::string setpriv = FindCommand("setpriv");
  if (setpriv.empty()) {
    *skip = "running as root and setpriv (util-linux) is not installed";
    return {};
  }
  if (!ReachableByOthers(dir.path())) {
    *skip = "the temporary directory is closed to other users";
    return {};
  }
  return {setpriv, "--reuid=65534", "--regid=65534", "--clear-groups", program.string()};
}

TEST(ReadOnlyDirectory, TheProgramStopsWithStatus1AndNamesTheFailure) {
  TempDir dir;
  const std::filesystem::path program = CopyProgramInto(dir.path());
  // Read-only for everyone, open to everyone.
  using std::filesystem::perms;
  std::filesystem::permissions(dir.path(), perms::owner_read | perms::owner_exec |
                                               perms::group_read | perms::group_exec |
                                               perms::others_read | perms::others_exec);

  // A privileged user writes into read-only directories, so the program
  // then runs as the unprivileged "nobody".
  std::string skip;
  const std::vector<std::string> command = AsAnyUser(program, dir, &skip);
  if (command.empty()) GTEST_SKIP() << skip;

  const ProcessOutcome outcome = RunProcess(command);

  EXPECT_EQ(outcome.exit_status, 1) << outcome.standard_error;
  EXPECT_EQ(outcome.standard_error, kFailureLine + std::strerror(EACCES) + "\n");
  // Nothing was written: the program is alone in its directory.
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(dir.path()))
    names.push_back(entry.path().filename().string());
  EXPECT_EQ(names, std::vector<std::string>{program.filename().string()});
}

TEST(ReadOnlyFile, AReadOnlyCellFileIsNamedAsSuchAndNothingChanges) {
  TempDir dir;
  const std::filesystem::path program = CopyProgramInto(dir.path());
  using std::filesystem::perms;
  std::filesystem::permissions(dir.path(), perms::all);
  const std::map<std::string, std::string> old = {{"Calvisio -Sambreta_linea.dat", "old plan"},
                                                  {"Calvisio -Sambreta_31613.sim", "old stations"},
                                                  {"Calvisio -Sambreta_31613.dat", "old cells"}};
  for (const auto& [name, contents] : old) {
    testing_support::WriteWholeFile(dir.path() / name, contents);
    std::filesystem::permissions(dir.path() / name, perms::owner_read | perms::owner_write | perms::group_read |
                                                        perms::group_write | perms::others_read |
                                                        perms::others_write);
  }
  std::filesystem::permissions(dir.path() / "Calvisio -Sambreta_31613.dat",
                               perms::owner_read | perms::group_read | perms::others_read);
  std::string skip;
  const std::vector<std::string> command = AsAnyUser(program, dir, &skip);
  if (command.empty()) GTEST_SKIP() << skip;

  const ProcessOutcome outcome = RunProcess(command);
  EXPECT_EQ(outcome.exit_status, 1) << outcome.standard_error;
  EXPECT_EQ(outcome.standard_error,
            "scenario-compactor: cannot replace 'Calvisio -Sambreta_31613.dat': it is read-only; make it "
            "writable, or delete it, and run again\n");
  std::map<std::string, std::string> files = dir.Files();
  files.erase(program.filename().string());
  files.erase(".scenario-compactor.lock");
  EXPECT_EQ(files, old);
}

}  // namespace
}  // namespace scenario
