#include "tools/cli/compile_report.h"

#include <string>

#include "encoding/text_encoding.h"
#include "tools/authoring/report_json.h"
#include "tools/authoring/report_words.h"
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

}  // namespace

int ExitStatusOf(const CompileReport& report, bool werror) {
  if (report.stopped_with) return kExitStopped;
  if (report.codice_errore != 0) return kExitRefused;
  return werror && !report.warnings.empty() ? kExitRefused : kExitOk;
}

void PrintCompileReport(const CompileReport& report, std::ostream& out, std::ostream& err, bool list_files) {
  // The reading's warnings, the files written, and then what is wrong with
  // them: the error, and what it leaves in the files, come last.
  const ReportWords words = WordsOf(report, list_files);
  for (const ReportSentence& warning : words.warnings)
    err << PlacePrefix(warning.place) << "warning: " << warning.text << "\n";
  if (list_files)
    for (const std::string& path : report.files_written) out << "wrote " << path << "\n";
  if (words.error && !words.closing_tells_error) err << PlacePrefix(words.error->place) << words.error->text << "\n";
  for (const ReportSentence& note : words.notes) err << PlacePrefix(note.place) << "note: " << note.text << "\n";
  if (words.closing) err << *words.closing << "\n";
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
