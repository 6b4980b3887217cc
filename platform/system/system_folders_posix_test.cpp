#include "platform/system/system_folders.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(SystemFolders, TheSystemsProgramFoldersAndNothingElse) {
  const struct {
    const char* directory;
    std::optional<std::string> folder;
  } table[] = {
      {"/usr/bin", "/usr/bin"},
      {"/usr/local/bin", "/usr/local/bin"},
      {"/usr/lib/scenario-compactor", "/usr/lib"},
      {"/usr/lib/scenario-compactor/", "/usr/lib"},
      {"/usr/share/scenario-compactor/../../games", "/usr/games"},
      {"/usr/local/share/games", "/usr/local/share"},
      {"/bin", "/bin"},
      {"/sbin", "/sbin"},
      {"/lib64", "/lib64"},
      {"/home/anna/../../usr/bin", "/usr/bin"},
      // A user's folder, a checkout of the sources, or the folders above
      // the program folders are not refused.
      {"/home/anna/scenari", std::nullopt},
      {"/root/scenari", std::nullopt},
      {"/tmp/usr/bin", std::nullopt},
      {"/usr", std::nullopt},
      {"/usr/local", std::nullopt},
      {"/usr/src/scenario-compactor/build/default/app", std::nullopt},
      {"/opt/scenario", std::nullopt},
      {"/usr/binary", std::nullopt},
      {"/binary", std::nullopt},
      {"/", std::nullopt},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.directory);
    EXPECT_EQ(SystemProgramFolderOf(row.directory), row.folder);
  }
}

}  // namespace
}  // namespace scenario
