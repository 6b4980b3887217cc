// The report of scenario-tool compile and check as the author reads it: as a
// compiler prints its diagnostics, or as one JSON object, and the exit
// status it gives.
#pragma once

#include <ostream>

#include "tools/authoring/author_compile.h"

namespace scenario::tool {

// The exit status of a report: 0 no error recorded, 1 an error recorded, 2
// stopped through errore. With `werror`, a report with warnings and no error
// ends with 1.
int ExitStatusOf(const CompileReport& report, bool werror = false);

// The report as a compiler prints it: the warnings and the diagnostic lines
// on `err`, the files written on `out` (none with `list_files` false).
void PrintCompileReport(const CompileReport& report, std::ostream& out, std::ostream& err,
                        bool list_files = true);
// The report as one JSON object on `out`.
void PrintCompileReportJson(const CompileReport& report, std::ostream& out);

}  // namespace scenario::tool
