#include "tools/text_encoding.h"

#include <gtest/gtest.h>

namespace scenario::tool {
namespace {

TEST(TextEncoding, EightBitNamesBecomeUtf8AndMarkupIsEscaped) {
  EXPECT_EQ(Latin1ToUtf8("CITT\xC0 \xFF"), "CITT\xC3\x80 \xC3\xBF");
  EXPECT_EQ(XmlText("A<B> & \"C\" 'D'"), "A&lt;B&gt; &amp; &quot;C&quot; &apos;D&apos;");
  // XML cannot carry these control characters at all, escaped or not.
  EXPECT_EQ(XmlText(std::string("a\x01" "b\0c", 5)), "a\xEF\xBF\xBD" "b\xEF\xBF\xBD" "c");
  EXPECT_EQ(XmlText("\xE8"), "\xC3\xA8");
  EXPECT_EQ(PrintableText(std::string("x\r\ny\\\xE9", 6)), "x\\x0D\\x0Ay\\x5C\xC3\xA9");
}

}  // namespace
}  // namespace scenario::tool
