// The diagnostics of a check in the editor's terms: what the pairing of the
// sources lacked, the characters the simulator cannot read, and what the
// compile reported (its warnings, the error, its notes and the related
// place, with the fixes the readers gave), each on the range of its field.
#pragma once

#include <optional>
#include <string>
#include <variant>
#include <vector>

#include "tools/authoring/author_compile.h"
#include "tools/lsp/source_code.h"
#include "tools/lsp/source_pairing.h"

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

// One source of a compile, in both forms: as the editor shows it and as the
// compiler reads it.
struct SourceText {
  SourceText(std::string path, std::string utf8_text, std::string compiled_bytes, bool is_open, bool is_real);

  // The range of the field that begins at the compiler's `line` and
  // `column` (1-based; line 0 is the whole file, shown on its first line).
  TextRange FieldRange(int line, int column) const;
  // A reader's fix, in the editor's terms: from the field at its place to
  // the field's end, or to the line's end without its trailing blanks.
  TextFix FixOf(const tool::SourceFix& fix) const;
  // The fix when it is one of this file's.
  std::vector<TextFix> FixesOf(const std::optional<tool::SourceFix>& fix) const;
  // A whole line (0-based), its end included.
  TextRange LineRange(int line) const;

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

// Why the open file `path` (its text `utf8_text`) is not compiled: named as
// neither source, or as a train service whose name gives no line name.
// Nothing for a file that is compiled.
std::optional<SourceDiagnostic> UncompiledFile(const std::string& path, SourceRole role, const SourcePair& pair,
                                               const std::string& utf8_text);

// The partners of `pair` that were not found, and what `edited` is checked
// with in their place.
std::vector<SourceDiagnostic> MissingPartners(const SourcePair& pair, const SourceText& edited);

// The characters of `edited` that Windows-1252 cannot hold, where they stand.
std::vector<SourceDiagnostic> UnencodableCharacters(const SourceText& edited);

// A compile refused before it ran (a name that cannot be used, a file saved
// as UTF-16), told as check tells it: `why` is the refusal's message.
SourceDiagnostic RefusedCompile(const SourceText& edited, const std::string& why);

// What the compile reported, placed in the file that holds it: `edited`, or
// `partner` when it is real (a stand-in shows nothing). An error in the
// partner is told in `edited` too, on its first line, with the place.
void PlaceReport(const tool::CompileReport& report, const SourceText& edited, const SourceText& partner,
                 std::vector<SourceDiagnostic>* in_edited, std::vector<SourceDiagnostic>* in_partner);

}  // namespace scenario::lsp
