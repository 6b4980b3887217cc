#include "tests/support/fuzz_checks.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>
#include <cstring>
#include <functional>
#include <optional>
#include <span>
#include <vector>

#include "app/form_load.h"
#include "compiler/compile_run.h"
#include "compiler/coding.h"
#include "compiler/compiled_files.h"
#include "compiler/fields/error_numbers.h"
#include "compiler/error_reporting.h"
#include "compiler/fields/field_stream.h"
#include "compiler/readers/line_reader.h"
#include "compiler/fields/runtime_failure.h"
#include "compiler/readers/train_reader.h"
#include "model/file_names.h"
#include "tests/support/fake_file_system.h"
#include "platform/window/window.h"
#include "sources/line_description.h"
#include "sources/text_file_writer.h"
#include "sources/train_service.h"
#include "tests/support/recording_window.h"

namespace scenario::testing_support {

namespace {

// ---------------------------------------------------------------------------
// A second, plain model of the cutting rules. It walks the same text with its
// own cursor and says, for each read, what the stream must return, where the
// field must begin and where the next one starts, or that the read must fail.

enum class FieldType { Text, Byte, Integer, Long };

struct ExpectedField {
  bool fails = false;
  std::string text;
  int64_t number = 0;
  size_t start = 0;  // offset of the field's first byte
};

class CuttingModel {
 public:
  explicit CuttingModel(std::string_view text) : text_(text) {
    line_starts_.push_back(0);
    for (size_t i = 0; i < text_.size(); ++i) {
      if (text_[i] == '\n' || (text_[i] == '\r' && !(i + 1 < text_.size() && text_[i + 1] == '\n')))
        line_starts_.push_back(i + 1);
    }
  }

  bool AtEnd() const { return at_ >= text_.size(); }

  ExpectedField Read(FieldType type) {
    if (type == FieldType::Text) return ReadText();
    if (type == FieldType::Byte) return ReadNumber(0, 255);
    if (type == FieldType::Integer) return ReadNumber(-32768, 32767);
    return ReadNumber(INT32_MIN, INT32_MAX);
  }

  // 1-based line and column of an offset.
  FieldPosition PositionOf(size_t offset) const {
    const size_t line =
        static_cast<size_t>(std::upper_bound(line_starts_.begin(), line_starts_.end(), offset) -
                            line_starts_.begin()) - 1;
    return {static_cast<int>(line + 1), static_cast<int>(offset - line_starts_[line] + 1)};
  }

 private:
  bool Blank(size_t i) const { return i < text_.size() && (text_[i] == ' ' || text_[i] == '\t'); }
  bool LineEnd(size_t i) const { return i < text_.size() && (text_[i] == '\r' || text_[i] == '\n'); }
  size_t PastLineEnd(size_t i) const {
    return text_[i] == '\r' && i + 1 < text_.size() && text_[i + 1] == '\n' ? i + 2 : i + 1;
  }
  size_t PastDelimiter(size_t i) const {
    while (Blank(i)) ++i;
    if (i >= text_.size()) return i;
    if (text_[i] == ',') return i + 1;
    if (LineEnd(i)) return PastLineEnd(i);
    return i;
  }

  ExpectedField ReadText() {
    ExpectedField field;
    if (AtEnd()) return Failed();
    size_t s = at_;
    while (Blank(s)) ++s;
    field.start = s;
    if (s < text_.size() && text_[s] == '"') {
      size_t close = text_.find('"', s + 1);
      size_t end = close == std::string_view::npos ? text_.size() : close;
      field.text = std::string(text_.substr(s + 1, end - s - 1));
      at_ = PastDelimiter(close == std::string_view::npos ? end : end + 1);
    } else {
      size_t e = s;
      while (e < text_.size() && text_[e] != ',' && !LineEnd(e)) ++e;
      size_t trimmed = e;
      while (trimmed > s && (text_[trimmed - 1] == ' ' || text_[trimmed - 1] == '\t')) --trimmed;
      field.text = std::string(text_.substr(s, trimmed - s));
      at_ = e;
      if (e < text_.size()) at_ = text_[e] == ',' ? e + 1 : PastLineEnd(e);
    }
    if (field.text.size() > 65535) return Failed();
    return field;
  }

  ExpectedField ReadNumber(int64_t min, int64_t max) {
    ExpectedField field;
    if (AtEnd()) return Failed();
    size_t s = at_;
    while (Blank(s) || LineEnd(s)) s = Blank(s) ? s + 1 : PastLineEnd(s);
    field.start = s;
    if (s >= text_.size()) return Failed();
    if (text_[s] == ',') {
      at_ = s + 1;
      return field;
    }
    size_t i = s;
    bool negative = false;
    if (text_[i] == '+' || text_[i] == '-') negative = text_[i++] == '-';
    size_t first_digit = i;
    while (i < text_.size() && text_[i] >= '0' && text_[i] <= '9') ++i;
    if (i == first_digit) return Failed();
    if (i < text_.size() && text_[i] != ',' && !Blank(i) && !LineEnd(i)) return Failed();
    // Leading zeros do not count towards the size of the value.
    size_t significant = first_digit;
    while (significant + 1 < i && text_[significant] == '0') ++significant;
    if (i - significant > 12) return Failed();
    int64_t value = 0;
    for (size_t d = significant; d < i; ++d) value = value * 10 + (text_[d] - '0');
    if (negative) value = -value;
    if (value < min || value > max) return Failed();
    field.number = value;
    at_ = PastDelimiter(i);
    return field;
  }

  static ExpectedField Failed() {
    ExpectedField field;
    field.fails = true;
    return field;
  }

  std::string_view text_;
  size_t at_ = 0;
  std::vector<size_t> line_starts_;
};

const char* TypeName(FieldType type) {
  switch (type) {
    case FieldType::Text: return "text";
    case FieldType::Byte: return "Byte";
    case FieldType::Integer: return "Integer";
    case FieldType::Long: return "Long";
  }
  return "?";
}

std::string Describe(const FieldPosition& position) {
  return "line " + std::to_string(position.line) + ", column " + std::to_string(position.column);
}

// Reads `text` with the types that `next_type` chooses (from the number of
// the read and the last text field read) until the end, a read failure or
// more reads than the text has bytes.
std::string CheckOneOrder(std::string_view text, const char* order_name,
                          const std::function<FieldType(size_t, const std::string&)>& next_type) {
  FieldStream stream(text);
  CuttingModel model(text);
  std::string last_text;
  const auto problem = [&](size_t read, const std::string& what) {
    return std::string(order_name) + ", read " + std::to_string(read) + ": " + what;
  };
  for (size_t read = 0;; ++read) {
    if (read > text.size()) return problem(read, "more fields read than the text has bytes");
    const FieldType type = next_type(read, last_text);
    const ExpectedField expected = model.Read(type);
    std::string got_text;
    int64_t got_number = 0;
    bool failed = false;
    try {
      switch (type) {
        case FieldType::Text: got_text = stream.ReadText(); break;
        case FieldType::Byte: got_number = stream.ReadByte(); break;
        case FieldType::Integer: got_number = stream.ReadInteger(); break;
        case FieldType::Long: got_number = stream.ReadLong(); break;
      }
    } catch (const RuntimeFailure&) {
      failed = true;
    }
    const std::string what = std::string(TypeName(type)) + " field";
    if (failed != expected.fails) {
      return problem(read, what + (failed ? " failed but is readable" : " read but must fail"));
    }
    if (failed) return "";
    if (type == FieldType::Text && got_text != expected.text)
      return problem(read, what + " is '" + got_text + "', expected '" + expected.text + "'");
    if (type != FieldType::Text && got_number != expected.number)
      return problem(read, what + " is " + std::to_string(got_number) + ", expected " +
                               std::to_string(expected.number));
    const FieldPosition expected_start = model.PositionOf(expected.start);
    if (!(stream.last_field() == expected_start))
      return problem(read, what + " begins at " + Describe(stream.last_field()) + ", expected " +
                               Describe(expected_start));
    if (stream.AtEnd() != model.AtEnd())
      return problem(read, std::string("the stream says it is ") +
                               (stream.AtEnd() ? "" : "not ") + "at the end of the text");
    if (type == FieldType::Text) last_text = got_text;
    if (stream.AtEnd()) {
      // Past the end every read fails.
      try {
        stream.ReadText();
        return problem(read + 1, "a text field read past the end");
      } catch (const RuntimeFailure&) {
      }
      try {
        stream.ReadLong();
        return problem(read + 1, "a number read past the end");
      } catch (const RuntimeFailure&) {
      }
      return "";
    }
  }
}

// ---------------------------------------------------------------------------
// The compile run in memory.

const char* const kDirectory = "/run/";

std::string Mismatch(const std::string& what, const std::string& detail) {
  return what + ": " + detail;
}

bool WasRead(const FakeFileSystem& files, const std::string& path) {
  for (const auto& step : files.log())
    if (step.step == FakeFileSystem::Step::Read && step.path == path) return true;
  return false;
}

}  // namespace

std::string CheckFieldStream(std::string_view text) {
  const auto all_text = [](size_t, const std::string&) { return FieldType::Text; };
  const auto all_long = [](size_t, const std::string&) { return FieldType::Long; };
  // As the readers go: a keyword field, then a number of values of the types
  // the keyword picks, then the next keyword.
  size_t values_left = 0;
  size_t keyword_sum = 0;
  const auto keyword_and_values = [&](size_t, const std::string& last) {
    if (values_left == 0) {
      keyword_sum = 0;
      for (unsigned char c : last) keyword_sum += c;
      values_left = keyword_sum % 18;
      return FieldType::Text;
    }
    --values_left;
    const FieldType types[] = {FieldType::Long, FieldType::Integer, FieldType::Byte,
                               FieldType::Text};
    return types[(keyword_sum + values_left) % (values_left == 0 ? 4 : 3)];
  };
  // Each byte of the text picks the type of one read.
  const auto byte_picks = [&](size_t read, const std::string&) {
    if (text.empty()) return FieldType::Text;
    return static_cast<FieldType>(static_cast<unsigned char>(text[read % text.size()]) % 4);
  };

  std::string problem = CheckOneOrder(text, "all text", all_text);
  if (problem.empty()) problem = CheckOneOrder(text, "all Long", all_long);
  if (problem.empty()) problem = CheckOneOrder(text, "keyword and values", keyword_and_values);
  if (problem.empty()) problem = CheckOneOrder(text, "type per byte", byte_picks);
  return problem;
}

const std::string& BuiltInLineSource() {
  static const std::string text = TextFileBytes(WithEndMarker(BuiltInLineDescription()));
  return text;
}

const std::string& BuiltInTrainSource() {
  static const std::string text = TextFileBytes(WithEndMarker(BuiltInTrainService()));
  return text;
}

std::string InMemoryPath(const std::string& name) { return std::string(kDirectory) + name; }

void ClearRun(InMemoryRun* run) {
  // The memory used again: the plan's, the route's, and that of the largest
  // file written in pieces (the compiled line file).
  Tracciato plan = std::move(run->model.tracciato);
  plan.Libera();
  std::vector<rec_cella> route = std::move(run->model.percorso);
  route.clear();
  std::string gathering = std::move(run->files.gathering);
  for (auto& [path, contents] : run->files.files)
    if (contents.capacity() > gathering.capacity()) gathering = std::move(contents);
  gathering.clear();

  run->model = ScenarioModel{};
  run->model.tracciato = std::move(plan);
  run->model.percorso = std::move(route);
  run->shown.reset();
  run->messages = {};
  run->files = FakeFileSystem{};
  run->files.gathering = std::move(gathering);
}

void CompileInMemory(std::string_view line_text, std::string_view train_text, int32_t compila_linea,
                     InMemoryRun* run, ReadingObserver* observer) {
  ClearRun(run);
  ScenarioModel& model = run->model;
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  run->files.files[InMemoryPath(LineSourceName(model.nome_linea))] = std::string(line_text);
  run->files.files[InMemoryPath(TrainSourceName(model.nome_linea, model.numero_treno))] =
      std::string(train_text);
  Workspace workspace{run->files, kDirectory};
  RecordingWindow window;
  try {
    memorizza_percorso(model, compila_linea, workspace, window, nullptr, observer);
  } catch (const ErroreShown& error) {
    run->shown = error.numero;
  }
  run->messages = window.messages;
}

namespace {

// The model and the outcome of the line half of a run on the built-in line
// description, as memorizza_dati leaves them before it reads the train
// service.
struct LineHalf {
  ScenarioModel model;
  LineReadOutcome outcome;
};

LineHalf ReadBuiltInLineHalf(int32_t compila_linea) {
  LineHalf half;
  ScenarioModel& model = half.model;
  model.nome_linea = kNomeLinea;
  model.numero_treno = kNumeroTreno;
  model.compila_linea = compila_linea;
  ClearStationTable(model);
  model.stazioni[kRecordScenario].nome = model.nome_linea;
  model.stazioni[kRecordTreno].nome = model.numero_treno;
  FakeFileSystem files;
  files.files[InMemoryPath(LineSourceName(model.nome_linea))] = BuiltInLineSource();
  const Workspace workspace{files, kDirectory};
  half.outcome = ReadLineDescription(model, workspace, nullptr);
  return half;
}

const LineHalf& BuiltInLineHalf(int32_t compila_linea) {
  static const LineHalf without_plan = ReadBuiltInLineHalf(0);
  static const LineHalf with_plan = ReadBuiltInLineHalf(1);
  return compila_linea == 0 ? without_plan : with_plan;
}

}  // namespace

void CompileTrainInMemory(std::string_view train_text, int32_t compila_linea, InMemoryRun* run,
                          ReadingObserver* observer) {
  ClearRun(run);
  const LineHalf& line = BuiltInLineHalf(compila_linea == 0 ? 0 : 1);
  // The line half's model, copied into the memory kept.
  run->model = line.model;
  run->model.compila_linea = compila_linea;

  ScenarioModel& model = run->model;
  const std::string train_name = TrainSourceName(model.nome_linea, model.numero_treno);
  run->files.files[InMemoryPath(train_name)] = std::string(train_text);
  const Workspace workspace{run->files, kDirectory};
  RecordingWindow window;
  try {
    // The train half as memorizza_dati runs it: a run-time failure deletes
    // the sources still there and records error 25.
    if (line.outcome.train_half_runs) {
      try {
        ReadTrainService(model, workspace, line.outcome.indice_cartello, nullptr, observer);
      } catch (const RuntimeFailure&) {
        if (run->files.FileExists(InMemoryPath(train_name))) run->files.DeleteFile(InMemoryPath(train_name));
        model.codice_errore = error_number::kReadFailure;
      }
    }
    FinishCompileRun(model, workspace, window);
  } catch (const ErroreShown& error) {
    run->shown = error.numero;
  }
  run->messages = window.messages;
}

InMemoryRun CompileInMemory(std::string_view line_text, std::string_view train_text, int32_t compila_linea) {
  InMemoryRun run;
  CompileInMemory(line_text, train_text, compila_linea, &run);
  return run;
}

std::string CheckCompileRun(std::string_view line_text, std::string_view train_text, int32_t compila_linea) {
  InMemoryRun run;
  InMemoryRun heard;
  return CheckCompileRun(line_text, train_text, compila_linea, &run, &heard);
}

namespace {

// Makes a run into `run`, hearing the warnings when an observer is given.
using RunMaker = std::function<void(InMemoryRun* run, ReadingObserver* observer)>;

std::string CheckRunAndHeardRun(std::string_view line_text, std::string_view train_text, const RunMaker& make,
                                InMemoryRun* run, InMemoryRun* heard) {
  make(run, nullptr);
  if (std::string problem = CheckInMemoryRun(*run, line_text, train_text); !problem.empty()) return problem;
  // Listening to the warnings changes nothing of what the run leaves.
  WarningList warnings;
  make(heard, &warnings);
  if (heard->model.codice_errore != run->model.codice_errore ||
      heard->model.posizione_errore != run->model.posizione_errore || heard->shown != run->shown)
    return "the error slot differs when the warnings are heard";
  if (heard->files.files != run->files.files) return "the files differ when the warnings are heard";
  const std::string line_name = LineSourceName(run->model.nome_linea);
  const std::string train_name = TrainSourceName(run->model.nome_linea, run->model.numero_treno);
  for (const ReadingWarning& warning : warnings.warnings) {
    if (warning.file != line_name && warning.file != train_name) return "a warning names '" + warning.file + "'";
    if (warning.message.empty()) return "a warning without a message";
    if (warning.at.line < 0 || warning.at.column < 0 || (warning.at.line > 0) != (warning.at.column > 0))
      return "a warning at line " + std::to_string(warning.at.line) + ", column " +
             std::to_string(warning.at.column);
  }
  return "";
}

}  // namespace

std::string CheckCompileRun(std::string_view line_text, std::string_view train_text, int32_t compila_linea,
                            InMemoryRun* run, InMemoryRun* heard) {
  const RunMaker make = [&](InMemoryRun* into, ReadingObserver* observer) {
    CompileInMemory(line_text, train_text, compila_linea, into, observer);
  };
  std::string problem = CheckRunAndHeardRun(line_text, train_text, make, run, heard);
  ClearRun(run);
  ClearRun(heard);
  return problem;
}

std::string CheckTrainServiceRun(std::string_view train_text, int32_t compila_linea, InMemoryRun* run,
                                 InMemoryRun* heard) {
  const RunMaker make = [&](InMemoryRun* into, ReadingObserver* observer) {
    CompileTrainInMemory(train_text, compila_linea, into, observer);
  };
  std::string problem = CheckRunAndHeardRun(BuiltInLineSource(), train_text, make, run, heard);
  ClearRun(run);
  ClearRun(heard);
  return problem;
}

namespace {

// Whether `bytes` are exactly the elements of `plan`, each its type code and
// then its value (2 bytes for an Integer, 8 for a Double, none for Empty),
// column 0 before column 1: the quick way through the megabytes of a long
// route, without a word of what differs.
bool IsLineFileOf(std::string_view bytes, const Tracciato& plan) {
  const size_t seeds = std::min<size_t>(plan.size(), 2);
  const size_t computed = plan.calcolati();
  if (computed > plan.size() - seeds) return false;
  const auto width = [](const TaggedValue& value) -> size_t {
    return value.type == ValueType::Double ? 10 : value.type == ValueType::Integer ? 4 : 2;
  };
  size_t total = 2 * (computed * 10 + (plan.size() - seeds - computed) * 2);
  for (size_t x = 0; x < seeds; ++x) total += width(plan.seme(x)[0]) + width(plan.seme(x)[1]);
  if (bytes.size() != total) return false;

  const char* p = bytes.data();
  for (int column = 0; column < 2; ++column) {
    for (size_t x = 0; x < seeds; ++x) {
      const TaggedValue& value = plan.seme(x)[column];
      if (DecodeFixed16(p) != static_cast<uint16_t>(value.type)) return false;
      if (value.type == ValueType::Integer && DecodeInteger(p + 2) != value.integer) return false;
      if (value.type == ValueType::Double && DecodeFixed64(p + 2) != std::bit_cast<uint64_t>(value.real))
        return false;
      p += width(value);
    }
    const double* values = (column == 0 ? plan.colonna_0() : plan.colonna_1()).data();
    for (size_t i = 0; i < computed; ++i, p += 10) {
      if (DecodeFixed16(p) != static_cast<uint16_t>(ValueType::Double) ||
          DecodeFixed64(p + 2) != std::bit_cast<uint64_t>(values[i]))
        return false;
    }
    for (size_t i = seeds + computed; i < plan.size(); ++i, p += 2)
      if (DecodeFixed16(p) != static_cast<uint16_t>(ValueType::Empty)) return false;
  }
  return true;
}

}  // namespace

std::string LineFileProblem(std::string_view bytes, const Tracciato& plan) {
  if (IsLineFileOf(bytes, plan)) return "";
  // Where the bytes differ, and how.
  size_t at = 0;
  for (int column = 0; column < 2; ++column) {
    const std::span<const double> computed = column == 0 ? plan.colonna_0() : plan.colonna_1();
    for (size_t x = 0; x < plan.size(); ++x) {
      const auto problem = [&](const std::string& what) {
        return "column " + std::to_string(column) + ", point " + std::to_string(x) + ": " + what;
      };
      // The element the plan holds at x, without building it for the many
      // computed and Empty points.
      TaggedValue expected;
      if (x < 2) {
        expected = plan[x][column];
      } else if (x - 2 < computed.size()) {
        expected.type = ValueType::Double;
        expected.real = computed[x - 2];
      }
      if (bytes.size() - at < 2) return problem("the file ends at byte " + std::to_string(at));
      const uint16_t code = DecodeFixed16(bytes.data() + at);
      if (code != static_cast<uint16_t>(expected.type))
        return problem("type code " + std::to_string(code) + ", expected " +
                       std::to_string(static_cast<uint16_t>(expected.type)));
      at += 2;
      const size_t width = expected.type == ValueType::Double    ? 8
                           : expected.type == ValueType::Integer ? 2
                                                                 : 0;
      if (bytes.size() - at < width) return problem("the file ends inside the value");
      if (expected.type == ValueType::Integer && DecodeInteger(bytes.data() + at) != expected.integer)
        return problem("Integer " + std::to_string(DecodeInteger(bytes.data() + at)) + ", expected " +
                       std::to_string(expected.integer));
      if (expected.type == ValueType::Double &&
          DecodeFixed64(bytes.data() + at) != std::bit_cast<uint64_t>(expected.real))
        return problem("the Double differs from the plan's");
      at += width;
    }
  }
  if (at != bytes.size()) return std::to_string(bytes.size() - at) + " bytes after the last point";
  return "";
}

namespace {

// Line files already checked against their plans, the last few. Most inputs
// a fuzzer makes leave the length and the curves of the line as they were,
// and so the plan and its file: a file that is byte for byte one checked
// before, beside a plan that is bit for bit that file's plan, needs no
// second decoding.
struct CheckedLineFile {
  std::string bytes;
  size_t points = 0;
  std::array<PuntoTracciato, 2> seeds{};
  std::vector<double> column_0;
  std::vector<double> column_1;
};
constexpr size_t kCheckedLineFiles = 4;
// Plans longer than this are not kept: the longest are rare.
constexpr size_t kMostPointsKept = 300000;

std::array<CheckedLineFile, kCheckedLineFiles>& CheckedLineFiles() {
  static std::array<CheckedLineFile, kCheckedLineFiles> files;
  return files;
}

bool SameBits(std::span<const double> a, const std::vector<double>& b) {
  return a.size() == b.size() && (a.empty() || std::memcmp(a.data(), b.data(), a.size() * sizeof(double)) == 0);
}

bool SameBits(const TaggedValue& a, const TaggedValue& b) {
  return a.type == b.type && a.integer == b.integer &&
         std::bit_cast<uint64_t>(a.real) == std::bit_cast<uint64_t>(b.real);
}

bool CheckedBefore(const std::string& bytes, const Tracciato& plan) {
  for (const CheckedLineFile& checked : CheckedLineFiles()) {
    if (checked.points != plan.size() || checked.bytes.size() != bytes.size() || checked.bytes.empty()) continue;
    bool same_seeds = true;
    for (size_t x = 0; x < std::min<size_t>(plan.size(), 2); ++x)
      for (int column = 0; column < 2; ++column)
        same_seeds = same_seeds && SameBits(checked.seeds[x][column], plan.seme(x)[column]);
    if (same_seeds && SameBits(plan.colonna_0(), checked.column_0) &&
        SameBits(plan.colonna_1(), checked.column_1) && checked.bytes == bytes)
      return true;
  }
  return false;
}

void RememberChecked(const std::string& bytes, const Tracciato& plan) {
  if (plan.size() > kMostPointsKept || bytes.empty()) return;
  static size_t next = 0;
  CheckedLineFile& checked = CheckedLineFiles()[next++ % kCheckedLineFiles];
  checked.bytes.assign(bytes);
  checked.points = plan.size();
  checked.seeds = {};
  for (size_t x = 0; x < std::min<size_t>(plan.size(), 2); ++x) checked.seeds[x] = plan.seme(x);
  checked.column_0.assign(plan.colonna_0().begin(), plan.colonna_0().end());
  checked.column_1.assign(plan.colonna_1().begin(), plan.colonna_1().end());
}

// The checks of CheckInMemoryRun. `expected_plan`, when given, is the
// compiled line file the run must have written, byte for byte; otherwise the
// file is decoded and compared with the model's plan.
std::string CheckRun(const InMemoryRun& run, std::string_view line_text,
                     std::string_view train_text, const std::string* expected_plan) {
  const ScenarioModel& model = run.model;
  const FakeFileSystem& files = run.files;
  const std::optional<std::string>& shown = run.shown;
  const std::string line_path = InMemoryPath(LineSourceName(model.nome_linea));
  const std::string train_path = InMemoryPath(TrainSourceName(model.nome_linea, model.numero_treno));
  const std::string compiled_line_path = InMemoryPath(CompiledLineName(model.nome_linea));
  const std::string station_path = InMemoryPath(StationFileName(model.nome_linea, model.numero_treno));
  const std::string cell_path = InMemoryPath(CellFileName(model.nome_linea, model.numero_treno));

  // The sources: whatever was read is gone; a source left unread stays as
  // it was. The line source is always read.
  for (const auto& [path, text] : {std::pair{line_path, line_text}, std::pair{train_path, train_text}}) {
    const bool present = files.files.count(path) != 0;
    if (present && WasRead(files, path)) return Mismatch(path, "read but not deleted");
    if (present && files.files.at(path) != text) return Mismatch(path, "changed");
  }
  if (files.files.count(line_path) != 0) return Mismatch(line_path, "still there after the run");

  // Only the system's own error numbers are ever recorded (101 cannot be:
  // the line source is there; the run's own stops are shown, not recorded).
  const ErrorNumber* recorded = FindErrorNumber(model.codice_errore);
  if (model.codice_errore != 0 &&
      (recorded == nullptr || recorded->source == ErrorSource::CompileRun ||
       model.codice_errore == error_number::kNoLineFile))
    return Mismatch("codice_errore", "an unknown error number " + std::to_string(model.codice_errore));

  // The model's arrays have the sizes of the route read, unless the last
  // route length read gave a bound below 0: that allocation failed and left
  // the earlier array in place.
  if (!model.percorso.empty() && model.ultima_cella >= 0 &&
      model.percorso.size() != static_cast<size_t>(model.ultima_cella) + 1)
    return Mismatch("percorso", std::to_string(model.percorso.size()) + " cells for ultima_cella " +
                                    std::to_string(model.ultima_cella));
  if (!model.tracciato.empty() && model.lunghezza_estesa >= 0 &&
      model.tracciato.size() != static_cast<size_t>(model.lunghezza_estesa) + 1)
    return Mismatch("tracciato", std::to_string(model.tracciato.size()) +
                                     " points for lunghezza_estesa " +
                                     std::to_string(model.lunghezza_estesa));

  if (model.compila_linea == 0 && !model.tracciato.empty())
    return Mismatch("tracciato", "built while compila_linea is 0");

  const bool any_compiled = files.files.count(compiled_line_path) != 0 ||
                            files.files.count(station_path) != 0 || files.files.count(cell_path) != 0;
  if (shown) {
    const bool no_route = model.percorso.size() < 2;
    const std::string expected_without_route =
        std::to_string(model.codice_errore != 0 ? model.codice_errore : 1);
    if (no_route ? *shown != expected_without_route : (*shown != NumeroText(error_number::kMarkerPlaceTaken) &&
                                                     *shown != NumeroText(error_number::kCheckCodePlaceTaken)))
      return Mismatch("shown error", "'" + *shown + "' with " + std::to_string(model.percorso.size()) +
                                         " cells and codice_errore " +
                                         std::to_string(model.codice_errore));
    if (run.messages != std::vector<std::string>{ErrorMessage(*shown)})
      return Mismatch("shown error", "the message box did not show it once");
    if (any_compiled) return Mismatch("shown error", "a compiled file was written");
    return "";
  }

  if (model.percorso.size() < 2) return Mismatch("normal end", "no route, yet no error shown");
  if (!run.messages.empty()) return Mismatch("normal end", "a message box was shown");
  if (model.stazioni[kRecordScenario].par_4 != marcatore_stazioni ||
      model.percorso[1].valore_1 != marcatore_percorso)
    return Mismatch("normal end", "the markers are not stamped");
  for (const std::string& path : {station_path, cell_path})
    if (files.files.count(path) == 0) return Mismatch(path, "not written");
  if ((files.files.count(compiled_line_path) != 0) != (model.compila_linea != 0))
    return Mismatch(compiled_line_path, model.compila_linea != 0 ? "not written" : "written without the plan");

  std::string error;
  std::vector<rec_stazione> stations;
  if (!DecodeStazioni(files.files.at(station_path), &stations, &error))
    return Mismatch(station_path, error);
  if (!std::equal(stations.begin(), stations.end(), model.stazioni.begin(), model.stazioni.end()))
    return Mismatch(station_path, "differs from the station table");
  std::vector<rec_cella> cells;
  if (!DecodePercorso(files.files.at(cell_path), &cells, &error)) return Mismatch(cell_path, error);
  if (cells != model.percorso) return Mismatch(cell_path, "differs from the route");
  if (model.compila_linea == 0) return "";
  if (expected_plan != nullptr) {
    if (files.files.at(compiled_line_path) != *expected_plan)
      return Mismatch(compiled_line_path, "differs from the plan of the built-in line");
    return "";
  }
  const std::string& line_file = files.files.at(compiled_line_path);
  if (CheckedBefore(line_file, model.tracciato)) return "";
  const std::string problem = LineFileProblem(line_file, model.tracciato);
  if (!problem.empty()) return Mismatch(compiled_line_path, problem);
  RememberChecked(line_file, model.tracciato);
  return "";
}

// The compiled line file of the built-in line, from a run of the built-in
// sources that passed every check; "" when that run did not. The train
// service has no say in the plan, so every run on the built-in line must
// write these very bytes (and comparing them is far quicker than decoding
// two megabytes for every input).
const std::string& BuiltInPlanFile() {
  static const std::string file = [] {
    const InMemoryRun run = CompileInMemory(BuiltInLineSource(), BuiltInTrainSource());
    if (!CheckRun(run, BuiltInLineSource(), BuiltInTrainSource(), nullptr).empty()) return std::string();
    return run.files.files.at(InMemoryPath(CompiledLineName(run.model.nome_linea)));
  }();
  return file;
}

}  // namespace

std::string CheckInMemoryRun(const InMemoryRun& run, std::string_view line_text,
                             std::string_view train_text) {
  if (line_text != BuiltInLineSource()) return CheckRun(run, line_text, train_text, nullptr);
  if (BuiltInPlanFile().empty()) return "the built-in sources do not pass the checks";
  return CheckRun(run, line_text, train_text, &BuiltInPlanFile());
}

}  // namespace scenario::testing_support
