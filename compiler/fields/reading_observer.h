// What the readers tell an author about while they read: things that compile
// without an error number but are almost surely a mistake (a misspelt
// keyword, a caption cut at a comma, a step written out of order). The
// readers report them to an observer when one is given; with none they do
// not look for them at all. Nothing an observer sees changes what is read.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "compiler/fields/field_stream.h"
#include "compiler/fields/keyword_table.h"
#include "compiler/fields/source_edit.h"

namespace scenario {

enum class WarningKind {
  UnknownKeyword,       // a keyword field that no test of its file recognises
  GeneralSection,       // a keyword read in the wrong part of the line description
  TextCut,              // a caption or a station name cut at a comma
  WrongSection,         // an item under the header of another kind (it still counts)
  PositionBack,         // a gradient, speed or adhesion step not beyond the one before
  CurveOverlap,         // a curve that starts before the previous one ends
  CaptionRecordZero,    // an indication board whose caption takes record 0
  CellReplaced,         // an item whose cell a later item replaces
  NegativeLength,       // a length or an end that lies before its start
  LowBits,              // a value kept as its low bits
  EmptyService,         // a train service without stations or steps
  RunOut,               // an item in the run-out beyond the line's length
  TimetableBack,        // a station timetabled before the station before it
  Utf8Text,             // a text that looks like UTF-8
  ValueReplaced,        // a value a later line of the same kind replaces
  Utf8Name,             // a line name or train number in UTF-8 bytes (the tool's own)
  OpenQuote,            // a quoted text that runs over line ends or to the end of the file
  ShortLine,            // a line that ends before its last text, which the next line gives
  CommentRead,          // a comment field read as a keyword field, past the comments passed over
  MarkerCell,           // an item whose value takes the place of the cell file's marker or check code
  ValueRange,           // a value that fits its field but means nothing there (a minute of 75)
  KeywordRead,          // a keyword field read otherwise than its words say (a curve "destra" read as left)
  ZonesCleared,         // progressive zones that the ordering clears
  LastLine,             // a keyword field that ends the file and is never read
  MountainType,         // a mountain close after the one before, compiled as type 3
  FirstStep,            // a first speed or adhesion step after 0 m, with 0 before it
  NoWarningBoard,       // a slowdown within the first 1500 m, which gets no warning board
  MarksReplaced,        // approach marks written over the marks of another item
  CellRules,            // an item the compactor's own cell rules change or take
  SeveralKeywords,      // a keyword field that several keyword tests recognise
  UnknownCode,          // a flag or code outside the codes the compile tells apart
  ValueDropped,         // a value given but stored as 0 by the rules of its item
  ValueLeftOver,        // a number after a line's last value, on its line: a value too many, a decimal comma
  Separator,            // values separated otherwise than by commas: no comma after the keyword, semicolons, tabs
};

// The kind's name as tools print it: "unknown-keyword", "text-cut", ...
const char* WarningKindName(WarningKind kind);

struct ReadingWarning {
  // The source as the run reads it (its name in the run's directory).
  std::string file;
  // Where to look; line 0 when the warning is about the whole file.
  FieldPosition at;
  WarningKind kind;
  std::string message;
  // The edit that puts it right, where the reader knows one.
  std::optional<SourceEdit> fix = {};
};

// An item that took a route cell: what it is and where it was written.
struct CellHolder {
  std::string item;  // "the stop cell of the station 'PRAGELLO'"
  std::string file;
  int line = 0;
  int column = 0;
};

class ReadingObserver {
 public:
  virtual ~ReadingObserver() = default;
  virtual void Warn(const ReadingWarning& warning) = 0;
  // Every keyword field as the reading meets it (comments and unknown words
  // included), then the end of each source: what the reading stores between
  // two of these calls comes from the line of the first. SourceEnd is told
  // while the source closes, also when its reading failed: it must not throw.
  virtual void KeywordField(const std::string& /*file*/, const std::string& /*field*/, FieldPosition /*at*/) {}
  virtual void SourceEnd(const std::string& /*file*/) {}
  // The values of each line the readers recognise, as they are read: the
  // line of `spec` begins (its keyword field at `keyword`), then each of its
  // values, a number or (for a text value) `text`. A keyword field that
  // several keywords recognise is told once for each.
  virtual void LineValues(const std::string& /*file*/, const KeywordSpec& /*spec*/, FieldPosition /*keyword*/) {}
  virtual void ValueRead(const std::string& /*file*/, size_t /*index*/, FieldPosition /*at*/, int64_t /*number*/,
                         const std::string* /*text*/) {}
  // What the reading stores between these two calls is stored for the line
  // that gave the value at `value`, not for the line being read: a step's
  // value goes into its cells once the next step, or the end of the file,
  // says where it ends. Line 0: for no line (the cells before the first
  // step). WritingDone must not throw.
  virtual void WritingFor(const std::string& /*file*/, FieldPosition /*value*/) {}
  virtual void WritingDone(const std::string& /*file*/) {}

  // The items that took route cells so far, by cell, across both sources:
  // a later item that finds its cell taken is told what took it.
  std::map<int64_t, CellHolder> held_cells;
  // The line's length as the line description gives it ('lunghezza
  // percorso'), once read: 0 before.
  int64_t line_length = 0;
  // The mountain markers the reading placed, by cell, with their mountain:
  // a marker counts as free, so a later item or a cell rule may take it.
  std::map<int64_t, CellHolder> mountain_markers;
};

// An observer that keeps every warning, in the order given.
class WarningList : public ReadingObserver {
 public:
  void Warn(const ReadingWarning& warning) override { warnings.push_back(warning); }
  std::vector<ReadingWarning> warnings;
};

}  // namespace scenario
