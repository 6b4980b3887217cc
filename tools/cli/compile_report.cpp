#include "tools/cli/compile_report.h"

#include <string>

#include "compiler/fields/error_numbers.h"
#include "compiler/error_reporting.h"
#include "encoding/text_encoding.h"
#include "tools/authoring/error_messages.h"
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

std::string StopText(int32_t numero) {
  if (SourceOf(numero) == ErrorSource::CompileRun) return ErrorText(numero);
  return "no route was read, so there is nothing to compile";
}

// "file", "line" and "column" of a place; null where it has none.
void PutPlace(Json& json, const std::optional<SourcePlace>& place) {
  json["file"] = place ? Json(MessageToUtf8(place->file)) : nullptr;
  const bool has_line = place && place->line > 0;
  json["line"] = has_line ? Json(place->line) : nullptr;
  json["column"] = has_line ? Json(place->column) : nullptr;
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
        << "\": " << StopText(*report.stopped_with) << "; no compiled file was written\n";
  } else if (report.codice_errore != 0) {
    err << "error " << report.codice_errore << ": " << RecordedErrorOutcome(report.codice_errore, list_files)
        << "; fix it and compile again\n";
  }
}

void PrintCompileReportJson(const CompileReport& report, std::ostream& out) {
  Json json;
  // Names are the simulator's Windows-1252 bytes; paths may also be UTF-8
  // (a Linux file system's own names). JSON carries both as UTF-8.
  json["nome_linea"] = Windows1252ToUtf8(report.names.nome_linea);
  json["numero_treno"] = Windows1252ToUtf8(report.names.numero_treno);
  json["codice_errore"] = report.codice_errore;
  json["posizione_errore"] = report.posizione_errore;
  // A run stopped with no error in the slot tells the number it stopped with.
  json["message"] = ErrorText(report.codice_errore == 0 && report.stopped_with ? *report.stopped_with
                                                                                : report.codice_errore);
  json["cause"] = report.cause ? nlohmann::ordered_json(*report.cause) : nullptr;
  PutPlace(json, report.place);
  // Whether the compiled files hold all that was read, or only what was read
  // before the error; null when no file is compiled.
  if (report.stopped_with)
    json["files_hold_everything_read"] = nullptr;
  else
    json["files_hold_everything_read"] =
        report.codice_errore == 0 || SourceOf(report.codice_errore) == ErrorSource::AfterReading ||
        SourceOf(report.codice_errore) == ErrorSource::CellRules;
  json["stopped_with"] = report.stopped_with ? Json(*report.stopped_with) : nullptr;
  json["stopped_message"] =
      report.stopped_with ? Json(StopText(*report.stopped_with)) : nullptr;
  if (report.line_stop_place) {
    Json stop;
    PutPlace(stop, report.line_stop_place);
    stop["codice_errore"] = error_number::kBeyondRoute;
    stop["posizione_errore"] = report.line_stop_position;
    json["line_description_stop"] = stop;
  } else {
    json["line_description_stop"] = nullptr;
  }
  Json notes = Json::array();
  for (const CompileNote& note : report.notes) {
    Json entry;
    PutPlace(entry, note.place);
    entry["message"] = note.message;
    notes.push_back(entry);
  }
  json["notes"] = notes;
  Json warnings = Json::array();
  for (const CompileWarning& warning : report.warnings) {
    Json entry;
    PutPlace(entry, warning.place);
    entry["message"] = warning.message;
    entry["kind"] = warning.kind;
    warnings.push_back(entry);
  }
  json["warnings"] = warnings;
  Json files = Json::array();
  for (const std::string& path : report.files_written) files.push_back(MessageToUtf8(path));
  json["files"] = files;
  PrintJson(json, out);
}

}  // namespace scenario::tool
