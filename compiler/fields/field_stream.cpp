#include "compiler/fields/field_stream.h"

#include <cassert>

#include "compiler/fields/keyword_table.h"
#include "compiler/fields/runtime_failure.h"

namespace scenario {

namespace {
constexpr size_t kMaxTextBytes = 65535;
constexpr int64_t kDigitsCap = int64_t{1} << 40;  // far beyond any field, still exact
// A field quoted in a message is cut to so many bytes.
constexpr size_t kMostQuoted = 40;

bool IsLineEnd(char c) { return c == '\r' || c == '\n'; }

std::string Quoted(std::string_view text) {
  if (text.size() <= kMostQuoted) return "'" + std::string(text) + "'";
  return "'" + std::string(text.substr(0, kMostQuoted)) + "...'";
}

std::string Where(const FieldPosition& at) {
  return " at line " + std::to_string(at.line) + ", column " + std::to_string(at.column);
}
}  // namespace

FieldPosition FieldStream::Here() const {
  return {line_, static_cast<int>(at_ - line_start_) + 1};
}

void FieldStream::Fail(const std::string& what) const { throw RuntimeFailure(what + Where(Here())); }

void FieldStream::FailAtEnd(const char* what) const {
  if (spec_ != nullptr) FailCutLine("");
  Fail(std::string("end of the file reached before ") + what);
}

bool FieldStream::AtBlank() const { return !AtEnd() && (text_[at_] == ' ' || text_[at_] == '\t'); }

bool FieldStream::AtLineEnd() const { return !AtEnd() && IsLineEnd(text_[at_]); }

void FieldStream::SkipBlanks() {
  while (AtBlank()) ++at_;
}

void FieldStream::ConsumeLineEnd() {
  if (text_[at_] == '\r' && at_ + 1 < text_.size() && text_[at_ + 1] == '\n') ++at_;
  ++at_;
  ++line_;
  line_start_ = at_;
}

void FieldStream::ConsumeDelimiter() {
  SkipBlanks();
  if (AtEnd()) return;
  if (text_[at_] == ',') {
    ++at_;
  } else if (AtLineEnd()) {
    ConsumeLineEnd();
  }
}

void FieldStream::MarkFieldStart() {
  last_field_ = Here();
  last_field_offset_ = at_;
}

void FieldStream::ValueRead(int64_t number, const std::string* text) {
  if (spec_ == nullptr) return;
  if (listener_ != nullptr) listener_->ValueRead(values_read_, last_field_, number, text);
  if (values_read_ < kMostValues) value_at_[values_read_] = last_field_;
  ++values_read_;
  line_anchor_ = last_field_offset_;
  anchor_at_ = last_field_;
}

std::string FieldStream::TokenAt(size_t offset) const {
  size_t end = offset;
  while (end < text_.size() && text_[end] != ',' && text_[end] != ' ' && text_[end] != '\t' &&
         !IsLineEnd(text_[end]))
    ++end;
  return std::string(text_.substr(offset, end - offset));
}

std::string FieldStream::KeywordAsWritten() const {
  size_t end = keyword_offset_;
  while (end < text_.size() && text_[end] != ',' && !IsLineEnd(text_[end])) ++end;
  while (end > keyword_offset_ && (text_[end - 1] == ' ' || text_[end - 1] == '\t')) --end;
  if (end == keyword_offset_ || text_[keyword_offset_] == '"') return std::string("'") + spec_->keyword + "'";
  return Quoted(text_.substr(keyword_offset_, end - keyword_offset_));
}

std::string FieldStream::ValueName() const {
  if (spec_ == nullptr || values_read_ >= spec_->values.size()) return "the value";
  return std::string(spec_->values[values_read_].name) + " (value " + std::to_string(values_read_ + 1) + " of " +
         KeywordAsWritten() + ")";
}

bool FieldStream::PastLineOfValues() const {
  if (spec_ == nullptr || last_field_offset_ < line_anchor_) return false;
  for (size_t i = line_anchor_; i < last_field_offset_; ++i)
    if (IsLineEnd(text_[i])) return true;
  return false;
}

std::string_view FieldStream::KeywordText() const {
  size_t end = keyword_offset_;
  while (end < text_.size() && text_[end] != ',' && !IsLineEnd(text_[end])) ++end;
  return text_.substr(keyword_offset_, end - keyword_offset_);
}

std::string_view FieldStream::LineFrom(FieldPosition at) const {
  if (at.line != last_field_.line || at.column < 1 || last_field_.column < 1) return {};
  const size_t line_start = last_field_offset_ - static_cast<size_t>(last_field_.column - 1);
  const size_t start = line_start + static_cast<size_t>(at.column - 1);
  if (start > text_.size()) return {};
  size_t end = start;
  while (end < text_.size() && !IsLineEnd(text_[end])) ++end;
  return text_.substr(start, end - start);
}

FieldPosition FieldStream::EndOfValuesLine() const {
  // The cut line is the line of the last field of this line that was read:
  // its end is where the missing values belong.
  size_t end = line_anchor_;
  while (end < text_.size() && !IsLineEnd(text_[end])) ++end;
  const size_t line_start = line_anchor_ - static_cast<size_t>(anchor_at_.column - 1);
  return {anchor_at_.line, static_cast<int>(end - line_start) + 1};
}

std::string FieldStream::ValuesHeld(const FieldPosition& cut) const {
  const size_t wanted = spec_->values.size();
  const size_t had = values_read_ < wanted ? values_read_ : wanted;
  const std::string keyword = KeywordAsWritten();
  std::string held = "line " + std::to_string(cut.line);
  if (had == 0 && wanted == 1)
    held += " holds no value for " + keyword;
  else if (had == 0)
    held += " holds none of the " + std::to_string(wanted) + " values of " + keyword;
  else
    held += " ends after " + std::to_string(had) + " of the " + std::to_string(wanted) + " values of " + keyword;
  return held;
}

void FieldStream::FailCutLine(const std::string& found) const {
  const FieldPosition cut = EndOfValuesLine();
  const size_t wanted = spec_->values.size();
  const size_t had = values_read_ < wanted ? values_read_ : wanted;
  std::string cause = ValuesHeld(cut);
  // Values separated by semicolons or tabs make one long keyword field.
  const std::string_view written = KeywordText();
  if (had == 0 && (written.find(';') != std::string_view::npos || written.find('\t') != std::string_view::npos)) {
    const bool semicolons = written.find(';') != std::string_view::npos;
    cause += std::string(": its values are separated by ") + (semicolons ? "semicolons" : "tabs") +
             ", and only commas separate values, so the whole line was read as its keyword field: write a comma "
             "after the keyword and between the values";
    RuntimeFailure failure("a line cut short" + Where(cut));
    failure.SetCause(keyword_at_, cause);
    throw failure;
  }
  if (found.empty())
    cause += " and the file ends there";
  else
    cause += " (the next field, " + Quoted(found) + " on line " + std::to_string(last_field_.line) +
             ", is not a number)";
  const std::string next_name = had < wanted ? spec_->values[had].name : "the value";
  if (wanted - had == 1)
    cause += ": write its last value, " + next_name;
  else
    cause += ": write the missing values, from " + next_name + " on";
  if (found.empty()) cause += ", and end the file with a line such as [fine]";

  RuntimeFailure failure("a line cut short" + Where(cut));
  failure.SetCause(cut, cause);
  throw failure;
}

void FieldStream::ExpectValue([[maybe_unused]] ValueKind kind) const {
  assert(spec_ == nullptr ||
         (values_read_ < spec_->values.size() && spec_->values[values_read_].type == kind));
}

std::string FieldStream::ReadText() {
  ExpectValue(ValueKind::Text);
  FailIfAtEnd("a text field");
  SkipBlanks();
  MarkFieldStart();
  last_text_ = TextShape{};
  last_text_.at = last_field_;
  if (spec_ != nullptr && values_read_ > 0 && last_field_.line > anchor_at_.line) {
    last_text_.cut_at = EndOfValuesLine();
    last_text_.cut_line = ValuesHeld(last_text_.cut_at);
  }
  std::string field;
  if (!AtEnd() && text_[at_] == '"') {
    last_text_.quoted = true;
    ++at_;
    size_t close = text_.find('"', at_);
    size_t end = close == std::string_view::npos ? text_.size() : close;
    field.assign(text_.substr(at_, end - at_));
    // Line ends inside the quotes still count as lines.
    for (size_t i = at_; i < end; ++i) {
      bool line_end = text_[i] == '\n' || (text_[i] == '\r' && !(i + 1 < end && text_[i + 1] == '\n'));
      if (line_end) {
        ++line_;
        line_start_ = i + 1;
        ++last_text_.line_ends;
      }
    }
    last_text_.closed = close != std::string_view::npos;
    last_text_.closed_at = {line_, static_cast<int>(end - line_start_) + 1};
    at_ = close == std::string_view::npos ? end : end + 1;
    ConsumeDelimiter();
  } else {
    size_t start = at_;
    while (!AtEnd() && text_[at_] != ',' && !AtLineEnd()) ++at_;
    size_t end = at_;
    while (end > start && (text_[end - 1] == ' ' || text_[end - 1] == '\t')) --end;
    field.assign(text_.substr(start, end - start));
    if (!AtEnd()) {
      if (text_[at_] == ',')
        ++at_;
      else
        ConsumeLineEnd();
    }
  }
  if (field.size() > kMaxTextBytes) {
    RuntimeFailure failure("a text field longer than 65535 bytes" + Where(last_field_));
    failure.SetCause(last_field_, ValueName() + " on line " + std::to_string(last_field_.line) + " is " +
                                      std::to_string(field.size()) +
                                      " bytes long; at most 65535 fit: shorten it");
    throw failure;
  }
  ValueRead(0, &field);
  return field;
}

int64_t FieldStream::ReadNumber(int64_t min, int64_t max, const char* type_name, ValueKind kind) {
  ExpectValue(kind);
  FailIfAtEnd("a number field");
  while (AtBlank() || AtLineEnd()) {
    if (AtBlank())
      ++at_;
    else
      ConsumeLineEnd();
  }
  MarkFieldStart();
  FailIfAtEnd("a number");
  if (text_[at_] == ',') {  // an empty field
    ++at_;
    ValueRead(0, nullptr);
    return 0;
  }
  bool negative = false;
  if (text_[at_] == '+' || text_[at_] == '-') {
    negative = text_[at_] == '-';
    ++at_;
  }
  int64_t value = 0;
  size_t digits = 0;
  while (!AtEnd() && text_[at_] >= '0' && text_[at_] <= '9') {
    if (value < kDigitsCap) value = value * 10 + (text_[at_] - '0');
    ++at_;
    ++digits;
  }
  const bool ends_well = !AtEnd() && (text_[at_] == ',' || AtBlank() || AtLineEnd());
  if (digits == 0 || !(AtEnd() || ends_well)) {
    const std::string token = TokenAt(last_field_offset_);
    if (digits == 0 && AtEnd() && token.empty()) FailIfAtEnd("a number");
    // A field on a later line than the line's values: that line ended
    // before all its values were given.
    if (PastLineOfValues()) FailCutLine(token);
    std::string what = AtEnd() ? "end of the file reached inside a number"
                               : std::string("a number expected, '") + text_[at_] + "' found";
    RuntimeFailure failure(what + Where(Here()));
    const bool decimal = digits > 0 && (text_[at_] == '.' || text_[at_] == 'e' || text_[at_] == 'E');
    // A sign with blanks after it: "- 18".
    size_t after_sign = last_field_offset_ + 1;
    while (after_sign < text_.size() && (text_[after_sign] == ' ' || text_[after_sign] == '\t')) ++after_sign;
    const bool sign_apart = digits == 0 && (token == "-" || token == "+") && after_sign > last_field_offset_ + 1 &&
                            after_sign < text_.size() && text_[after_sign] >= '0' && text_[after_sign] <= '9';
    // A time written with colons: "7:11:30".
    const bool clock = digits > 0 && text_[at_] == ':';
    if (sign_apart) {
      const std::string number = token + TokenAt(after_sign);
      failure.SetCause(last_field_,
                       Quoted(std::string(text_.substr(last_field_offset_, after_sign - last_field_offset_)) + TokenAt(after_sign)) +
                           " has a blank after its sign, and a sign alone is not a number: write " + ValueName() +
                           " as " + number + ", the sign against the digits",
                       SourceEdit{"Write " + number, last_field_, EditReach::Field, number});
    } else if (clock) {
      std::string parts;
      for (char c : token) parts += c == ':' ? std::string(", ") : std::string(1, c);
      failure.SetCause(last_field_, Quoted(token) + " is not a number: a time is written as three values, hours, "
                                                    "minutes and seconds, with commas between them: write " +
                                        parts);
    } else if (decimal) {
      failure.SetCause(last_field_, Quoted(token) + " is not a whole number: write " + ValueName() +
                                        " in whole units, without a decimal point or an exponent");
    } else {
      failure.SetCause(last_field_, Quoted(token) + " is not a number: write " + ValueName() + " in digits");
    }
    throw failure;
  }
  if (negative) value = -value;
  if (value < min || value > max) {
    RuntimeFailure failure(std::string("a value outside ") + type_name + Where(last_field_));
    const std::string range = std::to_string(min) + " to " + std::to_string(max);
    failure.SetCause(last_field_, TokenAt(last_field_offset_) + " does not fit " + ValueName() + ", " + type_name +
                                      " from " + range + ": write a number from " + range);
    throw failure;
  }
  ConsumeDelimiter();
  ValueRead(value, nullptr);
  return value;
}

uint8_t FieldStream::ReadByte() { return static_cast<uint8_t>(ReadNumber(0, 255, "a Byte", ValueKind::Byte)); }

int16_t FieldStream::ReadInteger() {
  return static_cast<int16_t>(ReadNumber(-32768, 32767, "an Integer", ValueKind::Integer));
}

int32_t FieldStream::ReadLong() {
  return static_cast<int32_t>(ReadNumber(-2147483648LL, 2147483647LL, "a Long", ValueKind::Long));
}

}  // namespace scenario
