#include "tools/authoring/author_compile.h"

#include <array>
#include <stdexcept>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "compiler/compile_run.h"
#include "compiler/error_reporting.h"
#include "compiler/readers/scenario_reader.h"
#include "model/file_names.h"
#include "compiler/fields/field_stream.h"
#include "compiler/fields/keyword_match.h"
#include "compiler/fields/keyword_table.h"
#include "compiler/fields/reading_observer.h"
#include "compiler/fields/runtime_failure.h"
#include "platform/files/directory_lock.h"
#include "platform/files/file_set.h"
#include "platform/files/memory_file_system.h"
#include "platform/window/window.h"
#include "platform/files/workspace.h"
#include "tools/authoring/compile_file_system.h"
#include "tools/authoring/error_messages.h"
#include "tools/common/paths.h"
#include "tools/common/refusal.h"
#include "encoding/source_encoding.h"
#include "encoding/text_encoding.h"

namespace scenario::tool {

namespace {

// The slot and the reading place as the line description's half of the
// reading left them, seen just before the train service is read.
struct LineHalfEnd {
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  ReadingPlace place;
};

// The paths in the output directory that the run reads, deletes or writes.
struct RunPaths {
  std::string line_source;
  std::string train_source;
  std::array<std::string, 3> compiled;
};

RunPaths PathsOfRun(const Workspace& workspace, const ScenarioNames& names) {
  return {workspace.PathOf(LineSourceName(names.nome_linea)),
          workspace.PathOf(TrainSourceName(names.nome_linea, names.numero_treno)),
          {workspace.PathOf(CompiledLineName(names.nome_linea)),
           workspace.PathOf(StationFileName(names.nome_linea, names.numero_treno)),
           workspace.PathOf(CellFileName(names.nome_linea, names.numero_treno))}};
}

// A given file may be the very copy the run reads (it is then kept), but
// never a file the run writes or the other source's copy.
void RefuseClashes(FileSystem& files, const CompileRequest& request, const RunPaths& paths) {
  for (const std::string& given : {request.line_file, request.train_file}) {
    for (const std::string& compiled : paths.compiled) {
      if (files.SameFile(given, compiled))
        throw std::invalid_argument("'" + given + "' is the compiled file '" + compiled +
                                    "' that the compile writes; compile into another directory (-o)");
    }
  }
  if (files.SameFile(request.line_file, paths.train_source))
    throw std::invalid_argument("'" + request.line_file +
                                "' stands where the compile reads the train service; compile into "
                                "another directory (-o)");
  if (files.SameFile(request.train_file, paths.line_source))
    throw std::invalid_argument("'" + request.train_file +
                                "' stands where the compile reads the line description; compile "
                                "into another directory (-o)");
}

// The copies are made under the directory's lock, and so is this look:
// another compile's copies are gone once it lets go.
void RefuseForeignCopies(FileSystem& files, const CompileRequest& request, const RunPaths& paths,
                         const std::string& line_text, const std::string& train_text) {
  // A source of the same name already in the output directory, other than
  // the given one, would be replaced and then deleted by the run. One with
  // the very bytes of the given file loses nothing: it is the copy that a
  // compile killed halfway left behind.
  for (const auto& [given, copy, text] : {std::tuple{request.line_file, paths.line_source, &line_text},
                                          std::tuple{request.train_file, paths.train_source, &train_text}}) {
    if (!files.FileExists(copy) || files.SameFile(given, copy)) continue;
    std::string there;
    if (files.ReadFile(copy, &there).ok() && there == *text) continue;
    throw UnusableSource("'" + copy + "' is already there and is not '" + given +
                                "': the compile would replace it with a copy of '" + given +
                                "' and then delete it; move it away or compile into another "
                                "directory (-o)");
  }
}

std::string ReadGivenFile(FileSystem& files, const std::string& path) {
  std::string text;
  RequireOk(files.ReadFile(path, &text), path);
  return text;
}

// Puts the source where the run reads it. Returns whether the tool made a
// copy (false: the given file is that file itself, and is kept).
bool PlaceSource(FileSystem& files, CompileFileSystem& run_files, const std::string& given,
                 const std::string& text, const std::string& copy) {
  if (files.SameFile(given, copy)) {
    run_files.Keep(copy);
    return false;
  }
  RequireOk(files.ReplaceFile(copy, text), copy);
  return true;
}

// The sources the tool copied; those still there at the end are deleted.
struct CopiesMade {
  explicit CopiesMade(FileSystem& files) : files(files) {}
  ~CopiesMade() {
    for (const std::string& path : paths)
      if (files.FileExists(path)) files.DeleteFile(path);
  }
  CopiesMade(const CopiesMade&) = delete;
  CopiesMade& operator=(const CopiesMade&) = delete;

  FileSystem& files;
  std::vector<std::string> paths;
};

// The first line of `text` whose first field is 'lunghezza percorso' (letter
// case aside), as the field stream cuts the text; 0 when none is.
int RouteLengthLine(const std::string& text) {
  FieldStream fields(text);
  int line_before = 0;
  try {
    while (!fields.AtEnd()) {
      const std::string field = fields.ReadText();
      const int line = fields.last_field().line;
      if (line != line_before && field.size() == std::string_view(keyword::kLunghezzaPercorso.keyword).size() &&
          ContainsIgnoringCase(field, keyword::kLunghezzaPercorso.keyword))
        return line;
      line_before = line;
    }
  } catch (const RuntimeFailure&) {
    // A field too long to read: no such line from there on.
  }
  return 0;
}

// A reading that stopped because no route was sized: where the line that
// sizes it stands, when it stands out of its place.
void PlaceMissingRouteLength(CompileReport* report, const CompileRequest& request, const std::string& line_text,
                             const std::string& train_text) {
  if (const int line = RouteLengthLine(line_text); line > 0) {
    report->place = SourcePlace{request.line_file, line, 1};
    report->cause = "the route was not sized when the first item was placed: 'lunghezza percorso' is written at line " +
                    std::to_string(line) + ", outside the general section or after items that need the route; "
                    "write it in the general section, after [generale] and before every item";
  } else if (const int train_line = RouteLengthLine(train_text); train_line > 0) {
    report->place = SourcePlace{request.train_file, train_line, 1};
    report->cause = "the line description gives no 'lunghezza percorso', so the route has no length and nothing can "
                    "be placed on it; a 'lunghezza percorso' line stands in the train service at line " +
                    std::to_string(train_line) + ": it belongs in the line description, after [generale]";
  }
}

class ErrorLocator {
 public:
  ErrorLocator(const CompileRequest& request, const ScenarioNames& names)
      : request_(request),
        line_source_(LineSourceName(names.nome_linea)),
        train_source_(TrainSourceName(names.nome_linea, names.numero_treno)) {}

  // The place of a field of the reading, in the author's file names.
  std::optional<SourcePlace> At(const ReadingPlace& place, const FieldPosition& field) const {
    if (place.file.empty()) return std::nullopt;
    SourcePlace at{place.file, field.line, field.column};
    if (place.file == line_source_) at.file = request_.line_file;
    if (place.file == train_source_) at.file = request_.train_file;
    return at;
  }

  // A reader's edit of the source `file` (as the run names it), in the
  // author's file names and in UTF-8: the sources are Windows-1252.
  std::optional<SourceFix> Fix(const std::string& file, const std::optional<SourceEdit>& edit) const {
    if (!edit) return std::nullopt;
    const std::optional<SourcePlace> from = At({file, {}, {}, std::nullopt, std::nullopt}, edit->from);
    if (!from || from->line <= 0) return std::nullopt;
    return SourceFix{Windows1252ToUtf8(edit->title), *from, edit->reach, Windows1252ToUtf8(edit->replacement)};
  }

  void Locate(CompileReport* report, const ReadingPlace& end,
              const std::optional<LineHalfEnd>& line_half) const {
    const int32_t numero = report->codice_errore;
    const bool line_fifteen = line_half && line_half->codice_errore == error_number::kBeyondRoute;
    bool placed_at_line_stop = false;
    // Where a reader told why it stopped, the error is placed at the cause.
    const auto at_stop = [&](const ReadingPlace& place) {
      if (place.stop) {
        report->place = At(place, place.stop->at);
        report->cause = MessageToUtf8(place.stop->cause);
      } else {
        report->place = At(place, place.keyword);
      }
    };
    switch (SourceOf(numero)) {
      case ErrorSource::LineReader:
        // A missing file, or one without its general section, is at fault
        // as a whole.
        if (numero == error_number::kNoLineFile || numero == error_number::kNoGeneralSection)
          report->place = SourcePlace{request_.line_file, 0, 0};
        else
          at_stop(end);
        break;
      case ErrorSource::TrainReader:
        at_stop(end);
        break;
      case ErrorSource::EitherReader:
        if (numero == error_number::kBeyondRoute && line_fifteen && line_half->posizione_errore == report->posizione_errore) {
          at_stop(line_half->place);
          placed_at_line_stop = true;
        } else if (numero == error_number::kBeyondRoute && line_fifteen) {
          // The line description stopped first: the first cause is there.
          // The train service stopped at its first signal or slowdown on its
          // account, or at an item of its own beyond the route.
          const std::optional<ReadingFailure> train_stop = end.stop;
          const std::optional<SourcePlace> train_line =
              train_stop ? At(end, train_stop->at) : At(end, end.keyword);
          at_stop(line_half->place);
          placed_at_line_stop = true;
          const std::string position = std::to_string(report->posizione_errore) + " m";
          if (train_line && train_stop) {
            report->notes.push_back({*train_line, "the train service stopped here too, with error 15 at " + position +
                                                      ", the position the error keeps: " +
                                                      MessageToUtf8(train_stop->cause)});
          } else if (train_line) {
            if (report->cause)
              *report->cause += "; the train service then stopped at line " + std::to_string(train_line->line) +
                                ", which gave the error its position, " + position;
            report->notes.push_back(
                {*train_line, "the train service stopped here, at its first signal or slowdown line, because the "
                              "line description had stopped with error 15; the error's position, " +
                                  position + ", is this line's"});
          }
        } else if (numero == error_number::kBeyondRoute && end.stop) {
          at_stop(end);
        } else if (numero == error_number::kReadFailure && end.failure) {
          // Where the cause lies, which is not always where the reading
          // stood: the end of a line cut short, the value of an earlier line.
          report->place = At(end, end.failure->at);
          report->cause = MessageToUtf8(end.failure->cause);
          report->cause_fix = Fix(end.file, end.failure->fix);
        } else {
          report->place = At(end, numero == error_number::kReadFailure ? end.field : end.keyword);
        }
        break;
      case ErrorSource::AfterReading:
        report->place = SourcePlace{request_.line_file, 0, 0};
        break;
      case ErrorSource::CellRules:
      case ErrorSource::CompileRun:
      case ErrorSource::Unknown:
        break;
    }
    if (line_fifteen && !placed_at_line_stop) {
      const ReadingPlace& line_place = line_half->place;
      report->line_stop_place = At(line_place, line_place.stop ? line_place.stop->at : line_place.keyword);
      report->line_stop_position = line_half->posizione_errore;
      if (line_place.stop) report->line_stop_cause = MessageToUtf8(line_place.stop->cause);
    }
  }

 private:
  const CompileRequest& request_;
  std::string line_source_;
  std::string train_source_;
};

}  // namespace

CompileReport RunCompile(const CompileRequest& request, FileSystem& files,
                         const WorkspaceHold::Tell& tell, ScenarioModel* compiled) {
  // What is wrong with the given files themselves (one file given twice, a
  // file that is not there or is a directory) is told before their names
  // are looked at: a name that follows no pattern is then never blamed for it.
  if (files.SameFile(request.line_file, request.train_file))
    throw std::invalid_argument("the line description and the train service are the same file '" +
                                request.line_file + "'");
  const std::string line_text = ReadGivenFile(files, request.line_file);
  const std::string train_text = ReadGivenFile(files, request.train_file);
  // A file in UTF-16 would be read as noise around NUL bytes: it is refused
  // before anything is written.
  for (const auto& [path, text] : {std::pair{&request.line_file, &line_text},
                                   std::pair{&request.train_file, &train_text}}) {
    if (std::optional<std::string> cause = UnreadableEncoding(*path, *text)) throw UnusableSource(*cause);
  }

  CompileReport report;
  report.names = ResolveScenarioNames(request.line_file, request.train_file, request.line_name,
                                      request.train_number, request.names_ignore_case);
  if (request.warnings) {
    const auto origin = [](const std::optional<std::string>& given, const std::string& option,
                           const std::string& file) {
      return given ? "the option " + option : "the file name '" + file + "'";
    };
    const std::string name_file =
        request.line_name || LineNameOfLineFile(request.line_file, request.names_ignore_case).has_value()
            ? request.line_file
            : request.train_file;
    if (std::optional<std::string> warning =
            Utf8NameWarning("the line name", report.names.nome_linea,
                            origin(request.line_name, "--line-name", name_file), !request.line_name))
      report.warnings.push_back({SourcePlace{name_file, 0, 0}, WarningKindName(WarningKind::Utf8Name), *warning});
    if (std::optional<std::string> warning =
            Utf8NameWarning("the train number", report.names.numero_treno,
                            origin(request.train_number, "--train-number", request.train_file),
                            !request.train_number))
      report.warnings.push_back(
          {SourcePlace{request.train_file, 0, 0}, WarningKindName(WarningKind::Utf8Name), *warning});
  }
  Workspace copies{files, request.output_directory};
  copies.tell = tell;
  const RunPaths paths = PathsOfRun(copies, report.names);
  RefuseClashes(files, request, paths);

  RequireOk(files.MakeDirectory(request.output_directory), request.output_directory);

  // Another compile or run in the same directory waits until this one has
  // removed its copies and written its last file.
  WorkspaceHold hold(copies, LockWaitLimit(), tell);
  RefuseForeignCopies(files, request, paths, line_text, train_text);
  // A compiled file that another program holds open (the simulator), or a
  // read-only one, stops the compile before anything is written.
  std::vector<std::string> compiled_names;
  if (!request.no_line) compiled_names.push_back(CompiledLineName(report.names.nome_linea));
  compiled_names.push_back(StationFileName(report.names.nome_linea, report.names.numero_treno));
  compiled_names.push_back(CellFileName(report.names.nome_linea, report.names.numero_treno));
  WaitUntilReplaceable(copies, compiled_names);
  {
    CompileFileSystem run_files(files);
    // A copy the run leaves unread (the reading stopped before it, or the
    // run failed) is the tool's own: it goes, whatever the outcome.
    CopiesMade copies_made(files);
    if (PlaceSource(files, run_files, request.line_file, line_text, paths.line_source))
      copies_made.paths.push_back(paths.line_source);
    if (PlaceSource(files, run_files, request.train_file, train_text, paths.train_source))
      copies_made.paths.push_back(paths.train_source);

    ScenarioModel model;
    model.nome_linea = report.names.nome_linea;
    model.numero_treno = report.names.numero_treno;
    ReadingPlace end;
    std::optional<LineHalfEnd> line_half;
    run_files.BeforeReading(paths.train_source, [&] {
      line_half = LineHalfEnd{model.codice_errore, model.posizione_errore, end};
    });

    Workspace workspace{run_files, request.output_directory};
    workspace.tell = tell;
    SilentWindow window;  // the tool reports the number errore shows itself
    WarningList warnings;
    WritesTracer tracer(model, request.warnings ? &warnings : nullptr);
    ReadingObserver* observer = nullptr;
    if (request.trace_writes)
      observer = &tracer;
    else if (request.warnings)
      observer = &warnings;
    try {
      memorizza_percorso(model, request.no_line ? 0 : 1, workspace, window, &end, observer);
    } catch (const ErroreShown& shown) {
      report.stopped_with = std::stoi(shown.numero);
    }
    const ErrorLocator locator(request, report.names);
    for (const ReadingWarning& warning : warnings.warnings) {
      ReadingPlace in_file{warning.file, {}, {}, std::nullopt, std::nullopt};
      std::optional<SourcePlace> at = locator.At(in_file, warning.at);
      // The message quotes the sources' own bytes, which are Windows-1252.
      report.warnings.push_back({at.value_or(SourcePlace{warning.file, 0, 0}), WarningKindName(warning.kind),
                                 MessageToUtf8(warning.message), locator.Fix(warning.file, warning.fix)});
    }

    report.codice_errore = model.codice_errore;
    report.posizione_errore = model.posizione_errore;
    report.files_written = run_files.written();
    ErrorLocator(request, report.names).Locate(&report, end, line_half);
    if (report.codice_errore == error_number::kReadFailure && model.percorso.empty() &&
        (!report.place || report.place->line <= 0))
      PlaceMissingRouteLength(&report, request, line_text, train_text);
    // A stop on the cell file's marker or check code is the fault of the
    // item that wrote there, which the reading warned of.
    if (report.stopped_with && !report.place &&
        (*report.stopped_with == error_number::kMarkerPlaceTaken ||
         *report.stopped_with == error_number::kCheckCodePlaceTaken)) {
      for (const CompileWarning& warning : report.warnings) {
        if (warning.kind != WarningKindName(WarningKind::MarkerCell)) continue;
        report.place = warning.place;
        report.cause = warning.message;
      }
    }
    if (request.trace_writes)
      report.lines = AccountLines(tracer, report, model, [&](const std::string& run_file) {
        return locator.At({run_file, {}, {}, std::nullopt, std::nullopt}, {})->file;
      });
    if (compiled) *compiled = std::move(model);
  }
  hold.Finish();
  return report;
}

CompileReport RunCheck(const CompileRequest& request, FileSystem& files, ScenarioModel* compiled) {
  // The given files are read once from where they are; everything else
  // happens in memory.
  MemoryFileSystem memory;
  for (const std::string& given : {request.line_file, request.train_file}) {
    std::string text;
    RequireOk(files.ReadFile(given, &text), given);
    memory.files[given] = std::move(text);
  }
  // The run's copies go to a directory of their own: a given file named
  // without a directory ("Valle_linea.txt") is then never taken for the copy
  // the run reads and deletes.
  CompileRequest in_memory = request;
  in_memory.output_directory = "(check)";
  CompileReport report = RunCompile(in_memory, memory, {}, compiled);
  report.files_written.clear();
  return report;
}

}  // namespace scenario::tool
