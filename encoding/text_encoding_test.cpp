#include "encoding/text_encoding.h"

#include <gtest/gtest.h>

namespace scenario {
namespace {

TEST(TextEncoding, EightBitNamesBecomeUtf8AndMarkupIsEscaped) {
  EXPECT_EQ(Windows1252ToUtf8("CITT\xC0 \xFF"), "CITT\xC3\x80 \xC3\xBF");
  EXPECT_EQ(XmlText("A<B> & \"C\" 'D'"), "A&lt;B&gt; &amp; &quot;C&quot; &apos;D&apos;");
  // XML cannot carry these control characters at all, escaped or not.
  EXPECT_EQ(XmlText(std::string("a\x01" "b\0c", 5)), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c");
  EXPECT_EQ(XmlText("\xE8"), "\xC3\xA8");
  EXPECT_EQ(PrintableText(std::string("x\r\ny\\\xE9", 6)), "x\\x0D\\x0Ay\\x5C\xC3\xA9");
}

// The sources are Windows-1252: 0x80 to 0x9F are the euro sign, dashes,
// curly quotes and a few letters, not Latin-1's invisible control codes.
TEST(TextEncoding, TheBytesFrom0x80To0x9FAreWindows1252Characters) {
  const struct {
    const char* bytes;
    const char* utf8;
  } cases[] = {
      {"\x80", "\xE2\x82\xAC"},                  // euro sign
      {"Km. 12\x96" "13", "Km. 12\xE2\x80\x93" "13"},  // en dash
      {"\x93" "Ponte\x94", "\xE2\x80\x9C" "Ponte\xE2\x80\x9D"},  // curly quotes
      {"\x8A\x9A\x8E\x9E\x9F", "\xC5\xA0\xC5\xA1\xC5\xBD\xC5\xBE\xC5\xB8"},  // Š š Ž ž Ÿ
      // "CITTÀ" saved as UTF-8 reads as the simulator shows it.
      {"CITT\xC3\x80", "CITT\xC3\x83\xE2\x82\xAC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.bytes);
    EXPECT_EQ(Windows1252ToUtf8(c.bytes), c.utf8);
    EXPECT_EQ(XmlText(c.bytes), c.utf8);
    EXPECT_EQ(PrintableText(c.bytes), c.utf8);
  }
  // The five bytes the code page leaves unassigned are control codes: a
  // terminal shows them escaped.
  EXPECT_EQ(PrintableText("a\x81\x8D\x8F\x90\x9D" "b"), "a\\x81\\x8D\\x8F\\x90\\x9Db");
  EXPECT_EQ(Windows1252ToUtf8("\x81"), "\xC2\x81");
}

// A message in UTF-8 words quoting Windows-1252 bytes of the sources.
TEST(TextEncoding, AMessageKeepsItsUtf8AndShowsTheQuotedBytesAsTheirCharacters) {
  const struct {
    const char* message;
    const char* utf8;
  } cases[] = {
      {"'3\xC0" "0' is not a number", "'3\xC3\x80" "0' is not a number"},
      {"vas \xC3\x97 20 + vad", "vas \xC3\x97 20 + vad"},  // the words' own multiplication sign
      {"'CITT\xC0' \xC3\x97 2", "'CITT\xC3\x80' \xC3\x97 2"},
      // A text saved as UTF-8 is shown as its author wrote it.
      {"the station name 'CITT\xC3\x80' looks like UTF-8", "the station name 'CITT\xC3\x80' looks like UTF-8"},
      // Cut, overlong or surrogate sequences are no UTF-8.
      {"\xC3", "\xC3\x83"},
      {"\xE2\x82", "\xC3\xA2\xE2\x80\x9A"},
      {"\xC0\x80", "\xC3\x80\xE2\x82\xAC"},
      {"\xED\xA0\x80", "\xC3\xAD\xC2\xA0\xE2\x82\xAC"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.message);
    EXPECT_EQ(MessageToUtf8(c.message), c.utf8);
  }
}

}  // namespace
}  // namespace scenario
