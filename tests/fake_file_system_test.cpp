#include "tests/support/fake_file_system.h"

#include <gtest/gtest.h>

#include "platform/files/workspace.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::ReasonOf;
using testing_support::StepName;
using Step = FakeFileSystem::Step;

TEST(FakeFileSystem, ReplaceIsLoggedAsCreateWriteRename) {
  FakeFileSystem files;
  ASSERT_TRUE(files.ReplaceFile("/d/a", "1").ok());
  ASSERT_EQ(files.log().size(), 3u);
  EXPECT_EQ(files.log()[0].step, Step::Create);
  EXPECT_EQ(files.log()[1].step, Step::Write);
  EXPECT_EQ(files.log()[2].step, Step::Rename);
  EXPECT_EQ(files.files.at("/d/a"), "1");
}

TEST(FakeFileSystem, AnySingleStepCanFailAndTheOldFileStays) {
  for (size_t failing = 0; failing < 3; ++failing) {
    FakeFileSystem files;
    files.files["/d/a"] = "old";
    files.FailStep(failing, StatusCode::ReadOnly);
    Status status = files.ReplaceFile("/d/a", "new");
    ASSERT_FALSE(status.ok());
    EXPECT_EQ(status.operation(), StepName(files.log()[failing].step));
    EXPECT_EQ(status.code(), StatusCode::ReadOnly);
    EXPECT_EQ(files.files, (std::map<std::string, std::string>{{"/d/a", "old"}}));
  }
}

TEST(FakeFileSystem, FailOnMatchesStepAndPath) {
  FakeFileSystem files;
  files.files["/d/a"] = "x";
  files.files["/d/b"] = "y";
  files.FailOn(Step::Delete, "/d/b");
  EXPECT_TRUE(files.DeleteFile("/d/a").ok());
  EXPECT_FALSE(files.DeleteFile("/d/b").ok());
  EXPECT_TRUE(files.FileExists("/d/b"));
  std::string contents;
  EXPECT_TRUE(files.ReadFile("/d/b", &contents).ok());
  EXPECT_EQ(contents, "y");
}

TEST(Workspace, PathsAndFailuresNameTheFile) {
  FakeFileSystem files;
  Workspace workspace{files, "/prog/"};
  EXPECT_EQ(workspace.PathOf("Calvisio -Sambreta_linea.txt"), "/prog/Calvisio -Sambreta_linea.txt");
  files.FailOn(Step::Create, "/prog/a", StatusCode::ReadOnly);
  try {
    ReplaceWorkspaceFile(workspace, "a", "x");
    FAIL() << "no failure";
  } catch (const SystemFailure& failure) {
    EXPECT_EQ(failure.operation(), "create");
    EXPECT_EQ(failure.file(), "a");
    EXPECT_EQ(failure.what(), "cannot create 'a': " + ReasonOf(StatusCode::ReadOnly));
  }
}

}  // namespace
}  // namespace scenario
