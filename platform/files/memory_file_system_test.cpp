#include "platform/files/memory_file_system.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>
#include <string>
#include <vector>

namespace scenario {
namespace {

TEST(MemoryFileSystem, PiecesAreGatheredInOrderIntoTheMemoryHandedOver) {
  MemoryFileSystem files;
  files.gathering.reserve(1 << 20);
  const char* memory = files.gathering.data();
  ASSERT_TRUE(files.ReplaceFileInPieces("/d/f", [](const PieceSink& put) {
    put("ab");
    put("");
    put(std::string(5000, 'c'));
  }).ok());
  const std::string& stored = files.files.at("/d/f");
  EXPECT_EQ(stored, "ab" + std::string(5000, 'c'));
  EXPECT_EQ(stored.data(), memory);
  EXPECT_TRUE(files.gathering.empty());
}

TEST(MemoryFileSystem, AWriterThatThrowsLeavesTheOldFile) {
  MemoryFileSystem files;
  files.files["/d/f"] = "old";
  EXPECT_THROW(files.ReplaceFileInPieces("/d/f",
                                         [](const PieceSink& put) {
                                           put("new");
                                           throw std::runtime_error("cut short");
                                         }),
               std::runtime_error);
  EXPECT_EQ(files.files.at("/d/f"), "old");
  EXPECT_EQ(files.files.size(), 1u);
}

TEST(MemoryFileSystem, APathThatIsADirectoryIsNotReplaced) {
  MemoryFileSystem files;
  ASSERT_TRUE(files.MakeDirectory("/d/sub").ok());
  const Status status = files.ReplaceFileInPieces("/d/sub", [](const PieceSink& put) { put("x"); });
  EXPECT_FALSE(status.ok());
  EXPECT_EQ(status.code(), StatusCode::InTheWay);
  EXPECT_EQ(files.files.count("/d/sub"), 0u);
}

// Names are the system's bytes: a Windows-1252 letter comes back from a
// listing as it went in, whatever the system's code page.
TEST(MemoryFileSystem, AListingGivesNamesAsTheirBytes) {
  MemoryFileSystem files;
  files.files["/s/citt\xE0_42-.txt"] = "a";
  files.files["/s/CITT\xC0_linea.txt"] = "b";
  files.files["/s/sub/other.txt"] = "c";
  std::vector<std::string> names;
  ASSERT_TRUE(files.ListDirectory("/s", &names).ok());
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::string>{"CITT\xC0_linea.txt", "citt\xE0_42-.txt"}));
  for (const std::string& name : names) EXPECT_TRUE(files.FileExists("/s/" + name)) << name;
}

}  // namespace
}  // namespace scenario
