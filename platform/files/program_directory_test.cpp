#include "platform/system/program_directory.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "platform/files/real_file_system.h"

namespace scenario {
namespace {

#ifdef _WIN32
constexpr const char* kSeparator = "\\";
#else
constexpr const char* kSeparator = "/";
#endif

TEST(JoinPath, JoinsWithTheSystemsSeparatorOnlyWhereOneIsMissing) {
  const std::string s = kSeparator;
  struct Case {
    std::string directory;
    std::string name;
    std::string path;
  };
  for (const Case& c : {
           Case{"/prog", "Calvisio -Sambreta_linea.txt", "/prog" + s + "Calvisio -Sambreta_linea.txt"},
           Case{"/prog" + s, "a", "/prog" + s + "a"},
           Case{"", "a", "a"},
           Case{"/", "a", "/a"},
       }) {
    EXPECT_EQ(JoinPath(c.directory, c.name), c.path) << c.directory << " + " << c.name;
  }
#ifdef _WIN32
  // A drive's root and a directory given with '/' keep what they end with.
  EXPECT_EQ(JoinPath("C:\\", "a"), "C:\\a");
  EXPECT_EQ(JoinPath("C:/prog/", "a"), "C:/prog/a");
  EXPECT_EQ(JoinPath("C:\\prog", "Citt\xE0_linea.txt"), "C:\\prog\\Citt\xE0_linea.txt");
#endif
}

TEST(ProgramDirectory, IsTheDirectoryOfTheRunningTestProgram) {
  const std::string directory = ProgramDirectory();
  ASSERT_FALSE(directory.empty());
  EXPECT_TRUE(std::filesystem::is_directory(directory)) << directory;
  // The test program is a file in it.
  RealFileSystem files;
#ifdef _WIN32
  EXPECT_TRUE(files.FileExists(JoinPath(directory, "scenario_tests.exe"))) << directory;
#else
  EXPECT_TRUE(files.FileExists(JoinPath(directory, "scenario_tests"))) << directory;
#endif
}

}  // namespace
}  // namespace scenario
