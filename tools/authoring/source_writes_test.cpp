// Which written line a value shown under a keyword is given to.
#include <gtest/gtest.h>

#include "tools/authoring/source_writes.h"

namespace scenario::tool {
namespace {

TEST(SourceWrites, AValueGoesToTheLastLineWhoseKeywordHoldsItsWords) {
  const WritingLines lines = {{"t.txt", 3, "segnale"},
                              {"t.txt", 7, "Segnale di avviso"},
                              {"l.txt", 9, "progressiva chilometrica uno"},
                              {"l.txt", 12, "[curve]"}};
  struct Case {
    std::string keyword;
    int line;  // 0: none
  };
  const Case cases[] = {
      {"segnale", 7},                        // the later of two, letter case aside
      {"approach mark of a segnale", 7},     // a mark goes to its item's line
      {"progressiva chilometrica", 9},       // every word, within a longer keyword
      {"progressiva chilometrica due", 0},   // a word no line holds
      {"cartello_indicatore", 0},            // no such line
      {"approach mark", 0},                  // no keyword at all
      {"", 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.keyword);
    const WritingLine* writer = WriterOf(lines, c.keyword);
    EXPECT_EQ(writer ? writer->line : 0, c.line);
  }
  EXPECT_EQ(WriterOf({}, "segnale"), nullptr);
}

}  // namespace
}  // namespace scenario::tool
