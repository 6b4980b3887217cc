#include "tests/support/mistake_generator.h"

#include <random>
#include <string_view>
#include <vector>

namespace scenario::testing_support {

namespace {

constexpr SlipClass kClasses[] = {
    SlipClass::DecimalComma,  SlipClass::MissingComma,   SlipClass::Separator,       SlipClass::ValueDropped,
    SlipClass::ValueAdded,    SlipClass::ValuesSwapped,  SlipClass::HeaderMisspelt,  SlipClass::OtherFile,
    SlipClass::WrongSection,  SlipClass::KeywordMisspelt, SlipClass::WrongUnit,      SlipClass::UnquotedComma,
    SlipClass::OpenQuote};

// The headers of both sources, to keep a misspelt header from being another
// real one.
constexpr const char* kHeaders[] = {"generale", "curve",      "pendenze", "montagne",      "cartelli",
                                    "indicazioni", "fine",    "aderenze", "vel_limite",    "stazioni",
                                    "rallentamenti", "segnali", "codici"};

// Misspellings an author makes of a header by writing the word of its
// lines, or the header of the other number.
struct HeaderSlip {
  const char* header;
  const char* written;
};
constexpr HeaderSlip kHeaderSlips[] = {
    {"segnali", "segnale"},     {"stazioni", "stazione"}, {"pendenze", "pendenza"},
    {"curve", "curva"},         {"montagne", "montagna"}, {"rallentamenti", "rallentamento"},
    {"aderenze", "aderenza"},   {"generale", "generali"}, {"cartelli", "cartello"},
    {"indicazioni", "indicazione"}, {"codici", "codice"}, {"vel_limite", "velocita"}};

class Random {
 public:
  explicit Random(uint64_t seed) : engine_(seed * 0x9E3779B97F4A7C15ULL + 17) {}
  // 0 to n - 1; n must be above 0.
  size_t Below(size_t n) { return static_cast<size_t>(engine_() % n); }
  bool Chance(int in) { return Below(static_cast<size_t>(in)) == 0; }

 private:
  std::mt19937_64 engine_;
};

std::vector<std::string> SplitLines(const std::string& text) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    const size_t end = text.find("\r\n", start);
    if (end == std::string::npos) {
      if (start < text.size()) lines.push_back(text.substr(start));
      break;
    }
    lines.push_back(text.substr(start, end - start));
    start = end + 2;
  }
  return lines;
}

std::string JoinLines(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z'); }
bool IsBlank(char c) { return c == ' ' || c == '\t'; }

bool IsNumber(std::string_view text) {
  if (!text.empty() && text[0] == '-') text.remove_prefix(1);
  if (text.empty()) return false;
  for (char c : text)
    if (!IsDigit(c)) return false;
  return true;
}

// A field of a line: where its text (blanks around it left out) stands.
struct Token {
  size_t start = 0;
  size_t size = 0;
  bool quoted = false;
};

// A line of a source split into its keyword field and its values, as an
// author sees them: fields at commas (a quoted field runs to its closing
// quote), and a field of numbers apart at blanks ("8  12  45") as several.
struct LineFields {
  const KeywordSpec* spec = nullptr;
  Token keyword;
  std::vector<Token> values;
  // The commas between fields (outside quotes), by offset.
  std::vector<size_t> commas;
};

Token TrimmedToken(const std::string& line, size_t start, size_t end) {
  while (start < end && IsBlank(line[start])) ++start;
  while (end > start && IsBlank(line[end - 1])) --end;
  return Token{start, end - start, start < end && line[start] == '"'};
}

LineFields FieldsOf(SourceFile file, const std::string& line) {
  LineFields fields;
  std::vector<Token> raw;
  size_t start = 0;
  size_t at = 0;
  while (at <= line.size()) {
    if (at == line.size() || line[at] == ',') {
      raw.push_back(TrimmedToken(line, start, at));
      if (at < line.size()) fields.commas.push_back(at);
      start = at + 1;
      ++at;
      continue;
    }
    if (line[at] == '"' && TrimmedToken(line, start, at).size == 0) {
      const size_t close = line.find('"', at + 1);
      at = close == std::string::npos ? line.size() : close + 1;
      continue;
    }
    ++at;
  }
  if (raw.empty()) return fields;
  fields.keyword = raw.front();
  const std::string_view keyword(line.data() + fields.keyword.start, fields.keyword.size);
  if (keyword.empty() || keyword[0] == '[' || keyword[0] == ';') return fields;
  fields.spec = RecogniseKeyword(file, keyword);
  for (size_t k = 1; k < raw.size(); ++k) {
    const Token& token = raw[k];
    // Numbers apart at blanks within one field.
    std::vector<Token> parts;
    size_t p = token.start;
    const size_t end = token.start + token.size;
    bool all_numbers = !token.quoted && token.size > 0;
    while (p < end && all_numbers) {
      size_t q = p;
      while (q < end && !IsBlank(line[q])) ++q;
      if (!IsNumber(std::string_view(line.data() + p, q - p))) all_numbers = false;
      parts.push_back(Token{p, q - p, false});
      while (q < end && IsBlank(line[q])) ++q;
      p = q;
    }
    if (all_numbers && parts.size() > 1)
      fields.values.insert(fields.values.end(), parts.begin(), parts.end());
    else
      fields.values.push_back(token);
  }
  return fields;
}

std::string TextOf(const std::string& line, const Token& token) { return line.substr(token.start, token.size); }

std::string Replaced(const std::string& line, const Token& token, const std::string& with) {
  return line.substr(0, token.start) + with + line.substr(token.start + token.size);
}

// The value at `index` of `fields` is a text, by the keyword's table entry.
bool IsTextValue(const LineFields& fields, size_t index) {
  return fields.spec != nullptr && index < fields.spec->values.size() &&
         fields.spec->values[index].type == ValueKind::Text;
}

std::vector<size_t> NumberValues(const std::string& line, const LineFields& fields) {
  std::vector<size_t> numbers;
  for (size_t k = 0; k < fields.values.size(); ++k)
    if (IsNumber(TextOf(line, fields.values[k]))) numbers.push_back(k);
  return numbers;
}

std::vector<size_t> TextValues(const std::string& line, const LineFields& fields) {
  std::vector<size_t> texts;
  for (size_t k = 0; k < fields.values.size(); ++k)
    if (IsTextValue(fields, k) && fields.values[k].size > 0 && !IsNumber(TextOf(line, fields.values[k])))
      texts.push_back(k);
  return texts;
}

// One of the two sources, as lines.
struct Source {
  SourceFile file;
  std::vector<std::string> lines;
};

bool IsHeader(const std::string& line) {
  const size_t first = line.find_first_not_of(" \t");
  return first != std::string::npos && line[first] == '[';
}

// The keyword lines of a source that the readers recognise.
std::vector<size_t> KeywordLines(const Source& source) {
  std::vector<size_t> lines;
  for (size_t i = 0; i < source.lines.size(); ++i)
    if (FieldsOf(source.file, source.lines[i]).spec != nullptr) lines.push_back(i);
  return lines;
}

std::vector<size_t> HeaderLines(const Source& source) {
  std::vector<size_t> lines;
  for (size_t i = 0; i < source.lines.size(); ++i)
    if (IsHeader(source.lines[i])) lines.push_back(i);
  return lines;
}

// A word with one letter slip: a letter left out, two swapped, one doubled
// or one written for another; letters only, the first one kept.
std::string MisspeltWord(const std::string& word, Random& random) {
  std::vector<size_t> letters;
  for (size_t i = 1; i < word.size(); ++i)
    if (IsLetter(word[i])) letters.push_back(i);
  if (letters.empty()) return word + "e";
  const size_t at = letters[random.Below(letters.size())];
  std::string slipped = word;
  switch (random.Below(4)) {
    case 0:
      slipped.erase(at, 1);
      break;
    case 1:
      if (at + 1 < word.size() && IsLetter(word[at + 1]) && word[at] != word[at + 1])
        std::swap(slipped[at], slipped[at + 1]);
      else
        slipped.erase(at, 1);
      break;
    case 2:
      slipped.insert(at, 1, word[at]);
      break;
    default: {
      const char* near = "aeiourtnls";
      char c = near[random.Below(10)];
      if (c == word[at]) c = c == 'a' ? 'e' : 'a';
      slipped[at] = c;
      break;
    }
  }
  return slipped;
}

struct Picked {
  Source* source;
  size_t index;
};

}  // namespace

std::span<const SlipClass> AllSlipClasses() { return kClasses; }

const char* SlipClassName(SlipClass kind) {
  switch (kind) {
    case SlipClass::DecimalComma: return "decimal comma";
    case SlipClass::MissingComma: return "missing comma after keyword";
    case SlipClass::Separator: return "semicolon or tab separator";
    case SlipClass::ValueDropped: return "value dropped";
    case SlipClass::ValueAdded: return "value added";
    case SlipClass::ValuesSwapped: return "values swapped";
    case SlipClass::HeaderMisspelt: return "header misspelt";
    case SlipClass::OtherFile: return "line in the other file";
    case SlipClass::WrongSection: return "line in the wrong section";
    case SlipClass::KeywordMisspelt: return "keyword misspelt";
    case SlipClass::WrongUnit: return "km for m";
    case SlipClass::UnquotedComma: return "unquoted name with comma";
    case SlipClass::OpenQuote: return "quote not closed";
  }
  return "?";
}

std::optional<Slip> MakeSlip(const GeneratedScenario& scenario, SlipClass kind, uint64_t seed) {
  Random random(seed);
  Source line{SourceFile::LineDescription, SplitLines(scenario.line_description)};
  Source train{SourceFile::TrainService, SplitLines(scenario.train_service)};
  Source* sources[] = {&line, &train};

  // A recognised keyword line of either source that `fits`, chosen at random.
  const auto pick = [&](auto fits) -> std::optional<Picked> {
    std::vector<Picked> candidates;
    for (Source* source : sources)
      for (size_t i : KeywordLines(*source)) {
        const std::string& text = source->lines[i];
        if (fits(text, FieldsOf(source->file, text))) candidates.push_back(Picked{source, i});
      }
    if (candidates.empty()) return std::nullopt;
    return candidates[random.Below(candidates.size())];
  };

  Slip slip{kind, scenario, SourceFile::LineDescription, 0, "", ""};
  // Changes the picked line to `now` in place.
  const auto finish = [&](Source* source, size_t index, std::string now) -> std::optional<Slip> {
    slip.file = source->file;
    slip.line = static_cast<int>(index) + 1;
    slip.was = source->lines[index];
    slip.now = now;
    if (slip.was == slip.now) return std::nullopt;
    source->lines[index] = std::move(now);
    slip.scenario.line_description = JoinLines(line.lines);
    slip.scenario.train_service = JoinLines(train.lines);
    return slip;
  };
  // Moves line `from` of `source` to stand before line `to` of `target`
  // (an index into the target's lines as they are before the move).
  const auto move = [&](Source* source, size_t from, Source* target, size_t to) -> std::optional<Slip> {
    const std::string moved = source->lines[from];
    source->lines.erase(source->lines.begin() + static_cast<std::ptrdiff_t>(from));
    if (source == target && from < to) --to;
    target->lines.insert(target->lines.begin() + static_cast<std::ptrdiff_t>(to), moved);
    slip.file = target->file;
    slip.line = static_cast<int>(to) + 1;
    slip.was = "";
    slip.now = moved;
    slip.scenario.line_description = JoinLines(line.lines);
    slip.scenario.train_service = JoinLines(train.lines);
    return slip;
  };

  switch (kind) {
    case SlipClass::DecimalComma: {
      const auto picked = pick([](const std::string& text, const LineFields& f) { return !NumberValues(text, f).empty(); });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const LineFields fields = FieldsOf(picked->source->file, text);
      const std::vector<size_t> numbers = NumberValues(text, fields);
      const Token& token = fields.values[numbers[random.Below(numbers.size())]];
      const std::string decimal = "," + std::to_string(1 + random.Below(9));
      return finish(picked->source, picked->index, Replaced(text, token, TextOf(text, token) + decimal));
    }
    case SlipClass::MissingComma: {
      const auto picked = pick([](const std::string&, const LineFields& f) { return !f.commas.empty(); });
      if (!picked) return std::nullopt;
      std::string text = picked->source->lines[picked->index];
      const size_t comma = FieldsOf(picked->source->file, text).commas.front();
      text[comma] = ' ';
      return finish(picked->source, picked->index, text);
    }
    case SlipClass::Separator: {
      const auto picked = pick([](const std::string&, const LineFields& f) { return !f.commas.empty(); });
      if (!picked) return std::nullopt;
      std::string text = picked->source->lines[picked->index];
      const std::vector<size_t> commas = FieldsOf(picked->source->file, text).commas;
      const char written = random.Chance(2) ? ';' : '\t';
      if (random.Chance(2)) {
        for (size_t comma : commas) text[comma] = written;
      } else {
        text[commas[random.Below(commas.size())]] = written;
      }
      return finish(picked->source, picked->index, text);
    }
    case SlipClass::ValueDropped: {
      const auto picked = pick([](const std::string&, const LineFields& f) { return !f.values.empty(); });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const LineFields fields = FieldsOf(picked->source->file, text);
      const size_t k = random.Below(fields.values.size());
      const Token& token = fields.values[k];
      // The value with the separator before it (a comma or blanks), back to
      // the end of the field before.
      const Token& before = k == 0 ? fields.keyword : fields.values[k - 1];
      const size_t from = before.start + before.size;
      return finish(picked->source, picked->index, text.substr(0, from) + text.substr(token.start + token.size));
    }
    case SlipClass::ValueAdded: {
      const auto picked = pick([](const std::string&, const LineFields& f) { return !f.values.empty(); });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const LineFields fields = FieldsOf(picked->source->file, text);
      const size_t k = random.Below(fields.values.size());
      const Token& token = fields.values[k];
      const std::string added = std::to_string(random.Chance(2) ? random.Below(10) : 100 * random.Below(200));
      const size_t after = token.start + token.size;
      return finish(picked->source, picked->index, text.substr(0, after) + ",  " + added + text.substr(after));
    }
    case SlipClass::ValuesSwapped: {
      const auto picked = pick([](const std::string& text, const LineFields& f) {
        const std::vector<size_t> numbers = NumberValues(text, f);
        for (size_t a : numbers)
          for (size_t b : numbers)
            if (TextOf(text, f.values[a]) != TextOf(text, f.values[b])) return true;
        return false;
      });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const LineFields fields = FieldsOf(picked->source->file, text);
      const std::vector<size_t> numbers = NumberValues(text, fields);
      // Mostly neighbours, as a slip of the hand makes them.
      std::vector<std::pair<size_t, size_t>> pairs, neighbours;
      for (size_t i = 0; i < numbers.size(); ++i)
        for (size_t j = i + 1; j < numbers.size(); ++j)
          if (TextOf(text, fields.values[numbers[i]]) != TextOf(text, fields.values[numbers[j]])) {
            pairs.emplace_back(numbers[i], numbers[j]);
            if (numbers[j] == numbers[i] + 1) neighbours.emplace_back(numbers[i], numbers[j]);
          }
      const auto& from = !neighbours.empty() && !random.Chance(4) ? neighbours : pairs;
      const auto [a, b] = from[random.Below(from.size())];
      const Token& first = fields.values[a];
      const Token& second = fields.values[b];
      const std::string now = text.substr(0, first.start) + TextOf(text, second) +
                              text.substr(first.start + first.size, second.start - first.start - first.size) +
                              TextOf(text, first) + text.substr(second.start + second.size);
      return finish(picked->source, picked->index, now);
    }
    case SlipClass::HeaderMisspelt: {
      std::vector<Picked> headers;
      for (Source* source : sources)
        for (size_t i : HeaderLines(*source)) headers.push_back(Picked{source, i});
      if (headers.empty()) return std::nullopt;
      const Picked picked = headers[random.Below(headers.size())];
      const std::string& text = picked.source->lines[picked.index];
      const size_t open = text.find('[');
      const size_t close = text.find(']', open);
      if (close == std::string::npos) return std::nullopt;
      const std::string name = text.substr(open + 1, close - open - 1);
      std::string written;
      for (const HeaderSlip& known : kHeaderSlips)
        if (name == known.header && random.Chance(2)) written = known.written;
      for (int attempt = 0; attempt < 8 && written.empty(); ++attempt) {
        written = MisspeltWord(name, random);
        for (const char* header : kHeaders)
          if (written == header) written.clear();
      }
      if (written.empty()) return std::nullopt;
      return finish(picked.source, picked.index, text.substr(0, open + 1) + written + text.substr(close));
    }
    case SlipClass::OtherFile: {
      const auto picked = pick([](const std::string&, const LineFields&) { return true; });
      if (!picked) return std::nullopt;
      Source* target = picked->source == &line ? &train : &line;
      // Anywhere after the first line and before the end header.
      size_t end = target->lines.size();
      for (size_t i = 0; i < target->lines.size(); ++i)
        if (target->lines[i].find("[fine]") != std::string::npos) end = i;
      if (end < 1) return std::nullopt;
      return move(picked->source, picked->index, target, 1 + random.Below(end));
    }
    case SlipClass::WrongSection: {
      const auto picked = pick([](const std::string&, const LineFields&) { return true; });
      if (!picked) return std::nullopt;
      Source* source = picked->source;
      // The header of the section the line stands in, and the others.
      size_t own = source->lines.size();
      std::vector<size_t> others;
      for (size_t i : HeaderLines(*source)) {
        if (i < picked->index) own = i;
        if (source->lines[i].find("[fine]") == std::string::npos) others.push_back(i);
      }
      std::vector<size_t> elsewhere;
      for (size_t i : others)
        if (i != own) elsewhere.push_back(i);
      if (elsewhere.empty()) return std::nullopt;
      return move(source, picked->index, source, elsewhere[random.Below(elsewhere.size())] + 1);
    }
    case SlipClass::KeywordMisspelt: {
      const auto picked = pick([](const std::string&, const LineFields&) { return true; });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const Token keyword = FieldsOf(picked->source->file, text).keyword;
      return finish(picked->source, picked->index, Replaced(text, keyword, MisspeltWord(TextOf(text, keyword), random)));
    }
    case SlipClass::WrongUnit: {
      const auto big = [](const std::string& text, const Token& token) {
        const std::string number = TextOf(text, token);
        return IsNumber(number) && std::stoll(number) >= 1000;
      };
      const auto picked = pick([&](const std::string& text, const LineFields& f) {
        for (const Token& token : f.values)
          if (big(text, token)) return true;
        return false;
      });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const LineFields fields = FieldsOf(picked->source->file, text);
      std::vector<Token> candidates;
      for (const Token& token : fields.values)
        if (big(text, token)) candidates.push_back(token);
      const Token& token = candidates[random.Below(candidates.size())];
      return finish(picked->source, picked->index,
                    Replaced(text, token, std::to_string(std::stoll(TextOf(text, token)) / 1000)));
    }
    case SlipClass::UnquotedComma:
    case SlipClass::OpenQuote: {
      const auto picked = pick([](const std::string& text, const LineFields& f) { return !TextValues(text, f).empty(); });
      if (!picked) return std::nullopt;
      const std::string& text = picked->source->lines[picked->index];
      const LineFields fields = FieldsOf(picked->source->file, text);
      const std::vector<size_t> texts = TextValues(text, fields);
      const Token& token = fields.values[texts[random.Below(texts.size())]];
      std::string value = TextOf(text, token);
      if (kind == SlipClass::OpenQuote) {
        if (token.quoted)
          value = value.back() == '"' && value.size() > 1 ? value.substr(0, value.size() - 1) : value;
        else
          value = "\"" + value;
        return finish(picked->source, picked->index, Replaced(text, token, value));
      }
      if (token.quoted) value = value.substr(1, value.size() > 1 && value.back() == '"' ? value.size() - 2 : std::string::npos);
      if (value.find(',') == std::string::npos) {
        // "MARANCO - TESSERA" -> "MARANCO, TESSERA"; a single word gets a
        // second one.
        const size_t blank = value.find(' ');
        if (blank != std::string::npos && blank > 0) {
          size_t next = value.find_first_not_of(" -", blank);
          if (next == std::string::npos) next = value.size();
          value = value.substr(0, blank) + ", " + value.substr(next);
        } else {
          value += ", CENTRALE";
        }
      }
      return finish(picked->source, picked->index, Replaced(text, token, value));
    }
  }
  return std::nullopt;
}

}  // namespace scenario::testing_support
