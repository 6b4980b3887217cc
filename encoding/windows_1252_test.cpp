#include "encoding/windows_1252.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(Windows1252, EveryByteGoesToItsCharacterAndBackUnchanged) {
  std::string all;
  for (int byte = 0; byte < 256; ++byte) all.push_back(static_cast<char>(byte));
  const std::u16string text = Windows1252ToUtf16(all);
  ASSERT_EQ(text.size(), 256u);
  EXPECT_EQ(Utf16ToWindows1252(text), all);
  EXPECT_EQ(Utf16ToWindows1252Shown(text), all);
}

TEST(Windows1252, CharactersOfTheCodePage) {
  struct Case {
    unsigned char byte;
    char16_t character;
  };
  for (const Case& c : {Case{'A', u'A'}, Case{0x80, u'\u20AC'}, Case{0x8A, u'\u0160'},
                        Case{0x92, u'\u2019'}, Case{0x9F, u'\u0178'}, Case{0x81, u'\u0081'},
                        Case{0x9D, u'\u009D'}, Case{0xA0, u'\u00A0'}, Case{0xE0, u'\u00E0'},
                        Case{0xFF, u'\u00FF'}}) {
    const std::string byte(1, static_cast<char>(c.byte));
    EXPECT_EQ(Windows1252ToUtf16(byte), std::u16string(1, c.character)) << int(c.byte);
    EXPECT_EQ(Utf16ToWindows1252(std::u16string(1, c.character)), byte) << int(c.byte);
  }
  EXPECT_EQ(Utf16ToWindows1252(u"Citt\u00E0_linea.txt"), "Citt\xE0_linea.txt");
}

TEST(Windows1252, CharactersOutsideTheCodePageAreRefusedOrShownAsQuestionMarks) {
  // U+0080 is not the euro sign's byte: 0x80 is the euro sign.
  for (const std::u16string& text :
       {std::u16string(u"\u0080"), std::u16string(u"\u0100"), std::u16string(u"Москва"),
        std::u16string(u"a\U0001F682b"), std::u16string(1, char16_t{0xD800})}) {
    EXPECT_EQ(Utf16ToWindows1252(text), std::nullopt);
  }
  EXPECT_EQ(Utf16ToWindows1252Shown(u"a\U0001F682b\u20AC"), "a?b\x80");
  EXPECT_EQ(Utf16ToWindows1252Shown(u"Москва"), "??????");
}

}  // namespace
}  // namespace scenario
