#include "platform/real_file_system.h"

#include <gtest/gtest.h>
#include <unistd.h>

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

}  // namespace
}  // namespace scenario
