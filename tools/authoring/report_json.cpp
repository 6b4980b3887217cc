#include "tools/authoring/report_json.h"

#include <optional>

#include "compiler/fields/error_numbers.h"
#include "encoding/text_encoding.h"
#include "tools/authoring/error_messages.h"
#include "tools/authoring/report_words.h"

namespace scenario::tool {

namespace {

using Json = nlohmann::ordered_json;

// "file", "line" and "column" of a place; null where it has none.
void PutPlace(Json& json, const std::optional<SourcePlace>& place) {
  json["file"] = place ? Json(MessageToUtf8(place->file)) : nullptr;
  const bool has_line = place && place->line > 0;
  json["line"] = has_line ? Json(place->line) : nullptr;
  json["column"] = has_line ? Json(place->column) : nullptr;
}

// The edit that puts a cause or a warning right; null where none is known.
Json FixJson(const std::optional<SourceFix>& fix) {
  if (!fix) return nullptr;
  Json json;
  json["title"] = fix->title;
  PutPlace(json, fix->place);
  json["reach"] = fix->reach == EditReach::LineEnd ? "line_end" : "field";
  json["replacement"] = fix->replacement;
  return json;
}

}  // namespace

void PutCompileReport(Json& json, const CompileReport& report) {
  // Names are the simulator's Windows-1252 bytes; paths may also be UTF-8
  // (a Linux file system's own names). JSON carries both as UTF-8.
  json["nome_linea"] = Windows1252ToUtf8(report.names.nome_linea);
  json["numero_treno"] = Windows1252ToUtf8(report.names.numero_treno);
  json["codice_errore"] = report.codice_errore;
  json["posizione_errore"] = report.posizione_errore;
  // A run stopped with no error in the slot tells the number it stopped with.
  json["message"] = ErrorText(report.codice_errore == 0 && report.stopped_with ? *report.stopped_with
                                                                                : report.codice_errore);
  json["cause"] = report.cause ? Json(*report.cause) : nullptr;
  json["fix"] = FixJson(report.cause_fix);
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
  json["stopped_message"] = report.stopped_with ? Json(StoppedMessage(*report.stopped_with)) : nullptr;
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
    entry["fix"] = FixJson(warning.fix);
    warnings.push_back(entry);
  }
  json["warnings"] = warnings;
}

}  // namespace scenario::tool
