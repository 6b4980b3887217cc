// A compile report put into words, in this one place: the sentences of its
// warnings, its error, its notes and what the error leaves in the compiled
// files, each with its place and its fix as data. The command line prints
// them as a compiler's diagnostics, the language server places them in the
// editor, and decompile quotes the error of its self-check.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "tools/authoring/author_compile.h"

namespace scenario::tool {

// One sentence of a report: what it says, where it stands in the author's
// sources (none when it stands in none), the error number it tells of (0 for
// a warning) or the warning's kind, and the edit that puts it right, where the
// reader knows one.
struct ReportSentence {
  std::optional<SourcePlace> place;
  std::string text;
  int32_t numero = 0;
  std::string kind = {};  // a warning's kind: "unknown-keyword"
  std::optional<SourceFix> fix = {};
};

struct ReportWords {
  // The reading's warnings, in the order they were given.
  std::vector<ReportSentence> warnings;
  // The error the compile recorded ("error 8 at 14351 m: ..."), or the one
  // the run stopped with ("error 3: ..."); placed where a source holds it.
  std::optional<ReportSentence> error;
  // Whether `closing` says all that `error` does: a stop whose cause no
  // source holds. A listing that ends with `closing` leaves `error` out then.
  bool closing_tells_error = false;
  // `error` for a view that shows no closing line (the editor's one
  // diagnostic): a stop says there that the run wrote nothing.
  std::string error_alone;
  // The places the error led to, then where the line description's own
  // reading stopped first.
  std::vector<ReportSentence> notes;
  // The last line: what a stop, or the recorded error, leaves in the compiled
  // files and what to do.
  std::optional<std::string> closing;
};

// The report in words. `files_written`: the compile wrote the compiled files
// (compile), or only checked the sources (check, the editor).
ReportWords WordsOf(const CompileReport& report, bool files_written);

// "error N at X m: CAUSE": the position where the number keeps one and
// `position` is given; without a cause, the number's own message.
std::string ErrorHeadline(int32_t numero, std::optional<int32_t> position, const std::optional<std::string>& cause);

// What a run that stopped with `numero` says of it.
std::string StoppedMessage(int32_t numero);

}  // namespace scenario::tool
