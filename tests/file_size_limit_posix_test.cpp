// The real program on the real file system, with a limit on the size of the
// files it may write: the write that crosses the limit fails part-way, the
// run stops and names the file, the half-written temporary file is removed,
// the old file stays whole, and every file finished before is intact.
#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "app/form_load.h"
#include "model/file_names.h"
#include "platform/files/directory_lock.h"
#include "tests/support/program_process.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::CopyProgramInto;
using testing_support::FindCommand;
using testing_support::ProcessOutcome;
using testing_support::RunProcess;
using testing_support::TempDir;

struct SizeLimitCase {
  const char* name;
  int limit_kib;
  // The file whose write crosses the limit.
  std::string failing;
  // The files written whole before it.
  std::vector<std::string> finished;
};

TEST(FileSizeLimit, TheWriteThatCrossesTheLimitStopsTheRunAndLeavesTheOldFile) {
  const std::string bash = FindCommand("bash");
  if (bash.empty()) GTEST_SKIP() << "bash is not installed";
  const std::string line = kNomeLinea;
  const std::string train = kNumeroTreno;
  const std::vector<std::string> forms = {FormName(line, train, "note.txt"),
                                          FormName(line, train, "rallentamenti.txt"),
                                          FormName(line, train, "scheda_treno.txt")};
  const std::vector<SizeLimitCase> cases = {
      // The line description source, a few KiB, is the first file written.
      {"1 KiB", 1, LineSourceName(line), {}},
      // Sources, forms, station and cell files are small; the plan of the
      // track, some 2 MB, is not.
      {"100 KiB", 100, CompiledLineName(line), forms},
  };
  const std::vector<std::string> earlier = {
      LineSourceName(line),     TrainSourceName(line, train), forms[0], forms[1], forms[2],
      CompiledLineName(line),   StationFileName(line, train), CellFileName(line, train)};

  for (const SizeLimitCase& c : cases) {
    SCOPED_TRACE(c.name);
    TempDir dir;
    const std::filesystem::path program = CopyProgramInto(dir.path());
    // What an earlier run left.
    std::map<std::string, std::string> old_files;
    for (const std::string& name : earlier) {
      old_files[name] = "old " + name;
      testing_support::WriteWholeFile(dir.path() / name, old_files[name]);
    }

    // An ignored SIGXFSZ makes the write past the limit fail with EFBIG
    // instead of ending the process.
    const ProcessOutcome outcome =
        RunProcess({bash, "-c",
                    "trap '' XFSZ; ulimit -f " + std::to_string(c.limit_kib) + " && exec \"$0\"",
                    program.string()});

    EXPECT_EQ(outcome.exit_status, 1) << outcome.standard_error;
    EXPECT_EQ(outcome.standard_error, "scenario-compactor: cannot write '" + c.failing +
                                          "': " + std::strerror(EFBIG) + "\n");
    std::map<std::string, std::string> files = dir.Files();
    files.erase(program.filename().string());
    // The run's lock file stays, empty; it is no file of the scenario.
    EXPECT_EQ(files[kLockFileName], "");
    files.erase(kLockFileName);
    for (const auto& [name, content] : files) {
      SCOPED_TRACE(name);
      ASSERT_TRUE(old_files.count(name)) << "a file no run writes: a temporary left behind?";
      const bool finished =
          std::find(c.finished.begin(), c.finished.end(), name) != c.finished.end();
      if (finished) {
        EXPECT_NE(content, old_files[name]) << "not replaced";
      } else {
        EXPECT_EQ(content, old_files[name]);
      }
    }
    // Every file is still there, except the sources once read.
    for (const std::string& name : earlier) {
      const bool read_and_deleted =
          !c.finished.empty() && (name == LineSourceName(line) || name == TrainSourceName(line, train));
      EXPECT_EQ(files.count(name), read_and_deleted ? 0u : 1u) << name;
    }
  }
}

}  // namespace
}  // namespace scenario
