#include "platform/files/real_file_system.h"

#include <gtest/gtest.h>

#include "platform/files/directory_lock.h"
#include "platform/files/temporary_names.h"
#include "tests/support/system_facts.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::ReadWholeFile;
using testing_support::TempDir;
using testing_support::WriteWholeFile;

TEST(RealFileSystem, ReplaceCreatesAMissingFileAndLeavesNoTemporary) {
  TempDir dir;
  RealFileSystem files;
  const std::string path = dir.PathOf("Calvisio -Sambreta_linea.txt");
  ASSERT_TRUE(files.ReplaceFile(path, "abc\r\n").ok());
  EXPECT_EQ(dir.Files(), (std::map<std::string, std::string>{{"Calvisio -Sambreta_linea.txt", "abc\r\n"}}));
}

TEST(RealFileSystem, ReplaceLeavesNothingOfALongerOldFile) {
  TempDir dir;
  RealFileSystem files;
  const std::string path = dir.PathOf("f.dat");
  WriteWholeFile(path, std::string(10000, 'o'));
  ASSERT_TRUE(files.ReplaceFile(path, "new").ok());
  EXPECT_EQ(ReadWholeFile(path), "new");
  ASSERT_TRUE(files.ReplaceFile(path, "").ok());
  EXPECT_EQ(ReadWholeFile(path), "");
}

TEST(RealFileSystem, ReadDeleteAndExists) {
  TempDir dir;
  RealFileSystem files;
  const std::string path = dir.PathOf("x");
  std::string contents;
  EXPECT_FALSE(files.FileExists(path));
  Status missing = files.ReadFile(path, &contents);
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.operation(), "read");
  EXPECT_EQ(missing.code(), StatusCode::NotFound);
  WriteWholeFile(path, std::string("a\0b", 3));
  EXPECT_TRUE(files.FileExists(path));
  ASSERT_TRUE(files.ReadFile(path, &contents).ok());
  EXPECT_EQ(contents, std::string("a\0b", 3));
  ASSERT_TRUE(files.DeleteFile(path).ok());
  EXPECT_FALSE(files.FileExists(path));
  Status again = files.DeleteFile(path);
  EXPECT_FALSE(again.ok());
  EXPECT_EQ(again.operation(), "delete");
  // A directory is not a file.
  EXPECT_FALSE(files.FileExists(dir.path().string()));
}

TEST(RealFileSystem, FailedRenameKeepsTheOldTargetAndRemovesTheTemporary) {
  TempDir dir;
  RealFileSystem files;
  // A directory in the way of the rename: the write succeeds, the rename
  // fails.
  std::filesystem::create_directory(dir.path() / "target");
  WriteWholeFile(dir.path() / "target" / "inside", "keep");
  Status status = files.ReplaceFile(dir.PathOf("target"), "new contents");
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.operation(), "rename");
  EXPECT_TRUE(dir.Files().empty()) << "a temporary file was left behind";
  EXPECT_EQ(ReadWholeFile(dir.path() / "target" / "inside"), "keep");
}

TEST(RealFileSystem, MissingDirectoryFailsAtCreate) {
  TempDir dir;
  RealFileSystem files;
  Status status = files.ReplaceFile(dir.PathOf("no-such-dir/f"), "x");
  ASSERT_FALSE(status.ok());
  EXPECT_EQ(status.operation(), "create");
  EXPECT_EQ(status.code(), StatusCode::NotFound);
}

TEST(RealFileSystem, OnlyTheTemporariesOfEndedProcessesAreRemoved) {
  TempDir dir;
  RealFileSystem files;
  testing_support::OtherProcess ended_process;
  ended_process.End();
  const unsigned long ended = ended_process.number();
  testing_support::OtherProcess running_process;
  const unsigned long running = running_process.number();
  const std::string leftover = TemporaryNameFor("Calvisio -Sambreta_linea.dat", ended, 5);
  const std::string second_leftover = TemporaryNameFor("out.svg", ended, 0);
  const std::string in_flight = TemporaryNameFor("Calvisio -Sambreta_linea.dat", running, 0);
  const std::map<std::string, std::string> kept = {
      {in_flight, "another process is writing this"},
      {kLockFileName, ""},
      {"Calvisio -Sambreta_linea.dat", "the compiled line"},
      {"Calvisio -Sambreta_linea.dat.tmp-1-1", "no leading dot: not ours"},
      {".Calvisio -Sambreta_linea.dat.tmp-1-1.bak", "not ours"},
  };
  for (const auto& [name, contents] : kept) WriteWholeFile(dir.path() / name, contents);
  WriteWholeFile(dir.path() / leftover, std::string(100000, 'x'));
  WriteWholeFile(dir.path() / second_leftover, "half");
  // A directory of that name is not a leftover file.
  const std::string directory_name = TemporaryNameFor("d", ended, 1);
  std::filesystem::create_directory(dir.path() / directory_name);

  std::string failed;
  const Status status = files.RemoveLeftoverTemporaries(dir.path().string(), &failed);
  EXPECT_TRUE(status.ok()) << status.reason();
  EXPECT_EQ(dir.Files(), kept);
  EXPECT_TRUE(std::filesystem::is_directory(dir.path() / directory_name));
}

TEST(RealFileSystem, DirectoryOperationsOnAMissingDirectoryFail) {
  TempDir dir;
  RealFileSystem files;
  const std::string missing = dir.PathOf("none");
  std::string failed;
  const Status listing = files.RemoveLeftoverTemporaries(missing, &failed);
  EXPECT_FALSE(listing.ok());
  EXPECT_EQ(failed, "");
  const Status sync = files.SyncDirectory(missing);
  EXPECT_FALSE(sync.ok());
  EXPECT_EQ(sync.operation(), "flush the directory");
  EXPECT_EQ(sync.reason(), testing_support::MissingFileReason());
  EXPECT_TRUE(files.SyncDirectory(dir.path().string()).ok());
}

}  // namespace
}  // namespace scenario
