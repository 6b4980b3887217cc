#include "platform/window/console_text.h"

#include <gtest/gtest.h>

#include <iostream>
#include <sstream>

namespace scenario {
namespace {

TEST(ConsoleTextDecoder, NamesAsWindows1252AndTheToolsUtf8BothShowTheirCharacters) {
  struct Case {
    std::string bytes;
    std::u16string shown;
  };
  for (const Case& c : {
           Case{"Calvisio -Sambreta", u"Calvisio -Sambreta"},
           // A name as the system holds it, and the same name as the tool's
           // tables and JSON write it.
           Case{"Citt\xE0_linea.txt", u"Citt\u00E0_linea.txt"},
           Case{"Citt\xC3\xA0", u"Citt\u00E0"},
           Case{"\x80 \x8A\x9F", u"\u20AC \u0160\u0178"},
           Case{"\xE2\x82\xAC \xEF\xBF\xBD", u"\u20AC \uFFFD"},
           Case{"\xF0\x9F\x9A\x82", u"\U0001F682"},
           // Uppercase accented letters before a blank or at the end, as
           // Italian names have them: not the start of a sequence.
           Case{"PER\xD2 CITT\xC0", u"PER\u00D2 CITT\u00C0"},
           Case{"\xC0\xAF \xC1\xBF", u"\u00C0\u00AF \u00C1\u00BF"},          // overlong forms
           Case{"\xED\xA0\x80", u"\u00ED\u00A0\u20AC"},                      // a surrogate
           Case{"\xF4\x90\x80\x80", u"\u00F4\u0090\u20AC\u20AC"},            // past U+10FFFF
           Case{"\xE0\x80\xAF", u"\u00E0\u20AC\u00AF"},                      // overlong, three bytes
           Case{"\xC3" "A\xC3\xA0", u"\u00C3A\u00E0"},                       // cut by a plain byte
           Case{"\xE2\x82" "x", u"\u00E2\u201Ax"},
       }) {
    ConsoleTextDecoder decoder;
    std::u16string shown = decoder.Decode(c.bytes);
    shown += decoder.Finish();
    EXPECT_EQ(shown, c.shown) << c.bytes;
  }
}

// A line as the tool writes it on Windows: a path in Windows-1252, a name
// from its tables in UTF-8; a file or a pipe gets all of it in UTF-8.
TEST(Utf8TextEncoder, EveryPartOfALineComesOutInUtf8WhateverThePieces) {
  const std::string line =
      "C:\\Citt\xE0 Sant\x92" "Angelo\\Valle_42.sim: station 'PER\xC3\x92' \xE2\x82\xAC\xF0\x9F\x9A\x82 \x80\n";
  const std::string utf8 =
      "C:\\Citt\xC3\xA0 Sant\xE2\x80\x99" "Angelo\\Valle_42.sim: station 'PER\xC3\x92' \xE2\x82\xAC\xF0\x9F\x9A\x82 "
      "\xE2\x82\xAC\n";
  for (size_t piece = 1; piece <= line.size(); piece += piece < 5 ? 1 : 16) {
    Utf8TextEncoder encoder;
    std::string out;
    for (size_t k = 0; k < line.size(); k += piece) out += encoder.Encode(std::string_view(line).substr(k, piece));
    out += encoder.Finish();
    EXPECT_EQ(out, utf8) << "pieces of " << piece;
  }
  // A sequence cut off by the end of the text is its Windows-1252 letter.
  Utf8TextEncoder encoder;
  EXPECT_EQ(encoder.Encode("CITT\xC3"), "CITT");
  EXPECT_EQ(encoder.Finish(), "\xC3\x83");
}

TEST(ConsoleTextDecoder, TextInPiecesShowsAsTheWhole) {
  const std::string text = "wrote Citt\xE0/Citt\xC3\xA0 \xE2\x82\xAC\xF0\x9F\x9A\x82 PER\xD2";
  ConsoleTextDecoder whole;
  std::u16string expected = whole.Decode(text);
  expected += whole.Finish();
  EXPECT_EQ(expected, u"wrote Citt\u00E0/Citt\u00E0 \u20AC\U0001F682 PER\u00D2");
  for (size_t piece = 1; piece <= 4; ++piece) {
    ConsoleTextDecoder decoder;
    std::u16string shown;
    for (size_t k = 0; k < text.size(); k += piece) shown += decoder.Decode(text.substr(k, piece));
    shown += decoder.Finish();
    EXPECT_EQ(shown, expected) << "pieces of " << piece;
  }
}

TEST(ConsoleTextDecoder, ACutSequenceIsHeldOnlyUntilTheTextEnds) {
  ConsoleTextDecoder decoder;
  EXPECT_EQ(decoder.Decode("CITT\xC3"), u"CITT");
  EXPECT_EQ(decoder.Finish(), u"\u00C3");
  EXPECT_EQ(decoder.Finish(), u"");
  EXPECT_EQ(decoder.Decode("\xA0"), u"\u00A0");
}

TEST(ShowOnStandardError, WritesTheLineAsItsBytes) {
  std::ostringstream captured;
  std::streambuf* previous = std::cerr.rdbuf(captured.rdbuf());
  ShowOnStandardError("scenario-compactor: cannot write 'Citt\xE0_linea.txt'");
  std::cerr.rdbuf(previous);
  EXPECT_EQ(captured.str(), "scenario-compactor: cannot write 'Citt\xE0_linea.txt'\n");
}

TEST(ConsoleText, TheStreamsAreAsBeforeOnceItEnds) {
  std::streambuf* const output = std::cout.rdbuf();
  std::streambuf* const errors = std::cerr.rdbuf();
  { const ConsoleText console; }
  EXPECT_EQ(std::cout.rdbuf(), output);
  EXPECT_EQ(std::cerr.rdbuf(), errors);
}

}  // namespace
}  // namespace scenario
