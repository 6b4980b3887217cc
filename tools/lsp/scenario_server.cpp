#include "tools/lsp/scenario_server.h"

#include <cmath>
#include <exception>
#include <utility>

#include "encoding/text_encoding.h"
#include "platform/files/memory_file_system.h"
#include "tools/authoring/author_compile.h"
#include "tools/lsp/source_lines.h"

namespace scenario::lsp {

namespace {

// A line description of the largest length, which places nothing: a train
// service whose own line cannot be found is checked on it.
constexpr const char* kStandInLine = "[generale]\r\nlunghezza percorso, 1000000\r\n[fine]\r\n";
// A train service with nothing in it, for a line description alone.
constexpr const char* kStandInTrain = "[generale]\r\n[fine]\r\n";

}  // namespace

ScenarioServer::ScenarioServer(FileSystem& files, bool names_ignore_case)
    : files_(files), names_ignore_case_(names_ignore_case), pairing_(files, drafts_, names_ignore_case) {}
ScenarioServer::~ScenarioServer() = default;

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
  const std::string line = pairing_.LineOf(path);
  for (const std::string& other : drafts_.Paths())
    if (pairing_.OfOneLine(line, other)) pending_.insert(other);
}

void ScenarioServer::MarkPending(const std::string& path) {
  pending_.insert(path);
  if (pairing_.RoleOf(path) != SourceRole::LineDescription) return;
  // Its open train services are compiled with the new text.
  for (const std::string& other : drafts_.Paths())
    if (pairing_.RoleOf(other) == SourceRole::TrainService && pairing_.OfOneLine(path, other)) pending_.insert(other);
}

SourceText ScenarioServer::TextOf(const std::string& path) {
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

tool::CompileReport ScenarioServer::CompileInMemory(const SourcePair& pair, const SourceText& line,
                                                    const SourceText& train, ScenarioModel* model) {
  MemoryFileSystem memory;
  memory.files[line.path] = line.bytes;
  memory.files[train.path] = train.bytes;
  tool::CompileRequest request;
  request.line_file = line.path;
  request.train_file = train.path;
  request.no_line = !pair.line_found;
  request.names_ignore_case = names_ignore_case_;
  request.trace_writes = true;
  ++compiles_;
  return tool::RunCheck(request, memory, model);
}

void ScenarioServer::CheckPair(const std::string& path, std::map<std::string, FileDiagnostics>* shown) {
  FileDiagnostics& own = (*shown)[path];
  own = FileDiagnostics{};
  own.version = drafts_.Find(path)->version;
  std::vector<SourceDiagnostic>& diagnostics = own.diagnostics;
  const SourceRole role = pairing_.RoleOf(path);
  const SourcePair pair = role == SourceRole::Other ? SourcePair{} : pairing_.PairOf(path);
  if (std::optional<SourceDiagnostic> uncompiled = UncompiledFile(path, role, pair, drafts_.Find(path)->text)) {
    diagnostics.push_back(std::move(*uncompiled));
    return;
  }

  SourceText line = pair.line_found ? TextOf(pair.line_path)
                                    : SourceText(pair.line_path, kStandInLine, kStandInLine, false, false);
  SourceText train = pair.train_found ? TextOf(pair.train_path)
                                      : SourceText(pair.train_path, kStandInTrain, kStandInTrain, false, false);
  const SourceText& edited = role == SourceRole::LineDescription ? line : train;
  const SourceText& partner = role == SourceRole::LineDescription ? train : line;
  diagnostics = MissingPartners(pair, edited);
  for (SourceDiagnostic& unencodable : UnencodableCharacters(edited)) diagnostics.push_back(std::move(unencodable));

  tool::CompileReport report;
  ScenarioModel model;
  try {
    report = CompileInMemory(pair, line, train, &model);
  } catch (const std::exception& refused) {
    diagnostics.push_back(RefusedCompile(edited, refused.what()));
    return;
  }

  auto cells = std::make_shared<CompiledCells>();
  cells->percorso = std::move(model.percorso);
  cells->stazioni = model.stazioni;
  for (tool::LineAccount& account : report.lines)
    (account.file == path ? cells->lines : cells->partner_lines).push_back(std::move(account));
  compiled_[path] = std::move(cells);

  std::vector<SourceDiagnostic> partner_diagnostics;
  PlaceReport(report, edited, partner, &diagnostics, &partner_diagnostics);
  ShowInPartner(path, partner, std::move(partner_diagnostics), shown);
}

void ScenarioServer::ShowInPartner(const std::string& path, const SourceText& partner,
                                   std::vector<SourceDiagnostic> partner_diagnostics,
                                   std::map<std::string, FileDiagnostics>* shown) {
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

// The lines that place something, with the places the compile read where
// its account of the line stands (`accounts`), else as the text gives them.
std::vector<PlacedLine> PlacedLines(const SourceDocument& document, const std::vector<tool::LineAccount>& accounts) {
  std::vector<PlacedLine> placed;
  for (int line = 0; line < document.lines.line_count(); ++line) {
    const LineFields fields = ReadLineFields(document.lines.Line(document.text, line), document.file);
    if (const tool::LineAccount* account = CurrentAccount(accounts, line, fields.keyword_text)) {
      if (!account->metres || account->keywords.empty()) continue;
      PlacedLine entry{line, account->spec(), *account->metres, std::nullopt};
      for (const tool::AccountValue& value : account->keywords.front().values)
        if (value.index == 1 && !value.text) entry.second = value.number;
      placed.push_back(entry);
      continue;
    }
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
  if (!draft || pairing_.RoleOf(path) == SourceRole::Other) return std::nullopt;
  const auto compiled = compiled_.find(path);
  return HoverAt(DocumentOf(pairing_.RoleOf(path), *draft), position,
                 compiled == compiled_.end() ? nullptr : compiled->second.get());
}

std::vector<Completion> ScenarioServer::Complete(const std::string& path, TextPosition position) const {
  const Draft* draft = drafts_.Find(path);
  if (!draft || pairing_.RoleOf(path) == SourceRole::Other) return {};
  return CompletionsAt(DocumentOf(pairing_.RoleOf(path), *draft), position);
}

std::optional<Signature> ScenarioServer::SignatureHelp(const std::string& path, TextPosition position) const {
  const Draft* draft = drafts_.Find(path);
  if (!draft || pairing_.RoleOf(path) == SourceRole::Other) return std::nullopt;
  return SignatureAt(DocumentOf(pairing_.RoleOf(path), *draft), position);
}

std::vector<RelatedPlace> ScenarioServer::RelatedLines(const std::string& path, TextPosition position) {
  std::vector<RelatedPlace> places;
  const Draft* draft = drafts_.Find(path);
  const SourceRole role = pairing_.RoleOf(path);
  if (!draft || role == SourceRole::Other) return places;
  const SourcePair pair = pairing_.PairOf(path);
  if (!pair.line_found || !pair.train_found) return places;
  const auto document_of = [&](const std::string& file, SourceFile kind) {
    if (const Draft* open = drafts_.Find(file)) return SourceDocument(kind, open->text);
    std::string bytes;
    if (!files_.ReadFile(file, &bytes).ok()) bytes.clear();
    return SourceDocument(kind, Windows1252ToUtf8(bytes));
  };
  const SourceDocument line_document = document_of(pair.line_path, SourceFile::LineDescription);
  const SourceDocument train_document = document_of(pair.train_path, SourceFile::TrainService);
  // What the last check of `path` read of both sources.
  static const std::vector<tool::LineAccount> kNone;
  const auto compiled = compiled_.find(path);
  const bool checked = compiled != compiled_.end();
  const bool is_line = role == SourceRole::LineDescription;
  const std::vector<tool::LineAccount>& own = checked ? compiled->second->lines : kNone;
  const std::vector<tool::LineAccount>& other = checked ? compiled->second->partner_lines : kNone;
  const std::vector<PlacedLine> line_items = PlacedLines(line_document, is_line ? own : other);
  const std::vector<PlacedLine> train_items = PlacedLines(train_document, is_line ? other : own);
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
  if (!draft || pairing_.RoleOf(path) == SourceRole::Other) return {};
  const auto compiled = compiled_.find(path);
  return SymbolsOf(DocumentOf(pairing_.RoleOf(path), *draft), compiled == compiled_.end() ? nullptr : compiled->second.get());
}

}  // namespace scenario::lsp
