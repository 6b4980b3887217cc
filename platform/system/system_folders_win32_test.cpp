#include "platform/system/system_folders.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>

namespace scenario {
namespace {

// Windows names folders in either case ("C:\\windows" under Wine).
std::string Lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(),
                 [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

TEST(SystemFolders, ProgramFilesAndTheWindowsFolderWhateverTheCaseAndNothingElse) {
  const struct {
    const char* directory;
    std::optional<std::string> folder;
  } table[] = {
      {"C:\\Program Files\\Scenario", "C:\\Program Files"},
      {"c:\\program files\\scenario\\", "C:\\Program Files"},
      {"C:/Program Files/Scenario", "C:\\Program Files"},
      {"C:\\Program Files (x86)\\Scenario", "C:\\Program Files (x86)"},
      {"C:\\Windows\\System32", "C:\\windows"},
      {"C:\\Program Files Extra\\Scenario", std::nullopt},
      {"C:\\Users\\anna\\Scenari", std::nullopt},
      {"C:\\", std::nullopt},
      {"Z:\\tmp\\Program Files", std::nullopt},
  };
  for (const auto& row : table) {
    SCOPED_TRACE(row.directory);
    const std::optional<std::string> found = SystemProgramFolderOf(row.directory);
    ASSERT_EQ(found.has_value(), row.folder.has_value());
    if (found) {
      EXPECT_EQ(Lower(*found), Lower(*row.folder));
    }
  }
}

}  // namespace
}  // namespace scenario
