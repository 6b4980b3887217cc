#include "tools/cli/compile_report.h"

#include <string>

#include "compiler/fields/error_numbers.h"
#include "compiler/error_reporting.h"
#include "encoding/text_encoding.h"
#include "tools/authoring/error_messages.h"
#include "tools/authoring/report_json.h"
#include "tools/cli/exit_status.h"
#include "tools/cli/json_output.h"

namespace scenario::tool {

namespace {

std::string PlacePrefix(const std::optional<SourcePlace>& place) {
  if (!place) return "";
  std::string prefix = place->file;
  if (place->line > 0) prefix += ":" + std::to_string(place->line) + ":" + std::to_string(place->column);
  return prefix + ": ";
}

// What a recorded error leaves in the compiled files. The readers stop at
// the error; the check after the reading and the cell rules come when all
// has been read.
std::string RecordedErrorOutcome(int32_t numero, bool files_written) {
  const std::string files = files_written ? "the compiled files were written" : "a compile writes the compiled files";
  switch (SourceOf(numero)) {
    case ErrorSource::AfterReading:
    case ErrorSource::CellRules:
      return files + ", with all that was read, but what the error names is wrong or missing in them";
    default:
      return files + (files_written ? " but hold" : ", but they hold") + " only what was read before the error";
  }
}

}  // namespace

int ExitStatusOf(const CompileReport& report, bool werror) {
  if (report.stopped_with) return kExitStopped;
  if (report.codice_errore != 0) return kExitRefused;
  return werror && !report.warnings.empty() ? kExitRefused : kExitOk;
}

void PrintCompileReport(const CompileReport& report, std::ostream& out, std::ostream& err, bool list_files) {
  // The reading's warnings, the files written, and then what is wrong with
  // them: the error, and what it leaves in the files, come last.
  for (const CompileWarning& warning : report.warnings)
    err << PlacePrefix(warning.place) << "warning: " << warning.message << "\n";
  if (list_files)
    for (const std::string& path : report.files_written) out << "wrote " << path << "\n";
  if (report.codice_errore != 0) {
    err << PlacePrefix(report.place) << "error " << report.codice_errore;
    if (HasPosition(report.codice_errore)) err << " at " << report.posizione_errore << " m";
    err << ": " << (report.cause ? *report.cause : ErrorText(report.codice_errore)) << "\n";
  } else if (report.stopped_with && report.place && report.cause) {
    err << PlacePrefix(report.place) << "error " << *report.stopped_with << ": " << *report.cause << "\n";
  }
  for (const CompileNote& note : report.notes) err << PlacePrefix(note.place) << "note: " << note.message << "\n";
  if (report.line_stop_place) {
    err << PlacePrefix(report.line_stop_place)
        << "note: the reading of the line description stopped here first, with error 15 at "
        << report.line_stop_position
        << " m: " << report.line_stop_cause.value_or(ErrorText(error_number::kBeyondRoute)) << "\n";
  }
  if (report.stopped_with) {
    err << "stopped: \"" << ErrorMessage(std::to_string(*report.stopped_with))
        << "\": " << StoppedMessage(*report.stopped_with) << "; no compiled file was written\n";
  } else if (report.codice_errore != 0) {
    err << "error " << report.codice_errore << ": " << RecordedErrorOutcome(report.codice_errore, list_files)
        << "; fix it and compile again\n";
  }
}

void PrintCompileReportJson(const CompileReport& report, std::ostream& out) {
  Json json;
  PutCompileReport(json, report);
  Json files = Json::array();
  for (const std::string& path : report.files_written) files.push_back(MessageToUtf8(path));
  json["files"] = files;
  PrintJson(json, out);
}

}  // namespace scenario::tool
