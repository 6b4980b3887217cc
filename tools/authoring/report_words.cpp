#include "tools/authoring/report_words.h"

#include "compiler/error_reporting.h"
#include "compiler/fields/error_numbers.h"
#include "tools/authoring/error_messages.h"

namespace scenario::tool {

namespace {

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

std::string ErrorHeadline(int32_t numero, std::optional<int32_t> position, const std::optional<std::string>& cause) {
  std::string headline = "error " + std::to_string(numero);
  if (position && HasPosition(numero)) headline += " at " + std::to_string(*position) + " m";
  return headline + ": " + (cause ? *cause : ErrorText(numero));
}

std::string StoppedMessage(int32_t numero) {
  if (SourceOf(numero) == ErrorSource::CompileRun) return ErrorText(numero);
  return "no route was read, so there is nothing to compile";
}

ReportWords WordsOf(const CompileReport& report, bool files_written) {
  ReportWords words;
  for (const CompileWarning& warning : report.warnings)
    words.warnings.push_back({warning.place, warning.message, 0, warning.kind, warning.fix});
  // The error the slot holds comes first, with its position; a run that
  // stopped with nothing in the slot tells the number it stopped with.
  if (report.codice_errore != 0) {
    words.error = ReportSentence{report.place,
                                 ErrorHeadline(report.codice_errore, report.posizione_errore, report.cause),
                                 report.codice_errore, {}, report.cause_fix};
  } else if (report.stopped_with) {
    words.error = ReportSentence{report.place, ErrorHeadline(*report.stopped_with, std::nullopt, report.cause),
                                 *report.stopped_with, {}, report.cause_fix};
    words.closing_tells_error = !report.place || !report.cause;
  }
  if (words.error) {
    words.error_alone = words.error->text;
    if (report.stopped_with) words.error_alone += "; the run stops there and writes no compiled file";
  }
  for (const CompileNote& note : report.notes)
    words.notes.push_back({note.place, note.message, report.codice_errore});
  if (report.line_stop_place) {
    words.notes.push_back({report.line_stop_place,
                           "the reading of the line description stopped here first, with " +
                               ErrorHeadline(error_number::kBeyondRoute, report.line_stop_position,
                                             report.line_stop_cause),
                           error_number::kBeyondRoute});
  }
  if (report.stopped_with) {
    words.closing = "stopped: \"" + ErrorMessage(std::to_string(*report.stopped_with)) +
                    "\": " + StoppedMessage(*report.stopped_with) + "; no compiled file was written";
  } else if (report.codice_errore != 0) {
    words.closing = "error " + std::to_string(report.codice_errore) + ": " +
                    RecordedErrorOutcome(report.codice_errore, files_written) + "; fix it and compile again";
  }
  return words;
}

}  // namespace scenario::tool
