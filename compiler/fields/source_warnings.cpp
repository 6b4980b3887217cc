#include "compiler/fields/source_warnings.h"

#include "compiler/fields/reading_rules.h"
#include "encoding/text_encoding.h"

#include <algorithm>
#include <vector>

namespace scenario {

namespace {

constexpr const char* kLineKeywords[] = {
    "lunghezza percorso", "progressiva chilometrica uno", "progressiva chilometrica due",
    "progressiva chilometrica tre", "sfondo uno", "sfondo due", "sfondo tre",
    "ripetizione segnali 4 codici", "ripetizione segnali 9 codici", "curvas1", "curvas2", "curvas3",
    "curvas4", "curvas5", "curvas6", "curvad1", "curvad2", "curvad3", "curvad4", "curvad5", "curvad6",
    "pendenza", "montagna", "indicatori_vmax", "cartello_indicatore"};
constexpr const char* kLineHeaders[] = {"generale", "curve",    "pendenze",   "montagne",
                                        "cartelli", "indicazioni", "fine"};
constexpr const char* kTrainKeywords[] = {"numero vetture", "percentuale massa frenata", "sabbia", "orologio",
                                          "aderenza",       "velocita",                  "stazione", "rallentamento",
                                          "segnale",        "abbattimento"};
constexpr const char* kTrainHeaders[] = {"generale", "aderenze", "vel_limite", "stazioni",
                                         "rallentamenti", "segnali", "codici", "fine"};

char Lower(char c) { return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c; }

std::string LowerCase(std::string_view text) {
  std::string lower(text);
  for (char& c : lower) c = Lower(c);
  return lower;
}

std::string_view Trimmed(std::string_view text) {
  const size_t first = text.find_first_not_of(" \t");
  if (first == std::string_view::npos) return {};
  const size_t last = text.find_last_not_of(" \t");
  return text.substr(first, last - first + 1);
}

size_t EditDistance(std::string_view a, std::string_view b) {
  std::vector<size_t> row(b.size() + 1);
  for (size_t j = 0; j <= b.size(); ++j) row[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    size_t diagonal = row[0];
    row[0] = i;
    for (size_t j = 1; j <= b.size(); ++j) {
      const size_t above = row[j];
      row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
      diagonal = above;
    }
  }
  return row[b.size()];
}

bool IsNumber(std::string_view field) {
  field = Trimmed(field);
  if (!field.empty() && (field[0] == '+' || field[0] == '-')) field.remove_prefix(1);
  return !field.empty() && std::all_of(field.begin(), field.end(), [](char c) { return c >= '0' && c <= '9'; });
}

bool Known(std::span<const char* const> words, std::string_view word) {
  return std::any_of(words.begin(), words.end(), [&](const char* known) { return word == known; });
}

// A text as a message quotes it: long ones shortened.
std::string Quoted(std::string_view text) {
  constexpr size_t kMost = 40;
  if (text.size() <= kMost) return "'" + std::string(text) + "'";
  return "'" + std::string(text.substr(0, kMost)) + "...'";
}

std::string LineColumn(const FieldPosition& at) {
  return "line " + std::to_string(at.line) + ", column " + std::to_string(at.column);
}

}  // namespace

const char* WarningKindName(WarningKind kind) {
  switch (kind) {
    case WarningKind::UnknownKeyword: return "unknown-keyword";
    case WarningKind::GeneralSection: return "general-section";
    case WarningKind::TextCut: return "text-cut";
    case WarningKind::WrongSection: return "wrong-section";
    case WarningKind::PositionBack: return "position-back";
    case WarningKind::CurveOverlap: return "curve-overlap";
    case WarningKind::CaptionRecordZero: return "caption-record-zero";
    case WarningKind::CellReplaced: return "cell-replaced";
    case WarningKind::NegativeLength: return "negative-length";
    case WarningKind::LowBits: return "low-bits";
    case WarningKind::EmptyService: return "empty-service";
    case WarningKind::RunOut: return "run-out";
    case WarningKind::TimetableBack: return "timetable-back";
    case WarningKind::Utf8Text: return "utf8-text";
    case WarningKind::ValueReplaced: return "value-replaced";
    case WarningKind::Utf8Name: return "utf8-name";
    case WarningKind::OpenQuote: return "open-quote";
    case WarningKind::ShortLine: return "short-line";
    case WarningKind::CommentRead: return "comment-read";
    case WarningKind::MarkerCell: return "marker-cell";
    case WarningKind::ValueRange: return "value-range";
    case WarningKind::KeywordRead: return "keyword-read";
    case WarningKind::ZonesCleared: return "zones-cleared";
    case WarningKind::LastLine: return "last-line";
    case WarningKind::MountainType: return "mountain-type";
    case WarningKind::FirstStep: return "first-step";
    case WarningKind::NoWarningBoard: return "no-warning-board";
    case WarningKind::MarksReplaced: return "marks-replaced";
    case WarningKind::CellRules: return "cell-rules";
    case WarningKind::SeveralKeywords: return "several-keywords";
    case WarningKind::UnknownCode: return "unknown-code";
    case WarningKind::ValueDropped: return "value-dropped";
    case WarningKind::ValueLeftOver: return "value-left-over";
    case WarningKind::Separator: return "separator";
  }
  return "unknown";
}

const SourceVocabulary& LineVocabulary() {
  static const SourceVocabulary vocabulary{"the line description", kLineKeywords, kLineHeaders};
  return vocabulary;
}

const SourceVocabulary& TrainVocabulary() {
  static const SourceVocabulary vocabulary{"the train service", kTrainKeywords, kTrainHeaders};
  return vocabulary;
}

std::string ClosestKeyword(std::string_view field, std::span<const char* const> keywords) {
  const std::string lower = LowerCase(Trimmed(field));
  std::string best;
  size_t best_distance = 0;
  for (const char* keyword : keywords) {
    const std::string_view candidate(keyword);
    // Close enough to be a slip of the keyboard: at most two edits, and
    // fewer than a third of the keyword's letters. Lengths further apart
    // than two take more edits than that, and a long field is not compared
    // letter by letter with every keyword.
    const size_t longer = std::max(lower.size(), candidate.size());
    const size_t shorter = std::min(lower.size(), candidate.size());
    if (longer - shorter > 2) continue;
    const size_t distance = EditDistance(lower, candidate);
    if (distance > 2 || distance * 3 >= candidate.size()) continue;
    if (best.empty() || distance < best_distance) {
      best = keyword;
      best_distance = distance;
    }
  }
  return best;
}

std::string HeaderName(std::string_view field) {
  field = Trimmed(field);
  const size_t open = field.find('[');
  const size_t close = field.find(']');
  if (open == std::string_view::npos || close == std::string_view::npos || close < open) return {};
  return LowerCase(Trimmed(field.substr(open + 1, close - open - 1)));
}

void SourceWarnings::Warn(FieldPosition at, WarningKind kind, std::string message, std::optional<SourceEdit> fix) {
  if (at.line > 0) last_warned_line_ = at.line;
  observer_.Warn(ReadingWarning{file_, at, kind, std::move(message), std::move(fix)});
}

void SourceWarnings::WarnQuote(const TextShape& shape) {
  if (!shape.quoted) return;
  if (!shape.closed) {
    // A file that ends with a line end has its last line before it.
    const int last_line =
        shape.closed_at.column == 1 && shape.line_ends > 0 ? shape.closed_at.line - 1 : shape.closed_at.line;
    std::string swallowed = "nothing after it is read";
    if (last_line == shape.at.line + 1)
      swallowed = "line " + std::to_string(last_line) + " is read as part of the text, not as a line of its own";
    else if (last_line > shape.at.line + 1)
      swallowed = "lines " + std::to_string(shape.at.line + 1) + " to " + std::to_string(last_line) +
                  " are read as part of the text, not as lines of their own";
    Warn(shape.at, WarningKind::OpenQuote,
         "the double quote at " + LineColumn(shape.at) + " is never closed: the text runs on to the end of the file, and " +
             swallowed + ": close the quote on line " + std::to_string(shape.at.line));
  } else if (shape.line_ends > 0) {
    Warn(shape.at, WarningKind::OpenQuote,
         "the double quote at " + LineColumn(shape.at) + " opens a text that runs over " +
             std::to_string(shape.line_ends) + (shape.line_ends == 1 ? " line end" : " line ends") +
             " to its closing quote at " + LineColumn(shape.closed_at) +
             ": the lines between are read as part of the text, not as lines of their own; close the quote on "
             "line " + std::to_string(shape.at.line));
  }
}

void SourceWarnings::CommentTaken(std::string_view field, FieldPosition at, int passed) {
  if (WarnedOnLine(at.line)) return;
  Warn(at, WarningKind::CommentRead,
       Quoted(Trimmed(field)) + " holds a hyphen, as a comment does, but " + std::to_string(passed) +
           " comment fields in a row stand before it, and only so many are passed over here: it is read as a "
           "keyword field, and any keyword inside it is read with its values; put fewer comment lines in a row, "
           "or join them into one");
}

void SourceWarnings::KeywordRead(std::string_view field, const FieldStream& stream) {
  WarnQuote(stream.last_text());
  if (WarnTextCut(field, stream)) return;
  if (WarnLeftOver(field, stream)) return;
  WarnHeaderRead(field, stream);
  // A field that ends the file is told as such (it is never read).
  if (!stream.AtEnd()) WarnSeparators(field, stream);
}

bool SourceWarnings::WarnTextCut(std::string_view field, const FieldStream& stream) {
  const FieldPosition at = stream.last_text().at;
  if (text_line_ == 0) return false;
  const int line = text_line_;
  text_line_ = 0;
  if (at.line != line) return false;
  // The fix: the text and the rest of its line, in double quotes, when no
  // quote stands in them already.
  std::optional<SourceEdit> fix;
  std::string_view cut = stream.LineFrom(text_at_);
  while (!cut.empty() && (cut.back() == ' ' || cut.back() == '\t')) cut.remove_suffix(1);
  if (!cut.empty() && cut.find('"') == std::string_view::npos)
    fix = SourceEdit{"Put the text in double quotes", text_at_, EditReach::LineEnd, "\"" + std::string(cut) + "\""};
  Warn(text_at_, WarningKind::TextCut,
       "the " + text_what_ + " " + Quoted(text_) + " ends at a comma; the rest of the line, from " +
           Quoted(Trimmed(field)) + ", is read as further fields and skipped: write the " + text_what_ +
           " in double quotes to keep its comma",
       std::move(fix));
  return true;
}

bool SourceWarnings::WarnLeftOver(std::string_view field, const FieldStream& stream) {
  const FieldPosition at = stream.last_field();
  const KeywordSpec* spec = stream.values_spec();
  const size_t read = stream.values_read();
  if (spec == nullptr || read == 0 || at.line == quiet_line_ || at.line == left_over_line_) return false;
  const FieldPosition last = stream.value_position(read - 1);
  // Only a number that stands on the line of the values, after the last of
  // them: words are told as unknown keywords, comments are the author's.
  if (last.line != at.line || last.column >= at.column) return false;
  const std::string_view word = Trimmed(field);
  if (!IsNumber(word)) return false;
  left_over_line_ = at.line;
  const std::string_view line = stream.LineFrom(FieldPosition{at.line, 1});
  const std::string keyword = "'" + std::string(spec->keyword) + "'";
  // A decimal comma: a number whose digits run into a comma and straight on
  // into the digits of the next field, on a line whose other commas have a
  // blank after them.
  const bool spaced = line.find(", ") != std::string_view::npos || line.find(",\t") != std::string_view::npos;
  for (size_t i = 0; spaced && i < read; ++i) {
    const FieldPosition value = stream.value_position(i);
    if (value.line != at.line || value.column < 1) continue;
    size_t end = static_cast<size_t>(value.column - 1);
    if (end < line.size() && (line[end] == '-' || line[end] == '+')) ++end;
    const size_t digits = end;
    while (end < line.size() && line[end] >= '0' && line[end] <= '9') ++end;
    if (end == digits || end + 1 >= line.size() || line[end] != ',' || line[end + 1] < '0' || line[end + 1] > '9')
      continue;
    const FieldPosition next = i + 1 < read ? stream.value_position(i + 1) : at;
    if (next.line != at.line || next.column != static_cast<int>(end) + 2) continue;
    size_t decimals_end = end + 1;
    while (decimals_end < line.size() && line[decimals_end] >= '0' && line[decimals_end] <= '9') ++decimals_end;
    const std::string whole(line.substr(static_cast<size_t>(value.column - 1), end - static_cast<size_t>(value.column - 1)));
    const std::string decimals(line.substr(end + 1, decimals_end - end - 1));
    const std::string written = whole + "," + decimals;
    if (i + 1 == read) {
      // The decimals are the field left over: the value itself was read
      // whole. Dropping them is sure when nothing follows on the line.
      std::optional<SourceEdit> fix;
      if (Trimmed(line.substr(decimals_end)).empty())
        fix = SourceEdit{"Write " + whole, FieldPosition{at.line, static_cast<int>(end) + 1}, EditReach::LineEnd, ""};
      Warn(value, WarningKind::ValueLeftOver,
           "values are whole numbers: " + Quoted(written) + " was read as " + whole + ", and " + decimals +
               " was skipped: write a whole number, without the comma",
           std::move(fix));
    } else {
      Warn(value, WarningKind::ValueLeftOver,
           "values are whole numbers: " + Quoted(written) + " was read as " + whole + ", and " + decimals + " as " +
               spec->values[i + 1].name + ", the next value of " + keyword +
               "; each value after it moved one place on, and " + Quoted(word) +
               " is left over and skipped: write a whole number, without the comma");
    }
    return true;
  }
  std::string names;
  for (size_t i = 0; i < spec->values.size(); ++i) names += std::string(i == 0 ? "" : ", ") + spec->values[i].name;
  Warn(at, WarningKind::ValueLeftOver,
       "line " + std::to_string(at.line) + " holds more values than " + keyword + " reads (" +
           std::to_string(spec->values.size()) + ": " + names + "): " + Quoted(word) +
           " is left over, and it is skipped with any field after it; remove the value too many, or join a number "
           "that a comma split in two");
  return true;
}

bool SourceWarnings::GeneralMisspelt(std::string_view field, FieldPosition at) {
  const std::string header = HeaderName(field);
  if (header.empty() || header == "generale") return false;
  constexpr const char* kGeneral[] = {"generale"};
  if (ClosestKeyword(header, kGeneral).empty()) return false;
  Warn(at, WarningKind::UnknownKeyword,
       "unknown section header " + Quoted(Trimmed(field)) + "; did you mean '[generale]'? " +
           "T" + std::string(vocabulary_.file_title).substr(1) + " is read from its [generale] line on, and every line before it "
           "is skipped",
       SourceEdit{"Write '[generale]'", at, EditReach::Field, "[generale]"});
  return true;
}

void SourceWarnings::WarnHeaderRead(std::string_view field, const FieldStream& stream) {
  const std::string header = HeaderName(field);
  const FieldPosition at = stream.last_field();
  if (header.empty() || Known(vocabulary_.headers, header) || WarnedOnLine(at.line) || at.line == quiet_line_) return;
  const SourceFile file =
      &vocabulary_ == &LineVocabulary() ? SourceFile::LineDescription : SourceFile::TrainService;
  const KeywordSpec* spec = RecogniseKeyword(file, field);
  if (spec == nullptr) return;
  std::string message = Quoted(Trimmed(field)) + " is no section header of " + vocabulary_.file_title;
  const std::string closest = ClosestKeyword(header, vocabulary_.headers);
  std::optional<SourceEdit> fix;
  if (!closest.empty()) {
    message += " (did you mean '[" + closest + "]'?)";
    fix = SourceEdit{"Write '[" + closest + "]'", at, EditReach::Field, "[" + closest + "]"};
  }
  message += ", and it holds the keyword '" + std::string(spec->keyword) + "': it is read as a '" +
             spec->keyword + "' line, and the fields after it, on the next lines, are taken as its values";
  Warn(at, WarningKind::UnknownKeyword, message, std::move(fix));
  section_ = header;
  section_known_ = false;
}

void SourceWarnings::WarnSeparators(std::string_view field, const FieldStream& stream) {
  const FieldPosition at = stream.last_field();
  const std::string_view written = Trimmed(field);
  if (written.empty() || written[0] == '"' || written[0] == '[' || WarnedOnLine(at.line) || at.line == quiet_line_)
    return;
  const std::string lower = LowerCase(written);
  const size_t separator = lower.find_first_of(";\t");
  if (separator != std::string::npos) {
    // Values separated by semicolons or tabs make one long keyword field.
    const std::string first = LowerCase(Trimmed(written.substr(0, separator)));
    if (!Known(vocabulary_.keywords, first)) return;
    const bool semicolons = written[separator] == ';';
    std::string mended;
    for (size_t i = 0; i < written.size(); ++i) {
      if (written[i] != ';' && written[i] != '\t') {
        mended += written[i];
        continue;
      }
      mended += ',';
      if (i + 1 < written.size() && written[i + 1] != ' ' && written[i + 1] != '\t' && written[i + 1] != ';')
        mended += ' ';
    }
    Warn(at, WarningKind::Separator,
         "the values of '" + first + "' are separated by " + (semicolons ? "semicolons" : "tabs") +
             ", and only commas separate values: the whole line is read as one keyword field" +
             (IsComment(written) ? ", which holds a hyphen and is skipped as a comment" : "") +
             "; write a comma after the keyword and between the values",
         SourceEdit{"Separate the values with commas", at, EditReach::Field, mended});
    return;
  }
  // A keyword, blanks, then a number: the comma after the keyword is missing.
  for (const char* keyword : vocabulary_.keywords) {
    const std::string_view name(keyword);
    if (lower.size() <= name.size() || lower.compare(0, name.size(), name) != 0) continue;
    const char after = lower[name.size()];
    if (after != ' ' && after != '\t') continue;
    const std::string_view rest = Trimmed(std::string_view(written).substr(name.size()));
    const size_t number = rest.find_first_not_of("+-") == std::string_view::npos ? 0 : rest.find_first_not_of("+-");
    if (rest.empty() || number > 1 || rest[number] < '0' || rest[number] > '9') continue;
    const std::string keyword_written(written.substr(0, name.size()));
    const std::string value(rest.substr(0, rest.find_first_of(" \t")));
    Warn(at, WarningKind::Separator,
         "no comma after the keyword '" + std::string(name) + "': " + Quoted(value) +
             " is read as part of the keyword field" +
             (IsComment(written) ? ", which holds a hyphen and is skipped as a comment" : "") +
             ", and the values are sought in the fields after it; write a comma after '" + keyword_written + "'",
         SourceEdit{"Write a comma after '" + keyword_written + "'", at, EditReach::Field,
                    keyword_written + "," + std::string(written.substr(name.size()))});
    return;
  }
}

void SourceWarnings::TextRead(std::string_view what, std::string_view text, const TextShape& shape) {
  const FieldPosition at = shape.at;
  WarnQuote(shape);
  if (!shape.cut_line.empty()) {
    // The rest of the line the text was taken from is read as keyword
    // fields: the line is lost, and that is all there is to say about it.
    Warn(shape.cut_at, WarningKind::ShortLine,
         shape.cut_line + "; its " + std::string(what) + " is taken from line " + std::to_string(at.line) + ", " +
             Quoted(text) + ", and line " + std::to_string(at.line) + " is lost: write the " + std::string(what) +
             " at the end of line " + std::to_string(shape.cut_at.line));
    quiet_line_ = at.line;
    text_line_ = 0;
    return;
  }
  text_line_ = at.line;
  text_what_ = what;
  text_ = text;
  text_at_ = at;
  if (LooksLikeUtf8(text))
    Warn(at, WarningKind::Utf8Text,
         "the " + std::string(what) + " " + Quoted(text) +
             " looks like UTF-8: the sources are read as Windows-1252, one byte per letter, so its "
             "accented letters will show as two odd letters each; save the file as Windows-1252");
}

void SourceWarnings::Unrecognised(std::string_view field, FieldPosition at) {
  const std::string_view word = Trimmed(field);
  if (word.empty() || at.line == quiet_line_ || WarnedOnLine(at.line)) return;
  const std::string header = HeaderName(word);
  if (!header.empty()) {
    section_ = header;
    section_known_ = Known(vocabulary_.headers, header);
    if (section_known_) return;
    std::string message = "unknown section header " + Quoted(word);
    const std::string closest = ClosestKeyword(header, vocabulary_.headers);
    std::optional<SourceEdit> fix;
    if (!closest.empty()) {
      message += "; did you mean '[" + closest + "]'?";
      fix = SourceEdit{"Write '[" + closest + "]'", at, EditReach::Field, "[" + closest + "]"};
    }
    Warn(at, WarningKind::UnknownKeyword, message, std::move(fix));
    return;
  }
  if (IsNumber(word)) {
    Warn(at, WarningKind::UnknownKeyword,
         "the value " + Quoted(word) +
             " stands where a keyword is expected and is skipped: the line holds more values than its "
             "keyword reads, or its keyword is misspelt");
    return;
  }
  const std::string lower = LowerCase(word);
  if (Known(vocabulary_.keywords, lower)) {
    Warn(at, WarningKind::UnknownKeyword,
         Quoted(word) + " is not recognised with its capital letters, and it is skipped with its values: write '" +
             lower + "'",
         SourceEdit{"Write '" + lower + "'", at, EditReach::Field, lower});
    return;
  }
  // A line of the other source.
  const bool line_file = &vocabulary_ == &LineVocabulary();
  const SourceFile other = line_file ? SourceFile::TrainService : SourceFile::LineDescription;
  if (const KeywordSpec* spec = RecogniseKeyword(other, word)) {
    const SourceVocabulary& there = line_file ? TrainVocabulary() : LineVocabulary();
    Warn(at, WarningKind::UnknownKeyword,
         Quoted(word) + " is a keyword of " + there.file_title + ", not of " + vocabulary_.file_title +
             ": here it is skipped with its values; it belongs in " + there.file_title + ", under [" + spec->section +
             "]");
    return;
  }
  std::string message = Quoted(word) + " is no keyword of " + vocabulary_.file_title +
                        "; it is skipped, and so are the values after it";
  const std::string closest = ClosestKeyword(word, vocabulary_.keywords);
  std::optional<SourceEdit> fix;
  if (!closest.empty()) {
    message += " (did you mean '" + closest + "'?)";
    fix = SourceEdit{"Write '" + closest + "'", at, EditReach::Field, closest};
  }
  Warn(at, WarningKind::UnknownKeyword, message, std::move(fix));
}

void SourceWarnings::NumberRead(size_t index, FieldPosition at, int64_t number) {
  const KeywordSpec* spec = line_spec_;
  if (spec == nullptr) return;
  if (line_numbers_.size() == index) line_numbers_.push_back(number);
  if (spec == &keyword::kLunghezzaPercorso && index == 0) observer_.line_length = number;
  const std::string keyword = "'" + std::string(spec->keyword) + "'";
  // A place in kilometres: an item from 1 to 999 m after one of its kind
  // beyond 1000 m, which in kilometres would stand after it and within the
  // route (the line and its 7000 m run-out). Steps and stations are told
  // out of order by their own warnings and errors.
  const bool ordered_elsewhere = spec == &keyword::kVelocita || spec == &keyword::kAderenza ||
                                 spec == &keyword::kPendenza || spec == &keyword::kStazione;
  if (index == 0 && spec->first == FirstValue::Place && !ordered_elsewhere) {
    const auto before = last_place_.find(spec);
    if (before != last_place_.end() && before->second.first >= 1000 && number > 0 && number < 1000 &&
        number * 1000 >= before->second.first && number * 1000 <= observer_.line_length + 7000)
      Warn(at, WarningKind::ValueRange,
           "the " + keyword + " line at " + std::to_string(number) + " m comes after the one at " +
               std::to_string(before->second.first) + " m (line " + std::to_string(before->second.second) +
               "): places are in metres, and " + std::to_string(number) + " reads like kilometres; write " +
               std::to_string(number * 1000) + " if that is the place meant");
    // Else, whatever stands before it: a place under
    // 100 m that is no multiple of 25, where items seldom stand and a few
    // kilometres are a usual place, and which in kilometres lies within
    // the route. A curve may well begin right at the route's start.
    else if (spec != &keyword::kCurva && number > 0 && number < 100 &&
             number % 25 != 0 && number * 1000 <= observer_.line_length + 7000)
      Warn(at, WarningKind::ValueRange,
           "the " + keyword + " line at " + std::to_string(number) + " m: places are in metres, and " +
               std::to_string(number) + " m, within the route's first 100 m and no multiple of 25, reads like "
               "kilometres; write " + std::to_string(number * 1000) + " if that is the place meant");
    last_place_[spec] = {number, at.line};
  }
  // A curve a few metres long: kilometres, where a curve a few
  // kilometres long is usual and one under 10 m turns in one route cell.
  if (spec == &keyword::kCurva && index == 1 && number > 0 && number < 10)
    Warn(at, WarningKind::ValueRange,
         "the curve is " + std::to_string(number) + " m long, less than a route cell (50 m): lengths are in metres, "
         "and " + std::to_string(number) + " reads like kilometres; write " + std::to_string(number * 1000) +
             " if that is the length meant");
  // A place and a value the wrong way round: a speed above 300 km/h that
  // is a round place (a multiple of 50 m, a route cell), or a code of 1000
  // or more, at a place of up to 300 or under 1000 m.
  if (index == 1 && line_numbers_.size() == 2) {
    const int64_t place = line_numbers_[0];
    const bool speed =
        spec == &keyword::kVelocita && number > 300 && number % 50 == 0 && place >= 0 && place <= 300;
    const bool code = spec == &keyword::kAbbattimento && number >= 1000 && place >= 0 && place < 1000;
    if (speed || code)
      Warn(at, WarningKind::ValueRange,
           std::string(speed ? "the speed " : "the code ") + std::to_string(number) + (speed ? " km/h" : "") +
               " at " + std::to_string(place) + " m: " + keyword + " reads the place first, then the " +
               (speed ? "speed" : "code") + ", and these two look the wrong way round; write '" + spec->keyword +
               ", " + std::to_string(number) + ", " + std::to_string(place) + "' if " + std::to_string(number) +
               " m is the place meant");
  }
}

void SourceWarnings::OutsideRange(FieldPosition at, const std::string& what, int64_t value, int64_t low,
                                  int64_t high, const std::string& meaning) {
  if (value >= low && value <= high) return;
  Warn(at, WarningKind::ValueRange,
       what + " " + std::to_string(value) + " lies outside " + std::to_string(low) + " to " + std::to_string(high) +
           ", the range of " + meaning + ": it is compiled as it stands; write a value from " +
           std::to_string(low) + " to " + std::to_string(high));
}

void SourceWarnings::SeveralKeywords(std::string_view field, FieldPosition at,
                                     const std::vector<std::string>& keywords) {
  if (keywords.size() < 2) return;
  std::string names;
  for (size_t i = 0; i < keywords.size(); ++i) {
    if (i > 0) names += i + 1 == keywords.size() ? " and " : ", ";
    names += "'" + keywords[i] + "'";
  }
  Warn(at, WarningKind::SeveralKeywords,
       Quoted(Trimmed(field)) + " holds the keywords " + names + ": each is read in turn, '" + keywords[0] +
           "' first with the values of this line, and the others take the fields after them as their own values; "
           "keep one keyword on the line");
}

void SourceWarnings::SixteenBits(FieldPosition at, const std::string& what, int64_t value) {
  if (value >= -32768 && value <= 32767) return;
  if (value < INT32_MIN || value > INT32_MAX) return;
  const int stored = static_cast<int16_t>(static_cast<uint16_t>(value & 0xFFFF));
  Warn(at, WarningKind::LowBits,
       what + " " + std::to_string(value) + " does not fit the cell's 16 bits (-32768 to 32767): only its low 16 bits "
       "are kept, and the compiled cell holds " + std::to_string(stored) + "; write a smaller value");
}

void SourceWarnings::Recognised(std::string_view keyword, std::string_view section, FieldPosition at) {
  if (!section_known_ || section_ == section || WarnedOnLine(at.line)) return;
  Warn(at, WarningKind::WrongSection,
       "'" + std::string(keyword) + "' stands under [" + section_ + "]; it is read all the same, but belongs under [" +
           std::string(section) + "]");
}

std::string SourceWarnings::HolderOf(int64_t cell) const {
  const auto found = observer_.held_cells.find(cell);
  if (found == observer_.held_cells.end()) return {};
  const CellHolder& holder = found->second;
  std::string text = holder.item + " (line " + std::to_string(holder.line);
  if (holder.file != file_) text += " of " + holder.file;
  return text + ")";
}

std::string CellKindText(uint8_t tipo_cella) {
  switch (tipo_cella) {
    case tipo::segnale: return "a signal";
    case tipo::fine_rallentamento: return "a slowdown's end";
    case tipo::inizio_rallentamento: return "a slowdown's start";
    case tipo::avviso_rallentamento: return "a slowdown's warning board";
    case tipo::prima_dell_avviso: return "one of the four cells before a slowdown's warning board";
    case tipo::indicatore_v_max: return "a maximum-speed indicator";
    case tipo::fermata_stazione: return "a station's stop cell";
    case tipo::cambio_codice:
    case tipo::cambio_codice_abbattimento: return "a code change";
    case tipo::cartello: return "an indication board";
    default: return "an item";
  }
}

std::string CellTaken(const std::string& item, int32_t position, int64_t cell, int own_cell_offset,
                      const std::string& holder, const ScenarioModel& model) {
  const int64_t centre = 50 * (cell - own_cell_offset);
  const uint8_t kind = cell >= 0 && static_cast<size_t>(cell) < model.percorso.size()
                           ? model.percorso[static_cast<size_t>(cell)].tipo_cella
                           : 0;
  return item + " at " + std::to_string(position) + " m falls in route cell " + std::to_string(cell) +
         " (the positions from " + std::to_string(centre - 25) + " to " + std::to_string(centre + 25) +
         " m), which already holds " + (holder.empty() ? CellKindText(kind) : holder) +
         ": move one of the two by 50 m or more";
}

MarkerWatch::MarkerWatch(const ScenarioModel& model) : has_cell_(model.percorso.size() > 1) {
  if (!has_cell_) return;
  valore_1_ = model.percorso[1].valore_1;
  valore_2_ = model.percorso[1].valore_2;
}

void MarkerWatch::After(SourceWarnings& warn, const ScenarioModel& model, FieldPosition at, const std::string& item,
                        int32_t position) const {
  if (!has_cell_ || model.percorso.size() < 2) return;
  const rec_cella& cell = model.percorso[1];
  const bool first = valore_1_ == 0 && cell.valore_1 != 0;
  const bool second = valore_2_ == 0 && cell.valore_2 != 0;
  if (!first && !second) return;
  const std::string value = std::to_string(first ? cell.valore_1 : cell.valore_2);
  warn.Warn(at, WarningKind::MarkerCell,
            item + " at " + std::to_string(position) + " m puts a value (" + value +
                ") into route cell 1, the first 50 m of the route, where the compiled cell file keeps its " +
                (first ? "marker" : "check code") + ": the compile will stop with \" Errore n. " +
                (first ? "1250" : "1251") +
                "\" and write no file; move it out of the first 50 m (a code change to 75 m or later, any other "
                "item to 25 m or later)");
}

}  // namespace scenario
