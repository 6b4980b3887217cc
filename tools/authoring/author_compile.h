// Compiling for authors: requests and reports of compile and check, the copies
// of the sources, names from file names, error causes and warnings as authors
// read them.
//
// Compiling for authors: an author's two sources compiled exactly as the
// compactor compiles its own, without touching the given files, and a
// report of where the recorded error lies and what the reading warned of.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fields/source_edit.h"
#include "model/scenario_model.h"
#include "platform/files/file_system.h"
#include "platform/files/workspace.h"
#include "platform/system/file_names.h"
#include "tools/authoring/line_account.h"
#include "tools/authoring/scenario_names.h"
#include "tools/authoring/source_writes.h"

namespace scenario::tool {

struct CompileRequest {
  std::string line_file;
  std::string train_file;
  std::string output_directory = ".";
  std::optional<std::string> line_name;
  std::optional<std::string> train_number;
  bool no_line = false;  // compile with compila_linea 0: no compiled line file
  bool warnings = true;  // listen to the reading's warnings
  // Note which source line wrote each cell and record, and give the account
  // of every line.
  bool trace_writes = false;
  // File names match in either case, as on the system's file systems
  // (tools/authoring/scenario_names.h).
  bool names_ignore_case = FileNamesIgnoreCase();
};

// A place in a source as the author named it; line and column are 0 when
// the fault has no line of its own.
struct SourcePlace {
  std::string file;
  int line = 0;
  int column = 0;
};

// An edit that puts right what a warning or an error's cause tells of, as
// the reader that made the message gave it, placed in the author's files:
// the text from `place` to the end of its field or of its line (as `reach`
// says) becomes `replacement`.
struct SourceFix {
  std::string title;
  SourcePlace place;
  EditReach reach = EditReach::Field;
  std::string replacement;  // UTF-8
};

// A further place that the error leads to, and what happened there.
struct CompileNote {
  SourcePlace place;
  std::string message;
};

// A warning of the reading, placed in the author's files.
struct CompileWarning {
  SourcePlace place;
  std::string kind;
  std::string message;
  // The edit that puts it right, where the reader knows one.
  std::optional<SourceFix> fix = {};
};

struct CompileReport {
  ScenarioNames names;
  int32_t codice_errore = 0;
  int32_t posizione_errore = 0;
  // Where the recorded error lies, when it comes from a source.
  std::optional<SourcePlace> place;
  // What made the reading fail (error 25), or stop with another number where
  // a reader can tell: one sentence naming the value and what to change.
  std::optional<std::string> cause;
  // The edit that puts the cause right, where the reader knows one.
  std::optional<SourceFix> cause_fix;
  // Places the error led to, after its own.
  std::vector<CompileNote> notes;
  // The number errore showed when the run stopped.
  std::optional<int32_t> stopped_with;
  // The line description's own error 15 when the slot went on to another
  // error: the train service reading stopped on its account, or a later
  // check overwrote it.
  std::optional<SourcePlace> line_stop_place;
  int32_t line_stop_position = 0;
  std::optional<std::string> line_stop_cause;
  // The reading's warnings, in the order they were given.
  std::vector<CompileWarning> warnings;
  // The compiled files the run wrote, in order.
  std::vector<std::string> files_written;
  // With `trace_writes`: what the compile made of every line read.
  LineAccounts lines;
};

// Copies the sources into the output directory under the names the compile
// run reads, runs it there and reports its error slot. The output directory
// is locked for the whole compile; `tell` gets a notice when another run
// makes it wait. Throws std::invalid_argument for a request that cannot be
// run (names missing or unusable, a given file that the run would
// overwrite), UnusableSource for a source saved in UTF-16 or another file
// where the copy goes, and SystemFailure for a file that cannot be read, written or
// created, or a directory that another run holds past the wait limit.
CompileReport RunCompile(const CompileRequest& request, FileSystem& files,
                         const WorkspaceHold::Tell& tell = {}, ScenarioModel* compiled = nullptr);

// Compiles the two sources as RunCompile does, but in memory: nothing is
// written anywhere, and the report lists no file. `compiled`, when given,
// receives the model as the run left it.
CompileReport RunCheck(const CompileRequest& request, FileSystem& files, ScenarioModel* compiled = nullptr);

}  // namespace scenario::tool
