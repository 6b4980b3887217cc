// The directory operations of both file systems the program runs on, held
// to the same expectations.
#include <gtest/gtest.h>

#include <functional>
#include <memory>

#include "platform/files/memory_file_system.h"
#include "platform/files/real_file_system.h"
#include "tests/support/temp_dir.h"

namespace scenario {
namespace {

using testing_support::TempDir;

struct Ground {
  std::string name;
  std::function<std::unique_ptr<FileSystem>()> make;
};

class Directories : public ::testing::TestWithParam<Ground> {
 protected:
  TempDir dir;
  std::unique_ptr<FileSystem> files = GetParam().make();
  std::string PathOf(const std::string& name) const { return dir.PathOf(name); }
};

TEST_P(Directories, MakeListAndTellApart) {
  const std::string deep = PathOf("out/compiled");
  EXPECT_FALSE(files->DirectoryExists(deep));
  ASSERT_TRUE(files->MakeDirectory(deep).ok());
  EXPECT_TRUE(files->DirectoryExists(deep));
  EXPECT_TRUE(files->DirectoryExists(PathOf("out")));
  EXPECT_TRUE(files->MakeDirectory(deep).ok()) << "a directory already there is no failure";

  ASSERT_TRUE(files->ReplaceFile(deep + "/b_1.sim", "s").ok());
  ASSERT_TRUE(files->ReplaceFile(deep + "/a_linea.dat", "l").ok());
  ASSERT_TRUE(files->MakeDirectory(deep + "/inner").ok());
  ASSERT_TRUE(files->ReplaceFile(deep + "/inner/c.dat", "c").ok());
  std::vector<std::string> names{"left over"};
  ASSERT_TRUE(files->ListDirectory(deep, &names).ok());
  EXPECT_EQ(names, (std::vector<std::string>{"a_linea.dat", "b_1.sim"}));
  EXPECT_FALSE(files->DirectoryExists(deep + "/b_1.sim"));
  EXPECT_FALSE(files->FileExists(deep));
}

TEST_P(Directories, FailuresCarryTheirKind) {
  ASSERT_TRUE(files->ReplaceFile(PathOf("plain"), "x").ok());
  const Status in_the_way = files->MakeDirectory(PathOf("plain"));
  EXPECT_FALSE(in_the_way.ok());
  EXPECT_EQ(in_the_way.code(), StatusCode::InTheWay);
  EXPECT_EQ(in_the_way.operation(), "create the directory");

  std::vector<std::string> names;
  const Status missing = files->ListDirectory(PathOf("nowhere"), &names);
  EXPECT_FALSE(missing.ok());
  EXPECT_EQ(missing.code(), StatusCode::NotFound);
  EXPECT_EQ(missing.operation(), "list");

  std::string contents;
  EXPECT_EQ(files->ReadFile(PathOf("nowhere"), &contents).code(), StatusCode::NotFound);
  EXPECT_EQ(files->DeleteFile(PathOf("nowhere")).code(), StatusCode::NotFound);
}

TEST_P(Directories, SameFileSeesThroughSpellings) {
  ASSERT_TRUE(files->MakeDirectory(PathOf("d")).ok());
  ASSERT_TRUE(files->ReplaceFile(PathOf("d/f"), "x").ok());
  EXPECT_TRUE(files->SameFile(PathOf("d/f"), PathOf("d/./f")));
  EXPECT_TRUE(files->SameFile(PathOf("d/f"), PathOf("d/../d/f")));
  EXPECT_FALSE(files->SameFile(PathOf("d/f"), PathOf("d/g")));
  // Neither exists: the paths decide.
  EXPECT_TRUE(files->SameFile(PathOf("d/x"), PathOf("d//x")));
  EXPECT_FALSE(files->SameFile(PathOf("d/x"), PathOf("d/y")));
}

INSTANTIATE_TEST_SUITE_P(
    BothGrounds, Directories,
    ::testing::Values(Ground{"Disk", [] { return std::unique_ptr<FileSystem>(new RealFileSystem); }},
                      Ground{"Memory", [] { return std::unique_ptr<FileSystem>(new MemoryFileSystem); }}),
    [](const ::testing::TestParamInfo<Ground>& info) { return info.param.name; });

TEST(StatusCode, SystemErrorsByKind) {
  const struct {
    std::errc error;
    StatusCode code;
  } cases[] = {
      {std::errc::no_such_file_or_directory, StatusCode::NotFound},
      {std::errc::permission_denied, StatusCode::PermissionDenied},
      {std::errc::operation_not_permitted, StatusCode::PermissionDenied},
      {std::errc::read_only_file_system, StatusCode::ReadOnly},
      {std::errc::no_space_on_device, StatusCode::NoSpace},
      {std::errc::file_too_large, StatusCode::TooLarge},
      {std::errc::not_a_directory, StatusCode::InTheWay},
      {std::errc::is_a_directory, StatusCode::InTheWay},
      {std::errc::io_error, StatusCode::IoError},
      {std::errc::too_many_files_open, StatusCode::IoError},
  };
  for (const auto& c : cases) {
    const Status status = Status::Error("write", std::make_error_code(c.error));
    EXPECT_FALSE(status.ok());
    EXPECT_EQ(status.code(), c.code) << status.reason();
    EXPECT_EQ(status.reason(), std::make_error_code(c.error).message());
  }
  EXPECT_TRUE(Status::Ok().ok());
  EXPECT_FALSE(Status::Error("read", StatusCode::Ok, "odd").ok()) << "an error is never Ok";
}

}  // namespace
}  // namespace scenario
