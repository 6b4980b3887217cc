// The language logic of the editor's help, in terms of files, texts and
// positions: which sources belong together, compiling a pair in memory with
// the editor's unsaved texts, and what the compile found, placed in the
// editor's terms. No JSON here: the server glue turns this into messages.
#pragma once

#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <variant>
#include <vector>

#include "platform/files/file_system.h"
#include "platform/system/file_names.h"
#include "tools/authoring/scenario_names.h"
#include "tools/lsp/draft_store.h"
#include "tools/lsp/source_code.h"
#include "tools/lsp/source_features.h"

namespace scenario::lsp {

enum class Severity { Error = 1, Warning = 2, Information = 3, Hint = 4 };

// Another place that a diagnostic points at.
struct RelatedPlace {
  std::string path;
  TextRange range;
  std::string message;
  bool operator==(const RelatedPlace&) const = default;
};

// An edit that puts right what a diagnostic tells of.
struct TextFix {
  std::string title;
  TextRange range;
  std::string new_text;
  bool operator==(const TextFix&) const = default;
};

struct SourceDiagnostic {
  TextRange range;
  Severity severity = Severity::Error;
  // The error number, or the warning's kind ("unknown-keyword"), or the
  // server's own word for what it found ("encoding", "pairing").
  std::variant<int, std::string> code;
  std::string message;
  std::vector<RelatedPlace> related;
  // The edits that put it right, where the warning knows them.
  std::vector<TextFix> fixes;
  bool operator==(const SourceDiagnostic&) const = default;
};

// What the editor should show for one file.
struct FileDiagnostics {
  std::optional<int> version;  // the open text's version the diagnostics belong to
  std::vector<SourceDiagnostic> diagnostics;
};

using tool::SourceRole;

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
  struct SourceText;
  struct CheckResult;

  // The paths of the pair that `path` belongs to; for a line description, the
  // train service it is checked with (empty when there is none).
  struct Pair {
    std::string line_path;
    std::string train_path;
    std::string line_name;
    bool line_found = false;
    bool train_found = false;
  };
  Pair PairOf(const std::string& path);
  // Which source a file is, and whether two files are sources of one line.
  SourceRole RoleOf(const std::string& path) const;
  bool OfOneLine(const std::string& a, const std::string& b) const;
  // The first source `wanted` takes in `directory`: an open one first, then
  // one on disk, in the order of their names.
  std::optional<std::string> FindSource(const std::string& directory,
                                        const std::function<bool(const std::string&)>& wanted);
  SourceText TextOf(const std::string& path);
  // Compiles the pair of `path` and places what it found; Check adds the
  // fixes and keeps what it showed.
  void CheckPair(const std::string& path, std::map<std::string, FileDiagnostics>* shown);
  void Check(const std::string& path, std::map<std::string, FileDiagnostics>* shown);
  void MarkPending(const std::string& path);

  FileSystem& files_;
  bool names_ignore_case_;
  DraftStore drafts_;
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
