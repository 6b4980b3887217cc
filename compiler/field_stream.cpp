#include "compiler/field_stream.h"

#include "compiler/runtime_failure.h"

namespace scenario {

namespace {
constexpr size_t kMaxTextBytes = 65535;
constexpr int64_t kDigitsCap = int64_t{1} << 40;  // far beyond any field, still exact
}  // namespace

FieldPosition FieldStream::Here() const {
  return {line_, static_cast<int>(at_ - line_start_) + 1};
}

void FieldStream::Fail(const std::string& what) const {
  FieldPosition here = Here();
  throw RuntimeFailure(what + " at line " + std::to_string(here.line) + ", column " +
                       std::to_string(here.column));
}

void FieldStream::FailIfAtEnd(const char* what) const {
  if (AtEnd()) Fail(std::string("end of the file reached before ") + what);
}

bool FieldStream::AtBlank() const { return !AtEnd() && (text_[at_] == ' ' || text_[at_] == '\t'); }

bool FieldStream::AtLineEnd() const { return !AtEnd() && (text_[at_] == '\r' || text_[at_] == '\n'); }

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

void FieldStream::MarkFieldStart() { last_field_ = Here(); }

std::string FieldStream::ReadText() {
  FailIfAtEnd("a text field");
  SkipBlanks();
  MarkFieldStart();
  std::string field;
  if (!AtEnd() && text_[at_] == '"') {
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
      }
    }
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
    throw RuntimeFailure("a text field longer than 65535 bytes at line " +
                         std::to_string(last_field_.line) + ", column " +
                         std::to_string(last_field_.column));
  }
  return field;
}

int64_t FieldStream::ReadNumber(int64_t min, int64_t max, const char* type_name) {
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
  if (digits == 0) {
    if (AtEnd()) Fail("end of the file reached inside a number");
    Fail(std::string("a number expected, '") + text_[at_] + "' found");
  }
  if (!AtEnd() && text_[at_] != ',' && !AtBlank() && !AtLineEnd())
    Fail(std::string("a number expected, '") + text_[at_] + "' found inside it");
  if (negative) value = -value;
  if (value < min || value > max) {
    throw RuntimeFailure(std::string("a value outside ") + type_name + " at line " +
                         std::to_string(last_field_.line) + ", column " +
                         std::to_string(last_field_.column));
  }
  ConsumeDelimiter();
  return value;
}

uint8_t FieldStream::ReadByte() { return static_cast<uint8_t>(ReadNumber(0, 255, "a Byte")); }

int16_t FieldStream::ReadInteger() {
  return static_cast<int16_t>(ReadNumber(-32768, 32767, "an Integer"));
}

int32_t FieldStream::ReadLong() {
  return static_cast<int32_t>(ReadNumber(-2147483648LL, 2147483647LL, "a Long"));
}

}  // namespace scenario
