// The field stream that both text sources are read through. A source is not
// read line by line: it is one stream of comma-separated fields, each read as
// the type the reader expects at that point.
//
// Text field: leading blanks (spaces, tabs) are skipped, but not line ends: a
// line end met at once ends an empty field and is consumed. A field that
// begins with a double quote holds what stands up to the next double quote
// (the rest of the file when there is none); then blanks are skipped and one
// comma or line end, if it comes next, is consumed. Any other field runs to
// the next comma or line end, which is consumed, and loses its trailing
// blanks. A field longer than 65535 bytes is a read failure.
//
// Number field: blanks and line ends are skipped, so a line split after a
// comma goes on with the next line. Then an optional sign and decimal digits;
// the number ends at a blank, a comma, a line end or the end of the file,
// after which blanks are skipped and one comma or line end, if it comes next,
// is consumed. A comma met before any digit is an empty field and reads 0.
// Anything else (letters, a decimal point, a sign alone, the end of the file
// before any digit) is a read failure, and so is a value outside the field's
// type.
//
// A line end is CR LF, LF alone or CR alone. Reading any field once the end
// of the file has been reached is a read failure. Read failures throw
// RuntimeFailure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

// Where a field begins: 1-based line and column (in bytes).
struct FieldPosition {
  int line = 0;
  int column = 0;
  bool operator==(const FieldPosition&) const = default;
};

class FieldStream {
 public:
  explicit FieldStream(std::string_view text) : text_(text) {}

  // Whether the last character of the text has been consumed.
  bool AtEnd() const { return at_ >= text_.size(); }

  std::string ReadText();
  uint8_t ReadByte();
  int16_t ReadInteger();
  int32_t ReadLong();

  // Where the field read last began.
  const FieldPosition& last_field() const { return last_field_; }

 private:
  int64_t ReadNumber(int64_t min, int64_t max, const char* type_name);
  void FailIfAtEnd(const char* what) const;
  bool AtBlank() const;
  bool AtLineEnd() const;
  void SkipBlanks();
  void ConsumeLineEnd();
  // After a value: blanks, then one comma or line end if it comes next.
  void ConsumeDelimiter();
  void MarkFieldStart();
  FieldPosition Here() const;
  [[noreturn]] void Fail(const std::string& what) const;

  std::string_view text_;
  size_t at_ = 0;
  int line_ = 1;
  size_t line_start_ = 0;
  FieldPosition last_field_;
};

}  // namespace scenario
