// Positions between the editor's UTF-16 columns and the compiler's byte
// columns, and the editor's text in Windows-1252.
#include "tools/lsp/source_code.h"

#include <gtest/gtest.h>

#include "tools/lsp/draft_store.h"

namespace scenario::lsp {
namespace {

// "naïve € 𝄞 x": ï and € are one byte each in Windows-1252, 𝄞 has none and
// takes two UTF-16 units.
const std::string kText = "ab\r\nna\xC3\xAFve \xE2\x82\xAC \xF0\x9D\x84\x9E x\rlast\n";

TEST(SourceCode, CountsLinesAsTheReadersDo) {
  const LineTable lines(kText);
  ASSERT_EQ(lines.line_count(), 4);
  EXPECT_EQ(lines.Line(kText, 0), "ab");
  EXPECT_EQ(lines.Line(kText, 2), "last");
  EXPECT_EQ(lines.Line(kText, 3), "");
}

TEST(SourceCode, TurnsCharacterColumnsIntoUtf16AndBack) {
  const LineTable lines(kText);
  struct Case {
    int column;     // characters before it: the byte column less one
    int character;  // UTF-16 units
    size_t offset;  // bytes of UTF-8 from the text's start
  };
  // n a ï v e ' ' € ' ' 𝄞 ' ' x
  const Case cases[] = {{0, 0, 4}, {3, 3, 8}, {6, 6, 11}, {8, 8, 15}, {9, 10, 19}, {11, 12, 21}, {12, 12, 21}};
  for (const Case& c : cases) {
    EXPECT_EQ(PositionOfCharacter(kText, lines, 1, c.column), (TextPosition{1, c.character})) << c.column;
    if (c.column <= 11) {
      EXPECT_EQ(CharacterOf(kText, lines, {1, c.character}), c.column) << c.column;
    }
    EXPECT_EQ(OffsetOf(kText, lines, {1, c.character}), c.offset) << c.column;
  }
  // Inside the surrogate pair: the character's start.
  EXPECT_EQ(OffsetOf(kText, lines, {1, 9}), 15u);
  EXPECT_EQ(OffsetOf(kText, lines, {4, 0}), std::nullopt);
  EXPECT_EQ(EndOf(kText, lines), (TextPosition{3, 0}));
}

TEST(SourceCode, WritesTheTextInWindows1252AndListsWhatItCannotHold) {
  std::vector<UnencodableCharacter> unencodable;
  // À € ✓ on line 2, 𝄞 on line 3, and a byte that is no UTF-8.
  const std::string bytes =
      ToWindows1252("x\r\n\xC3\x80 \xE2\x82\xAC \xE2\x9C\x93!\n\xF0\x9D\x84\x9E\xFFz", &unencodable);
  EXPECT_EQ(bytes, "x\r\n\xC0 \x80 ?!\n??z");
  ASSERT_EQ(unencodable.size(), 3u);
  EXPECT_EQ(unencodable[0].line, 1);
  EXPECT_EQ(unencodable[0].column, 4);
  EXPECT_EQ(unencodable[0].code, U'\u2713');
  EXPECT_EQ(unencodable[1].line, 2);
  EXPECT_EQ(unencodable[1].column, 0);
  EXPECT_EQ(unencodable[1].code, U'\U0001D11E');
  EXPECT_EQ(unencodable[2].column, 1);
  EXPECT_EQ(unencodable[2].code, U'\uFFFD');
  EXPECT_EQ(CodePointName(U'\u2713'), "U+2713");
}

TEST(DraftStore, AppliesEditsInOrderAndRefusesRangesOutsideTheText) {
  DraftStore drafts;
  drafts.Open("a", "one\ntwo \xF0\x9D\x84\x9E three\n", 1);
  std::string fault;
  // Replace "two" across nothing, then join the lines, then insert after 𝄞.
  ASSERT_TRUE(drafts.Change("a",
                            {{TextRange{{1, 0}, {1, 3}}, "2"},
                             {TextRange{{0, 3}, {1, 0}}, " "},
                             {TextRange{{0, 8}, {0, 8}}, "!"}},
                            2, &fault))
      << fault;
  EXPECT_EQ(drafts.Find("a")->text, "one 2 \xF0\x9D\x84\x9E! three\n");
  EXPECT_EQ(drafts.Find("a")->version, 2);

  EXPECT_FALSE(drafts.Change("a", {{TextRange{{0, 0}, {0, 1}}, "X"}, {TextRange{{5, 0}, {5, 1}}, "Y"}}, 3, &fault));
  EXPECT_NE(fault.find("does not lie in the document's 2 lines"), std::string::npos) << fault;
  EXPECT_EQ(drafts.Find("a")->text, "one 2 \xF0\x9D\x84\x9E! three\n");
  EXPECT_EQ(drafts.Find("a")->version, 2);

  ASSERT_TRUE(drafts.Change("a", {{std::nullopt, "new"}}, 4, &fault));
  EXPECT_EQ(drafts.Find("a")->text, "new");
  EXPECT_FALSE(drafts.Change("b", {{std::nullopt, "x"}}, 1, &fault));
}

}  // namespace
}  // namespace scenario::lsp
