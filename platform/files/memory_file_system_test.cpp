#include "platform/files/memory_file_system.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

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

}  // namespace
}  // namespace scenario
