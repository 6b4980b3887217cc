// What every reader reads through: the field stream, the keyword table, the
// reading rules, error numbers, failure causes and warnings.
//
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
// RuntimeFailure, with the cause named for the author: a reader that says
// which keyword's values it reads (BeginValues) has each failure named by
// the value's name and number, and a line whose values run out is told as
// that line, cut short, not as the line its missing values were sought on.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace scenario {

struct KeywordSpec;
enum class ValueKind : uint8_t;
struct FieldPosition;

// Hears each line's values as the stream reads them, for tools that tell an
// author what the compile made of each line. Nothing it hears changes what
// is read.
class ValueListener {
 public:
  virtual ~ValueListener() = default;
  // The fields read next are the values of `spec`'s line, whose keyword
  // field began at `keyword`.
  virtual void LineValues(const KeywordSpec& spec, const FieldPosition& keyword) = 0;
  // Value `index` of that line has been read, beginning at `at`: a number,
  // or (for a text value) `text`.
  virtual void ValueRead(size_t index, const FieldPosition& at, int64_t number, const std::string* text) = 0;
};

// Where a field begins: 1-based line and column (in bytes).
struct FieldPosition {
  int line = 0;
  int column = 0;
  bool operator==(const FieldPosition&) const = default;
};

// How the last text field stood in the source, for the warnings.
struct TextShape {
  // Where the field began (its opening quote, when quoted).
  FieldPosition at;
  bool quoted = false;
  // Quoted: whether a closing quote was found, and where it stands.
  bool closed = true;
  FieldPosition closed_at;
  // Line ends inside the quotes.
  int line_ends = 0;
  // A value of a line that began on a later line than the value read
  // before it: the line ended before this text. Then `cut_line` holds
  // "line 13 ends after 16 of the 17 values of 'stazione'" and `cut_at`
  // the end of that line.
  std::string cut_line;
  FieldPosition cut_at;
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
  // How the text field read last stood in the source.
  const TextShape& last_text() const { return last_text_; }
  // The keyword field of the current line as the author wrote it, up to its
  // first comma or line end, unquoted and uncut.
  std::string_view KeywordText() const;
  // The text not yet read, from the reading position to the end, and the
  // line it begins on.
  std::string_view Unread() const { return at_ < text_.size() ? text_.substr(at_) : std::string_view(); }
  int UnreadLine() const {
    int line = last_field_.line;
    // A line end is CR LF, LF alone or CR alone.
    for (size_t i = last_field_offset_; i < at_ && i < text_.size(); ++i)
      line += text_[i] == '\n' || (text_[i] == '\r' && (i + 1 >= text_.size() || text_[i + 1] != '\n')) ? 1 : 0;
    return line;
  }
  // The bytes from `at` to the end of its line, which must be the line of
  // the field read last; empty for a place on another line.
  std::string_view LineFrom(FieldPosition at) const;

  // The fields read next are the values of `spec`'s line, in order, after
  // its keyword field (the field read last).
  void BeginValues(const KeywordSpec& spec) {
    // Outside a line's values the field read last is the line's keyword; a
    // keyword field that matches a second keyword keeps its own place.
    if (spec_ == nullptr) {
      keyword_at_ = last_field_;
      keyword_offset_ = last_field_offset_;
    }
    spec_ = &spec;
    values_spec_ = &spec;
    values_read_ = 0;
    line_anchor_ = last_field_offset_;
    anchor_at_ = last_field_;
    if (listener_ != nullptr) listener_->LineValues(spec, keyword_at_);
  }
  // `listener` (null: nobody) hears each line's values from now on.
  void Listen(ValueListener* listener) { listener_ = listener; }
  // The fields read next are keyword fields again.
  void EndValues() { spec_ = nullptr; }
  // Where the keyword field of the current line began.
  const FieldPosition& keyword_position() const { return keyword_at_; }
  // The keyword whose values were read last, and how many of them were
  // read: kept after EndValues, until the next line's values begin.
  const KeywordSpec* values_spec() const { return values_spec_; }
  size_t values_read() const { return values_read_; }
  // Where value `index` (0 for the first) of the current line began; line 0
  // when it has not been read.
  FieldPosition value_position(size_t index) const {
    return index < kMostValues && index < values_read_ ? value_at_[index] : FieldPosition{};
  }

 private:
  static constexpr size_t kMostValues = 17;

  int64_t ReadNumber(int64_t min, int64_t max, const char* type_name, ValueKind kind);
  // The reader reads the value the keyword table gives, as the table gives
  // it (checked where assertions are on).
  void ExpectValue(ValueKind kind) const;
  void FailIfAtEnd(const char* what) const {
    if (AtEnd()) FailAtEnd(what);
  }
  [[noreturn]] void FailAtEnd(const char* what) const;
  // A value has been read: its place is kept, and the line goes on from it.
  // `text` is the value of a text field; null for a number.
  void ValueRead(int64_t number, const std::string* text);
  // The text of the number-like field at `offset`, up to its delimiter.
  std::string TokenAt(size_t offset) const;
  // "the station kind (value 2 of 'stazione')"; "the value" outside a
  // line's values.
  std::string ValueName() const;
  // The keyword field of the current line as the author wrote it, quoted.
  std::string KeywordAsWritten() const;
  // The cause of a line whose values ran out: the line of the last value
  // read (or of its keyword) ends too soon. `found` says what stood where
  // the next value was sought; empty at the end of the file.
  [[noreturn]] void FailCutLine(const std::string& found) const;
  // The end of the line of the last value read (or of its keyword).
  FieldPosition EndOfValuesLine() const;
  // "line 13 ends after 16 of the 17 values of 'stazione'" for the line
  // ending at `cut`.
  std::string ValuesHeld(const FieldPosition& cut) const;
  // Whether the field about to be read stands on a later line than the
  // current line's last field.
  bool PastLineOfValues() const;
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
  size_t last_field_offset_ = 0;
  // The line being read: its keyword, how many of its values have been read
  // and where they began, and the offset of its last field read.
  const KeywordSpec* spec_ = nullptr;
  const KeywordSpec* values_spec_ = nullptr;
  size_t values_read_ = 0;
  size_t line_anchor_ = 0;
  FieldPosition anchor_at_;
  FieldPosition keyword_at_;
  size_t keyword_offset_ = 0;
  FieldPosition value_at_[kMostValues];
  TextShape last_text_;
  ValueListener* listener_ = nullptr;
};

}  // namespace scenario
