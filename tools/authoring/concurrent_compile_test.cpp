// scenario-tool runs at once in one directory, with each other and with the
// compactor: each waits for the other and the directory ends as one run
// leaves it.
#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "platform/files/directory_lock.h"
#include "tests/support/child_process.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"
#include "tests/support/built_in_sources.h"
#include "tests/support/tool_run.h"

namespace scenario::tool {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;
using scenario::testing_support::ChildProcess;
using scenario::testing_support::EnvironmentChanges;
using scenario::testing_support::kTextLineEnd;
using scenario::testing_support::TempDir;
using Files = std::map<std::string, std::string>;

const EnvironmentChanges kNoDisplay = {{"DISPLAY", std::nullopt}};

// Every file in `directory` but the program, by name.
Files FilesIn(const fs::path& directory) {
  Files files;
  for (const auto& entry : fs::directory_iterator(directory))
    if (entry.is_regular_file() && entry.path().filename() != fs::path(SCENARIO_COMPACTOR_PATH).filename())
      files[entry.path().filename().string()] = scenario::testing_support::ReadWholeFile(entry.path());
  return files;
}

// What the compactor leaves after a run of its own.
Files CompactorRun() {
  TempDir dir;
  const fs::path program = scenario::testing_support::CopyProgramInto(dir.path());
  if (scenario::testing_support::RunProcess({program.string()}).exit_status != 0)
    throw std::runtime_error("the compactor failed");
  return FilesIn(dir.path());
}

// The lock a run takes on `directory`, held by this test process as another
// run would hold it.
std::unique_ptr<DirectoryLock> HoldLock(const fs::path& directory) {
  std::unique_ptr<DirectoryLock> lock;
  const Status taken = LockDirectoryOnDisk(directory.string(), 0ms, nullptr, &lock);
  if (!taken.ok() || lock == nullptr) throw std::runtime_error("cannot take the lock: " + taken.reason());
  return lock;
}

class ConcurrentCompile : public ::testing::Test {
 protected:
  std::unique_ptr<ChildProcess> StartCompile(const fs::path& into,
                                             const EnvironmentChanges& changes = kNoDisplay) {
    auto child = std::make_unique<ChildProcess>(
        std::vector<std::string>{SCENARIO_TOOL_PATH, "compile", sources.line().string(), sources.train().string(),
                                 "-o", into.string()},
        changes);
    child->CloseInput();
    return child;
  }

  testing_support::BuiltInSources sources;
  fs::path out_dir = sources.output;
};

TEST_F(ConcurrentCompile, TwoCompilesIntoOneDirectoryBothCompleteWithOneCompilesOutput) {
  const Files compactor = CompactorRun();
  auto first = StartCompile(out_dir);
  auto second = StartCompile(out_dir);
  for (ChildProcess* compile : {first.get(), second.get()}) {
    EXPECT_EQ(compile->Wait(60s), 0) << compile->errors();
    for (const char* name : {"Calvisio -Sambreta_linea.dat", "Calvisio -Sambreta_31613.sim",
                             "Calvisio -Sambreta_31613.dat"})
      EXPECT_NE(compile->output().find("wrote " + (out_dir / name).string() + kTextLineEnd), std::string::npos)
          << name;
  }
  // The compiled files, byte for byte the compactor's; no copy of a source
  // is left.
  Files expected;
  for (const char* name : {"Calvisio -Sambreta_linea.dat", "Calvisio -Sambreta_31613.sim",
                           "Calvisio -Sambreta_31613.dat", ".scenario-compactor.lock"})
    expected[name] = compactor.at(name);
  EXPECT_TRUE(FilesIn(out_dir) == expected);
}

TEST_F(ConcurrentCompile, ACompileAndTheCompactorInItsOwnDirectoryTakeTurns) {
  const Files compactor = CompactorRun();
  TempDir program_dir;
  const fs::path program = scenario::testing_support::CopyProgramInto(program_dir.path());
  ChildProcess run({program.string()}, kNoDisplay);
  run.CloseInput();
  auto compile = StartCompile(program_dir.path());
  EXPECT_EQ(run.Wait(60s), 0) << run.errors();
  EXPECT_EQ(compile->Wait(60s), 0) << compile->errors();
  EXPECT_TRUE(FilesIn(program_dir.path()) == compactor);
}

TEST_F(ConcurrentCompile, AnOutputDirectoryHeldPastTheWaitIsLeftAsItWas) {
  fs::create_directories(out_dir);
  const std::unique_ptr<DirectoryLock> held = HoldLock(out_dir);
  scenario::testing_support::WriteWholeFile(out_dir / "Calvisio -Sambreta_31613.sim", "old stations");

  EnvironmentChanges changes = kNoDisplay;
  changes[kLockWaitVariable] = "200";
  auto compile = StartCompile(out_dir, changes);
  EXPECT_EQ(compile->Wait(60s), 3);
  EXPECT_EQ(compile->errors(),
            "scenario-tool compile: another run holds the directory '" + out_dir.string() +
                "'; waiting for it to end (at most 200 ms)" + kTextLineEnd +
                "scenario-tool compile: cannot lock the directory '" + out_dir.string() +
                "': another run holds it and has not let go of it within 200 ms; start again once "
                "that run has ended" + kTextLineEnd);
  EXPECT_TRUE(FilesIn(out_dir) ==
              (Files{{"Calvisio -Sambreta_31613.sim", "old stations"}, {kLockFileName, ""}}));
}

TEST_F(ConcurrentCompile, DecompileIntoADirectoryHeldPastTheWaitWritesNothing) {
  const fs::path compiled = sources.root() / "compiled";
  sources.output = compiled;
  ASSERT_EQ(sources.Compile().status, 0);
  fs::create_directories(out_dir);
  const std::unique_ptr<DirectoryLock> held = HoldLock(out_dir);

  EnvironmentChanges changes = kNoDisplay;
  changes[kLockWaitVariable] = "200";
  ChildProcess decompile({SCENARIO_TOOL_PATH, "decompile", compiled.string(), "-o", out_dir.string()},
                         changes);
  decompile.CloseInput();
  EXPECT_EQ(decompile.Wait(60s), 3);
  EXPECT_NE(decompile.errors().find("scenario-tool decompile: cannot lock the directory '" + out_dir.string()),
            std::string::npos)
      << decompile.errors();
  EXPECT_TRUE(FilesIn(out_dir) == (Files{{kLockFileName, ""}}));
}

}  // namespace
}  // namespace scenario::tool
