#include "sources/text_file_writer.h"

#include <gtest/gtest.h>

#include <stdexcept>

#include "tests/support/fake_file_system.h"

namespace scenario {
namespace {

using testing_support::FakeFileSystem;
using testing_support::ReasonOf;

const std::string kMarker(kFineDelFile);

struct BytesCase {
  const char* what;
  std::vector<std::string> slots;
  std::string bytes;
};

TEST(TextFileBytes, WritesEverySlotBeforeTheFirstMarkerWithCrLf) {
  const BytesCase cases[] = {
      {"two lines", {"a", "b", kMarker}, "a\r\nb\r\n"},
      {"marker alone: empty file", {kMarker}, ""},
      {"empty lines keep their CR LF", {"", "", kMarker}, "\r\n\r\n"},
      {"blanks at both ends stay", {"  x  ", kMarker}, "  x  \r\n"},
      {"stops at the first marker", {"a", kMarker, "b", kMarker}, "a\r\n"},
      {"slots after the marker are never looked at", {kMarker, "", "c"}, ""},
      {"the comparison is exact: case",
       {"Riferimento fine del file", kMarker},
       "Riferimento fine del file\r\n"},
      {"the comparison is exact: blanks",
       {" riferimento fine del file", "riferimento fine del file ", kMarker},
       " riferimento fine del file\r\nriferimento fine del file \r\n"},
      {"a line that merely contains the marker",
       {"riferimento fine del file!", kMarker},
       "riferimento fine del file!\r\n"},
  };
  for (const BytesCase& c : cases) {
    EXPECT_EQ(TextFileBytes(c.slots), c.bytes) << c.what;
  }
}

TEST(TextFileBytes, ALineListWithoutMarkerInItsSlotsHasNoEnd) {
  EXPECT_THROW(TextFileBytes({}), std::invalid_argument);
  EXPECT_THROW(TextFileBytes({"a", "b"}), std::invalid_argument);

  // The marker in the last of the 1001 slots ends a file of 1000 lines; one
  // slot further it is out of reach.
  std::vector<std::string> slots(kNumeroRighe - 1, "x");
  slots.push_back(kMarker);
  EXPECT_EQ(TextFileBytes(slots).size(), 1000u * 3u);
  slots.insert(slots.begin(), "x");
  EXPECT_THROW(TextFileBytes(slots), std::invalid_argument);
}

TEST(WithEndMarker, PutsTheMarkerInTheSlotAfterTheLastLine) {
  EXPECT_EQ(WithEndMarker({}), std::vector<std::string>{kMarker});
  EXPECT_EQ(WithEndMarker({"a", ""}), (std::vector<std::string>{"a", "", kMarker}));

  std::vector<std::string> most(kNumeroRighe - 1, "x");
  EXPECT_EQ(WithEndMarker(most).size(), kNumeroRighe);
  most.push_back("x");
  EXPECT_THROW(WithEndMarker(most), std::length_error);
}

class WriteTextFileTest : public ::testing::Test {
 protected:
  FakeFileSystem files;
  Workspace workspace{files, "/run/"};
};

TEST_F(WriteTextFileTest, ReplacesTheNamedFileWithTheText) {
  files.files["/run/a.txt"] = std::string(5000, 'o');
  WriteTextFile(workspace, "a.txt", {"uno", "", "tre", kMarker});
  EXPECT_EQ(files.files,
            (std::map<std::string, std::string>{{"/run/a.txt", "uno\r\n\r\ntre\r\n"}}));
}

TEST_F(WriteTextFileTest, AFailureNamesTheFileAndKeepsTheOldOne) {
  files.files["/run/a b-.txt"] = "old";
  files.FailOn(FakeFileSystem::Step::Rename, "/run/a b-.txt", StatusCode::NoSpace);
  try {
    WriteTextFile(workspace, "a b-.txt", {"new", kMarker});
    FAIL() << "no failure";
  } catch (const SystemFailure& failure) {
    EXPECT_EQ(failure.operation(), "rename");
    EXPECT_EQ(failure.file(), "a b-.txt");
    EXPECT_EQ(failure.what(), "cannot rename 'a b-.txt': " + ReasonOf(StatusCode::NoSpace));
  }
  EXPECT_EQ(files.files.at("/run/a b-.txt"), "old");
}

TEST_F(WriteTextFileTest, AListWithoutEndTouchesNoFile) {
  files.files["/run/a.txt"] = "old";
  EXPECT_THROW(WriteTextFile(workspace, "a.txt", {"new"}), std::invalid_argument);
  EXPECT_TRUE(files.log().empty());
  EXPECT_EQ(files.files.at("/run/a.txt"), "old");
}

}  // namespace
}  // namespace scenario
