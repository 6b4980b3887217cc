// The language logic of the editor's help, in terms of files, texts and
// positions: the open texts, which of them wait for a check, the check of a
// pair in memory with the editor's unsaved texts, and what each check showed,
// in the file and in a partner that is not open. Which sources pair is
// source_pairing's; the diagnostics made of a report, report_diagnostics'.
// No JSON here: the server glue turns this into messages.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "model/scenario_model.h"
#include "platform/files/file_system.h"
#include "platform/system/file_names.h"
#include "tools/authoring/scenario_names.h"
#include "tools/lsp/draft_store.h"
#include "tools/lsp/report_diagnostics.h"
#include "tools/lsp/source_code.h"
#include "tools/lsp/source_pairing.h"
#include "tools/lsp/source_features.h"

namespace scenario::lsp {

class ScenarioServer {
 public:
  // `files` gives the sources that are not open, as they are on disk; the
  // server never writes to it. `names_ignore_case`: file names match in
  // either case, as on the system's file systems; the sources pair as
  // compile pairs them (tools/authoring/scenario_names.h).
  explicit ScenarioServer(FileSystem& files, bool names_ignore_case = FileNamesIgnoreCase());
  ~ScenarioServer();

  void Open(const std::string& path, std::string text, int version);
  bool Change(const std::string& path, const std::vector<TextChange>& edits, int version, std::string* fault);
  void Close(const std::string& path);
  bool IsOpen(const std::string& path) const { return drafts_.Find(path) != nullptr; }
  const Draft* DraftOf(const std::string& path) const { return drafts_.Find(path); }

  // Whether an open file waits for its check.
  bool HasPendingChecks() const { return !pending_.empty(); }
  // Checks every open file that changed, or whose partner did, since its
  // last check (each once, with its latest text), and returns what to show,
  // by file: the checked files, and the partners whose diagnostics changed
  // with it. A file that was closed gets an empty list.
  std::map<std::string, FileDiagnostics> CheckPending();

  // The editor's help at a place of an open file (see source_features.h);
  // hover shows what the last check compiled at an item's line.
  std::optional<HoverText> Hover(const std::string& path, TextPosition position) const;
  std::vector<Completion> Complete(const std::string& path, TextPosition position) const;
  std::optional<Signature> SignatureHelp(const std::string& path, TextPosition position) const;
  std::vector<Symbol> Symbols(const std::string& path) const;

  // The diagnostics of the last check of `path` that touch `range` and
  // know their fix.
  std::vector<SourceDiagnostic> FixableIn(const std::string& path, TextRange range) const;

  // The places that go with the line at `position`: from an item of the
  // train service, the lines of the line description that built its cell
  // (gradient, curve, board, indicator, mountain); from such a line of the
  // line description, the items of the train service it reaches.
  std::vector<RelatedPlace> RelatedLines(const std::string& path, TextPosition position);

  // How many compiles the server has run.
  int compiles() const { return compiles_; }

 private:
  SourceText TextOf(const std::string& path);
  // Compiles the pair in memory, with the open texts as they stand; throws
  // what the compile refuses.
  tool::CompileReport CompileInMemory(const SourcePair& pair, const SourceText& line, const SourceText& train,
                                      ScenarioModel* model);
  // Compiles the pair of `path` and places what it found; Check keeps what
  // it showed.
  void CheckPair(const std::string& path, std::map<std::string, FileDiagnostics>* shown);
  // What the check of `path` found in a partner that is not open, shown
  // there when it changed, and cleared when `path` closes.
  void ShowInPartner(const std::string& path, const SourceText& partner,
                     std::vector<SourceDiagnostic> partner_diagnostics,
                     std::map<std::string, FileDiagnostics>* shown);
  void Check(const std::string& path, std::map<std::string, FileDiagnostics>* shown);
  void MarkPending(const std::string& path);

  FileSystem& files_;
  bool names_ignore_case_;
  DraftStore drafts_;
  SourcePairing pairing_;
  std::set<std::string> pending_;
  std::set<std::string> closed_;
  // What was shown last for files that are not open (a partner's
  // diagnostics), so that it is cleared when no check shows it any more.
  std::map<std::string, std::string> shown_for_partner_;  // partner -> the open file whose check showed it
  // What was shown last for each partner that is not open.
  std::map<std::string, std::vector<SourceDiagnostic>> partner_shown_;
  // What the last check of each open file compiled.
  std::map<std::string, std::shared_ptr<const CompiledCells>> compiled_;
  // What the last check of each open file showed in it.
  std::map<std::string, std::vector<SourceDiagnostic>> last_shown_;
  int compiles_ = 0;
};

}  // namespace scenario::lsp
