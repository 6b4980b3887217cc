#include "tools/lsp/scenario_server.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>

#include "platform/files/memory_file_system.h"
#include "platform/files/workspace.h"
#include "platform/system/file_names.h"
#include "tools/authoring/author_compile.h"
#include "tools/authoring/report_words.h"
#include "tools/common/paths.h"
#include "tools/lsp/source_lines.h"
#include "encoding/text_encoding.h"

namespace scenario::lsp {

namespace {

constexpr std::string_view kLineEnding = "_linea.txt";

// The path's last component and the directory before it ("" for none).
std::string FileNameOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? path : path.substr(slash + 1);
}
std::string DirectoryOf(const std::string& path) {
  const size_t slash = path.find_last_of("/\\");
  return slash == std::string::npos ? "" : path.substr(0, slash);
}
std::string Join(const std::string& directory, const std::string& name) {
  return directory.empty() ? name : directory + "/" + name;
}

// A line description of the largest length, which places nothing: a train
// service whose own line cannot be found is checked on it.
constexpr const char* kStandInLine = "[generale]\r\nlunghezza percorso, 1000000\r\n[fine]\r\n";
// A train service with nothing in it, for a line description alone.
constexpr const char* kStandInTrain = "[generale]\r\n[fine]\r\n";

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

// One source of a compile, in both forms: as the editor shows it and as the
// compiler reads it.
struct ScenarioServer::SourceText {
  SourceText(std::string path, std::string utf8_text, std::string compiled_bytes, bool is_open, bool is_real)
      : path(std::move(path)),
        utf8(std::move(utf8_text)),
        bytes(std::move(compiled_bytes)),
        open(is_open),
        real(is_real),
        utf8_lines(utf8),
        byte_lines(bytes) {}

  // The range of the field that begins at the compiler's `line` and
  // `column` (1-based; line 0 is the whole file, shown on its first line).
  TextRange FieldRange(int line, int column) const {
    if (line <= 0) return LineRange(0);
    const std::string_view bytes_line = byte_lines.Line(bytes, line - 1);
    size_t start = column > 0 ? static_cast<size_t>(column - 1) : 0;
    while (start < bytes_line.size() && IsBlank(bytes_line[start])) ++start;
    size_t end = 0;
    if (start >= bytes_line.size()) {
      // Past the line's end (a line cut short): its last character.
      end = bytes_line.size();
      start = end > 0 ? end - 1 : 0;
    } else if (bytes_line[start] == '"') {
      const size_t quote = bytes_line.find('"', start + 1);
      end = quote == std::string_view::npos ? bytes_line.size() : quote + 1;
    } else {
      const size_t comma = bytes_line.find(',', start);
      end = comma == std::string_view::npos ? bytes_line.size() : comma;
      while (end > start + 1 && IsBlank(bytes_line[end - 1])) --end;
      if (end == start) end = start + 1;
    }
    return {PositionOfCharacter(utf8, utf8_lines, line - 1, static_cast<int>(start)),
            PositionOfCharacter(utf8, utf8_lines, line - 1, static_cast<int>(end))};
  }
  // A reader's fix, in the editor's terms: from the field at its place to
  // the field's end, or to the line's end without its trailing blanks.
  TextFix FixOf(const tool::SourceFix& fix) const {
    TextRange range = FieldRange(fix.place.line, fix.place.column);
    if (fix.reach == EditReach::LineEnd) {
      const std::string_view bytes_line = byte_lines.Line(bytes, fix.place.line - 1);
      size_t end = bytes_line.size();
      while (end > 0 && IsBlank(bytes_line[end - 1])) --end;
      range.end = PositionOfCharacter(utf8, utf8_lines, fix.place.line - 1, static_cast<int>(end));
    }
    return {fix.title, range, fix.replacement};
  }
  std::vector<TextFix> FixesOf(const std::optional<tool::SourceFix>& fix) const {
    if (!fix || fix->place.file != path) return {};
    return {FixOf(*fix)};
  }
  // A whole line (0-based), its end included.
  TextRange LineRange(int line) const {
    const int length = static_cast<int>(byte_lines.Line(bytes, line).size());
    return {PositionOfCharacter(utf8, utf8_lines, line, 0), PositionOfCharacter(utf8, utf8_lines, line, length)};
  }

  std::string path;
  std::string utf8;
  std::string bytes;
  bool open = false;
  bool real = true;  // false for a stand-in, which the author never sees
  std::optional<int> version;
  std::vector<UnencodableCharacter> unencodable;
  LineTable utf8_lines;
  LineTable byte_lines;
};

ScenarioServer::ScenarioServer(FileSystem& files, bool names_ignore_case)
    : files_(files), names_ignore_case_(names_ignore_case) {}
ScenarioServer::~ScenarioServer() = default;

SourceRole ScenarioServer::RoleOf(const std::string& path) const {
  return tool::SourceRoleOf(FileNameOf(path), names_ignore_case_);
}

bool ScenarioServer::OfOneLine(const std::string& a, const std::string& b) const {
  if (DirectoryOf(a) != DirectoryOf(b)) return false;
  const std::string name_a = FileNameOf(a);
  const std::string name_b = FileNameOf(b);
  const SourceRole role_a = RoleOf(a);
  const SourceRole role_b = RoleOf(b);
  if (role_a == SourceRole::LineDescription && role_b == SourceRole::TrainService)
    return tool::IsTrainServiceOf(name_b, name_a, names_ignore_case_);
  if (role_a == SourceRole::TrainService && role_b == SourceRole::LineDescription)
    return tool::IsTrainServiceOf(name_a, name_b, names_ignore_case_);
  // Two line descriptions: by the line names their own names give. Two
  // train services are of one line through the line description they pair
  // with, which only a search finds (PairOf).
  if (role_a != SourceRole::LineDescription || role_b != SourceRole::LineDescription) return false;
  const std::optional<std::string> line_a = tool::LineNameOfLineFile(name_a, names_ignore_case_);
  const std::optional<std::string> line_b = tool::LineNameOfLineFile(name_b, names_ignore_case_);
  return line_a && line_b && tool::SameLineName(*line_a, *line_b, names_ignore_case_);
}

void ScenarioServer::Open(const std::string& path, std::string text, int version) {
  drafts_.Open(path, std::move(text), version);
  closed_.erase(path);
  partner_shown_.erase(path);
  MarkPending(path);
}

bool ScenarioServer::Change(const std::string& path, const std::vector<TextChange>& edits, int version,
                            std::string* fault) {
  if (!drafts_.Change(path, edits, version, fault)) return false;
  MarkPending(path);
  return true;
}

void ScenarioServer::Close(const std::string& path) {
  drafts_.Close(path);
  compiled_.erase(path);
  last_shown_.erase(path);
  pending_.erase(path);
  closed_.insert(path);
  // What its checks showed in partners not open goes with it; the open
  // files of the same line are checked again, and show theirs: those of the
  // line description it is, or the one it pairs with, as compile pairs them.
  for (auto it = shown_for_partner_.begin(); it != shown_for_partner_.end();) {
    if (it->second == path) {
      if (!IsOpen(it->first) && partner_shown_.count(it->first) > 0) closed_.insert(it->first);
      it = shown_for_partner_.erase(it);
    } else {
      ++it;
    }
  }
  const std::string line = RoleOf(path) == SourceRole::TrainService ? PairOf(path).line_path : path;
  for (const std::string& other : drafts_.Paths())
    if (OfOneLine(line, other)) pending_.insert(other);
}

void ScenarioServer::MarkPending(const std::string& path) {
  pending_.insert(path);
  if (RoleOf(path) != SourceRole::LineDescription) return;
  // Its open train services are compiled with the new text.
  for (const std::string& other : drafts_.Paths())
    if (RoleOf(other) == SourceRole::TrainService && OfOneLine(path, other)) pending_.insert(other);
}

std::optional<std::string> ScenarioServer::FindSource(const std::string& directory,
                                                      const std::function<bool(const std::string&)>& wanted) {
  for (const std::string& open : drafts_.Paths())
    if (wanted(open)) return open;
  std::vector<std::string> names;
  if (files_.ListDirectory(directory.empty() ? "." : directory, &names).ok()) {
    std::sort(names.begin(), names.end());
    for (const std::string& name : names) {
      const std::string candidate = Join(directory, name);
      if (wanted(candidate) && files_.FileExists(candidate)) return candidate;
    }
  }
  return std::nullopt;
}

ScenarioServer::Pair ScenarioServer::PairOf(const std::string& path) {
  Pair pair;
  const std::string directory = DirectoryOf(path);
  if (RoleOf(path) == SourceRole::LineDescription) {
    pair.line_path = path;
    pair.line_found = true;
    pair.line_name = tool::LineNameOfLineFile(FileNameOf(path), names_ignore_case_).value_or("");
    const std::optional<std::string> train = FindSource(directory, [&](const std::string& candidate) {
      return RoleOf(candidate) == SourceRole::TrainService && OfOneLine(path, candidate);
    });
    pair.train_found = train.has_value();
    pair.train_path = train.value_or(Join(directory, pair.line_name + "_0-.txt"));
    return pair;
  }
  pair.train_path = path;
  pair.train_found = true;
  pair.line_name = tool::LineNameOfTrainFile(FileNameOf(path), names_ignore_case_).value_or("");
  pair.line_path = Join(directory, pair.line_name + std::string(kLineEnding));
  if (pair.line_name.empty()) return pair;
  // As compile pairs them: the line whose name, and a '_', begin the train
  // service's name ("VALLE_LINEA.TXT" where names ignore case).
  const std::optional<std::string> line = FindSource(directory, [&](const std::string& candidate) {
    return RoleOf(candidate) == SourceRole::LineDescription && OfOneLine(path, candidate);
  });
  pair.line_found = line.has_value();
  if (line) pair.line_path = *line;
  return pair;
}

ScenarioServer::SourceText ScenarioServer::TextOf(const std::string& path) {
  if (const Draft* draft = drafts_.Find(path)) {
    std::vector<UnencodableCharacter> unencodable;
    std::string bytes = ToWindows1252(draft->text, &unencodable);
    SourceText text(path, draft->text, std::move(bytes), true, true);
    text.version = draft->version;
    text.unencodable = std::move(unencodable);
    return text;
  }
  std::string bytes;
  // A file that cannot be read compiles as the compile reads it: the
  // failure is told as the compile tells it.
  if (!files_.ReadFile(path, &bytes).ok()) bytes.clear();
  std::string utf8 = Windows1252ToUtf8(bytes);
  return SourceText(path, std::move(utf8), std::move(bytes), false, true);
}

std::map<std::string, FileDiagnostics> ScenarioServer::CheckPending() {
  std::map<std::string, FileDiagnostics> shown;
  for (const std::string& path : closed_) {
    if (IsOpen(path)) continue;
    shown[path] = FileDiagnostics{};
    partner_shown_.erase(path);
  }
  closed_.clear();
  const std::set<std::string> pending = std::move(pending_);
  pending_.clear();
  for (const std::string& path : pending)
    if (IsOpen(path)) Check(path, &shown);
  return shown;
}

void ScenarioServer::Check(const std::string& path, std::map<std::string, FileDiagnostics>* shown) {
  CheckPair(path, shown);
  last_shown_[path] = (*shown)[path].diagnostics;
}

std::vector<SourceDiagnostic> ScenarioServer::FixableIn(const std::string& path, TextRange range) const {
  std::vector<SourceDiagnostic> fixable;
  const auto found = last_shown_.find(path);
  if (found == last_shown_.end()) return fixable;
  for (const SourceDiagnostic& diagnostic : found->second) {
    if (diagnostic.fixes.empty()) continue;
    // Ranges that touch.
    if (diagnostic.range.end < range.start || range.end < diagnostic.range.start) continue;
    fixable.push_back(diagnostic);
  }
  return fixable;
}

void ScenarioServer::CheckPair(const std::string& path, std::map<std::string, FileDiagnostics>* shown) {
  FileDiagnostics& own = (*shown)[path];
  own = FileDiagnostics{};
  own.version = drafts_.Find(path)->version;
  std::vector<SourceDiagnostic>& diagnostics = own.diagnostics;
  const SourceRole role = RoleOf(path);

  const auto first_line_of_draft = [&] {
    const Draft* draft = drafts_.Find(path);
    const LineTable lines(draft->text);
    return TextRange{{0, 0}, PositionOfCharacter(draft->text, lines, 0, 1 << 30)};
  };
  if (role == SourceRole::Other) {
    diagnostics.push_back({first_line_of_draft(), Severity::Information, std::string("pairing"),
                           "'" + FileNameOf(path) +
                               "' is named neither as a line description (NAME_linea.txt) nor as a train "
                               "service (NAME_NUMBER-.txt), so it is not compiled: rename it",
                           {}, {}});
    return;
  }
  const Pair pair = PairOf(path);
  if (pair.line_name.empty()) {
    diagnostics.push_back({first_line_of_draft(), Severity::Error, std::string("pairing"),
                           "cannot tell the line name: '" + FileNameOf(path) +
                               "' does not follow the pattern NAME_NUMBER-.txt (the line name, '_', the "
                               "train number, '-.txt'), so the line description cannot be found: rename it",
                           {}, {}});
    return;
  }

  SourceText line = pair.line_found ? TextOf(pair.line_path)
                                    : SourceText(pair.line_path, kStandInLine, kStandInLine, false, false);
  SourceText train = pair.train_found ? TextOf(pair.train_path)
                                      : SourceText(pair.train_path, kStandInTrain, kStandInTrain, false, false);
  SourceText& edited = role == SourceRole::LineDescription ? line : train;
  SourceText& partner = role == SourceRole::LineDescription ? train : line;

  if (!pair.line_found) {
    diagnostics.push_back(
        {edited.LineRange(0), Severity::Information, std::string("pairing"),
         "no line description '" + FileNameOf(pair.line_path) + "' was found beside this file (looked for '" +
             pair.line_path +
             "'): the train service is checked without it, on a line of 1000000 m with nothing placed on it and "
             "without the plan of the track, so no position is checked against the real line",
         {}, {}});
  }
  if (!pair.train_found) {
    diagnostics.push_back({edited.LineRange(0), Severity::Information, std::string("pairing"),
                           "no train service '" + pair.line_name +
                               "_NUMBER-.txt' was found beside this file: the line description is checked with "
                               "an empty train service",
                           {}, {}});
  }

  // The characters the simulator could not read, where they stand.
  for (const UnencodableCharacter& character : edited.unencodable) {
    const TextPosition start =
        PositionOfCharacter(edited.utf8, edited.utf8_lines, character.line, character.column);
    const TextPosition end =
        PositionOfCharacter(edited.utf8, edited.utf8_lines, character.line, character.column + 1);
    diagnostics.push_back(
        {{start, end},
         Severity::Error,
         std::string("encoding"),
         "the character " + CodePointName(character.code) +
             " cannot be written in Windows-1252, the character set the simulator reads the sources in, so the "
             "file cannot be saved as the simulator reads it: write another character (the compile reads a '?' "
             "in its place)",
         {}, {}});
  }

  MemoryFileSystem memory;
  memory.files[line.path] = line.bytes;
  memory.files[train.path] = train.bytes;
  tool::CompileRequest request;
  request.line_file = line.path;
  request.train_file = train.path;
  request.no_line = !pair.line_found;
  request.names_ignore_case = names_ignore_case_;
  request.trace_writes = true;
  tool::CompileReport report;
  ScenarioModel model;
  ++compiles_;
  try {
    report = tool::RunCheck(request, memory, &model);
  } catch (const std::exception& refused) {
    // A name that cannot be used, a file saved as UTF-16: told as check tells it.
    diagnostics.push_back({edited.LineRange(0), Severity::Error, std::string("refused"),
                           MessageToUtf8(refused.what()), {}, {}});
    return;
  }

  auto cells = std::make_shared<CompiledCells>();
  cells->percorso = std::move(model.percorso);
  cells->stazioni = model.stazioni;
  for (tool::LineAccount& account : report.lines)
    if (account.file == path) cells->lines.push_back(std::move(account));
  compiled_[path] = std::move(cells);

  std::vector<SourceDiagnostic> partner_diagnostics;
  // The diagnostics of the file a place names; nothing for a stand-in.
  const auto place = [&](const tool::SourcePlace& at) -> std::pair<SourceText*, std::vector<SourceDiagnostic>*> {
    if (at.file == partner.path) {
      if (!partner.real) return {nullptr, nullptr};
      return {&partner, &partner_diagnostics};
    }
    return {&edited, &diagnostics};
  };
  const tool::ReportWords words = tool::WordsOf(report, false);
  for (const tool::ReportSentence& warning : words.warnings) {
    const auto [text, into] = place(*warning.place);
    if (!text) continue;
    into->push_back({text->FieldRange(warning.place->line, warning.place->column), Severity::Warning, warning.kind,
                     warning.text, {}, text->FixesOf(warning.fix)});
  }
  if (words.error) {
    const int32_t numero = words.error->numero;
    const std::string& message = words.error_alone;
    const tool::SourcePlace at = words.error->place.value_or(tool::SourcePlace{edited.path, 0, 0});
    const auto [text, into] = place(at);
    if (text) {
      const TextRange range = text->FieldRange(at.line, at.column);
      into->push_back({range, Severity::Error, numero, message, {}, text->FixesOf(words.error->fix)});
      if (text == &partner) {
        // Told in the edited file too, with its place.
        const std::string where = at.line > 0 ? ", line " + std::to_string(at.line) + ", column " +
                                                    std::to_string(at.column)
                                              : "";
        diagnostics.push_back({edited.LineRange(0), Severity::Error, numero,
                               "in " + FileNameOf(partner.path) + where + ": " + message,
                               {{partner.path, range, message}}, {}});
      }
    }
  }
  for (const tool::ReportSentence& note : words.notes) {
    const auto [text, into] = place(*note.place);
    if (text)
      into->push_back({text->FieldRange(note.place->line, note.place->column), Severity::Information, note.numero,
                       note.text, {}, {}});
  }
  // A partner that is not open shows what this check found in it.
  // (only when it changed: most checks find nothing new there).
  if (partner.real && !partner.open) {
    shown_for_partner_[partner.path] = path;
    const auto last = partner_shown_.find(partner.path);
    const bool same = last == partner_shown_.end() ? partner_diagnostics.empty() : last->second == partner_diagnostics;
    if (!same) {
      partner_shown_[partner.path] = partner_diagnostics;
      (*shown)[partner.path] = FileDiagnostics{std::nullopt, std::move(partner_diagnostics)};
    }
  }
}

namespace {

// A line of a source that places something at a position.
struct PlacedLine {
  int line = 0;
  const KeywordSpec* spec = nullptr;
  long long position = 0;
  std::optional<long long> second;  // a curve's length, a mountain's end
};

std::vector<PlacedLine> PlacedLines(const SourceDocument& document) {
  std::vector<PlacedLine> placed;
  for (int line = 0; line < document.lines.line_count(); ++line) {
    const LineFields fields = ReadLineFields(document.lines.Line(document.text, line), document.file);
    long long position = 0;
    if (!fields.spec || fields.value_texts.empty() || !WholeNumber(fields.value_texts[0], &position)) continue;
    PlacedLine entry{line, fields.spec, position, std::nullopt};
    long long second = 0;
    if (fields.value_texts.size() > 1 && WholeNumber(fields.value_texts[1], &second)) entry.second = second;
    placed.push_back(entry);
  }
  return placed;
}

bool IsTrainItem(const KeywordSpec* spec) {
  return spec == &keyword::kSegnale || spec == &keyword::kRallentamento || spec == &keyword::kStazione ||
         spec == &keyword::kAbbattimento || spec == &keyword::kVelocita || spec == &keyword::kAderenza;
}

long long ItemCell(long long position) { return static_cast<long long>(std::nearbyint(position / 50.0 + 1.0)); }

// Whether the line description's `line` reaches the metre `p`; `next_step`
// is the position of the next gradient step after it.
bool Reaches(const PlacedLine& line, std::optional<long long> next_step, long long p) {
  const KeywordSpec* spec = line.spec;
  if (spec == &keyword::kPendenza) return line.position <= p && (!next_step || p < *next_step);
  if (spec == &keyword::kCurva) return line.second && line.position <= p && p < line.position + *line.second;
  if (spec == &keyword::kMontagna) return line.second && line.position <= p && p <= *line.second;
  if (spec == &keyword::kCartelloIndicatore || spec == &keyword::kIndicatoriVmax)
    return ItemCell(line.position) == ItemCell(p);
  return false;
}

// The gradient step after each line's, in the order of the file.
std::vector<std::optional<long long>> NextSteps(const std::vector<PlacedLine>& lines) {
  std::vector<std::optional<long long>> next(lines.size());
  std::optional<long long> after;
  for (size_t k = lines.size(); k-- > 0;) {
    if (lines[k].spec != &keyword::kPendenza) continue;
    next[k] = after;
    after = lines[k].position;
  }
  return next;
}

RelatedPlace PlaceOfLine(const std::string& path, const SourceDocument& document, int line) {
  const std::string_view text = document.lines.Line(document.text, line);
  return {path, {{line, 0}, PositionOfLineByte(document.text, document.lines, line, text.size())}, std::string(text)};
}

SourceDocument DocumentOf(SourceRole role, const Draft& draft) {
  return SourceDocument(role == SourceRole::LineDescription ? SourceFile::LineDescription : SourceFile::TrainService,
                        draft.text);
}

}  // namespace

std::optional<HoverText> ScenarioServer::Hover(const std::string& path, TextPosition position) const {
  const Draft* draft = drafts_.Find(path);
  if (!draft || RoleOf(path) == SourceRole::Other) return std::nullopt;
  const auto compiled = compiled_.find(path);
  return HoverAt(DocumentOf(RoleOf(path), *draft), position,
                 compiled == compiled_.end() ? nullptr : compiled->second.get());
}

std::vector<Completion> ScenarioServer::Complete(const std::string& path, TextPosition position) const {
  const Draft* draft = drafts_.Find(path);
  if (!draft || RoleOf(path) == SourceRole::Other) return {};
  return CompletionsAt(DocumentOf(RoleOf(path), *draft), position);
}

std::optional<Signature> ScenarioServer::SignatureHelp(const std::string& path, TextPosition position) const {
  const Draft* draft = drafts_.Find(path);
  if (!draft || RoleOf(path) == SourceRole::Other) return std::nullopt;
  return SignatureAt(DocumentOf(RoleOf(path), *draft), position);
}

std::vector<RelatedPlace> ScenarioServer::RelatedLines(const std::string& path, TextPosition position) {
  std::vector<RelatedPlace> places;
  const Draft* draft = drafts_.Find(path);
  const SourceRole role = RoleOf(path);
  if (!draft || role == SourceRole::Other) return places;
  const Pair pair = PairOf(path);
  if (!pair.line_found || !pair.train_found) return places;
  const auto document_of = [&](const std::string& file, SourceFile kind) {
    if (const Draft* open = drafts_.Find(file)) return SourceDocument(kind, open->text);
    std::string bytes;
    if (!files_.ReadFile(file, &bytes).ok()) bytes.clear();
    return SourceDocument(kind, Windows1252ToUtf8(bytes));
  };
  const SourceDocument line_document = document_of(pair.line_path, SourceFile::LineDescription);
  const SourceDocument train_document = document_of(pair.train_path, SourceFile::TrainService);
  const std::vector<PlacedLine> line_items = PlacedLines(line_document);
  const std::vector<PlacedLine> train_items = PlacedLines(train_document);
  const std::vector<std::optional<long long>> next_steps = NextSteps(line_items);
  if (role == SourceRole::TrainService) {
    for (const PlacedLine& item : train_items) {
      if (item.line != position.line || !IsTrainItem(item.spec)) continue;
      for (size_t k = 0; k < line_items.size(); ++k)
        if (Reaches(line_items[k], next_steps[k], item.position))
          places.push_back(PlaceOfLine(pair.line_path, line_document, line_items[k].line));
    }
    return places;
  }
  for (size_t k = 0; k < line_items.size(); ++k) {
    if (line_items[k].line != position.line) continue;
    for (const PlacedLine& item : train_items)
      if (IsTrainItem(item.spec) && Reaches(line_items[k], next_steps[k], item.position))
        places.push_back(PlaceOfLine(pair.train_path, train_document, item.line));
  }
  return places;
}

std::vector<Symbol> ScenarioServer::Symbols(const std::string& path) const {
  const Draft* draft = drafts_.Find(path);
  if (!draft || RoleOf(path) == SourceRole::Other) return {};
  const auto compiled = compiled_.find(path);
  return SymbolsOf(DocumentOf(RoleOf(path), *draft), compiled == compiled_.end() ? nullptr : compiled->second.get());
}

}  // namespace scenario::lsp
