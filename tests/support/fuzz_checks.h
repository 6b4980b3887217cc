// What the fuzzers do with one input, shared with the tests that replay the
// inputs the fuzzers once found. Each check runs the code on the input and
// returns "" when every property held, otherwise a description of the first
// one that did not. A crash, a sanitizer report or an exception that is not
// one of the system's own ends (a read failure, a shown error) is a finding
// as well.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "compiler/fields/reading_observer.h"
#include "model/scenario_model.h"
#include "tests/support/fake_file_system.h"

namespace scenario::testing_support {

// Reads `text` through a field stream in several orders of field types (all
// text, keyword-and-numbers as the readers do, a type chosen by each byte).
// Every field read must be what the cutting rules give at the place where it
// began, no read may fail other than as a read failure, and every read must
// consume input, so that no reader can loop on a stream.
std::string CheckFieldStream(std::string_view text);

// The whole compile run in memory: `line_text` as the line description
// source and `train_text` as the train service source, beside each other in
// an in-memory file system. The run must end normally or through a shown
// error; a source that was read must be gone afterwards and one that was not
// must be unchanged; a normal end must leave the compiled files (the line
// file only when compila_linea is non-zero), each decoding to what the model
// holds, with the markers stamped; a shown error must leave no compiled file.
std::string CheckCompileRun(std::string_view line_text, std::string_view train_text,
                            int32_t compila_linea = 1);

// A compile run in memory and what it left.
struct InMemoryRun {
  ScenarioModel model;
  // The error number shown, when the run ended through one.
  std::optional<std::string> shown;
  std::vector<std::string> messages;
  FakeFileSystem files;
};

// The compile run of the program (compila_linea 1 unless told otherwise) on
// the two sources, in an in-memory directory that holds them and nothing
// else.
InMemoryRun CompileInMemory(std::string_view line_text, std::string_view train_text,
                            int32_t compila_linea = 1);
// The same into `run`, whatever an earlier run left there: the model starts
// afresh, but the memory of its route and plan, and that of the compiled
// line file, is used again, so that a fuzzer's runs one after another do not
// fault in megabytes afresh each time. `observer`, when given, hears the
// reading's warnings.
void CompileInMemory(std::string_view line_text, std::string_view train_text, int32_t compila_linea,
                     InMemoryRun* run, ReadingObserver* observer = nullptr);
// Lets go of everything `run` holds but the memory that CompileInMemory uses
// again. A fuzzer calls it once it has checked an input: libFuzzer counts the
// allocations made for each input and runs the input a second time, looking
// for a leak, whenever more were made than freed, as happens when one input's
// files and model are left for the next input to free.
void ClearRun(InMemoryRun* run);

// CheckCompileRun made in the memory of `run` and `heard` (the run that
// hears the warnings), both cleared again afterwards: a fuzzer keeps them
// from one input to the next.
std::string CheckCompileRun(std::string_view line_text, std::string_view train_text, int32_t compila_linea,
                            InMemoryRun* run, InMemoryRun* heard);

// The compile run of the program beside the built-in line description, with
// `train_text` as the train service source, into `run` as CompileInMemory
// makes it, but from the model the reading of the built-in line leaves:
// that half of the run is read once only, and every run then reads just the
// train service. The run ends exactly as CompileInMemory's would.
void CompileTrainInMemory(std::string_view train_text, int32_t compila_linea, InMemoryRun* run,
                          ReadingObserver* observer = nullptr);
// CheckCompileRun beside the built-in line description, its runs made by
// CompileTrainInMemory in the memory of `run` and `heard`, both cleared
// again afterwards.
std::string CheckTrainServiceRun(std::string_view train_text, int32_t compila_linea, InMemoryRun* run,
                                 InMemoryRun* heard);

// The properties CheckCompileRun checks, on a run already made.
std::string CheckInMemoryRun(const InMemoryRun& run, std::string_view line_text,
                             std::string_view train_text);

// Whether the bytes of a compiled line file decode, element by element, to
// the points of `plan`: "" when they do, else what differs.
std::string LineFileProblem(std::string_view bytes, const Tracciato& plan);

// Full paths, in the in-memory directory, of the files of a compile run.
std::string InMemoryPath(const std::string& name);

// The built-in sources, byte for byte as the writers put them on disk.
const std::string& BuiltInLineSource();
const std::string& BuiltInTrainSource();

}  // namespace scenario::testing_support
