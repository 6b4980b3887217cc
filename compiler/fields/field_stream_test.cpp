#include "compiler/fields/field_stream.h"
#include "compiler/fields/source_edit.h"

#include <gtest/gtest.h>

#include "compiler/fields/keyword_table.h"
#include "compiler/fields/runtime_failure.h"

namespace scenario {
namespace {

TEST(FieldStream, BuiltInLinesCutIntoFields) {
  FieldStream stream(
      "lunghezza percorso,    99000\r\n"
      "indicatori_vmax,  2850,  95,  100,  110,  0,  ,  ,  ,  0\r\n"
      "cartello_indicatore,  2600,   (BIVIO     )(S. ARMELIA)(Km. 94.400)\r\n"
      "orologio,    8               12            45 \r\n"
      "[fine]\r\n");
  EXPECT_EQ(stream.ReadText(), "lunghezza percorso");
  EXPECT_EQ(stream.ReadLong(), 99000);
  EXPECT_EQ(stream.ReadText(), "indicatori_vmax");
  const int32_t expected[] = {2850, 95, 100, 110, 0, 0, 0, 0, 0};
  for (int32_t value : expected) EXPECT_EQ(stream.ReadLong(), value);
  EXPECT_EQ(stream.ReadText(), "cartello_indicatore");
  EXPECT_EQ(stream.ReadLong(), 2600);
  EXPECT_EQ(stream.ReadText(), "(BIVIO     )(S. ARMELIA)(Km. 94.400)");
  EXPECT_EQ(stream.ReadText(), "orologio");
  EXPECT_EQ(stream.ReadInteger(), 8);
  EXPECT_EQ(stream.ReadInteger(), 12);
  EXPECT_EQ(stream.ReadInteger(), 45);
  EXPECT_FALSE(stream.AtEnd());
  EXPECT_EQ(stream.ReadText(), "[fine]");
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_THROW(stream.ReadText(), RuntimeFailure);
  EXPECT_THROW(stream.ReadLong(), RuntimeFailure);
}

TEST(FieldStream, LineSplitAfterACommaGoesOnWithTheNextLine) {
  FieldStream stream("numero vetture,\r\n4\r\nsabbia,\n\n  300\rX");
  EXPECT_EQ(stream.ReadText(), "numero vetture");
  EXPECT_EQ(stream.ReadLong(), 4);
  EXPECT_EQ(stream.ReadText(), "sabbia");
  EXPECT_EQ(stream.ReadInteger(), 300);
  EXPECT_EQ(stream.ReadText(), "X");  // a lone CR is a line end too
  EXPECT_TRUE(stream.AtEnd());
}

TEST(FieldStream, ShortAndLongLinesShareTheirValues) {
  // Too few values take the next line's; too many are left as fields.
  FieldStream stream("a, 1\r\n2, 3, b\r\n");
  EXPECT_EQ(stream.ReadText(), "a");
  EXPECT_EQ(stream.ReadLong(), 1);
  EXPECT_EQ(stream.ReadLong(), 2);
  EXPECT_EQ(stream.ReadText(), "3");
  EXPECT_EQ(stream.ReadText(), "b");
  EXPECT_TRUE(stream.AtEnd());
}

TEST(FieldStream, TextFields) {
  struct Case {
    const char* input;
    std::vector<std::string> fields;
  };
  const Case cases[] = {
      {"  inner  blanks stay \t,next", {"inner  blanks stay", "next"}},
      {"\r\nx", {"", "x"}},                       // a line end at once: empty field
      {",x", {"", "x"}},                          // a comma at once: empty field
      {"\"a, b \" , c", {"a, b ", "c"}},          // quotes hold commas and blanks
      {"\"open, to the end\r\n", {"open, to the end\r\n"}},
      {"\"q\"\r\nnext", {"q", "next"}},
      {"tail   ", {"tail"}},
      {"- comment -,", {"- comment -"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    FieldStream stream(c.input);
    for (const std::string& field : c.fields) EXPECT_EQ(stream.ReadText(), field);
    EXPECT_TRUE(stream.AtEnd());
  }
}

TEST(FieldStream, NumberFields) {
  struct Case {
    const char* input;
    int32_t value;
    bool at_end_after;
  };
  const Case cases[] = {
      {"  42  ,x", 42, false},
      {"-7\r\n", -7, true},
      {"+7", 7, true},
      {"  ,x", 0, false},                     // empty field
      {"2147483647", 2147483647, true},
      {"-2147483648", -2147483648, true},
      {"0000000000000000000000012", 12, true},
      {"5   \t\r\n", 5, true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.input);
    FieldStream stream(c.input);
    EXPECT_EQ(stream.ReadLong(), c.value);
    EXPECT_EQ(stream.AtEnd(), c.at_end_after);
  }
}

TEST(FieldStream, NumberReadFailures) {
  const char* cases[] = {
      "abc", "1.5", "1e3", "-", "+ 3", "12a", "   \r\n  ", "0x10",
      "2147483648", "-2147483649", "99999999999999999999999999",
  };
  for (const char* input : cases) {
    SCOPED_TRACE(input);
    FieldStream stream(input);
    EXPECT_THROW(stream.ReadLong(), RuntimeFailure);
  }
}

TEST(FieldStream, TypeLimits) {
  EXPECT_EQ(FieldStream("255").ReadByte(), 255);
  EXPECT_THROW(FieldStream("256").ReadByte(), RuntimeFailure);
  EXPECT_THROW(FieldStream("-1").ReadByte(), RuntimeFailure);
  EXPECT_EQ(FieldStream("-32768").ReadInteger(), -32768);
  EXPECT_EQ(FieldStream("32767").ReadInteger(), 32767);
  EXPECT_THROW(FieldStream("32768").ReadInteger(), RuntimeFailure);
  EXPECT_THROW(FieldStream("-32769").ReadInteger(), RuntimeFailure);
}

TEST(FieldStream, EndOfFileInTheMiddleOfALinesValues) {
  FieldStream stream("segnale,    2350,   2,");
  EXPECT_EQ(stream.ReadText(), "segnale");
  EXPECT_EQ(stream.ReadLong(), 2350);
  EXPECT_EQ(stream.ReadLong(), 2);
  EXPECT_TRUE(stream.AtEnd());
  EXPECT_THROW(stream.ReadLong(), RuntimeFailure);
}

TEST(FieldStream, TextLongerThan65535BytesFails) {
  std::string fits(65535, 'x');
  EXPECT_EQ(FieldStream(fits + "   ,").ReadText(), fits);
  EXPECT_THROW(FieldStream(fits + "x").ReadText(), RuntimeFailure);
  EXPECT_THROW(FieldStream("\"" + fits + "x\"").ReadText(), RuntimeFailure);
}

TEST(FieldStream, RemembersWhereEachFieldBegan) {
  FieldStream stream("[generale]\r\nlunghezza percorso,    99000\r\n  \"q\r\nz\", 5\r\n");
  stream.ReadText();
  EXPECT_EQ(stream.last_field(), (FieldPosition{1, 1}));
  stream.ReadText();
  EXPECT_EQ(stream.last_field(), (FieldPosition{2, 1}));
  stream.ReadLong();
  EXPECT_EQ(stream.last_field(), (FieldPosition{2, 24}));
  stream.ReadText();
  EXPECT_EQ(stream.last_field(), (FieldPosition{3, 3}));
  stream.ReadLong();
  EXPECT_EQ(stream.last_field(), (FieldPosition{4, 5}));
}

// A line whose values run out is told at the end of the line that was cut,
// whatever line end it has, and with the author's own keyword; a value read
// on from the next line is no fault.
TEST(FieldStream, ALineCutShortIsToldAtItsOwnEnd) {
  struct Case {
    const char* text;
    int values_read;  // before the one that fails
    FieldPosition at;
    const char* cause;
  };
  const Case cases[] = {
      {"Segnale A,  8000 \r\nsegnale, 9000", 1, {1, 18},
       "line 1 ends after 1 of the 11 values of 'Segnale A' (the next field, 'segnale' on line 2, is not a number)"},
      {"segnale, 8000\n\n\nx", 1, {1, 14}, "line 1 ends after 1 of the 11 values of 'segnale' (the next field, 'x'"},
      {"segnale, 8000,\r9000, 1\r[fine]", 3, {2, 8}, "line 2 ends after 3 of the 11 values"},
      {"segnale,\tx", 0, {1, 10}, "'x' is not a number: write posizione (value 1 of 'segnale') in digits"},
      {"segnale, - 18, 2", 0, {1, 10},
       "'- 18' has a blank after its sign, and a sign alone is not a number: write posizione (value 1 of 'segnale') as "
       "-18, the sign against the digits"},
      {"segnale, 7:11:30", 0, {1, 10},
       "'7:11:30' is not a number: a time is written as three values, hours, minutes and seconds, with commas between "
       "them: write 7, 11, 30"},
      {"segnale, 8000, 2", 2, {1, 17}, "line 1 ends after 2 of the 11 values of 'segnale' and the file ends there: write "
                                       "the missing values, from s1 on"},
      {"segnale,\n", 0, {1, 9}, "line 1 holds none of the 11 values of 'segnale' and the file ends there"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.text);
    FieldStream stream(c.text);
    stream.ReadText();
    stream.BeginValues(keyword::kSegnale);
    for (int i = 0; i < c.values_read; ++i) stream.ReadLong();
    try {
      stream.ReadLong();
      ADD_FAILURE() << "read past the cut";
    } catch (const RuntimeFailure& failure) {
      ASSERT_TRUE(failure.has_cause());
      EXPECT_EQ(failure.at(), c.at);
      EXPECT_NE(failure.cause().find(c.cause), std::string::npos) << failure.cause();
    }
  }
  FieldStream split("numero vetture,\r\n  4\r\n");
  split.ReadText();
  split.BeginValues(keyword::kNumeroVetture);
  EXPECT_EQ(split.ReadLong(), 4);
  EXPECT_EQ(split.value_position(0), (FieldPosition{2, 3}));
}

// A sign written apart from its digits comes with the edit that joins them.
TEST(FieldStream, ASignApartFromItsDigitsComesWithItsFix) {
  FieldStream stream("rallentamento,  21850,  - 18, 350");
  stream.ReadText();
  stream.BeginValues(keyword::kRallentamento);
  stream.ReadLong();
  try {
    stream.ReadLong();
    ADD_FAILURE() << "'- 18' read as a number";
  } catch (const RuntimeFailure& failure) {
    ASSERT_TRUE(failure.fix().has_value());
    EXPECT_EQ(*failure.fix(), (SourceEdit{"Write -18", {1, 25}, EditReach::Field, "-18"}));
  }
}

}  // namespace
}  // namespace scenario

namespace scenario {
namespace {

// What is left to read begins on the line after the one read, whatever
// ended that line.
TEST(FieldStream, TheUnreadTextBeginsOnItsLine) {
  FieldStream fields("pendenza, 1\rpendenza, 2\r\npendenza, 3\n");
  struct Step {
    int unread_line;
    const char* unread;
  };
  const Step steps[] = {{2, "pendenza, 2\r\npendenza, 3\n"}, {3, "pendenza, 3\n"}};
  for (const Step& step : steps) {
    fields.ReadText();
    fields.ReadLong();
    EXPECT_EQ(fields.UnreadLine(), step.unread_line);
    EXPECT_EQ(fields.Unread(), step.unread);
  }
}

}  // namespace
}  // namespace scenario
